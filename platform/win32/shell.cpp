// Message boxes, the open-file dialog, the tray icon and its balloon, and
// the second start's call on the running copy.
#include <windows.h>

#include <commdlg.h>
#include <shellapi.h>

#include "platform/win32/quit.h"
#include "platform/win32/win32_host.h"
#include "platform/win32/wstr.h"

namespace ny {
namespace {

int StyleOf(BoxKind kind) {
    switch (kind) {
        case BoxKind::OkCancel: return MB_OKCANCEL;
        case BoxKind::Exclamation: return MB_OK | MB_ICONEXCLAMATION;
        case BoxKind::YesNoDefaultNo: return MB_YESNO | MB_DEFBUTTON2;
        case BoxKind::Ok: break;
    }
    return MB_OK;
}

BoxAnswer AnswerOf(int id) {
    switch (id) {
        case IDCANCEL: return BoxAnswer::Cancel;
        case IDYES: return BoxAnswer::Yes;
        case IDNO: return BoxAnswer::No;
        default: return BoxAnswer::Ok;
    }
}

}  // namespace

BoxAnswer Win32Host::messageBox(std::string_view text, BoxKind kind,
                                std::optional<std::string_view> caption, bool urgent) {
    return AnswerOf(messageBoxRaw(text, StyleOf(kind), caption, urgent));
}

int Win32Host::messageBoxRaw(std::string_view text, int style,
                             std::optional<std::string_view> caption, bool urgent) {
    HWND main = hwndOf(Ctl::MainWindow);
    HWND owner = main && IsWindowVisible(main) ? main : nullptr;
    UINT type = static_cast<UINT>(style);
    if (urgent) {
        type |= MB_TOPMOST | MB_SETFOREGROUND;
        // Woken by the wake timer, the computer would sleep again unattended
        // and leave the screen dark: a ringing alarm counts as use.
        SetThreadExecutionState(ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED);
    }
    // No window of its own on screen, the box of a second start must not
    // open behind the running copy's window that was just brought up.
    if (!owner && runningCopyShown_) type |= MB_TOPMOST | MB_SETFOREGROUND;
    const std::wstring body = ToWstr(text);
    const std::wstring title = ToWstr(caption ? *caption : kProgramName);
    // Timers keep ticking inside the box's own message loop.
    return MessageBoxW(owner, body.c_str(), title.c_str(), type);
}

std::optional<std::string> Win32Host::openFileDialog(std::string_view filter,
                                                     std::string_view folder) {
    // "Mp3文件|*.mp3" -> "Mp3文件\0*.mp3\0\0"
    std::wstring pairs = ToWstr(filter);
    for (wchar_t& c : pairs)
        if (c == L'|') c = L'\0';
    pairs.push_back(L'\0');
    pairs.push_back(L'\0');
    std::wstring file(32768, L'\0');
    HWND main = hwndOf(Ctl::MainWindow);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = main && IsWindowVisible(main) ? main : nullptr;
    ofn.lpstrFilter = pairs.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    // No folder given: the system's own sounds (%SystemRoot%\Media), when there.
    std::wstring start = ToWstr(folder);
    for (wchar_t& c : start)
        if (c == L'/') c = L'\\';
    if (start.empty()) {
        wchar_t root[MAX_PATH] = {};
        const UINT n = GetWindowsDirectoryW(root, MAX_PATH);
        const std::wstring media = n > 0 && n < MAX_PATH ? std::wstring(root, n) + L"\\Media" : L"";
        const DWORD attr = media.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(media.c_str());
        if (attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY)) start = media;
    }
    if (!start.empty()) ofn.lpstrInitialDir = start.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
                OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&ofn)) return std::nullopt;
    file.resize(file.find(L'\0'));
    return ToUtf8(file);
}

namespace {

// The program's one tray icon, as every call about it names it.
NOTIFYICONDATAW TrayIconOf(HWND main) {
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof nid;
    nid.hWnd = main;
    nid.uID = kTrayIconId;
    return nid;
}

}  // namespace

bool Win32Host::addTrayIcon(DWORD message) {
    HWND main = hwndOf(Ctl::MainWindow);
    if (!main) return false;
    NOTIFYICONDATAW nid = TrayIconOf(main);
    nid.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
    nid.uCallbackMessage = WMAPP_NOTIFYCALLBACK;
    nid.hIcon = iconSmall_;
    lstrcpynW(nid.szTip, trayTip_.c_str(), static_cast<int>(sizeof nid.szTip / sizeof nid.szTip[0]));
    return Shell_NotifyIconW(message, &nid) != FALSE;
}

void Win32Host::setTrayIcon(std::string_view tip) {
    if (!hwndOf(Ctl::MainWindow)) return;
    trayTip_ = ToWstr(tip);
    // Modify what is there, or add; either can find the other state after
    // the taskbar restarted.
    const DWORD first = trayShown_ ? NIM_MODIFY : NIM_ADD;
    const DWORD second = trayShown_ ? NIM_ADD : NIM_MODIFY;
    if (addTrayIcon(first) || addTrayIcon(second)) trayShown_ = true;
}

void Win32Host::removeTrayIcon() {
    HWND main = hwndOf(Ctl::MainWindow);
    if (!trayShown_ || !main) return;
    NOTIFYICONDATAW nid = TrayIconOf(main);
    Shell_NotifyIconW(NIM_DELETE, &nid);
    trayShown_ = false;
}

void Win32Host::showTrayBalloon(std::string_view text) {
    HWND main = hwndOf(Ctl::MainWindow);
    if (!trayShown_ || !main) return;
    NOTIFYICONDATAW nid = TrayIconOf(main);
    nid.uFlags = NIF_INFO;
    nid.dwInfoFlags = NIIF_INFO;
    lstrcpynW(nid.szInfo, ToWstr(text).c_str(), static_cast<int>(sizeof nid.szInfo / sizeof nid.szInfo[0]));
    lstrcpynW(nid.szInfoTitle, ToWstr(kProgramName).c_str(),
              static_cast<int>(sizeof nid.szInfoTitle / sizeof nid.szInfoTitle[0]));
    Shell_NotifyIconW(NIM_MODIFY, &nid);
}

void Win32Host::showRunningCopy() { runningCopyShown_ = ShowRunningCopies(); }

}  // namespace ny
