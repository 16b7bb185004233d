#pragma once

// The environment as the dialogs hold it, without the dialogs: one text per
// text box and the horizon choice, filled by LoadEnvironment and written back
// by WriteEnvironment exactly as the dialogs' OK writes them. For people and
// programs every value belongs to one named member ("fog.color").

#include "environment_values.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

namespace kmission::tool {

// One member: a setting's value, or the two or three values a dialog row shows
// side by side, each held by one control.
struct EnvironmentMember {
    std::string_view name; // "fog.color"
    EnvironmentKey key;
    std::vector<std::pair<std::string_view, int>> controls; // control name and index
};

// Every member, in the dialogs' order.
const std::vector<EnvironmentMember>& EnvironmentMembers();
const EnvironmentMember* FindEnvironmentMember(std::string_view name);

class EnvironmentTexts : public EnvironmentControls {
public:
    void keyFound(EnvironmentKey key) override;
    void showValue(EnvironmentKey key, const ValueSlot& slot, std::string_view text) override;
    std::optional<std::string> editedValue(EnvironmentKey key,
                                           const ValueSlot& slot) const override;

    // The text a control shows: empty for a box no value was loaded into,
    // nothing for the horizon choice while none is chosen.
    std::optional<std::string> text(EnvironmentKey key, std::string_view control, int index) const;
    // Types `text` into the control (the horizon choice takes "hormain" or
    // "horblack" only, which the caller checks).
    void setText(EnvironmentKey key, std::string_view control, int index, std::string text);

private:
    using ControlId = std::tuple<EnvironmentKey, std::string, int>;
    std::map<ControlId, std::string> boxes_;
    int horizon_ = -1; // the fog's horizon choice, -1 while none is chosen
};

} // namespace kmission::tool
