#include "environment_texts.h"

namespace kmission::tool {

const std::vector<EnvironmentMember>& EnvironmentMembers() {
    using enum EnvironmentKey;
    static const std::vector<EnvironmentMember> members = {
        {"ambient_temperature", AmbientTemperature, {{"txtAmbientTemperature", -1}}},
        {"jet_ceiling", JetCeiling, {{"txtJetCeiling", -1}}},
        {"fog.horizon", Fog, {{kHorizonControl, -1}}},
        {"fog.color", Fog, {{"txtRed", -1}, {"txtGreen", -1}, {"txtBlue", -1}}},
        {"fog.altitude", Fog, {{"txtAltitude1", -1}, {"txtAltitude2", -1}}},
        {"fog.range", Fog, {{"txtRange1", -1}, {"txtRange2", -1}}},
        {"fog.hw_range", Fog, {{"txtHWRange1", -1}, {"txtHWRange2", -1}}},
        {"rain.particles", Rain, {{"txtParticles", -1}}},
        {"rain.color", Rain, {{"txtRed", -1}, {"txtGreen", -1}, {"txtBlue", -1}}},
        {"sun.orientation",
         Sun,
         {{"txtSunOrientation", 0}, {"txtSunOrientation", 1}, {"txtSunOrientation", 2}}},
        {"sun.diffuse", Sun, {{"txtDiffuse", -1}}},
        {"sun.ambient", Sun, {{"txtAmbient", -1}}},
        {"underwater.color", Underwater, {{"txtRed", -1}, {"txtGreen", -1}, {"txtBlue", -1}}},
        {"underwater.range", Underwater, {{"txtRange1", -1}, {"txtRange2", -1}}},
        {"underwater.altitude", Underwater, {{"txtAltitude1", -1}, {"txtAltitude2", -1}}},
        {"wind.direction", Wind, {{"txtDir", -1}}},
        {"wind.velocity", Wind, {{"txtVelocity", -1}}},
        {"wind.gravity", Wind, {{"txtGravity", -1}}},
        {"wind.alpha_gradient", Wind, {{"txtAlphagradient1", -1}, {"txtAlphagradient2", -1}}},
        {"global_wind.velocity",
         GlobalWind,
         {{"txtGWindVel", 0}, {"txtGWindVel", 1}, {"txtGWindVel", 2}}},
        {"global_wind.max_speed", GlobalWind, {{"txtMaxSpeed", -1}}},
        {"global_wind.random_acceleration", GlobalWind, {{"txtRandomAccel", -1}}},
        {"global_wind.random_angle_velocity", GlobalWind, {{"txtRandomAngVel", -1}}},
    };
    return members;
}

const EnvironmentMember* FindEnvironmentMember(std::string_view name) {
    for (const EnvironmentMember& member : EnvironmentMembers()) {
        if (member.name == name) {
            return &member;
        }
    }
    return nullptr;
}

void EnvironmentTexts::keyFound(EnvironmentKey) {}

void EnvironmentTexts::showValue(EnvironmentKey key, const ValueSlot& slot, std::string_view text) {
    if (std::string_view(slot.control) == kHorizonControl) {
        // Any other horizon text leaves the choice as it is.
        if (const int index = HorizonIndex(text); index >= 0) {
            horizon_ = index;
        }
        return;
    }
    boxes_[{key, slot.control, slot.index}] = std::string(text);
}

std::optional<std::string> EnvironmentTexts::editedValue(EnvironmentKey key,
                                                         const ValueSlot& slot) const {
    return text(key, slot.control, slot.index);
}

std::optional<std::string> EnvironmentTexts::text(EnvironmentKey key, std::string_view control,
                                                  int index) const {
    if (control == kHorizonControl) {
        if (horizon_ < 0) {
            return std::nullopt;
        }
        return kHorizonModes[static_cast<std::size_t>(horizon_)];
    }
    const auto found = boxes_.find({key, std::string(control), index});
    return found == boxes_.end() ? std::string() : found->second;
}

void EnvironmentTexts::setText(EnvironmentKey key, std::string_view control, int index,
                               std::string text) {
    if (control == kHorizonControl) {
        horizon_ = HorizonIndex(text);
        return;
    }
    boxes_[{key, std::string(control), index}] = std::move(text);
}

} // namespace kmission::tool
