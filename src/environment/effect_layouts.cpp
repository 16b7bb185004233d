#include "effect_layouts.h"

namespace kmission {

namespace {

using enum ControlKind;

constexpr ControlLayout kFogControls[] = {
    {Label, "lblColor", -1, "Color:", 180, 60, 615, 195},
    {Label, "lblR", -1, "R:", 180, 360, 255, 315},
    {TextBox, "txtRed", -1, "", 480, 300, 555, 315},
    {Label, "lblG", -1, "G:", 1140, 360, 255, 315},
    {TextBox, "txtGreen", -1, "", 1440, 300, 555, 315},
    {Label, "lblB", -1, "B:", 2100, 360, 255, 315},
    {TextBox, "txtBlue", -1, "", 2400, 300, 555, 315},
    {Label, "lblAltitude", -1, "Altitude:", 240, 840, 915, 195},
    {TextBox, "txtAltitude1", -1, "", 300, 1080, 915, 375},
    {Line, "Line1", -1, "", 1440, 1260, 420, 0},
    {TextBox, "txtAltitude2", -1, "", 2040, 1080, 915, 375},
    {Label, "lblRange", -1, "Range:", 240, 1560, 915, 195},
    {TextBox, "txtRange1", -1, "", 300, 1800, 915, 375},
    {Line, "Line2", -1, "", 1440, 1980, 420, 0},
    {TextBox, "txtRange2", -1, "", 2040, 1800, 915, 375},
    {Label, "lblHWRange", -1, "HWRange:", 240, 2340, 915, 195},
    {TextBox, "txtHWRange1", -1, "", 300, 2580, 915, 375},
    {Line, "Line3", -1, "", 1440, 2760, 420, 0},
    {TextBox, "txtHWRange2", -1, "", 2040, 2580, 915, 375},
    {Label, "lblHorizon", -1, "Horizon:", 240, 3060, 795, 195},
    {Choice, kHorizonControl, -1, "", 300, 3300, 2655, 315},
};

constexpr ControlLayout kRainControls[] = {
    {Label, "lblColor", -1, "Color:", 180, 120, 615, 195},
    {Label, "lblR", -1, "R:", 120, 420, 255, 315},
    {TextBox, "txtRed", -1, "", 420, 360, 555, 315},
    {Label, "lblG", -1, "G:", 1080, 420, 255, 315},
    {TextBox, "txtGreen", -1, "", 1380, 360, 555, 315},
    {Label, "lblB", -1, "B:", 2040, 420, 255, 315},
    {TextBox, "txtBlue", -1, "", 2340, 360, 555, 315},
    {Label, "lblParticles", -1, "Particles:", 180, 720, 915, 195},
    {TextBox, "txtParticles", -1, "", 240, 960, 915, 375},
};

constexpr ControlLayout kSunControls[] = {
    {Label, "lblOrientation", -1, "Orientation:", 120, 120, 975, 255},
    {Label, "lblsuno1", 0, "1 -", 360, 480, 375, 195},
    {TextBox, "txtSunOrientation", 0, "", 840, 420, 1035, 285},
    {Label, "lblsuno1", 1, "2 -", 360, 840, 375, 195},
    {TextBox, "txtSunOrientation", 1, "", 840, 780, 1035, 285},
    {Label, "lblsuno1", 2, "3 -", 360, 1200, 375, 195},
    {TextBox, "txtSunOrientation", 2, "", 840, 1140, 1035, 285},
    {Label, "lblDiffuse", -1, "Diffuse:", 120, 1620, 735, 255},
    {TextBox, "txtDiffuse", -1, "", 840, 1800, 1035, 315},
    {Label, "lblAmbient", -1, "Ambient:", 120, 2160, 735, 255},
    {TextBox, "txtAmbient", -1, "", 840, 2340, 1035, 315},
};

constexpr ControlLayout kUnderwaterControls[] = {
    {Label, "lblColor", -1, "Color:", 240, 180, 615, 195},
    {Label, "lblR", -1, "R:", 180, 480, 255, 315},
    {TextBox, "txtRed", -1, "", 480, 420, 555, 315},
    {Label, "lblG", -1, "G:", 1140, 480, 255, 315},
    {TextBox, "txtGreen", -1, "", 1440, 420, 555, 315},
    {Label, "lblB", -1, "B:", 2100, 480, 255, 315},
    {TextBox, "txtBlue", -1, "", 2400, 420, 555, 315},
    {Label, "lblAltitude", -1, "Altitude:", 240, 780, 915, 195},
    {TextBox, "txtAltitude1", -1, "", 300, 1020, 915, 375},
    {Line, "Line1", -1, "", 1440, 1200, 420, 0},
    {TextBox, "txtAltitude2", -1, "", 2040, 1020, 915, 375},
    {Label, "lblRange", -1, "Range:", 240, 1500, 915, 195},
    {TextBox, "txtRange1", -1, "", 300, 1740, 915, 375},
    {Line, "Line2", -1, "", 1440, 1920, 420, 0},
    {TextBox, "txtRange2", -1, "", 2040, 1740, 915, 375},
};

constexpr ControlLayout kWindControls[] = {
    {Label, "lblDir", -1, "Direction:", 120, 60, 735, 255},
    {TextBox, "txtDir", -1, "", 840, 240, 1035, 315},
    {Label, "lblVelocity", -1, "Velocity:", 120, 600, 735, 255},
    {TextBox, "txtVelocity", -1, "", 840, 780, 1035, 315},
    {Label, "lblGravity", -1, "Gravity:", 120, 1140, 735, 255},
    {TextBox, "txtGravity", -1, "", 840, 1320, 1035, 315},
    {Label, "lblAlpha_gradient", -1, "Alpha Gradient:", 120, 1740, 1395, 255},
    {TextBox, "txtAlphagradient1", -1, "", 840, 1980, 1035, 315},
    {TextBox, "txtAlphagradient2", -1, "", 840, 2460, 1035, 315},
};

constexpr ControlLayout kGlobalWindControls[] = {
    {Label, "lblVelocity", -1, "Velocity:", 120, 60, 975, 255},
    {Label, "lblgwindv1", 0, "1 -", 360, 420, 375, 195},
    {TextBox, "txtGWindVel", 0, "", 840, 360, 1035, 285},
    {Label, "lblgwindv1", 1, "2 -", 360, 780, 375, 195},
    {TextBox, "txtGWindVel", 1, "", 840, 720, 1035, 285},
    {Label, "lblgwindv1", 2, "3 -", 360, 1140, 375, 195},
    {TextBox, "txtGWindVel", 2, "", 840, 1080, 1035, 285},
    {Label, "lblMaxSpeed", -1, "Max Speed:", 120, 1440, 975, 255},
    {TextBox, "txtMaxSpeed", -1, "", 840, 1680, 1035, 315},
    {Label, "lblRandomAccel", -1, "Random Acceleration:", 120, 2040, 1875, 255},
    {TextBox, "txtRandomAccel", -1, "", 840, 2280, 1035, 315},
    {Label, "lblRandomAngVel", -1, "Random Angle Velocity:", 120, 2580, 1875, 255},
    {TextBox, "txtRandomAngVel", -1, "", 840, 2820, 1035, 315},
};

const EffectLayout kFog{"frmPropFog", "Fog Properties", 3090, 3780, kFogControls};
const EffectLayout kRain{"frmPropRain", "Rain Properties", 3030, 1545, kRainControls};
const EffectLayout kSun{"frmPropSun", "Sun Properties", 2460, 3165, kSunControls};
const EffectLayout kUnderwater{"frmPropUnderwater", "Underwater Properties", 3270, 2340,
                               kUnderwaterControls};
const EffectLayout kWind{"frmPropWind", "Wind Properties", 2355, 3030, kWindControls};
const EffectLayout kGlobalWind{"frmPropGlobalWind", "Global Wind Properties", 2640, 3465,
                               kGlobalWindControls};
const EffectLayout kNone{};

} // namespace

const EffectLayout& EffectDialogLayout(EnvironmentKey effect) {
    switch (effect) {
    case EnvironmentKey::Fog:
        return kFog;
    case EnvironmentKey::Rain:
        return kRain;
    case EnvironmentKey::Sun:
        return kSun;
    case EnvironmentKey::Underwater:
        return kUnderwater;
    case EnvironmentKey::Wind:
        return kWind;
    case EnvironmentKey::GlobalWind:
        return kGlobalWind;
    case EnvironmentKey::AmbientTemperature:
    case EnvironmentKey::JetCeiling:
        break;
    }
    return kNone;
}

} // namespace kmission
