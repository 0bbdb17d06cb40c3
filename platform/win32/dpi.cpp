#include "platform/win32/dpi.h"

namespace ny {

namespace {

// Newer than the oldest Windows the program runs on: looked up, not linked.
template <typename F>
F User32(const char* name) {
    return reinterpret_cast<F>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

}  // namespace

int SystemDpi() {
    static const int dpi = [] {
        using GetDpiForSystemFn = UINT(WINAPI*)();
        if (auto f = User32<GetDpiForSystemFn>("GetDpiForSystem"))
            if (const UINT d = f()) return static_cast<int>(d);
        HDC screen = GetDC(nullptr);
        const int d = screen ? GetDeviceCaps(screen, LOGPIXELSY) : kDesignDpi;
        if (screen) ReleaseDC(nullptr, screen);
        return d > 0 ? d : kDesignDpi;
    }();
    return dpi;
}

int DpiOfWindow(HWND hwnd) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto f = User32<GetDpiForWindowFn>("GetDpiForWindow");
    if (f && hwnd)
        if (const UINT d = f(hwnd)) return static_cast<int>(d);
    return SystemDpi();
}

}  // namespace ny
