/* A library planted beside the program under the name of a system library
   (the test `system_dlls_only` builds it as winmm.dll, uxtheme.dll, ...).
   Loaded by anyone, it leaves "<its own path>.loaded" behind. Built with
   NY_LOADER, a program that loads winmm.dll by name: the test's proof that
   a planted library is found at all. */
#include <windows.h>

#ifdef NY_LOADER
int main(void) { return LoadLibraryW(L"winmm.dll") ? 0 : 1; }
#else

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        wchar_t path[MAX_PATH + 8];
        DWORD n = GetModuleFileNameW(self, path, MAX_PATH);
        if (n > 0 && n < MAX_PATH) {
            lstrcatW(path, L".loaded");
            HANDLE f = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
            if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
        }
    }
    return TRUE;
}
#endif
