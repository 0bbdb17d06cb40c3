// A path compacted to a width: cut at separators with an ellipsis.
#include <gtest/gtest.h>

#include <string>

#include "host/pathfit.h"
#include "host/textops.h"

namespace ny::testing {
namespace {

// One unit per character, so the widths below count characters.
int Chars(std::string_view s) { return CharCount(s); }

TEST(FitPath, CutsWholeFoldersAfterTheRoot) {
    const struct {
        std::string path;
        int width;
        std::string shown;
    } cases[] = {
        {"C:\\Users\\王\\Music\\alarm.mp3", 100, "C:\\Users\\王\\Music\\alarm.mp3"},  // fits
        {"C:\\Users\\王\\Music\\alarm.mp3", 26, "C:\\Users\\王\\Music\\alarm.mp3"},   // exactly
        {"C:\\Users\\王\\Music\\alarm.mp3", 25, "C:\\…\\王\\Music\\alarm.mp3"},
        {"C:\\Users\\王\\Music\\alarm.mp3", 21, "C:\\…\\Music\\alarm.mp3"},
        {"C:\\Users\\王\\Music\\alarm.mp3", 19, "C:\\…\\alarm.mp3"},
        {"C:\\Users\\王\\Music\\alarm.mp3", 14, "C:\\…\\alarm.mp3"},
        {"C:\\Users\\王\\Music\\alarm.mp3", 11, "…\\alarm.mp3"},
        {"C:\\Users\\王\\Music\\alarm.mp3", 6, "alarm…"},
        {"C:\\Users\\王\\Music\\alarm.mp3", 2, "a…"},
        {"C:\\Users\\王\\Music\\alarm.mp3", 1, "…"},
        {"C:\\Users\\王\\Music\\alarm.mp3", 0, ""},
        // The default tone's path joins with '/'.
        {"Z:\\work\\Ny闹钟/alarm.mp3", 14, "Z:\\…/alarm.mp3"},
        {"\\\\server\\share\\tones\\bell.wav", 25, "\\\\server\\share\\…\\bell.wav"},
        {"\\tones\\deep\\bell.wav", 14, "\\…\\bell.wav"},
        {"tones\\deep\\bell.wav", 12, "…\\bell.wav"},
        // A long Chinese name is cut between characters, never inside one.
        {"D:\\铃声\\早上好起床啦.mp3", 5, "早上好起…"},
        {"早上好起床啦.mp3", 4, "早上好…"},
        {"早上好起床啦.mp3", 8, "早上好起床啦…"},  // not "啦.…"
        {"a b.mp3", 3, "a…"},
    };
    for (const auto& c : cases) {
        const std::string shown = FitPath(c.path, c.width, Chars);
        EXPECT_EQ(shown, c.shown) << c.path << " in " << c.width;
        EXPECT_LE(Chars(shown), c.width) << c.path << " in " << c.width;
    }
}

}  // namespace
}  // namespace ny::testing
