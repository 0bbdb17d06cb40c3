#include "platform/sim/sim_host.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "host/devicepath.h"
#include "host/layout.h"
#include "host/wav.h"

namespace ny {
namespace {

constexpr int kGridCellPx = 24;  // the time grid's cells, as the real grid draws them

std::set<std::string>& HeldFiles() {
    static std::set<std::string> held;  // shared by every SimHost of the test process
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

SimHost::SimHost(std::string dir, LocalTime start) : dir_(std::move(dir)) {
    exePath = dir_ + "\\Ny闹钟.exe";
    mono_ = 1'000'000;  // an arbitrary boot-relative start
    wallOffset_ = MsFromCivil(start) - mono_;
}

SimHost::~SimHost() {
    for (const auto& p : held_) HeldFiles().erase(p);
    for (int fd : heldFds_) ::close(fd);
    for (const auto& [h, fd] : handles_) ::close(fd);
}

const SimHost::State* SimHost::find(Ctl c) const {
    auto it = states_.find(static_cast<int>(c));
    return it == states_.end() || !it->second.exists ? nullptr : &it->second;
}

// ---- driving ----------------------------------------------------------------

bool SimHost::fireNextDue(int64_t limit) {
    if (ended_) return false;
    int best = -1;
    int64_t bestDue = 0;
    for (auto& [id, s] : states_) {
        if (!s.exists || s.period <= 0 || s.due > limit) continue;
        if (best < 0 || s.due < bestDue) best = id, bestDue = s.due;
    }
    if (request_ && request_->due <= limit && (best < 0 || request_->due <= bestDue))
        return answerDue(limit);
    if (probe_ && probe_->due <= limit && (best < 0 || probe_->due <= bestDue))
        return answerProbeDue(limit);
    if (best < 0) return false;
    State& s = states_[best];
    mono_ = std::max(mono_, bestDue);
    s.due = mono_ + s.period;  // the handler may re-arm it
    raise(Ev::Tick, static_cast<Ctl>(best));
    return true;
}

bool SimHost::answerDue(int64_t limit) {
    if (ended_ || !request_ || request_->due > limit) return false;
    const SoundRequest r = *request_;
    request_.reset();
    mono_ = std::max(mono_, r.due);
    if (r.starts) heard.push_back({now(), "start", r.path, true});
    problem_ = r.problem;
    raise(r.starts ? Ev::SoundStarted : Ev::SoundFailed, Ctl::MainWindow, r.id);
    problem_ = ToneProblem::None;
    return true;
}

bool SimHost::answerProbeDue(int64_t limit) {
    if (ended_ || !probe_ || probe_->due > limit) return false;
    const Probe p = *probe_;
    probe_.reset();
    mono_ = std::max(mono_, p.due);
    problem_ = p.problem;
    raise(Ev::ToneProbed, Ctl::MainWindow, p.id);
    problem_ = ToneProblem::None;
    return true;
}

void SimHost::advance(int64_t ms) {
    const int64_t target = mono_ + std::max<int64_t>(ms, 0);
    while (fireNextDue(target)) {
    }
    mono_ = std::max(mono_, target);
}

void SimHost::advanceTo(const LocalTime& t) { advance(MsFromCivil(t) - (mono_ + wallOffset_)); }

void SimHost::setWallClock(const LocalTime& t) { wallOffset_ = MsFromCivil(t) - mono_; }

void SimHost::sleep(int64_t ms) {
    mono_ += ms;
    for (auto& [id, s] : states_)
        if (s.exists && s.period > 0 && s.due < mono_) s.due = mono_;
    advance(0);
}

Reply SimHost::raise(Ev kind, Ctl source, int code) {
    if (!onEvent) return Reply::None;
    return onEvent(Event{kind, source, code});
}

void SimHost::selectRow(Ctl list, int row) { st(list).selected = row; }

std::vector<std::string> SimHost::listColumns(Ctl list) const {
    const State* s = find(list);
    return s ? s->columns : std::vector<std::string>{};
}

std::vector<std::string> SimHost::comboItems(Ctl combo) const {
    const State* s = find(combo);
    return s ? s->items : std::vector<std::string>{};
}

std::string SimHost::realPath(const std::string& path) const {
    std::string p = path;
    std::replace(p.begin(), p.end(), '\\', '/');
    return p;
}

// ---- windows --------------------------------------------------------------

void SimHost::loadWindow(Ctl window) {
    const WindowDesign& w = WindowDesignOf(window);
    State& ws = st(window);
    ws = State{};
    ws.exists = true;
    ws.text = std::string(w.caption);
    ws.visible = w.visibleAtLoad;
    ws.x = w.x;
    ws.y = w.y;
    for (const ControlDesign& d : ControlDesigns()) {
        if (d.window != window) continue;
        State s;
        s.exists = true;
        s.text = std::string(d.caption);
        s.enabled = !d.disabled;
        s.visible = !d.hidden;
        s.period = d.timerMs;
        s.due = mono_ + d.timerMs;
        for (int i = 0; i <= d.comboMax; ++i) s.items.push_back((i < 10 ? "0" : "") + std::to_string(i));
        if (d.kind == Kind::Grid) {
            s.gridRows = d.h / kGridCellPx;
            s.gridCols = d.w / kGridCellPx;
            s.cells.assign(size_t(s.gridRows * s.gridCols), "");
        }
        if (d.kind == Kind::MonthCal) {  // like the platform's: today at first
            const LocalTime t = now();
            s.day = LocalTime{t.year, t.month, t.day, 0, 0, 0, 0};
        }
        st(d.id) = s;
    }
    raise(Ev::Created, window);
    if (find(window) && !ended_) raise(Ev::Loaded, window);
}

void SimHost::destroyWindow(Ctl window) {
    for (auto& [id, s] : states_)
        if (WindowOf(static_cast<Ctl>(id)) == window) s = State{};
    if (window == Ctl::MainWindow) {
        ended_ = true;
        trayTip.reset();  // the platform layer leaves no icon behind
    }
}

bool SimHost::exists(Ctl c) { return find(c) != nullptr; }
WindowState SimHost::windowState(Ctl w) { return find(w) ? st(w).windowState : WindowState::Normal; }
void SimHost::setWindowState(Ctl w, WindowState state) {
    if (!find(w)) return;
    st(w).windowState = state;
    raise(Ev::SizeChanged, w);
}
void SimHost::bringToFront(Ctl w) {
    if (w == Ctl::MainWindow) ++frontCount;
}

Rect SimHost::windowRect(Ctl c) {
    if (!find(c)) return {};
    Ctl w = WindowOf(c);
    const WindowDesign& wd = WindowDesignOf(w);
    if (c == w) return {st(w).x, st(w).y, st(w).x + wd.w, st(w).y + wd.h};
    int x = st(w).x, y = st(w).y;
    const ControlDesign* d = FindDesign(c);
    for (const ControlDesign* o = d; o; o = o->origin == w ? nullptr : FindDesign(o->origin))
        x += o->x, y += o->y;
    return {x, y, x + d->w, y + d->h};
}

void SimHost::moveWindow(Ctl w, int left, int top) {
    if (!find(w)) return;
    st(w).x = left;
    st(w).y = top;
}

// ---- properties -------------------------------------------------------------

std::string SimHost::text(Ctl c) { return find(c) ? st(c).text : std::string(); }
void SimHost::setText(Ctl c, std::string_view s) {
    if (find(c)) st(c).text = std::string(s);
}
bool SimHost::enabled(Ctl c) { return find(c) && st(c).enabled; }
void SimHost::setEnabled(Ctl c, bool on) {
    if (find(c)) st(c).enabled = on;
}
bool SimHost::visible(Ctl c) { return find(c) && st(c).visible; }
void SimHost::setVisible(Ctl c, bool on) {
    if (find(c)) st(c).visible = on;
}
int SimHost::caret(Ctl e) { return find(e) ? st(e).caret : 0; }
void SimHost::setCaret(Ctl e, int offset) {
    if (find(e)) st(e).caret = offset;
}

void SimHost::setFocus(Ctl c) {
    if (find(c)) focus_ = c;
}

Ctl SimHost::focused() const { return find(focus_) ? focus_ : Ctl::None; }

void SimHost::setTimer(Ctl t, int64_t periodMs) {
    if (!find(t)) return;
    st(t).period = std::max<int64_t>(periodMs, 0);
    st(t).due = mono_ + st(t).period;
}
int64_t SimHost::timerPeriod(Ctl t) { return find(t) ? st(t).period : 0; }

// ---- list view ----------------------------------------------------------------

void SimHost::listInsertColumn(Ctl l, std::string_view caption, int width) {
    if (!find(l)) return;
    st(l).columns.emplace_back(caption);
    st(l).widths.push_back(width);
}
int SimHost::listColumnWidth(Ctl l, int col) {
    const State* s = find(l);
    return s && col >= 0 && size_t(col) < s->widths.size() ? s->widths[size_t(col)] : 0;
}
void SimHost::resizeColumn(Ctl l, int col, int width) {
    if (!find(l) || col < 0 || size_t(col) >= st(l).widths.size()) return;
    st(l).widths[size_t(col)] = width;
    raise(Ev::ColumnResized, l);
}
std::vector<int> SimHost::listColumnWidths(Ctl l) const {
    const State* s = find(l);
    return s ? s->widths : std::vector<int>{};
}
std::optional<uint8_t> SimHost::weekdayDialog(uint8_t checked) {
    weekdaysAsked.push_back(checked);
    if (weekdayAnswers.empty()) return std::nullopt;
    auto a = weekdayAnswers.front();
    weekdayAnswers.pop_front();
    return a;
}
void SimHost::listShowRows(Ctl l, const ListSource* source, int count) {
    if (!find(l)) return;
    auto& s = st(l);
    s.source = source;
    s.rowCount = source ? std::max(count, 0) : 0;
    ++s.shows;
    // What a screen would show until it is told again: a change the list is
    // not told of stays unseen, as it would on the real one.
    s.rows.clear();
    if (s.rowCount <= kSnapshotRows)
        for (int r = 0; r < s.rowCount; ++r) {
            s.rows.emplace_back();
            for (size_t c = 0; c < s.columns.size(); ++c)
                s.rows.back().push_back(source->cellText(r, int(c)));
        }
    if (s.selected >= s.rowCount) s.selected = -1;
}
std::string SimHost::listCell(Ctl l, int row, int col) {
    if (!find(l) || row < 0 || row >= st(l).rowCount || col < 0) return {};
    const auto& s = st(l);
    if (size_t(row) < s.rows.size())
        return size_t(col) < s.rows[size_t(row)].size() ? s.rows[size_t(row)][size_t(col)] : "";
    return s.source->cellText(row, col);
}
int SimHost::listRowCount(Ctl l) { return find(l) ? st(l).rowCount : 0; }
int SimHost::listSelectedRow(Ctl l) {
    if (!find(l)) return -1;
    const auto& s = st(l);
    return s.selected < s.rowCount ? s.selected : -1;
}
void SimHost::listSelectRow(Ctl l, int row) {
    if (find(l)) st(l).selected = row >= 0 && row < st(l).rowCount ? row : -1;
}
int SimHost::listShowCount(Ctl l) const {
    const State* s = find(l);
    return s ? s->shows : 0;
}

// ---- dialogs, menus, tray, audio ------------------------------------------------

BoxAnswer SimHost::messageBox(std::string_view text, BoxKind kind,
                              std::optional<std::string_view> caption, bool urgent) {
    boxes.push_back({std::string(text), kind,
                     caption ? std::optional<std::string>(std::string(*caption)) : std::nullopt,
                     urgent, now(), {}});
    const int button = answerBox();
    switch (kind) {
        case BoxKind::OkCancel: return button == 1 ? BoxAnswer::Cancel : BoxAnswer::Ok;
        case BoxKind::YesNoDefaultNo: return button == 1 ? BoxAnswer::No : BoxAnswer::Yes;
        default: return BoxAnswer::Ok;
    }
}

int SimHost::answerBox() {
    BoxPress a;
    if (!boxAnswers.empty()) {
        a = std::move(boxAnswers.front());
        boxAnswers.pop_front();
    }
    // The box's own message loop lets answers already due through.
    while (answerDue(mono_) || answerProbeDue(mono_)) {
    }
    if (a.whileOpen) a.whileOpen();
    if (a.elapseMs > 0) advance(a.elapseMs);
    return a.button;
}

std::optional<std::string> SimHost::openFileDialog(std::string_view filter, std::string_view folder) {
    fileFilters.emplace_back(filter);
    fileFolders.emplace_back(folder);
    if (fileAnswers.empty()) return std::nullopt;
    auto a = fileAnswers.front();
    fileAnswers.pop_front();
    return a;
}

void SimHost::popupMenu(Ctl menu) { popups.push_back(menu); }
void SimHost::popupMenuAtRow(Ctl menu, Ctl list, int row) {
    popups.push_back(menu);
    popupRows.push_back(row);
}
void SimHost::setTrayIcon(std::string_view tip) { trayTip = std::string(tip); }
void SimHost::removeTrayIcon() { trayTip.reset(); }
void SimHost::showTrayBalloon(std::string_view text) {
    if (trayTip) balloons.emplace_back(text);
}

ToneProblem SimHost::classify(std::string_view path) {
    std::ifstream in(realPath(std::string(path)), std::ios::binary);
    if (IsDevicePath(path) || !in) return ToneProblem::CannotOpen;
    char head[12] = {};
    in.read(head, sizeof head);
    const auto got = static_cast<size_t>(in.gcount());
    const bool mp3 = got >= 3 && ((head[0] == 'I' && head[1] == 'D' && head[2] == '3') ||
                                  (static_cast<unsigned char>(head[0]) == 0xFF &&
                                   (static_cast<unsigned char>(head[1]) & 0xE0) == 0xE0));
    return mp3 || LooksLikeWav(head, got) ? ToneProblem::None : ToneProblem::NotSound;
}

int SimHost::requestMp3(std::string_view path, int64_t giveUpMs) {
    const ToneProblem found = classify(path);
    const bool ok = found == ToneProblem::None;
    const auto slow = openMs.find(std::string(path));
    const int64_t takes = slow == openMs.end() ? 0 : slow->second;
    const bool givenUp = giveUpMs > 0 && takes > giveUpMs;
    audio.push_back({now(), "play", std::string(path), ok && !givenUp});
    request_ = SoundRequest{nextRequest_++, mono_ + (givenUp ? giveUpMs : takes), ok && !givenUp,
                            std::string(path), givenUp ? ToneProblem::NotInTime : found};
    return request_->id;
}

int SimHost::probeTone(std::string_view path) {
    probes.emplace_back(path);
    const auto slow = openMs.find(std::string(path));
    const int64_t takes = slow == openMs.end() ? 0 : slow->second;
    probe_ = Probe{nextProbe_++, mono_ + takes, classify(path)};
    return probe_->id;
}

void SimHost::prepareMp3(std::string_view path) {
    prepared.push_back({now(), "prepare", std::string(path), true});
}

void SimHost::stopAudio() {
    request_.reset();
    audio.push_back({now(), "stop", "", true});
}
void SimHost::playChime() {
    request_.reset();
    audio.push_back({now(), "chime", "", true});
    heard.push_back({now(), "chime", "", true});
}

// ---- clock --------------------------------------------------------------------

LocalTime SimHost::now() { return CivilFromMs(mono_ + wallOffset_); }

bool SimHost::wait(int64_t ms) {
    if (ended_) return false;
    advance(ms);
    return !ended_;
}

// ---- files --------------------------------------------------------------------

std::optional<IoResult> SimHost::deniedIn(const std::string& path) const {
    const std::string real = realPath(path);
    const size_t cut = real.find_last_of('/');
    const std::string folder = cut == std::string::npos ? "." : real.substr(0, cut);
    for (const std::string& ro : readOnlyDirs)
        if (realPath(ro) == folder) return IoResult{false, "拒绝访问。", IoFailure::Denied};
    return std::nullopt;
}

IoResult SimHost::makeFolder(const std::string& path) {
    if (auto d = deniedIn(path)) return *d;
    std::error_code ec;
    std::filesystem::create_directories(realPath(path), ec);
    if (ec) return {false, ec.message(), IoFailure::Other};
    return {};
}

IoResult SimHost::writeFile(const std::string& path, std::string_view bytes) {
    if (failWrites) return {false, *failWrites};
    if (auto d = deniedIn(path)) return *d;
    if (!WriteAll(realPath(path), bytes, false)) return Errno();
    return {};
}

void SimHost::setHiddenArchive(const std::string& path) { hiddenFiles.push_back(realPath(path)); }

IoResult SimHost::holdExclusive(const std::string& path) {
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

std::optional<IoResult> SimHost::injected(bool isWrite, int fd, std::string_view bytes) {
    ++fileOps;
    if (crashAt != 0 && fileOps == crashAt) {
        if (isWrite && fd >= 0) {
            const size_t half = bytes.size() / 2;
            if (::write(fd, bytes.data(), half) < 0) {
                // the crash comes anyway
            }
        }
        throw SimCrash{fileOps};
    }
    if (failAt != 0 && fileOps >= failAt && fileOps < failAt + failRun)
        return IoResult{false, failReason, failKind};
    return std::nullopt;
}

std::optional<IoResult> SimHost::held(const std::string& path) const {
    const std::string real = realPath(path);
    for (const std::string& h : heldElsewhere)
        if (h == real)
            return IoResult{false, "另一个程序正在使用此文件，进程无法访问。", IoFailure::Sharing};
    return std::nullopt;
}

std::optional<std::string> SimHost::readFile(const std::string& path, std::string* reason) {
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

IoResult SimHost::probeFile(const std::string& path) {
    if (auto f = injected()) return *f;
    struct stat st;
    if (::stat(realPath(path).c_str(), &st) != 0) return Errno();
    return {};
}

IoResult SimHost::fileStamp(const std::string& path, FileStamp* stamp) {
    if (auto f = injected()) return *f;
    struct stat st;
    if (::stat(realPath(path).c_str(), &st) != 0) return Errno();
    stamp->size = uint64_t(st.st_size);
    stamp->writeTime = int64_t(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    return {};
}

IoResult SimHost::createFile(const std::string& path, int64_t* handle) {
    if (auto f = injected()) return *f;
    if (auto f = held(path)) return *f;
    if (failWrites) return {false, *failWrites};
    if (auto d = deniedIn(path)) return *d;
    int fd = ::open(realPath(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return Errno();
    *handle = nextHandle_++;
    handles_[*handle] = fd;
    return {};
}

IoResult SimHost::writeHandle(int64_t handle, std::string_view bytes) {
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

IoResult SimHost::flushHandle(int64_t handle) {
    if (auto f = injected()) return *f;
    auto it = handles_.find(handle);
    if (it == handles_.end()) return {false, "句柄无效。"};
    if (::fsync(it->second) != 0) return Errno();
    return {};
}

IoResult SimHost::closeHandle(int64_t handle) {
    auto it = handles_.find(handle);
    if (it == handles_.end()) return {false, "句柄无效。"};
    const int fd = it->second;
    handles_.erase(it);
    const int rc = ::close(fd);  // the handle ends whatever happens
    if (auto f = injected()) return *f;
    if (rc != 0) return Errno();
    return {};
}

IoResult SimHost::renameFile(const std::string& from, const std::string& to,
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

IoResult SimHost::removeFile(const std::string& path) {
    if (auto f = injected()) return *f;
    if (auto f = held(path)) return *f;
    if (auto d = deniedIn(path)) return *d;
    if (::unlink(realPath(path).c_str()) != 0) return Errno();
    return {};
}

void SimHost::pauseBeforeRetry(int64_t ms) {
    // A blocking pause: time passes, nothing fires meanwhile.
    pausedMs += ms;
    mono_ += ms;
}

void SimHost::exitProcess(int code) {
    ended_ = true;
    throw SimExit{code};
}

// ---- the date and time pickers ---------------------------------------------------

void SimHost::destroyControl(Ctl c) {
    if (find(c)) st(c) = State{};
}

void SimHost::resizeGrid(Ctl g, int rows, int cols) {
    if (!find(g)) return;
    State& s = st(g);
    s.gridRows = std::max(rows, 0);
    s.gridCols = std::max(cols, 0);
    s.cells.assign(size_t(s.gridRows * s.gridCols), "");
}

void SimHost::gridSelect(Ctl g, int row, int col) {
    if (!find(g) || row < 0 || col < 0 || row >= st(g).gridRows || col >= st(g).gridCols) return;
    st(g).curRow = row;
    st(g).curCol = col;
}

void SimHost::chooseCell(Ctl g, int row, int col) {
    if (!find(g)) return;
    st(g).curRow = row;
    st(g).curCol = col;
    raise(Ev::CellChosen, g);
}

void SimHost::clickCalendarDay(Ctl cal, const LocalTime& day) {
    if (!find(cal)) return;
    raise(Ev::MouseDown, cal, kPressOnDay);
    if (!find(cal)) return;
    const LocalTime d{day.year, day.month, day.day, 0, 0, 0, 0};
    if (st(cal).day == d) return;
    st(cal).day = d;
    raise(Ev::SelChange, cal);
}

int SimHost::gridRowCount(Ctl g) { return find(g) ? st(g).gridRows : 0; }
int SimHost::gridColCount(Ctl g) { return find(g) ? st(g).gridCols : 0; }
void SimHost::gridClear(Ctl g) {
    if (find(g)) std::fill(st(g).cells.begin(), st(g).cells.end(), std::string());
}
void SimHost::gridSetCell(Ctl g, int row, int col, std::string_view s) {
    if (!find(g) || row < 0 || col < 0 || row >= st(g).gridRows || col >= st(g).gridCols) return;
    st(g).cells[size_t(row * st(g).gridCols + col)] = std::string(s);
}
std::string SimHost::gridCell(Ctl g, int row, int col) {
    if (!find(g) || row < 0 || col < 0 || row >= st(g).gridRows || col >= st(g).gridCols)
        return {};
    return st(g).cells[size_t(row * st(g).gridCols + col)];
}
int SimHost::gridCurrentRow(Ctl g) { return find(g) ? st(g).curRow : 0; }
int SimHost::gridCurrentCol(Ctl g) { return find(g) ? st(g).curCol : 0; }

LocalTime SimHost::monthCalDate(Ctl cal) { return find(cal) ? st(cal).day : LocalTime{}; }
void SimHost::setMonthCalDate(Ctl cal, const LocalTime& day) {
    if (find(cal)) st(cal).day = LocalTime{day.year, day.month, day.day, 0, 0, 0, 0};
}

Rect SimHost::workArea(Ctl) { return screenWork; }

}  // namespace ny

// ---- beyond the basics ----------------------------------------------------------

namespace ny {

std::optional<std::string> SimHost::startupValue(std::string_view name) {
    auto it = startupValues.find(std::string(name));
    if (it == startupValues.end()) return std::nullopt;
    return it->second;
}

IoResult SimHost::setStartupValue(std::string_view name, std::string_view command) {
    if (failStartupWrites) return {false, *failStartupWrites};
    startupValues[std::string(name)] = std::string(command);
    return {};
}

IoResult SimHost::deleteStartupValue(std::string_view name) {
    if (failStartupWrites) return {false, *failStartupWrites};
    startupValues.erase(std::string(name));
    return {};
}

void SimHost::setMenuChecked(Ctl item, bool on) { menuChecks[item] = on; }

void SimHost::armWakeTimer(std::optional<LocalTime> at) {
    wakeAt = at;
    ++wakeArmCalls;
}

// ---- snooze, ringing until stopped -----------------------------------------------

RingAnswer SimHost::ringBox(std::string_view text, std::string_view second,
                            std::string_view title) {
    boxes.push_back({std::string(text), BoxKind::Ok,
                     title.empty() ? std::nullopt : std::optional<std::string>(title), true, now(),
                     std::string(second)});
    return answerBox() == 1 ? RingAnswer::Snooze : RingAnswer::Ok;
}

void SimHost::setLooping(bool on) {
    looping = on;
    loopCalls.push_back({now(), on});
}

std::optional<uint32_t> SimHost::settingValue(std::string_view name) {
    auto it = settings.find(std::string(name));
    if (it == settings.end()) return std::nullopt;
    return it->second;
}

IoResult SimHost::setSettingValue(std::string_view name, uint32_t value) {
    if (failSettingWrites) return {false, *failSettingWrites};
    settings[std::string(name)] = value;
    return {};
}

}  // namespace ny
