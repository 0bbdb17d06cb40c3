// The tip over the main window's path control: it shows the whole path
// that the control itself shows compacted (pathtext.h), also while the
// control is disabled.
#include <windows.h>

#include <commctrl.h>

#include "platform/win32/win32_host.h"

namespace ny {

void Win32Host::addPathTip(const ControlDesign& d) {
    HWND main = hwndOf(d.window);
    if (!main) return;
    if (!pathTip_)
        pathTip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                   WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, main, nullptr,
                                   instance_, nullptr);
    if (!pathTip_) return;
    SendMessageW(pathTip_, TTM_SETMAXTIPWIDTH, 0, GetSystemMetrics(SM_CXSCREEN) / 2);
    // Which window a disabled control's mouse reaches differs between
    // systems: the control, its parent or the window beneath it.
    pathTipOn_ = {hwndOf(d.id), main};
    if (HWND tab = hwndOf(Ctl::选择夹1)) pathTipOn_.push_back(tab);
    for (HWND on : pathTipOn_) {
        TTTOOLINFOW ti{};
        ti.cbSize = sizeof ti;
        ti.uFlags = TTF_SUBCLASS;
        ti.hwnd = on;
        ti.uId = static_cast<UINT_PTR>(d.id);
        ti.lpszText = const_cast<wchar_t*>(L"");
        SendMessageW(pathTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    }
    placePathTip(d);
}

void Win32Host::placePathTip(const ControlDesign& d) {
    HWND h = hwndOf(d.id);
    if (!pathTip_ || !h) return;
    for (HWND on : pathTipOn_) {
        TTTOOLINFOW ti{};
        ti.cbSize = sizeof ti;
        ti.hwnd = on;
        ti.uId = static_cast<UINT_PTR>(d.id);
        GetWindowRect(h, &ti.rect);
        MapWindowPoints(nullptr, on, reinterpret_cast<POINT*>(&ti.rect), 2);
        SendMessageW(pathTip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&ti));
    }
}

void Win32Host::setPathTip(Ctl c, const std::wstring& text) {
    if (!pathTip_) return;
    for (HWND on : pathTipOn_) {
        TTTOOLINFOW ti{};
        ti.cbSize = sizeof ti;
        ti.hwnd = on;
        ti.uId = static_cast<UINT_PTR>(c);
        ti.lpszText = const_cast<wchar_t*>(text.c_str());
        SendMessageW(pathTip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
    }
}

}  // namespace ny
