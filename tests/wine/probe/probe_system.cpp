// Other programs' windows and the system's own stores: an installer's
// pages and the open-file dialog driven, a shortcut's target resolved, a
// registry value read.

#include "probe_commands.h"
#include "probe_common.h"

#include <objbase.h>
#include <shlobj.h>

#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace probe {

// Any program's dialog (an installer's page): waits up to `ms` for a shown
// top-level window whose title holds `title`, puts it in front, prints its
// "rect=x,y wxh" (as `main` does: values separated for `read`) and presses
// the keys given (enter, space, tab), or without the keyboard: "next"
// presses the page's button 1 (下一步/安装/卸载/完成), "click:TEXT" clicks the
// child control with that text (a check box).
int CmdDialog(const std::string& title, int ms, const std::vector<std::string>& keys) {
    const std::wstring want = W(title);
    HWND found = nullptr;
    const bool seen = WaitFor(ms, [&] {
        for (HWND h : TopLevelWindows())
            if (IsWindowVisible(h) && WindowText(h).find(want) != std::wstring::npos) {
                found = h;
                return true;
            }
        return false;
    });
    if (!seen) {
        Out("BAD no window titled " + title);
        return 1;
    }
    SetForegroundWindow(found);
    std::this_thread::sleep_for(300ms);
    RECT r;
    GetWindowRect(found, &r);
    Out("rect=" + std::to_string(r.left) + " " + std::to_string(r.top) + " " +
        std::to_string(r.right - r.left) + " " + std::to_string(r.bottom - r.top));
    const std::map<std::string, WORD> named = {{"enter", VK_RETURN}, {"space", VK_SPACE}, {"tab", VK_TAB}};
    for (const std::string& k : keys) {
        if (auto it = named.find(k); it != named.end()) Key(it->second);
        if (k == "next") {
            HWND next = GetDlgItem(found, 1);
            if (!next) return 1;
            SendMessageW(next, BM_CLICK, 0, 0);
        }
        if (k.rfind("click:", 0) == 0) {
            const std::wstring text = W(k.substr(6));
            HWND hit = nullptr;
            for (HWND c : Descendants(found))
                if (IsWindowVisible(c) && WindowText(c) == text) hit = c;
            if (!hit) {
                Out("BAD no control " + k.substr(6));
                return 1;
            }
            SendMessageW(hit, BM_CLICK, 0, 0);
            Out("checked=" + std::to_string(SendMessageW(hit, BM_GETCHECK, 0, 0)));
        }
    }
    return 0;
}

// The program's open-file dialog, driven as a user would: tells its filters
// and the folder it opened in, then types `path` into the file name box and
// presses Enter (Esc for "--cancel").
int CmdFileDialog(int ms, const std::string& path) {
    HWND dlg = nullptr;
    const bool seen = WaitFor(ms, [&] {
        for (HWND h : Boxes(g_pid))
            if (GetDlgItem(h, 0x470)) {  // cmb1: the filter list
                dlg = h;
                return true;
            }
        return false;
    });
    if (!seen) {
        Out("BAD no open-file dialog within " + std::to_string(ms) + " ms");
        return 1;
    }
    std::this_thread::sleep_for(500ms);  // its folder listed
    auto items = [](HWND combo, bool currentOnly) {
        std::string all;
        const LRESULT n = SendMessageW(combo, CB_GETCOUNT, 0, 0);
        const LRESULT cur = SendMessageW(combo, CB_GETCURSEL, 0, 0);
        for (LRESULT i = 0; i < n; ++i) {
            if (currentOnly && i != cur) continue;
            const LRESULT len = SendMessageW(combo, CB_GETLBTEXTLEN, i, 0);
            if (len < 0 || len > 4096) continue;
            std::wstring t(size_t(len) + 1, L'\0');
            SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(t.data()));
            t.resize(size_t(len));
            all += (all.empty() ? "" : "|") + U8(t);
        }
        return all;
    };
    Out("filters=" + items(GetDlgItem(dlg, 0x470), false));
    Out("folder=" + items(GetDlgItem(dlg, 0x471), true));  // cmb2: "look in"
    SetForegroundWindow(dlg);
    std::this_thread::sleep_for(200ms);
    HWND name = GetDlgItem(dlg, 0x480);  // edt1, or the combo cmb13 holding it
    if (!name) name = GetDlgItem(dlg, 0x47C);
    if (name) SetFocus(name);
    const bool cancel = path == "--cancel";
    for (wchar_t ch : cancel ? std::wstring() : W(path)) {
        INPUT in[2] = {};
        in[0].type = in[1].type = INPUT_KEYBOARD;
        in[0].ki.wScan = in[1].ki.wScan = ch;
        in[0].ki.dwFlags = KEYEVENTF_UNICODE;
        in[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
        SendInput(2, in, sizeof(INPUT));
    }
    std::this_thread::sleep_for(300ms);
    Key(cancel ? VK_ESCAPE : VK_RETURN);
    Out("click_unix=" + UnixNow());
    if (!WaitFor(5000, [&] { return !IsWindow(dlg) || !IsWindowVisible(dlg); })) {
        Out("BAD the dialog did not close");
        return 1;
    }
    return 0;
}

// The target of a shortcut (.lnk), as the shell resolves it.
int CmdLnk(const std::string& path) {
    CoInitialize(nullptr);
    IShellLinkW* link = nullptr;
    int rc = 1;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            wchar_t target[MAX_PATH] = {};
            if (SUCCEEDED(file->Load(W(path).c_str(), STGM_READ)) &&
                SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, 0)) && target[0]) {
                Out("target=" + U8(target));
                rc = 0;
            }
            file->Release();
        }
        link->Release();
    }
    if (rc) Out("target=none");
    CoUninitialize();
    return rc;
}

// A value under HKEY_CURRENT_USER: "value=" its text or number; missing=1.
int CmdReg(const std::string& key, const std::string& name) {
    HKEY k = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, W(key).c_str(), 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS) {
        Out("missing=1");
        return 1;
    }
    DWORD type = 0, bytes = 0;
    const std::wstring value = W(name);
    LSTATUS r = RegQueryValueExW(k, value.c_str(), nullptr, &type, nullptr, &bytes);
    std::vector<BYTE> data(bytes + sizeof(wchar_t));
    if (r == ERROR_SUCCESS) r = RegQueryValueExW(k, value.c_str(), nullptr, &type, data.data(), &bytes);
    RegCloseKey(k);
    if (r != ERROR_SUCCESS) {
        Out("missing=1");
        return 1;
    }
    if (type == REG_DWORD) {
        DWORD v = 0;
        std::memcpy(&v, data.data(), sizeof v);
        Out("type=dword");
        Out("value=" + std::to_string(v));
    } else {
        Out("type=sz");
        Out("value=" + U8(reinterpret_cast<const wchar_t*>(data.data())));
    }
    return 0;
}

}  // namespace probe
