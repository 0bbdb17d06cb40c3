#include "platform/sim/sim_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>

namespace ny {
namespace {

std::set<std::string>& HeldFiles() {
    static std::set<std::string> held;  // shared by every SimFiles of the test process
    return held;
}

std::string SysReason() { return std::strerror(errno); }

IoResult Errno() {
    const int e = errno;
    IoFailure kind = IoFailure::Other;
    if (e == ENOENT) kind = IoFailure::NotFound;
    else if (e == EEXIST) kind = IoFailure::AlreadyExists;
    else if (e == EBUSY || e == ETXTBSY) kind = IoFailure::Sharing;
    else if (e == EACCES || e == EPERM || e == EROFS) kind = IoFailure::Denied;
    return {false, std::strerror(e), kind};
}

bool WriteAll(const std::string& path, std::string_view bytes, bool sync) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            int e = errno;
            ::close(fd);
            errno = e;
            return false;
        }
        done += size_t(n);
    }
    if (sync && ::fsync(fd) != 0) {
        int e = errno;
        ::close(fd);
        errno = e;
        return false;
    }
    return ::close(fd) == 0;
}

}  // namespace

SimFiles::~SimFiles() {
    for (const auto& p : held_) HeldFiles().erase(p);
    for (int fd : heldFds_) ::close(fd);
    for (const auto& [h, fd] : handles_) ::close(fd);
}

std::string SimFiles::realPath(const std::string& path) {
    std::string p = path;
    std::replace(p.begin(), p.end(), '\\', '/');
    return p;
}

std::optional<IoResult> SimFiles::deniedIn(const std::string& path) const {
    const std::string real = realPath(path);
    const size_t cut = real.find_last_of('/');
    const std::string folder = cut == std::string::npos ? "." : real.substr(0, cut);
    for (const std::string& ro : readOnlyDirs)
        if (realPath(ro) == folder) return IoResult{false, "拒绝访问。", IoFailure::Denied};
    return std::nullopt;
}

IoResult SimFiles::makeFolder(const std::string& path) {
    if (auto d = deniedIn(path)) return *d;
    std::error_code ec;
    std::filesystem::create_directories(realPath(path), ec);
    if (ec) return {false, ec.message(), IoFailure::Other};
    return {};
}

IoResult SimFiles::writeFile(const std::string& path, std::string_view bytes) {
    if (faults.failWrites) return {false, *faults.failWrites};
    if (auto d = deniedIn(path)) return *d;
    if (!WriteAll(realPath(path), bytes, false)) return Errno();
    return {};
}

void SimFiles::setHiddenArchive(const std::string& path) { hiddenFiles.push_back(realPath(path)); }

IoResult SimFiles::holdExclusive(const std::string& path) {
    const std::string real = realPath(path);
    if (HeldFiles().count(real)) return {false, "另一个程序正在使用此文件，进程无法访问。", IoFailure::Sharing};
    if (auto d = deniedIn(path)) return *d;
    int fd = ::open(real.c_str(), O_RDWR);
    if (fd < 0) return Errno();
    HeldFiles().insert(real);
    held_.push_back(real);
    heldFds_.push_back(fd);
    return {};
}

std::optional<IoResult> SimFiles::injected(bool isWrite, int fd, std::string_view bytes) {
    ++ops;
    if (faults.crashAt != 0 && ops == faults.crashAt) {
        if (isWrite && fd >= 0) {
            const size_t half = bytes.size() / 2;
            if (::write(fd, bytes.data(), half) < 0) {
                // the crash comes anyway
            }
        }
        throw SimCrash{ops};
    }
    if (faults.failAt != 0 && ops >= faults.failAt && ops < faults.failAt + faults.failRun)
        return IoResult{false, faults.failReason, faults.failKind};
    return std::nullopt;
}

std::optional<IoResult> SimFiles::held(const std::string& path) const {
    const std::string real = realPath(path);
    for (const std::string& h : faults.heldElsewhere)
        if (h == real)
            return IoResult{false, "另一个程序正在使用此文件，进程无法访问。", IoFailure::Sharing};
    return std::nullopt;
}

std::optional<std::string> SimFiles::readFile(const std::string& path, std::string* reason) {
    if (auto f = injected()) {
        if (reason) *reason = f->reason;
        return std::nullopt;
    }
    if (auto f = held(path)) {
        if (reason) *reason = f->reason;
        return std::nullopt;
    }
    // Plain read(2) so that a failing read (a directory, an I/O error) is an
    // error as on Windows, not an empty file.
    int fd = ::open(realPath(path).c_str(), O_RDONLY);
    if (fd < 0) {
        if (reason) *reason = SysReason();
        return std::nullopt;
    }
    std::string out;
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            if (reason) *reason = SysReason();
            ::close(fd);
            return std::nullopt;
        }
        out.append(buf, size_t(n));
    }
    ::close(fd);
    return out;
}

IoResult SimFiles::probeFile(const std::string& path) {
    if (auto f = injected()) return *f;
    struct stat st;
    if (::stat(realPath(path).c_str(), &st) != 0) return Errno();
    return {};
}

IoResult SimFiles::fileStamp(const std::string& path, FileStamp* stamp) {
    if (auto f = injected()) return *f;
    struct stat st;
    if (::stat(realPath(path).c_str(), &st) != 0) return Errno();
    stamp->size = uint64_t(st.st_size);
    stamp->writeTime = int64_t(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    return {};
}

IoResult SimFiles::createFile(const std::string& path, int64_t* handle) {
    if (auto f = injected()) return *f;
    if (auto f = held(path)) return *f;
    if (faults.failWrites) return {false, *faults.failWrites};
    if (auto d = deniedIn(path)) return *d;
    int fd = ::open(realPath(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return Errno();
    *handle = nextHandle_++;
    handles_[*handle] = fd;
    return {};
}

IoResult SimFiles::writeHandle(int64_t handle, std::string_view bytes) {
    auto it = handles_.find(handle);
    if (auto f = injected(true, it == handles_.end() ? -1 : it->second, bytes)) return *f;
    if (it == handles_.end()) return {false, "句柄无效。"};
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(it->second, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return Errno();
        done += size_t(n);
    }
    return {};
}

IoResult SimFiles::flushHandle(int64_t handle) {
    if (auto f = injected()) return *f;
    auto it = handles_.find(handle);
    if (it == handles_.end()) return {false, "句柄无效。"};
    if (::fsync(it->second) != 0) return Errno();
    return {};
}

IoResult SimFiles::closeHandle(int64_t handle) {
    auto it = handles_.find(handle);
    if (it == handles_.end()) return {false, "句柄无效。"};
    const int fd = it->second;
    handles_.erase(it);
    const int rc = ::close(fd);  // the handle ends whatever happens
    if (auto f = injected()) return *f;
    if (rc != 0) return Errno();
    return {};
}

IoResult SimFiles::renameFile(const std::string& from, const std::string& to,
                             bool replaceExisting) {
    if (auto f = injected()) return *f;
    if (auto f = held(from)) return *f;
    if (auto f = held(to)) return *f;
    if (auto d = deniedIn(to)) return *d;
    const std::string src = realPath(from), dst = realPath(to);
    if (replaceExisting) {
        if (::rename(src.c_str(), dst.c_str()) != 0) return Errno();
    } else {
        // link + unlink: atomic, and fails with EEXIST when `to` is taken.
        if (::link(src.c_str(), dst.c_str()) != 0) return Errno();
        ::unlink(src.c_str());
    }
    const size_t cut = dst.find_last_of('/');
    int fd = ::open(cut == std::string::npos ? "." : dst.substr(0, cut).c_str(), O_RDONLY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    return {};
}

IoResult SimFiles::removeFile(const std::string& path) {
    if (auto f = injected()) return *f;
    if (auto f = held(path)) return *f;
    if (auto d = deniedIn(path)) return *d;
    if (::unlink(realPath(path).c_str()) != 0) return Errno();
    return {};
}

}  // namespace ny
