// The designs the windows are built from: the main window's controls stand
// on the tab control's own pages, and a control placed in a group box stands
// on the box's page (a page's controls are made together, when it is first
// shown).
#include <gtest/gtest.h>

#include <algorithm>

#include "host/layout.h"

namespace ny::testing {
namespace {

TEST(Layout, ControlsStandOnTheTabsOwnPages) {
    const ControlDesign* tab = FindDesign(Ctl::选择夹1);
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(std::count(tab->caption.begin(), tab->caption.end(), '|') + 1, kTabPages);
    int onPages[kTabPages] = {};
    for (const ControlDesign& d : ControlDesigns()) {
        ASSERT_GE(d.page, -1) << d.name;
        ASSERT_LT(d.page, kTabPages) << d.name;
        if (d.page < 0) continue;
        ++onPages[d.page];
        EXPECT_EQ(d.window, Ctl::MainWindow) << d.name;
        if (const ControlDesign* box = FindDesign(d.origin); box && box->kind == Kind::GroupBox)
            EXPECT_EQ(box->page, d.page) << d.name << " stands in " << box->name;
    }
    for (int page = 0; page < kTabPages; ++page) EXPECT_GT(onPages[page], 0) << "page " << page;
}

}  // namespace
}  // namespace ny::testing
