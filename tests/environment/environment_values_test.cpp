#include "environment_values.h"

#include "environment_fixtures.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

namespace kmission {
namespace {

using test::InfoNodes;

// Controls as a table: (key, control, element) -> text.
class FakeControls : public EnvironmentControls {
public:
    using Id = std::tuple<EnvironmentKey, std::string, int>;

    void keyFound(EnvironmentKey) override {}
    void showValue(EnvironmentKey key, const ValueSlot& slot, std::string_view text) override {
        shown[{key, slot.control, slot.index}] = text;
    }
    std::optional<std::string> editedValue(EnvironmentKey key,
                                           const ValueSlot& slot) const override {
        const auto it = edited.find({key, slot.control, slot.index});
        if (it == edited.end()) {
            return std::nullopt;
        }
        return it->second;
    }

    std::map<Id, std::string> shown;
    std::map<Id, std::string> edited;
};

TEST(EnvironmentKeys, NodeTextsAreComparedAsEachKeyPrescribes) {
    struct Case {
        EnvironmentKey key;
        std::string text;
        bool matches;
    };
    const Case cases[] = {
        {EnvironmentKey::AmbientTemperature, "ambient_temperature", true},
        {EnvironmentKey::AmbientTemperature, "Ambient_temperature", false},
        {EnvironmentKey::AmbientTemperature, "  ambient_temperature ", true},
        {EnvironmentKey::JetCeiling, "jet_ceiling", true},
        {EnvironmentKey::JetCeiling, "Jet_ceiling", false},
        {EnvironmentKey::Fog, "fog", true},
        {EnvironmentKey::Fog, "Fog", false},
        {EnvironmentKey::Fog, "FOG", false},
        {EnvironmentKey::Fog, "fo\tg", true}, // control characters are dropped
        {EnvironmentKey::Fog, "fogs", false},
        {EnvironmentKey::Rain, "RAIN", true},
        {EnvironmentKey::Rain, "Rain ", true},
        {EnvironmentKey::Rain, "ra in", false},
        {EnvironmentKey::Sun, "Sun", true},
        {EnvironmentKey::Sun, "sunny", false},
        {EnvironmentKey::Underwater, "UnderWater", true},
        {EnvironmentKey::Wind, "WIND", true},
        {EnvironmentKey::Wind, "global_wind", false},
        {EnvironmentKey::GlobalWind, "Global_Wind", true},
        {EnvironmentKey::GlobalWind, "global wind", false},
        {EnvironmentKey::GlobalWind, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(KeyText(c.key)) + " against \"" + c.text + "\"");
        EXPECT_EQ(MatchesKey(c.key, c.text), c.matches);
    }
}

TEST(EnvironmentKeys, ListEntriesNameOnlyTheSixEffects) {
    EXPECT_EQ(EffectForListEntry("fog"), EnvironmentKey::Fog);
    EXPECT_EQ(EffectForListEntry("global_wind"), EnvironmentKey::GlobalWind);
    EXPECT_EQ(EffectForListEntry("underwater"), EnvironmentKey::Underwater);
    EXPECT_EQ(EffectForListEntry("Fog"), std::nullopt);
    EXPECT_EQ(EffectForListEntry("jet_ceiling"), std::nullopt);
    EXPECT_EQ(EffectForListEntry("ambient_temperature"), std::nullopt);
}

TEST(EnvironmentKeys, HorizonTextsSelectOnlyWhenExact) {
    EXPECT_EQ(HorizonIndex("hormain"), 0);
    EXPECT_EQ(HorizonIndex("horblack"), 1);
    EXPECT_EQ(HorizonIndex("HORMAIN"), -1);
    EXPECT_EQ(HorizonIndex("hormain "), -1);
    EXPECT_EQ(HorizonIndex(""), -1);
}

// A key word heads a setting only when a list node follows it: a mission
// name or a value that reads as a key is no setting.
TEST(EnvironmentScan, KeysHeadSettingsOnlyBeforeAListNode) {
    InfoNodes info;
    info.setting("db_name", {"Rain"}, kNodeString);
    info.setting("weather", {"wind", "calm"}, kNodeString);
    info.setting("ambient_temperature", {"4"});
    info.text("SUN").text("fog");
    SunBlock(info, "SUN", {"1", "2", "3"}, "4", "5");
    info.text("wind");

    const std::vector<KeyMatch> expected = {
        {8, EnvironmentKey::AmbientTemperature},
        {13, EnvironmentKey::Sun},
    };
    EXPECT_EQ(ScanEnvironment(info.nodes()), expected);
}

// A property whose list node does not count its values, or whose values hold
// a list node, is not where the layout puts it: nothing of it is shown or
// written, while the block's other properties are.
TEST(EnvironmentWrite, MisshapenPropertiesAreNeitherShownNorWritten) {
    InfoNodes info;
    info.text("rain").list(3);
    info.text("particles").list(3).node(kNodeInteger, "300"); // counts two values
    info.setting("color", {"1", "2", "3"});
    info.text("sun").list(4).text("orientation").list(4);
    info.number("7").list(2).number("9"); // a list node among the values
    info.setting("diffuse", {"0.5"});
    const NodeList original = info.nodes();

    FakeControls controls;
    const EnvironmentKeySet found = LoadEnvironment(original, controls);
    const std::map<FakeControls::Id, std::string> shown = {
        {{EnvironmentKey::Rain, "txtRed", -1}, "1"},
        {{EnvironmentKey::Rain, "txtGreen", -1}, "2"},
        {{EnvironmentKey::Rain, "txtBlue", -1}, "3"},
        {{EnvironmentKey::Sun, "txtDiffuse", -1}, "0.5"},
    };
    EXPECT_EQ(controls.shown, shown);

    for (EnvironmentKey key : {EnvironmentKey::Rain, EnvironmentKey::Sun}) {
        for (const ValueSlot& slot : ValueSlots(key)) {
            controls.edited[{key, slot.control, slot.index}] = "typed";
        }
    }
    NodeList nodes = original;
    WriteEnvironment(nodes, controls, found);
    NodeList expected = original;
    for (const auto& [id, text] : shown) {
        expected[test::NodeHolding(original, text)].setText("typed");
    }
    EXPECT_EQ(test::NodeDifferences(nodes, expected), "");
}

// No control is ever fed from, or writes into, anything but a value node of
// its block: names and list nodes stay as they are whatever the user types.
TEST(EnvironmentWrite, OnlyValueNodesOfTheBlocksChange) {
    const NodeList original = test::FullEnvironment().nodes();
    FakeControls controls;
    const EnvironmentKeySet found = LoadEnvironment(original, controls);
    ASSERT_TRUE(found.all());
    for (const auto& [id, text] : controls.shown) {
        controls.edited[id] = std::get<1>(id) == kHorizonControl ? "hormain" : "typed";
    }
    NodeList nodes = original;
    WriteEnvironment(nodes, controls, found);

    ASSERT_EQ(nodes.size(), original.size());
    int changed = 0;
    for (std::size_t k = 0; k < nodes.size(); ++k) {
        SCOPED_TRACE("node " + std::to_string(k) + " \"" + std::string(original[k].text()) + "\"");
        EXPECT_EQ(nodes[k].type(), original[k].type());
        EXPECT_EQ(nodes[k].length(), original[k].length());
        if (nodes[k].text() != original[k].text()) {
            ++changed;
            EXPECT_NE(original[k].type(), kNodeList);
            EXPECT_TRUE(nodes[k].text() == "typed" || nodes[k].text() == "hormain");
        }
    }
    EXPECT_EQ(changed, static_cast<int>(controls.shown.size()));
    EXPECT_EQ(nodes[test::NodeHolding(original, "db_name") + 2].text(), "Storm Front");
}

// The keys are found before anything is written: a typed text equal to a key
// does not turn the nodes after it into that key's values.
TEST(EnvironmentWrite, TypedTextsDoNotBecomeKeysInTheSamePass) {
    InfoNodes info;
    info.setting("ambient_temperature", {"4"});
    info.text("a").list(2).text("b").text("c").list(2).text("d").text("e");
    WindBlock(info, "wind", "1", "2", "3", {"4", "5"});
    NodeList nodes = info.nodes();
    FakeControls controls;
    controls.edited[{EnvironmentKey::AmbientTemperature, "txtAmbientTemperature", -1}] = "wind";
    controls.edited[{EnvironmentKey::Wind, "txtDir", -1}] = "90";
    EnvironmentKeySet loaded;
    loaded.set(KeyIndex(EnvironmentKey::AmbientTemperature)).set(KeyIndex(EnvironmentKey::Wind));
    WriteEnvironment(nodes, controls, loaded);

    NodeList expected = info.nodes();
    expected[3].setText("wind");
    expected[test::NodeHolding(info.nodes(), "1")].setText("90");
    EXPECT_EQ(nodes, expected);
}

} // namespace
} // namespace kmission
