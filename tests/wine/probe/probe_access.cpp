// What a screen reader hears: controls' names and roles through the
// objects the program gives other processes, its focus and selection
// events, and the time grid's items.

#include "probe_commands.h"
#include "probe_common.h"

#include <objbase.h>
#include <oleacc.h>

#include <cstdio>
#include <string>
#include <thread>

namespace probe {

namespace {

std::string VariantNumber(const VARIANT& v) {
    return v.vt == VT_I4 ? std::to_string(v.lVal) : v.vt == VT_EMPTY ? "none" : "vt" + std::to_string(v.vt);
}

std::string TakeBstr(BSTR b) {
    std::string s = b ? U8(std::wstring(b, SysStringLen(b))) : std::string();
    SysFreeString(b);
    return s;
}

VARIANT ChildVar(long id) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

// The object another process gets for a window's client area, as a screen
// reader asks for it (the program answers WM_GETOBJECT through COM).
IAccessible* AccessibleOf(HWND h) {
    IAccessible* acc = nullptr;
    // Looked up: its import library and libuuid both define IID_IAccessible.
    static const auto fromWindow = reinterpret_cast<decltype(&AccessibleObjectFromWindow)>(
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryW(L"oleacc.dll"), "AccessibleObjectFromWindow")));
    const HRESULT hr = fromWindow ? fromWindow(h, DWORD(OBJID_CLIENT), IID_IAccessible,
                                               reinterpret_cast<void**>(&acc))
                                  : E_NOTIMPL;
    if (FAILED(hr) || !acc) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%08lx", static_cast<unsigned long>(hr));
        Out(std::string("BAD AccessibleObjectFromWindow failed: ") + buf);
        return nullptr;
    }
    return acc;
}

std::string AccName(IAccessible* acc, long child) {
    BSTR b = nullptr;
    if (FAILED(acc->get_accName(ChildVar(child), &b))) return "?";
    return TakeBstr(b);
}

long AccRole(IAccessible* acc, long child) {
    VARIANT r;
    VariantInit(&r);
    acc->get_accRole(ChildVar(child), &r);
    return r.vt == VT_I4 ? r.lVal : -1;
}

// Selection and focus events of the program's client objects for `ms`
// milliseconds, each with the name of its item, as a screen reader hears them.
void CALLBACK OnAccEvent(HWINEVENTHOOK, DWORD event, HWND h, LONG object, LONG child, DWORD, DWORD) {
    if (object != LONG(OBJID_CLIENT)) return;
    IAccessible* acc = AccessibleOf(h);
    if (!acc) return;
    const char* kind = event == EVENT_OBJECT_SELECTION ? "selection" : "focus";
    Out(std::string("event ") + kind + " item=" + std::to_string(child) + " name=" + AccName(acc, child));
    acc->Release();
}

}  // namespace

// A control's name and role ("name=闹钟设置", "role=42"), of the main window
// or of an open popup.
int CmdAccessName(const std::string& name) {
    const ny::ControlDesign* d = nullptr;
    HWND h = DesignedControl(name, &d);
    if (!d) return 2;
    if (!h) {
        Out("BAD control " + name + " not found");
        return 1;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IAccessible* acc = AccessibleOf(h);
    if (!acc) return 1;
    Out("name=" + OneLine(AccName(acc, CHILDID_SELF)));
    Out("role=" + std::to_string(AccRole(acc, CHILDID_SELF)));
    acc->Release();
    CoUninitialize();
    return 0;
}

int CmdAccessEvents(int ms) {
    HWND main = MainOrDie();
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_SELECTION, nullptr,
                                         OnAccEvent, PidOf(main), 0, WINEVENT_OUTOFCONTEXT);
    Out("watching");
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < end) {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
        std::this_thread::sleep_for(10ms);
    }
    UnhookWinEvent(hook);
    CoUninitialize();
    return 0;
}

// The open time grid as a screen reader sees it: its items, their names,
// which is selected.
int CmdAccessGrid() {
    HWND p = PopupOrDie(ny::Ctl::TimePickerWindow);
    HWND grid = FindControl(p, ny::Ctl::时间高级表格);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IAccessible* acc = AccessibleOf(grid);
    if (!acc) return 1;
    long n = 0;
    acc->get_accChildCount(&n);
    Out("name=" + AccName(acc, CHILDID_SELF));
    Out("role=" + std::to_string(AccRole(acc, CHILDID_SELF)));
    Out("items=" + std::to_string(n));
    for (long i = 1; i <= n; ++i) {
        VARIANT st;
        VariantInit(&st);
        acc->get_accState(ChildVar(i), &st);
        const bool selected = st.vt == VT_I4 && (st.lVal & STATE_SYSTEM_SELECTED);
        Out("item " + std::to_string(i) + ": " + AccName(acc, i) + " role=" +
            std::to_string(AccRole(acc, i)) + (selected ? " selected" : ""));
    }
    VARIANT sel;
    VariantInit(&sel);
    acc->get_accSelection(&sel);
    Out("selection=" + VariantNumber(sel));
    acc->Release();
    CoUninitialize();
    return 0;
}

}  // namespace probe
