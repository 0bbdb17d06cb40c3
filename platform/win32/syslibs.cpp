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
    // The common controls ask for the theme library by name when the first
    // window is made: it is in memory from the system folder before that,
    // also where the default directories above are not honoured.
    LoadSystemDll(L"uxtheme.dll");
}

HMODULE LoadSystemDll(const wchar_t* name) {
    // By its full path in the system folder, so that no search takes place;
    // the flag keeps its own dependencies there too.
    wchar_t dir[MAX_PATH];
    const UINT n = GetSystemDirectoryW(dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    const std::wstring path = std::wstring(dir, n) + L"\\" + name;
    if (HMODULE h = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return h;
    // A system whose loader does not know the flag.
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

const ComApi& Com() {
    static const ComApi api = [] {
        ComApi a{};
        Bind<E_NOTIMPL>(LoadSystemDll(L"ole32.dll"), a.CoInitializeEx, "CoInitializeEx");
        Bind<0>(LoadSystemDll(L"oleaut32.dll"), a.SysAllocStringLen, "SysAllocStringLen");
        return a;
    }();
    return api;
}

// ---- the common controls and the file dialog, bound after the search is restricted ----
//
// Wine's comctl32 loads the theme library by name as soon as it is mapped,
// and its comdlg32 imports comctl32: imported by name, either would come in
// before wWinMain could restrict the search, from the program's folder. The
// MinGW build therefore imports neither: the import slots the compiler calls
// through are filled here with functions that load the library (comctl32 by
// name, so that the manifest still picks version 6) on first use.
#if defined(__MINGW32__)
namespace {

struct ComctlApi {
    BOOL(WINAPI* InitCommonControlsEx)(const void*);
    BOOL(WINAPI* SetWindowSubclass)(HWND, void*, UINT_PTR, DWORD_PTR);
    BOOL(WINAPI* RemoveWindowSubclass)(HWND, void*, UINT_PTR);
    LRESULT(WINAPI* DefSubclassProc)(HWND, UINT, WPARAM, LPARAM);
};

const ComctlApi& Comctl() {
    static const ComctlApi api = [] {
        ComctlApi a{};
        HMODULE cc = LoadLibraryExW(L"comctl32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (!cc) cc = LoadSystemDll(L"comctl32.dll");
        Bind<FALSE>(cc, a.InitCommonControlsEx, "InitCommonControlsEx");
        Bind<FALSE>(cc, a.SetWindowSubclass, "SetWindowSubclass");
        Bind<FALSE>(cc, a.RemoveWindowSubclass, "RemoveWindowSubclass");
        Bind<0>(cc, a.DefSubclassProc, "DefSubclassProc");
        return a;
    }();
    return api;
}

// The file dialog's library (with the printing libraries it brings) only
// when the user first opens it, not at every start.
struct ComdlgApi {
    BOOL(WINAPI* GetOpenFileNameW)(void*);
};

const ComdlgApi& Comdlg() {
    static const ComdlgApi api = [] {
        ComdlgApi a{};
        Comctl();  // it imports the common controls: version 6 first
        Bind<FALSE>(LoadSystemDll(L"comdlg32.dll"), a.GetOpenFileNameW, "GetOpenFileNameW");
        return a;
    }();
    return api;
}

BOOL WINAPI CallInitCommonControlsEx(const void* icc) { return Comctl().InitCommonControlsEx(icc); }
BOOL WINAPI CallSetWindowSubclass(HWND h, void* proc, UINT_PTR id, DWORD_PTR ref) {
    return Comctl().SetWindowSubclass(h, proc, id, ref);
}
BOOL WINAPI CallRemoveWindowSubclass(HWND h, void* proc, UINT_PTR id) {
    return Comctl().RemoveWindowSubclass(h, proc, id);
}
LRESULT WINAPI CallDefSubclassProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    return Comctl().DefSubclassProc(h, msg, wp, lp);
}
BOOL WINAPI CallGetOpenFileNameW(void* ofn) { return Comdlg().GetOpenFileNameW(ofn); }

}  // namespace
}  // namespace ny

extern "C" {
void* __imp_InitCommonControlsEx = reinterpret_cast<void*>(&ny::CallInitCommonControlsEx);
void* __imp_SetWindowSubclass = reinterpret_cast<void*>(&ny::CallSetWindowSubclass);
void* __imp_RemoveWindowSubclass = reinterpret_cast<void*>(&ny::CallRemoveWindowSubclass);
void* __imp_DefSubclassProc = reinterpret_cast<void*>(&ny::CallDefSubclassProc);
void* __imp_GetOpenFileNameW = reinterpret_cast<void*>(&ny::CallGetOpenFileNameW);
}

namespace ny {
#endif

}  // namespace ny
