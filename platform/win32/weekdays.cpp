// The small dialog of 自定义…: a check box for each weekday, 确定 and 取消.
// Built from a template in memory, so the system's dialog manager gives it
// the dialog font, keyboard handling (Tab, Space, Enter, Esc) and DPI scaling.
#include <windows.h>

#include <array>
#include <cstring>
#include <vector>

#include "platform/win32/win32_host.h"
#include "platform/win32/wstr.h"

namespace ny {

namespace {

constexpr int kDays = 7;
constexpr WORD kFirstDayId = 100;
constexpr wchar_t kTitle[] = L"自定义重复";
constexpr std::array<const wchar_t*, kDays> kDayNames = {L"周一", L"周二", L"周三", L"周四",
                                                         L"周五", L"周六", L"周日"};
// Layout in dialog units.
constexpr short kMargin = 7, kBoxW = 30, kBoxH = 10, kGap = 4, kButtonW = 50, kButtonH = 14;
constexpr short kWidth = 2 * kMargin + kDays * kBoxW + (kDays - 1) * kGap;
constexpr short kButtonsY = kMargin + kBoxH + 12;
constexpr short kHeight = kButtonsY + kButtonH + kMargin;
// The predefined control classes of a dialog template.
constexpr WORD kButtonClass = 0x0080;

// A DLGTEMPLATE and its items, DWORD-aligned as the system wants them.
class Template {
public:
    void header(DWORD style, short items, short cx, short cy, const wchar_t* title) {
        DLGTEMPLATE t{};
        t.style = style;
        t.cdit = items;
        t.cx = cx;
        t.cy = cy;
        put(&t, sizeof t);
        word(0);  // no menu
        word(0);  // the dialog class
        text(title);
        word(9);  // point size of DS_SETFONT
        text(L"MS Shell Dlg");
    }
    void item(DWORD style, short x, short y, short cx, short cy, WORD id, const wchar_t* title) {
        align();
        DLGITEMTEMPLATE i{};
        i.style = style | WS_CHILD | WS_VISIBLE;
        i.x = x;
        i.y = y;
        i.cx = cx;
        i.cy = cy;
        i.id = id;
        put(&i, sizeof i);
        word(0xFFFF);
        word(kButtonClass);
        text(title);
        word(0);  // no creation data
    }
    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(bytes_.data()); }

private:
    void put(const void* p, size_t n) {
        const auto* b = static_cast<const unsigned char*>(p);
        bytes_.insert(bytes_.end(), b, b + n);
    }
    void word(WORD w) { put(&w, sizeof w); }
    void text(const wchar_t* s) { put(s, (std::wcslen(s) + 1) * sizeof(wchar_t)); }
    void align() {
        while (bytes_.size() % sizeof(DWORD)) bytes_.push_back(0);
    }
    std::vector<unsigned char> bytes_;
};

struct DialogState {
    uint8_t days = 0;
};

INT_PTR CALLBACK WeekdaysProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dlg, DWLP_USER));
    switch (msg) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(dlg, DWLP_USER, lp);
            state = reinterpret_cast<DialogState*>(lp);
            for (int d = 0; d < kDays; ++d)
                CheckDlgButton(dlg, kFirstDayId + d, (state->days >> d) & 1 ? BST_CHECKED : BST_UNCHECKED);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wp) == IDOK) {
                uint8_t days = 0;
                for (int d = 0; d < kDays; ++d)
                    if (IsDlgButtonChecked(dlg, kFirstDayId + d) == BST_CHECKED) days |= uint8_t(1u << d);
                state->days = days;
                EndDialog(dlg, IDOK);
                return TRUE;
            }
            if (LOWORD(wp) == IDCANCEL) {
                EndDialog(dlg, IDCANCEL);
                return TRUE;
            }
            return FALSE;
        default: return FALSE;
    }
}

}  // namespace

std::optional<uint8_t> Win32Host::weekdayDialog(uint8_t checked) {
    Template t;
    t.header(DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU,
             kDays + 2, kWidth, kHeight, kTitle);
    for (int d = 0; d < kDays; ++d)
        t.item(BS_AUTOCHECKBOX | WS_TABSTOP | (d == 0 ? WS_GROUP : 0),
               short(kMargin + d * (kBoxW + kGap)), kMargin, kBoxW, kBoxH, WORD(kFirstDayId + d),
               kDayNames[size_t(d)]);
    const short right = kWidth - kMargin;
    t.item(BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, short(right - 2 * kButtonW - kGap), kButtonsY,
           kButtonW, kButtonH, IDOK, L"确定");
    t.item(BS_PUSHBUTTON | WS_TABSTOP, short(right - kButtonW), kButtonsY, kButtonW, kButtonH,
           IDCANCEL, L"取消");
    DialogState state{checked};
    HWND main = hwndOf(Ctl::MainWindow);
    // Timers keep ticking inside the dialog's own message loop.
    const INT_PTR r = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), t.get(),
                                              main && IsWindowVisible(main) ? main : nullptr,
                                              WeekdaysProc, reinterpret_cast<LPARAM>(&state));
    if (r != IDOK) return std::nullopt;
    return state.days;
}

}  // namespace ny
