// The system libraries that are not on the system's known list (winmm,
// uxtheme, oleacc; msacm32 through LoadSystemDll in pcmsource.cpp), reached only from the system folder: a library
// of the same name beside the .exe is never loaded. Each is loaded on first
// use; a function the system lacks answers with a failure of its own kind
// (an MMSYSERR, an HRESULT, 0), so a caller sees an ordinary error.
#pragma once

#include <windows.h>

#include <mmsystem.h>
#include <oleacc.h>

namespace ny {

// First thing at start: every later load, ours and the system's own, looks
// in the system folder (and the paths it is given) only.
void RestrictDllSearch();

// A system library by file name, from the system folder; nullptr if absent.
HMODULE LoadSystemDll(const wchar_t* name);

struct WinmmApi {
    decltype(&::waveOutOpen) waveOutOpen;
    decltype(&::waveOutClose) waveOutClose;
    decltype(&::waveOutReset) waveOutReset;
    decltype(&::waveOutPrepareHeader) waveOutPrepareHeader;
    decltype(&::waveOutUnprepareHeader) waveOutUnprepareHeader;
    decltype(&::waveOutWrite) waveOutWrite;
    decltype(&::mciSendCommandW) mciSendCommandW;
};
const WinmmApi& Winmm();

using SetWindowThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
struct UxThemeApi {
    SetWindowThemeFn SetWindowTheme;
};
const UxThemeApi& UxTheme();

struct OleaccApi {
    bool ok;
    decltype(&::CreateStdAccessibleObject) CreateStdAccessibleObject;
    decltype(&::LresultFromObject) LresultFromObject;
};
const OleaccApi& Oleacc();

// Known libraries, loaded here all the same: COM and its strings serve only
// a screen reader's questions, and importing them costs every start the two
// libraries and theirs (~10 ms under Wine).
struct ComApi {
    decltype(&::CoInitializeEx) CoInitializeEx;
    decltype(&::SysAllocStringLen) SysAllocStringLen;
};
const ComApi& Com();

}  // namespace ny
