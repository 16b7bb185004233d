#pragma once

// The six effect dialogs as data: one table of controls per dialog, so that
// one builder makes them all. Positions and sizes are in twips (1/1440 inch).

#include "environment_values.h"

#include <span>

namespace kmission {

enum class ControlKind {
    Label,
    TextBox,
    Line,   // a horizontal dash from `left` to `left + width` at `top`
    Choice, // a selection-only drop-down list holding the horizon modes
};

struct ControlLayout {
    ControlKind kind = ControlKind::Label;
    const char* name = "";
    int index = -1; // element of a control array, -1 for a single control
    const char* caption = "";
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct EffectLayout {
    const char* name = "";
    const char* caption = "";
    int clientWidth = 0;
    int clientHeight = 0;
    std::span<const ControlLayout> controls; // in tab order
};

// The dialog of one of the six effects (Fog ... GlobalWind); the two scalar
// settings have none.
const EffectLayout& EffectDialogLayout(EnvironmentKey effect);

} // namespace kmission
