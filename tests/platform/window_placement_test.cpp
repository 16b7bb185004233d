#include "window_placement.h"

#include <gtest/gtest.h>

namespace kmission::platform {
namespace {

TEST(WindowPlacementTest, BesideTheAnchorWhereTheScreenHasRoom) {
    const QRect screen(0, 0, 1000, 800);
    const QSize frame(200, 300);
    struct Case {
        const char* name;
        QRect anchor;
        QPoint corner;
    };
    const Case cases[] = {
        {"right", {100, 100, 200, 340}, {300, 100}},
        {"below_when_the_right_is_full", {700, 100, 200, 340}, {700, 440}},
        {"left_when_right_and_below_are_full", {700, 400, 200, 340}, {500, 400}},
        {"right_and_back_onto_the_screen_without_room", {100, 300, 850, 450}, {800, 300}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PlaceBeside(c.anchor, frame, screen), c.corner);
    }
}

} // namespace
} // namespace kmission::platform
