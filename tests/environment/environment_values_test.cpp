// The environment's rules without a widget: which node texts are keys, which
// nodes are values, and what a write-back changes.
#include "environment_fixtures.h"

#include <gtest/gtest.h>

namespace kmission {
namespace {

using test::InfoNodes;
using enum EnvironmentKey;

// Controls as a table of texts named "key.control#element".
class FakeControls : public EnvironmentControls {
public:
    void keyFound(EnvironmentKey) override {}
    void showValue(EnvironmentKey key, const ValueSlot& slot, std::string_view text) override {
        const std::string index = slot.index < 0 ? "" : "#" + std::to_string(slot.index);
        shown +=
            std::string(KeyText(key)) + "." + slot.control + index + "=" + std::string(text) + " ";
    }
    std::optional<std::string> editedValue(EnvironmentKey key, const ValueSlot&) const override {
        if (key == AmbientTemperature) {
            return std::nullopt;
        }
        return key == JetCeiling ? "wind" : "typed";
    }
    std::string shown; // "key.control=text " per value shown, in order
};

TEST(EnvironmentKeys, NodeTextsAreComparedAsEachKeyPrescribes) {
    // Texts that are the key, then texts that are not.
    const std::tuple<EnvironmentKey, std::vector<std::string>, std::vector<std::string>> cases[] = {
        {AmbientTemperature,
         {"ambient_temperature", "\t ambient_temperature "},
         {"Ambient_temperature"}},
        {JetCeiling, {"jet_ceiling"}, {"Jet_ceiling", "jet_ceilin"}},
        {Fog, {"fog", "fo\tg", "fo\x1fg", " fog  "}, {"Fog", "fogs", "fo", "fog \x7f", "f og"}},
        {Rain, {"Rain"}, {"rai\x01"}},
        {Wind, {"WIND"}, {"global_wind", "wind\x81"}},
        {GlobalWind, {"Global_Wind"}, {"global wind", ""}},
    };
    for (const auto& [key, keys, others] : cases) {
        for (const std::string& text : keys) {
            EXPECT_TRUE(MatchesKey(key, text)) << KeyText(key) << " \"" << text << "\"";
        }
        for (const std::string& text : others) {
            EXPECT_FALSE(MatchesKey(key, text)) << KeyText(key) << " \"" << text << "\"";
        }
    }
    EXPECT_EQ(EffectForListEntry("fog"), Fog);
    EXPECT_EQ(EffectForListEntry("global_wind"), GlobalWind);
    for (const char* other : {"Fog", "jet_ceiling", "ambient_temperature"}) {
        EXPECT_EQ(EffectForListEntry(other), std::nullopt) << other;
    }
    EXPECT_EQ(HorizonIndex("hormain"), 0);
    EXPECT_EQ(HorizonIndex("horblack"), 1);
    for (const char* other : {"HORMAIN", "hormain ", ""}) {
        EXPECT_EQ(HorizonIndex(other), -1) << other;
    }
}

// A key word heads a setting only when a list node follows it: a mission name
// or a value that reads as a key is no setting, nor is a key at the very end.
TEST(EnvironmentScan, KeysHeadSettingsOnlyBeforeAListNode) {
    InfoNodes info;
    info.setting("db_name", {"Rain"}, kNodeString).setting("weather", {"wind", "x"}, kNodeString);
    info.setting("ambient_temperature", {"4"}).text("SUN").text("fog");
    info.block(Sun, "SUN", {"1", "2", "3", "4", "5"}).text("wind");
    const std::vector<KeyMatch> expected = {{8, AmbientTemperature}, {13, Sun}};
    EXPECT_EQ(ScanEnvironment(info.nodes()), expected);
}

// Only the value nodes of the keys the load found are shown and written, and
// only where the nodes have the layout: not the values of a property whose
// list node miscounts them or that hold a list node, not the values cut off
// by the end of the entry, not a block that became one after the load. A
// typed text that reads as a key does not become one in the same pass. A key
// twice shows the later values and receives the edits twice.
TEST(EnvironmentWrite, OnlyValueNodesOfLoadedSettingsWhereTheLayoutHoldsChange) {
    InfoNodes info;
    info.setting("ambient_temperature", {"9"})
        .setting("jet_ceiling", {"7000"})
        .list(2)
        .text("b")
        .list(2);
    info.text("rain").list(3).text("particles").list(3).node(kNodeInteger, "300"); // counts two
    info.setting("color", {"1", "2", "3"});
    info.text("sun").list(4).text("orientation").list(4).number("7").list(2).number("8");
    info.setting("diffuse", {"0.5"});
    info.block(Wind, "wind", {"701", "702", "703", "704", "705"})
        .block(Wind, "WIND", {"71", "72", "73", "74", "75"});
    info.block(GlobalWind, "global_wind_", {"81", "82", "83", "84", "85", "86"});
    info.block(Underwater, "underwater", {"61", "62", "63", "64", "65", "66", "67"});
    NodeList nodes = info.nodes();
    nodes.resize(nodes.size() - 5); // ends with range 1
    FakeControls controls;
    const EnvironmentKeySet found = LoadEnvironment(nodes, controls);
    EXPECT_EQ(controls.shown,
              "ambient_temperature.txtAmbientTemperature=9 jet_ceiling.txtJetCeiling=7000 "
              "rain.txtRed=1 rain.txtGreen=2 rain.txtBlue=3 "
              "sun.txtDiffuse=0.5 wind.txtDir=701 wind.txtVelocity=702 wind.txtGravity=703 "
              "wind.txtAlphagradient1=704 wind.txtAlphagradient2=705 wind.txtDir=71 "
              "wind.txtVelocity=72 wind.txtGravity=73 wind.txtAlphagradient1=74 "
              "wind.txtAlphagradient2=75 underwater.txtRed=61 underwater.txtGreen=62 "
              "underwater.txtBlue=63 underwater.txtRange1=64 ");

    nodes[test::NodeHolding(nodes, "global_wind_")].setText("global_wind");
    NodeList expected = test::Edited(nodes, {{"7000", "wind"}});
    for (const char* text : {"1", "2", "3", "0.5", "701", "702", "703", "704", "705", "71", "72",
                             "73", "74", "75", "61", "62", "63", "64"}) {
        expected[test::NodeHolding(nodes, text)].setText("typed");
    }
    WriteEnvironment(nodes, controls, found);
    EXPECT_EQ(nodes, expected);
}

} // namespace
} // namespace kmission
