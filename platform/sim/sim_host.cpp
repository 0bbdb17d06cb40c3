#include "platform/sim/sim_host.h"

#include <algorithm>
#include <fstream>

#include "host/devicepath.h"
#include "host/layout.h"
#include "host/wav.h"

namespace ny {
namespace {

constexpr int kGridCellPx = 24;  // the time grid's cells, as the real grid draws them

}  // namespace

SimHost::SimHost(std::string dir, LocalTime start) : dir_(std::move(dir)) {
    exePath = dir_ + "\\Ny闹钟.exe";
    mono_ = 1'000'000;  // an arbitrary boot-relative start
    wallOffset_ = MsFromCivil(start) - mono_;
}

SimHost::~SimHost() = default;

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
    raiseJobsEnded();  // posted before the time that passes now
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
    struct Depth {
        int& d;
        explicit Depth(int& x) : d(x) { ++d; }
        ~Depth() { --d; }
    };
    Reply r;
    {
        Depth depth(raiseDepth_);
        r = onEvent(Event{kind, source, code});
    }
    // As a message posted meanwhile: its turn comes once the handler is done.
    if (raiseDepth_ == 0) raiseJobsEnded();
    return r;
}

// ---- work off the window's thread ----------------------------------------------

int SimHost::startJob(std::function<void()> job) {
    while (!held_.empty()) finishJob(held_.front().id);  // one at a time
    const int id = nextJob_++;
    if (holdJobs) {
        held_.push_back({id, std::move(job)});
        return id;
    }
    job();
    jobsEnded_.push_back(id);
    return id;
}

void SimHost::finishJob(int id) {
    std::erase(jobsEnded_, id);
    auto it = std::find_if(held_.begin(), held_.end(), [id](const Job& j) { return j.id == id; });
    if (it == held_.end()) return;
    std::function<void()> run = std::move(it->run);
    held_.erase(it);
    run();
}

void SimHost::runJobs() {
    while (!held_.empty()) {
        std::function<void()> run = std::move(held_.front().run);
        const int id = held_.front().id;
        held_.erase(held_.begin());
        run();
        jobsEnded_.push_back(id);
    }
    raiseJobsEnded();
}

void SimHost::raiseJobsEnded() {
    while (!jobsEnded_.empty() && !ended_) {
        const int id = jobsEnded_.front();
        jobsEnded_.erase(jobsEnded_.begin());
        raise(Ev::JobDone, Ctl::MainWindow, id);
    }
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
    std::ifstream in(SimFiles::realPath(std::string(path)), std::ios::binary);
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

void SimHost::pauseBeforeRetry(int64_t ms) {
    // A blocking pause: time passes, nothing fires meanwhile.
    files.pauseBeforeRetry(ms);
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
