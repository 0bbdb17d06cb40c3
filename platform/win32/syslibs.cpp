// Loading the system libraries that are not known DLLs from the system
// folder only (see syslibs.h).
#include "platform/win32/syslibs.h"

#include <string>

namespace ny {

namespace {

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

// A stand-in for a function the library lacks: the same signature, always
// the given failure.
template <typename F>
struct Failing;
template <typename R, typename... A>
struct Failing<R(WINAPI*)(A...)> {
    template <long long kFail>
    static R WINAPI Call(A...) { return static_cast<R>(kFail); }
};

template <long long kFail, typename F>
bool Bind(HMODULE dll, F& fn, const char* name) {
    fn = dll ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(dll, name))) : nullptr;
    if (fn) return true;
    fn = &Failing<F>::template Call<kFail>;
    return false;
}

}  // namespace

void RestrictDllSearch() {
    // Looked up: a Windows 7 without its 2011 loader update lacks it, and
    // there each load names the system folder itself (LoadSystemDll).
    using Fn = BOOL(WINAPI*)(DWORD);
    if (HMODULE k = GetModuleHandleW(L"kernel32.dll"))
        if (auto set = reinterpret_cast<Fn>(
                reinterpret_cast<void*>(GetProcAddress(k, "SetDefaultDllDirectories"))))
            set(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

HMODULE LoadSystemDll(const wchar_t* name) {
    if (HMODULE h = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return h;
    // Where the flag is not understood: the full path of the system folder's copy.
    wchar_t dir[MAX_PATH];
    const UINT n = GetSystemDirectoryW(dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    const std::wstring path = std::wstring(dir, n) + L"\\" + name;
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

const WinmmApi& Winmm() {
    static const WinmmApi api = [] {
        WinmmApi a{};
        HMODULE dll = LoadSystemDll(L"winmm.dll");
        Bind<MMSYSERR_NOTSUPPORTED>(dll, a.waveOutOpen, "waveOutOpen");
        Bind<MMSYSERR_NOTSUPPORTED>(dll, a.waveOutClose, "waveOutClose");
        Bind<MMSYSERR_NOTSUPPORTED>(dll, a.waveOutReset, "waveOutReset");
        Bind<MMSYSERR_NOTSUPPORTED>(dll, a.waveOutPrepareHeader, "waveOutPrepareHeader");
        Bind<MMSYSERR_NOTSUPPORTED>(dll, a.waveOutUnprepareHeader, "waveOutUnprepareHeader");
        Bind<MMSYSERR_NOTSUPPORTED>(dll, a.waveOutWrite, "waveOutWrite");
        Bind<MCIERR_UNSUPPORTED_FUNCTION>(dll, a.mciSendCommandW, "mciSendCommandW");
        return a;
    }();
    return api;
}

const UxThemeApi& UxTheme() {
    static const UxThemeApi api = [] {
        UxThemeApi a{};
        Bind<E_NOTIMPL>(LoadSystemDll(L"uxtheme.dll"), a.SetWindowTheme, "SetWindowTheme");
        return a;
    }();
    return api;
}

const OleaccApi& Oleacc() {
    static const OleaccApi api = [] {
        OleaccApi a{};
        HMODULE dll = LoadSystemDll(L"oleacc.dll");
        a.ok = dll != nullptr;
        a.ok &= Bind<E_NOTIMPL>(dll, a.CreateStdAccessibleObject, "CreateStdAccessibleObject");
        a.ok &= Bind<0>(dll, a.LresultFromObject, "LresultFromObject");
        return a;
    }();
    return api;
}

}  // namespace ny
