// Files beside the program: the store, its lock, and where they live.
#include <windows.h>

#include <algorithm>
#include <string>

#include "host/win32/win32_host.h"
#include "host/win32/wstr.h"

namespace ny {

// The system's own words for an error code.
std::string SystemReason(DWORD error) {
    wchar_t buf[512];
    DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             error, 0, buf, 512, nullptr);
    while (n > 0 && (buf[n - 1] == L'\r' || buf[n - 1] == L'\n' || buf[n - 1] == L' ')) --n;
    if (n == 0) return "系统错误 " + std::to_string(error);
    return ToUtf8(std::wstring_view(buf, n));
}

namespace {

IoResult Failed(DWORD error) { return {false, SystemReason(error)}; }

bool WriteAll(HANDLE f, std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(f, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

std::wstring FullPath(const std::wstring& path) {
    const DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return path;
    std::wstring full(n, L'\0');
    const DWORD m = GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
    if (m == 0 || m >= n) return path;
    full.resize(m);
    return full;
}

}  // namespace

std::string Win32Host::programDir() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);  // cut short: try a larger buffer
    }
    const size_t cut = path.find_last_of(L"\\/");
    path.resize(cut == std::wstring::npos ? 0 : cut);
    return ToUtf8(path);
}

bool Win32Host::fileExists(const std::string& path) {
    return GetFileAttributesW(ToWstr(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::optional<std::string> Win32Host::readFile(const std::string& path, std::string* reason) {
    HANDLE f = CreateFileW(ToWstr(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
        if (reason) *reason = SystemReason(GetLastError());
        return std::nullopt;
    }
    std::string data;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(f, &size) != FALSE;
    if (ok) {
        data.resize(static_cast<size_t>(size.QuadPart));
        size_t done = 0;
        while (ok && done < data.size()) {
            DWORD got = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(data.size() - done, 1u << 30));
            ok = ReadFile(f, data.data() + done, chunk, &got, nullptr) != FALSE;
            if (ok && got == 0) break;  // shorter than it said: keep what is there
            done += got;
        }
        data.resize(done);
    }
    const DWORD error = ok ? 0 : GetLastError();
    CloseHandle(f);
    if (!ok) {
        if (reason) *reason = SystemReason(error);
        return std::nullopt;
    }
    return data;
}

IoResult Win32Host::writeFile(const std::string& path, std::string_view bytes) {
    HANDLE f = CreateFileW(ToWstr(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return Failed(GetLastError());
    const bool ok = WriteAll(f, bytes);
    const DWORD error = ok ? 0 : GetLastError();
    CloseHandle(f);
    return ok ? IoResult{} : Failed(error);
}

IoResult Win32Host::replaceFile(const std::string& path, std::string_view bytes) {
    // By absolute path: the temporary file must be in the target's own folder
    // for the final move to be a rename.
    const std::wstring target = FullPath(ToWstr(path));
    const std::wstring temp = target + L".tmp";
    HANDLE f = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return Failed(GetLastError());
    bool ok = WriteAll(f, bytes) && FlushFileBuffers(f);
    DWORD error = ok ? 0 : GetLastError();
    if (!CloseHandle(f) && ok) {
        ok = false;
        error = GetLastError();
    }
    if (ok && !MoveFileExW(temp.c_str(), target.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ok = false;
        error = GetLastError();
    }
    if (!ok) {
        DeleteFileW(temp.c_str());  // the target is untouched
        return Failed(error);
    }
    return {};
}

IoResult Win32Host::moveFile(const std::string& from, const std::string& to) {
    if (!MoveFileExW(ToWstr(from).c_str(), ToWstr(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH))
        return Failed(GetLastError());
    return {};
}

void Win32Host::setHiddenArchive(const std::string& path) {
    SetFileAttributesW(ToWstr(path).c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
}

bool Win32Host::holdExclusive(const std::string& path) {
    HANDLE f = CreateFileW(ToWstr(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    held_.push_back(f);  // never closed: the process ending releases it
    return true;
}

void Win32Host::exitProcess(int code) {
    removeTrayIcon();
    stopAudio();
    ExitProcess(static_cast<UINT>(code));
}

}  // namespace ny
