#include "effect_dialog.h"

#include "qt_test_application.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTest>

#include <memory>

namespace kmission {
namespace {

using test::TestApplication;

void ProcessDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

struct WindowCase {
    EnvironmentKey effect;
    const char* name;
    const char* caption;
    QSize client; // pixels at 15 twips each
};

const WindowCase kWindows[] = {
    {EnvironmentKey::Fog, "frmPropFog", "Fog Properties", {206, 252}},
    {EnvironmentKey::Rain, "frmPropRain", "Rain Properties", {202, 103}},
    {EnvironmentKey::Sun, "frmPropSun", "Sun Properties", {164, 211}},
    {EnvironmentKey::Underwater, "frmPropUnderwater", "Underwater Properties", {218, 156}},
    {EnvironmentKey::Wind, "frmPropWind", "Wind Properties", {157, 202}},
    {EnvironmentKey::GlobalWind, "frmPropGlobalWind", "Global Wind Properties", {176, 231}},
};

TEST(EffectDialog, WindowsHaveTheirCaptionsFixedSizesAndACloseButton) {
    TestApplication();
    const bool closing = false;
    for (const WindowCase& w : kWindows) {
        SCOPED_TRACE(w.name);
        EffectDialog dialog(EffectDialogLayout(w.effect), closing, nullptr);
        EXPECT_EQ(dialog.objectName(), w.name);
        EXPECT_EQ(dialog.windowTitle(), w.caption);
        EXPECT_EQ(dialog.size(), w.client);
        EXPECT_EQ(dialog.minimumSize(), w.client);
        EXPECT_EQ(dialog.maximumSize(), w.client);
        EXPECT_TRUE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
        EXPECT_FALSE(dialog.windowFlags() & Qt::WindowMinMaxButtonsHint);
        EXPECT_FALSE(dialog.isModal());
        EXPECT_TRUE(dialog.findChildren<QAbstractButton*>().isEmpty());
    }
}

// What the user reads beside the boxes, and where some of it stands.
TEST(EffectDialog, LabelsCarryTheirCaptions) {
    TestApplication();
    struct LabelCase {
        EnvironmentKey effect;
        const char* name;
        int index;
        const char* caption;
        QRect geometry;
    };
    const LabelCase cases[] = {
        {EnvironmentKey::Fog, "lblColor", -1, "Color:", {12, 4, 41, 13}},
        {EnvironmentKey::Fog, "lblHWRange", -1, "HWRange:", {16, 156, 61, 13}},
        {EnvironmentKey::Fog, "lblHorizon", -1, "Horizon:", {16, 204, 53, 13}},
        {EnvironmentKey::Rain, "lblParticles", -1, "Particles:", {12, 48, 61, 13}},
        {EnvironmentKey::Rain, "lblB", -1, "B:", {136, 28, 17, 21}},
        {EnvironmentKey::Sun, "lblOrientation", -1, "Orientation:", {8, 8, 65, 17}},
        {EnvironmentKey::Sun, "lblsuno1", 2, "3 -", {24, 80, 25, 13}},
        {EnvironmentKey::Sun, "lblDiffuse", -1, "Diffuse:", {8, 108, 49, 17}},
        {EnvironmentKey::Sun, "lblAmbient", -1, "Ambient:", {8, 144, 49, 17}},
        {EnvironmentKey::Underwater, "lblAltitude", -1, "Altitude:", {16, 52, 61, 13}},
        {EnvironmentKey::Underwater, "lblRange", -1, "Range:", {16, 100, 61, 13}},
        {EnvironmentKey::Wind, "lblDir", -1, "Direction:", {8, 4, 49, 17}},
        {EnvironmentKey::Wind, "lblAlpha_gradient", -1, "Alpha Gradient:", {8, 116, 93, 17}},
        {EnvironmentKey::GlobalWind, "lblgwindv1", 0, "1 -", {24, 28, 25, 13}},
        {EnvironmentKey::GlobalWind, "lblMaxSpeed", -1, "Max Speed:", {8, 96, 65, 17}},
        {EnvironmentKey::GlobalWind,
         "lblRandomAccel",
         -1,
         "Random Acceleration:",
         {8, 136, 125, 17}},
        {EnvironmentKey::GlobalWind,
         "lblRandomAngVel",
         -1,
         "Random Angle Velocity:",
         {8, 172, 125, 17}},
    };
    const bool closing = false;
    for (const LabelCase& c : cases) {
        SCOPED_TRACE(std::string(KeyText(c.effect)) + "." + c.name);
        EffectDialog dialog(EffectDialogLayout(c.effect), closing, nullptr);
        auto* label = qobject_cast<QLabel*>(dialog.control(c.name, c.index));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), c.caption);
        EXPECT_EQ(label->geometry(), c.geometry);
    }
}

// Every control a value is loaded into exists in its dialog as a text box,
// apart from the horizon choice.
TEST(EffectDialog, EveryValueHasItsControl) {
    TestApplication();
    const bool closing = false;
    for (EnvironmentKey effect : kEffectKeys) {
        EffectDialog dialog(EffectDialogLayout(effect), closing, nullptr);
        for (const ValueSlot& slot : ValueSlots(effect)) {
            SCOPED_TRACE(std::string(KeyText(effect)) + "." + slot.control);
            QWidget* control = dialog.control(slot.control, slot.index);
            ASSERT_NE(control, nullptr);
            if (slot.control == std::string(kHorizonControl)) {
                EXPECT_NE(qobject_cast<QComboBox*>(control), nullptr);
            } else {
                auto* box = qobject_cast<QLineEdit*>(control);
                ASSERT_NE(box, nullptr);
                EXPECT_TRUE(box->text().isEmpty());
                EXPECT_FALSE(box->isReadOnly());
            }
        }
    }
}

TEST(EffectDialog, ControlArraysShareTheirNameWithIndexedElements) {
    TestApplication();
    const bool closing = false;
    const std::pair<EnvironmentKey, const char*> arrays[] = {
        {EnvironmentKey::Sun, "txtSunOrientation"},
        {EnvironmentKey::Sun, "lblsuno1"},
        {EnvironmentKey::GlobalWind, "txtGWindVel"},
        {EnvironmentKey::GlobalWind, "lblgwindv1"},
    };
    for (const auto& [effect, name] : arrays) {
        SCOPED_TRACE(name);
        EffectDialog dialog(EffectDialogLayout(effect), closing, nullptr);
        const QList<QWidget*> elements = dialog.findChildren<QWidget*>(name);
        ASSERT_EQ(elements.size(), 3);
        for (int i = 0; i < 3; ++i) {
            QWidget* element = dialog.control(name, i);
            ASSERT_NE(element, nullptr);
            EXPECT_EQ(element->property("index").toInt(), i);
        }
        // Elements stand one under the other, 360 twips apart.
        EXPECT_EQ(dialog.control(name, 1)->y() - dialog.control(name, 0)->y(), 24);
        EXPECT_EQ(dialog.control(name, 2)->y() - dialog.control(name, 1)->y(), 24);
        EXPECT_EQ(dialog.control(name), nullptr);
    }
}

TEST(EffectDialog, DashesStandBetweenTheBoxesOfTwoValueRows) {
    TestApplication();
    const bool closing = false;
    struct RowCase {
        EnvironmentKey effect;
        const char* line;
        const char* left;
        const char* right;
    };
    const RowCase rows[] = {
        {EnvironmentKey::Fog, "Line1", "txtAltitude1", "txtAltitude2"},
        {EnvironmentKey::Fog, "Line2", "txtRange1", "txtRange2"},
        {EnvironmentKey::Fog, "Line3", "txtHWRange1", "txtHWRange2"},
        {EnvironmentKey::Underwater, "Line1", "txtAltitude1", "txtAltitude2"},
        {EnvironmentKey::Underwater, "Line2", "txtRange1", "txtRange2"},
    };
    for (const RowCase& row : rows) {
        SCOPED_TRACE(std::string(KeyText(row.effect)) + "." + row.line);
        EffectDialog dialog(EffectDialogLayout(row.effect), closing, nullptr);
        auto* line = qobject_cast<QFrame*>(dialog.control(row.line));
        ASSERT_NE(line, nullptr);
        EXPECT_EQ(line->frameShape(), QFrame::HLine);
        EXPECT_EQ(line->width(), 28); // 420 twips
        const QRect left = dialog.control(row.left)->geometry();
        const QRect right = dialog.control(row.right)->geometry();
        EXPECT_GT(line->x(), left.right());
        EXPECT_LT(line->geometry().right(), right.left());
        EXPECT_GT(line->y(), left.top());
        EXPECT_LT(line->y(), left.bottom());
    }
    EffectDialog wind(EffectDialogLayout(EnvironmentKey::Wind), closing, nullptr);
    EXPECT_EQ(wind.control("Line1"), nullptr);
}

TEST(EffectDialog, HorizonChoiceOffersTwoModesAndStartsUnselected) {
    TestApplication();
    const bool closing = false;
    EffectDialog fog(EffectDialogLayout(EnvironmentKey::Fog), closing, nullptr);
    auto* combo = qobject_cast<QComboBox*>(fog.control("Combo1"));
    ASSERT_NE(combo, nullptr);
    EXPECT_FALSE(combo->isEditable());
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->itemText(0), "hormain");
    EXPECT_EQ(combo->itemText(1), "horblack");
    EXPECT_EQ(combo->currentIndex(), -1);
    EXPECT_EQ(combo->geometry(), QRect(20, 220, 177, 21));
}

TEST(EffectDialog, ClosingOnlyHidesUntilTheEnvironmentCloses) {
    TestApplication();
    bool closing = false;
    QPointer<EffectDialog> dialog =
        new EffectDialog(EffectDialogLayout(EnvironmentKey::Rain), closing, nullptr);
    dialog->show();
    auto* particles = qobject_cast<QLineEdit*>(dialog->control("txtParticles"));
    QTest::keyClicks(particles, "250");

    EXPECT_FALSE(dialog->close());
    ProcessDeletes();
    ASSERT_FALSE(dialog.isNull());
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(particles->text(), "250");

    dialog->show();
    QTest::keyClick(particles, Qt::Key_Escape);
    ProcessDeletes();
    ASSERT_FALSE(dialog.isNull());
    EXPECT_TRUE(dialog->isVisible()) << "only the close box dismisses it";

    closing = true;
    EXPECT_TRUE(dialog->close());
    ProcessDeletes();
    EXPECT_TRUE(dialog.isNull());
}

} // namespace
} // namespace kmission
