// Window placement on the frame: the rules, and the whole frame kept on the part of the screen
// windows may take, whatever margins the window manager adds.
#include "platform/screen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>

#include "support/reset_all.h"

namespace tolvi::platform {
namespace {

bool Inside(const Rect& r, const Rect& area) {
    return r.left >= area.left && r.top >= area.top && r.left + r.width <= area.left + area.width &&
           r.top + r.height <= area.top + area.height;
}

std::string Text(const Rect& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.width) + "x" +
           std::to_string(r.height);
}

TEST(MovedInside, MovesOnlyAsFarAsItMustAndKeepsTheCornerOfALargerFrame) {
    const Rect area{0, 40, 1024, 728};
    struct Case {
        Rect frame, want;
    };
    const Case cases[] = {
        {{100, 100, 200, 100}, {100, 100, 200, 100}}, {{900, 100, 200, 100}, {824, 100, 200, 100}},
        {{-5, -20, 200, 100}, {0, 40, 200, 100}},     {{100, 700, 200, 100}, {100, 668, 200, 100}},
        {{300, 300, 1100, 800}, {0, 40, 1100, 800}},
    };
    for (const Case& c : cases) EXPECT_TRUE(MovedInside(c.frame, area) == c.want) << Text(c.frame);
}

// Every placement the program uses, on the two screens and with frames such as window managers
// draw: the whole frame on the available area, and the places the rules give.
TEST(PlaceInside, EveryPlacementKeepsTheWholeFrameOnTheScreen) {
    const ScreenArea screens[] = {
        {{0, 0, 1024, 768}, {0, 0, 1024, 768}},
        {{0, 0, 1920, 1080}, {0, 0, 1920, 1048}},  // a panel along the bottom
        {{0, 0, 1024, 768}, {0, 32, 1024, 736}},   // a panel along the top
    };
    const Margins frames[] = {{0, 0, 0, 0}, {2, 21, 2, 2}, {4, 30, 4, 4}};
    const Size none{0, 0}, any{INT_MAX / 4, INT_MAX / 4};
    struct Case {
        const char* name;
        FramePlacement placement;
        Size inside, minimum;
    };
    const Case cases[] = {
        {"message box", CentredOnScreen(), {420, 140}, none},
        {"file dialog", CentredOnScreen(), {640, 420}, {400, 300}},
        {"setup dialog", CentredOnScreen(), {874, 677}, {874, 677}},
        {"input box at the bar's corner", AtScreenPoint(0, 0), {480, 130}, {480, 130}},
        {"hierarchy browser", AtScreenPoint(0, 21), {720, 420}, {720, 420}},
        {"help window at start-up", InScreenFractions(0, 85, 1025, 935), {600, 500}, none},
        {"help window beside the work", InScreenFractions(600, 150, 400, 800), {600, 500}, none},
        {"too large to shrink", CentredOnScreen(), {1100, 900}, {1100, 900}},
    };
    for (const ScreenArea& screen : screens) {
        const Rect& area = screen.available;
        for (const Margins& m : frames) {
            for (const Case& c : cases) {
                SCOPED_TRACE(std::string(c.name) + " on " + Text(area) + " margins " +
                             std::to_string(m.left) + "," + std::to_string(m.top));
                const Rect in = PlaceInside(c.placement, c.inside, m, screen, c.minimum, any);
                const Rect frame{in.left - m.left, in.top - m.top, in.width + m.left + m.right,
                                 in.height + m.top + m.bottom};
                EXPECT_GE(in.width, c.minimum.width);
                EXPECT_GE(in.height, c.minimum.height);
                if (c.minimum.width + m.left + m.right > area.width ||
                    c.minimum.height + m.top + m.bottom > area.height) {
                    // Cannot fit: its caption at the area's corner.
                    EXPECT_EQ(frame.left, area.left);
                    EXPECT_EQ(frame.top, area.top);
                    continue;
                }
                EXPECT_TRUE(Inside(frame, area)) << Text(frame);
                const std::string name = c.name;
                if (name == "message box" || name == "file dialog" || name == "setup dialog") {
                    EXPECT_NEAR(frame.left + frame.width / 2.0, area.left + area.width / 2.0, 1);
                    EXPECT_NEAR(frame.top + frame.height / 2.0, area.top + area.height / 2.0, 1);
                } else if (name == "help window at start-up") {
                    EXPECT_EQ(frame.left, area.left);
                    EXPECT_EQ(frame.width, area.width);
                    EXPECT_EQ(frame.height, 935 * screen.whole.height / 1024);
                    // Moved down below a panel at the top, up above one at the bottom.
                    EXPECT_EQ(frame.top, std::clamp(85 * screen.whole.height / 1024, area.top,
                                                    area.top + area.height - frame.height));
                } else if (name == "help window beside the work") {
                    EXPECT_TRUE(frame ==
                                (Rect{600 * screen.whole.width / 1024, 150 * screen.whole.height / 1024,
                                      400 * screen.whole.width / 1024, 800 * screen.whole.height / 1024}));
                } else if (name == "input box at the bar's corner" || name == "hierarchy browser") {
                    EXPECT_EQ(frame.left, area.left);
                    EXPECT_EQ(frame.top, std::max(area.top, name == "hierarchy browser" ? 21 : 0));
                }
            }
        }
    }
}

TEST(PlaceInside, KeepsTheWindowsBoundsAndShrinksOnlyToTheArea) {
    const ScreenArea screen{{0, 0, 1024, 768}, {0, 0, 1024, 768}};
    const Margins m{2, 21, 2, 2};
    const Size any{INT_MAX / 4, INT_MAX / 4};
    // A window larger than the area is made as small as the area leaves, no smaller than its
    // minimum; a placement asking for a size gets it within the maximum.
    EXPECT_TRUE(PlaceInside(CentredOnScreen(), {1200, 900}, m, screen, {300, 200}, any) ==
                (Rect{2, 21, 1020, 745}));
    EXPECT_TRUE(PlaceInside(CentredOnScreen(), {1200, 900}, m, screen, {1100, 200}, any) ==
                (Rect{2, 21, 1100, 745}));
    EXPECT_TRUE(PlaceInside(InScreenFractions(0, 0, 512, 512), {100, 100}, m, screen, {0, 0}, {300, 300}) ==
                (Rect{2, 21, 300, 300}));
}

// A placement test that a failed assertion stops leaves its fake screen set: the reset before
// every test puts the real one back.
TEST(OverrideScreen, TheResetBeforeEachTestPutsTheRealScreenBack) {
    const ScreenArea real = PrimaryScreen();
    const ScreenArea fake{{0, 0, 333, 222}, {0, 20, 333, 202}};
    ASSERT_FALSE(real.whole == fake.whole);
    OverrideScreen(&fake);
    ASSERT_TRUE(PrimaryScreen().whole == fake.whole);
    test::ResetAllState();
    EXPECT_TRUE(PrimaryScreen().whole == real.whole) << Text(PrimaryScreen().whole);
    EXPECT_TRUE(PrimaryScreen().available == real.available) << Text(PrimaryScreen().available);
}

}  // namespace
}  // namespace tolvi::platform
