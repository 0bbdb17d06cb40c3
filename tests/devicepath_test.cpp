// Ring-tone paths that name a device rather than a file.
#include <gtest/gtest.h>

#include <string>

#include "host/devicepath.h"

namespace ny::testing {
namespace {

TEST(DevicePath, DeviceNamesAndNamespacesAreTold) {
    const struct {
        const char* path;
        bool device;
    } cases[] = {
        {"CON", true},
        {"nul", true},
        {"Prn", true},
        {"aux", true},
        {"COM1", true},
        {"com9", true},
        {"LPT1", true},
        {"lpt9", true},
        {"COM1.mp3", true},
        {"nul.tar.mp3", true},
        {"C:\\Music\\COM3.mp3", true},
        {"D:/songs/aux.MP3", true},
        {"C:CON", true},
        {"COM1.", true},
        {"COM1 . ", true},
        {"con  .mp3", true},
        {"NUL:", true},
        {"CONIN$", true},
        {"conout$.mp3", true},
        {"COM\xC2\xB9", true},  // COM¹
        {"\\\\.\\COM1", true},
        {"\\\\.\\pipe\\ny", true},
        {"//./PhysicalDrive0", true},
        {"\\\\?\\GLOBALROOT\\Device\\Null", true},
        {"\\\\?\\globalroot\\Device\\Serial0", true},
        // Files
        {"", false},
        {"alarm.mp3", false},
        {"C:\\Music\\alarm.mp3", false},
        {"COM0", false},
        {"COM10", false},
        {"LPT", false},
        {"COM1x.mp3", false},
        {"CONSOLE.mp3", false},
        {"nulls.mp3", false},
        {"C:\\CON\\song.mp3", false},  // a folder of that name is not opened as the device
        {"my con.mp3", false},
        {"\\\\?\\C:\\Music\\alarm.mp3", false},
        {"\\\\server\\share\\alarm.mp3", false},
        {"C:\\闹钟\\起床.mp3", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsDevicePath(c.path), c.device) << c.path;
}

}  // namespace
}  // namespace ny::testing
