// Files beside the program: the store, its lock, and where they live.
#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <string>

#include "platform/win32/commandline.h"
#include "platform/win32/win32_host.h"
#include "platform/win32/wstr.h"

namespace ny {

// The system's own words for an error code.
std::string SystemReason(DWORD error) {
    wchar_t buf[512];
    DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             error, 0, buf, 512, nullptr);
    // Without its closing full stop: the reason goes inside our own sentence.
    while (n > 0 && (buf[n - 1] == L'\r' || buf[n - 1] == L'\n' || buf[n - 1] == L' ' ||
                     buf[n - 1] == L'.' || buf[n - 1] == L'\x3002'))
        --n;
    if (n == 0) return "系统错误 " + std::to_string(error);
    return ToUtf8(std::wstring_view(buf, n));
}

namespace {

IoFailure KindOf(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND: return IoFailure::NotFound;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS: return IoFailure::AlreadyExists;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION: return IoFailure::Sharing;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT: return IoFailure::Denied;
        default: return IoFailure::Other;
    }
}

IoResult Failed(DWORD error) {
    // A failure with no error code set must not read "操作成功完成".
    if (error == 0) return {false, "原因不明的错误", IoFailure::Other};
    return {false, SystemReason(error), KindOf(error)};
}

// The write's own error; a write that took nothing without one means the
// disk is full.
IoResult WriteAll(HANDLE f, std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        SetLastError(0);
        if (!WriteFile(f, bytes.data() + done, chunk, &written, nullptr) || written == 0) {
            const DWORD error = GetLastError();
            if (error == 0) return {false, "磁盘已满", IoFailure::Other};
            return Failed(error);
        }
        done += written;
    }
    return {};
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
    std::wstring path = ModulePath();
    const size_t cut = path.find_last_of(L"\\/");
    path.resize(cut == std::wstring::npos ? 0 : cut);
    return ToUtf8(path);
}

std::string Win32Host::perUserDataDir() {
    wchar_t base[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr,
                                SHGFP_TYPE_CURRENT, base)))
        return {};
    return ToUtf8(base) + "\\Ny闹钟";
}

IoResult Win32Host::makeFolder(const std::string& path) {
    const int rc = SHCreateDirectoryExW(nullptr, FullPath(ToWstr(path)).c_str(), nullptr);
    if (rc == ERROR_SUCCESS || rc == ERROR_ALREADY_EXISTS || rc == ERROR_FILE_EXISTS) return {};
    return Failed(static_cast<DWORD>(rc));
}

IoResult Win32Host::probeFile(const std::string& path) {
    if (GetFileAttributesW(ToWstr(path).c_str()) != INVALID_FILE_ATTRIBUTES) return {};
    return Failed(GetLastError());
}

IoResult Win32Host::fileStamp(const std::string& path, FileStamp* stamp) {
    // Attributes can be read even while another program holds the file
    // without sharing.
    WIN32_FILE_ATTRIBUTE_DATA a{};
    if (!GetFileAttributesExW(ToWstr(path).c_str(), GetFileExInfoStandard, &a))
        return Failed(GetLastError());
    stamp->size = (uint64_t(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
    stamp->writeTime = int64_t((uint64_t(a.ftLastWriteTime.dwHighDateTime) << 32) |
                               a.ftLastWriteTime.dwLowDateTime);
    return {};
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
    const IoResult w = WriteAll(f, bytes);
    CloseHandle(f);
    return w;
}

// ---- primitive file operations (FileOps) ------------------------------------

IoResult Win32Host::createFile(const std::string& path, int64_t* handle) {
    // By absolute path: the temporary file must stay in the target's folder
    // for the rename to be one.
    HANDLE f = CreateFileW(FullPath(ToWstr(path)).c_str(), GENERIC_WRITE, 0, nullptr,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return Failed(GetLastError());
    *handle = reinterpret_cast<intptr_t>(f);
    return {};
}

IoResult Win32Host::writeHandle(int64_t handle, std::string_view bytes) {
    return WriteAll(reinterpret_cast<HANDLE>(static_cast<intptr_t>(handle)), bytes);
}

IoResult Win32Host::flushHandle(int64_t handle) {
    if (!FlushFileBuffers(reinterpret_cast<HANDLE>(static_cast<intptr_t>(handle))))
        return Failed(GetLastError());
    return {};
}

IoResult Win32Host::closeHandle(int64_t handle) {
    if (!CloseHandle(reinterpret_cast<HANDLE>(static_cast<intptr_t>(handle))))
        return Failed(GetLastError());
    return {};
}

IoResult Win32Host::renameFile(const std::string& from, const std::string& to,
                               bool replaceExisting) {
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replaceExisting ? MOVEFILE_REPLACE_EXISTING : 0);
    if (MoveFileExW(FullPath(ToWstr(from)).c_str(), FullPath(ToWstr(to)).c_str(), flags))
        return {};
    const DWORD error = GetLastError();
    IoResult r = Failed(error);
    // A scanner holding the fresh file shows as access denied to a rename:
    // worth the same short retry as a sharing violation.
    if (error == ERROR_ACCESS_DENIED) r.failure = IoFailure::Sharing;
    return r;
}

IoResult Win32Host::removeFile(const std::string& path) {
    if (!DeleteFileW(FullPath(ToWstr(path)).c_str())) return Failed(GetLastError());
    return {};
}

void Win32Host::pauseBeforeRetry(int64_t ms) { Sleep(static_cast<DWORD>(ms)); }

void Win32Host::setHiddenArchive(const std::string& path) {
    SetFileAttributesW(ToWstr(path).c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
}

IoResult Win32Host::holdExclusive(const std::string& path) {
    HANDLE f = CreateFileW(ToWstr(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return Failed(GetLastError());
    held_.push_back(f);  // never closed: the process ending releases it
    return {};
}

void Win32Host::exitProcess(int code) {
    removeTrayIcon();
    stopAudio();
    ExitProcess(static_cast<UINT>(code));
}

}  // namespace ny
