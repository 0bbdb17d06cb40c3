// The colours the windows are drawn in: the designs' own normally, only the
// theme's (in pairs meant to be read on each other) in high contrast.
#include <gtest/gtest.h>

#include "host/layout.h"

namespace ny::testing {
namespace {

constexpr Ctl kWindows[] = {Ctl::MainWindow, Ctl::CalendarWindow, Ctl::TimePickerWindow};

bool IsSys(const Paint& p, SysColour c) { return p.system && p.sys == c; }
bool IsRgb(const Paint& p, Rgb c) {
    return !p.system && p.rgb.r == c.r && p.rgb.g == c.g && p.rgb.b == c.b;
}

TEST(Colours, HighContrastUsesOnlyTheThemesPairs) {
    for (const ControlDesign& d : ControlDesigns())
        EXPECT_FALSE(TextOf(d, true).has_value()) << d.name << " keeps a colour of its own";
    for (Ctl w : kWindows) {
        const Paint g = GroundOf(WindowDesignOf(w), true);
        // What stands on a ground is drawn by the system in the text colour
        // that belongs to it: a window ground under buttons would not be.
        EXPECT_TRUE(IsSys(g, w == Ctl::CalendarWindow ? SysColour::Window : SysColour::ButtonFace))
            << static_cast<int>(w);
    }
    const GridPaints grid = GridColours(true);
    EXPECT_TRUE(IsSys(grid.ground, SysColour::Window));
    EXPECT_TRUE(IsSys(grid.text, SysColour::WindowText));
    EXPECT_TRUE(IsSys(grid.line, SysColour::GrayText));
    EXPECT_TRUE(IsSys(grid.chosenGround, SysColour::Highlight));
    EXPECT_TRUE(IsSys(grid.chosenText, SysColour::HighlightText));
    const ArrowPaints arrows = ArrowColours(true);
    EXPECT_TRUE(IsSys(arrows.ground, SysColour::ButtonFace));
    EXPECT_TRUE(IsSys(arrows.ink, SysColour::ButtonText));
}

TEST(Colours, WithoutHighContrastTheDesignsLookIsKept) {
    for (const ControlDesign& d : ControlDesigns()) {
        const auto text = TextOf(d, false);
        if (d.id == Ctl::版权) {
            ASSERT_TRUE(text.has_value());
            EXPECT_TRUE(IsRgb(*text, {255, 0, 0}));
        } else {
            EXPECT_FALSE(text.has_value()) << d.name;
        }
    }
    EXPECT_TRUE(IsSys(GroundOf(WindowDesignOf(Ctl::MainWindow), false), SysColour::ButtonFace));
    EXPECT_TRUE(IsRgb(GroundOf(WindowDesignOf(Ctl::CalendarWindow), false), {255, 255, 255}));
    EXPECT_TRUE(IsRgb(GroundOf(WindowDesignOf(Ctl::TimePickerWindow), false), {0, 136, 255}));
    const GridPaints grid = GridColours(false);
    EXPECT_TRUE(IsRgb(grid.ground, {255, 255, 255}));
    EXPECT_TRUE(IsRgb(grid.line, {192, 192, 192}));
    EXPECT_TRUE(IsSys(grid.text, SysColour::WindowText));
    EXPECT_TRUE(IsSys(grid.chosenGround, SysColour::Highlight));
    EXPECT_TRUE(IsSys(grid.chosenText, SysColour::HighlightText));
    const ArrowPaints arrows = ArrowColours(false);
    EXPECT_TRUE(IsRgb(arrows.ground, {236, 233, 216}));
    EXPECT_TRUE(IsRgb(arrows.ink, {0, 0, 0}));
}

}  // namespace
}  // namespace ny::testing
