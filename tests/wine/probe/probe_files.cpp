// Files and pipes as other programs hold them: attributes read and set,
// a file opened without sharing or held open, a pipe that never answers.

#include "probe_commands.h"
#include "probe_common.h"

#include <cstdio>
#include <string>
#include <thread>

namespace probe {

int CmdAttrs(const std::string& path) {
    DWORD a = GetFileAttributesW(W(path).c_str());
    if (a == INVALID_FILE_ATTRIBUTES) {
        Out("attrs=none");
        return 1;
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, "attrs=0x%02lx", static_cast<unsigned long>(a));
    Out(buf);
    return 0;
}

// Tries to open a file as the program holds its lock: sharing denied.
int CmdOpenExclusive(const std::string& path) {
    HANDLE f = CreateFileW(W(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
        Out("opened=0");
        Out("error=" + std::to_string(GetLastError()));
        return 1;
    }
    CloseHandle(f);
    Out("opened=1");
    return 0;
}

// Holds a file open for reading, letting others read it but not write,
// rename or delete it (as a backup program or a virus scanner may), for `ms`.
// With `shareNothing` others cannot even read it.
int CmdHold(const std::string& path, int ms, bool shareNothing) {
    HANDLE f = CreateFileW(W(path).c_str(), GENERIC_READ, shareNothing ? 0 : FILE_SHARE_READ,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
        Out("BAD cannot open " + path + ": error " + std::to_string(GetLastError()));
        return 1;
    }
    Out("holding");
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    CloseHandle(f);
    return 0;
}

int CmdReadOnly(const std::string& path, bool on) {
    DWORD a = GetFileAttributesW(W(path).c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return 1;
    a = on ? (a | FILE_ATTRIBUTE_READONLY) : (a & ~DWORD(FILE_ATTRIBUTE_READONLY));
    if (a == 0) a = FILE_ATTRIBUTE_NORMAL;
    return SetFileAttributesW(W(path).c_str(), a) ? 0 : 1;
}

// A named pipe \\.\pipe\NAME whose server accepts a client and never
// writes: a read from it blocks. Serves for `ms`.
int CmdPipeServer(const std::string& name, int ms) {
    const std::wstring path = L"\\\\.\\pipe\\" + W(name);
    HANDLE pipe = CreateNamedPipeW(path.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT,
                                   PIPE_UNLIMITED_INSTANCES, 4096, 4096, 0, nullptr);
    if (pipe == INVALID_HANDLE_VALUE) {
        Out("BAD cannot create the pipe");
        return 1;
    }
    Out("serving " + U8(path));
    HANDLE t = CreateThread(
        nullptr, 0, [](void* p) -> DWORD { return ConnectNamedPipe(static_cast<HANDLE>(p), nullptr); },
        pipe, 0, nullptr);
    if (t) CloseHandle(t);
    Sleep(static_cast<DWORD>(ms));
    return 0;
}

}  // namespace probe
