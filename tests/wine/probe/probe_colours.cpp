// Colours as they reach the screen, and the system's theme and high
// contrast switched and announced as the system does.

#include "probe_commands.h"
#include "probe_common.h"

#include <cstdio>
#include <string>

namespace probe {

// How many pixels of a control's rectangle on the screen are exactly the
// colour "R,G,B" (a control of a popup: the popup must be open).
int CmdColours(const std::string& name, const std::string& rgb) {
    const ny::ControlDesign* d = nullptr;
    HWND h = DesignedControl(name, &d);
    if (!d) return 2;
    int r = 0, g = 0, b = 0;
    if (!h || std::sscanf(rgb.c_str(), "%d,%d,%d", &r, &g, &b) != 3) {
        Out("BAD control or colour");
        return 2;
    }
    RECT rc;
    GetWindowRect(h, &rc);
    const int w = rc.right - rc.left, ht = rc.bottom - rc.top;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -ht;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, ht, screen, rc.left, rc.top, SRCCOPY);
    GdiFlush();
    const DWORD want = DWORD(r) << 16 | DWORD(g) << 8 | DWORD(b);
    long count = 0;
    for (long i = 0; bits && i < long(w) * ht; ++i)
        if ((static_cast<const DWORD*>(bits)[i] & 0xFFFFFF) == want) ++count;
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    Out("count=" + std::to_string(count));
    Out("of=" + std::to_string(long(w) * ht));
    return 0;
}

// Asks the system to switch its high-contrast theme on or off, as the
// accessibility settings do, and reports what it says afterwards. (Wine 8
// refuses: SPI_SETHIGHCONTRAST is not implemented there.)
int CmdHighContrast(const std::string& onOff) {
    HIGHCONTRASTW hc{};
    hc.cbSize = sizeof hc;
    hc.dwFlags = onOff == "on" ? HCF_HIGHCONTRASTON : 0;
    SystemParametersInfoW(SPI_SETHIGHCONTRAST, sizeof hc, &hc, SPIF_SENDCHANGE);
    HIGHCONTRASTW now{};
    now.cbSize = sizeof now;
    const bool on = SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof now, &now, 0) &&
                    (now.dwFlags & HCF_HIGHCONTRASTON);
    Out(std::string("high_contrast=") + (on ? "1" : "0"));
    return 0;
}

// What the system sends every top-level window when the theme's colours
// change or high contrast goes on or off, sent to the program's windows.
int CmdThemeChanged() {
    const DWORD pid = PidOf(MainOrDie());
    int told = 0;
    for (HWND h : TopLevelWindows()) {
        if (PidOf(h) != pid) continue;
        DWORD_PTR res = 0;
        SendMessageTimeoutW(h, WM_SYSCOLORCHANGE, 0, 0, SMTO_NORMAL, 5000, &res);
        SendMessageTimeoutW(h, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0, SMTO_NORMAL, 5000, &res);
        ++told;
    }
    Out("told=" + std::to_string(told));
    return 0;
}

}  // namespace probe
