// A soak of the alarm clock on the sim host: the whole program (handlers,
// book, store, list) driven for days of virtual time by seeded random
// events, checked after every one against a model of our own that knows
// only what the user did and was told, and what another program wrote.
//
//   ny_soak [--seeds N] [--days D] [--first S] [--verbose]
//
// One line per seed and a total: events, virtual minutes, alarm minutes that
// came due, rings, and the four faults with their first examples:
//   missed  an alarm due while the program ran with its store read did not
//           ring within 90 s of running time;
//   untold  an alarm whose minute passed while the program was not running
//           (or could not read its store) was not named at the next start;
//   double  a ring (or a name in the missed notice) of an alarm that was not
//           due: rung twice, rung after it was deleted, told though it rang;
//   lost    the list, the book or ny.edb differ from the model: a change
//           the user was told was made is missing, one told as refused was
//           made, or an alarm changed by itself. The model then takes the
//           book, so that one fault is counted once.
// Exits 1 when any count is above 0.
//
// What the model follows (each rule read from its handler):
//  - 添加 appends; a minute already checked (this minute, later seconds)
//    rings at the next minute's check, so a ring is judged late only after
//    90 s of running time.
//  - A ring marks the alarm whether or not ny.edb can be written (the mark
//    is written later); a one-time alarm becomes 已响, a repeating one moves
//    to its first occurrence after the minute it rang in.
//  - Snooze (the ring box's second button) sets a one-time alarm itself to
//    the current minute + 10, 未响; a repeating alarm gets a one-time
//    companion with its prompt and tone at the end of the list.
//  - 修改/保存 replaces the alarm in place: new minute and prompt, same
//    rule, 未响. A rule set on an alarm that has rung brings it back at its
//    own minute if still ahead, else at its next occurrence after now.
//  - At start, alarms still 未响 before the start minute are named in one
//    notice (count, then up to ten lines "minute  prompt") and settled: a
//    one-time alarm 已响, a repeating one moved to its first occurrence from
//    the start minute on. The start minute itself is the check's to ring.
//  - After the clock was set back, an alarm that rang in the minutes lived
//    twice may ring again when its minute comes (the check rings whatever
//    is at the current minute): such a ring is allowed, not required.
//  - After the clock was set back, such a ring stays allowed across a
//    restart: the minutes were lived twice whether or not the program ran.
//  - A box left open for minutes: what falls due meanwhile rings once it is
//    closed, and a snooze counts from the minute the box was answered in.
//  - A change whose boxes said it was not saved is not in the model; a crash
//    inside a write leaves either the old or the new file, never another.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "mainwindow/dispatch.h"
#include "platform/sim/sim_host.h"
#include "store/alarmstore.h"
#include "store/recordfile.h"

namespace {

using namespace ny;

constexpr int64_t kMinuteMs = 60'000;
constexpr int64_t kDayMinutes = 1440;
constexpr int kSnoozeMinutes = 10;       // the default length, never changed here
constexpr int64_t kLateMs = 90'000;      // a ring later than this (running time) is missed
constexpr size_t kNoticeLines = 10;      // the missed notice names at most this many
constexpr size_t kExamples = 4;          // examples kept of each fault

// ---- the model ------------------------------------------------------------

// Monday 0 … Sunday 6 of a minute (1970-01-01 was a Thursday).
int Weekday(Minute m) {
    const int64_t day = m >= 0 ? m / kDayMinutes : (m - kDayMinutes + 1) / kDayMinutes;
    return int(((day + 3) % 7 + 7) % 7);
}

bool Fits(Repeat r, Minute m, Minute first) {
    switch (r) {
        case Repeat::Weekdays: return Weekday(m) < 5;
        case Repeat::Weekly: return Weekday(m) == Weekday(first);
        default: return true;
    }
}

// The first occurrence a whole number of days (at least one) after `m` that
// lies after `after` and fits the rule.
Minute Next(Minute m, Repeat r, Minute after) {
    for (int64_t k = 1;; ++k) {
        const Minute c = m + k * kDayMinutes;
        if (c > after && Fits(r, c, m)) return c;
    }
}

std::string Text(Minute m) {
    const LocalTime t = CivilFromMs(m * kMinuteMs);
    char s[32];
    std::snprintf(s, sizeof s, "%04d-%02d-%02d %02d:%02d", t.year, t.month, t.day, t.hour, t.minute);
    return s;
}

std::string Label(Repeat r, Minute m) {
    static const char* const kDays[] = {"一", "二", "三", "四", "五", "六", "日"};
    switch (r) {
        case Repeat::Daily: return "每天";
        case Repeat::Weekdays: return "工作日";
        case Repeat::Weekly: return std::string("每周") + kDays[Weekday(m)];
        default: return "";
    }
}

const char* StateText(RingState s) {
    switch (s) {
        case RingState::NotRung: return "未响";
        case RingState::Rung: return "已响";
        default: return "停用";
    }
}

struct MAlarm {
    Minute minute = 0;
    Repeat repeat = Repeat::Once;
    RingState state = RingState::NotRung;
    std::string tone, prompt;
    // Driver's bookkeeping, not compared.
    std::optional<int64_t> dueSince;  // running ms when first seen due
    bool toldAtStart = false;         // to be named in this run's notice
    bool missedCounted = false;

    bool pending() const { return state == RingState::NotRung; }
    bool same(const MAlarm& o) const {
        return minute == o.minute && repeat == o.repeat && state == o.state && tone == o.tone &&
               prompt == o.prompt;
    }
    std::string show() const {
        std::string s = prompt + " " + Text(minute);
        if (repeat != Repeat::Once) s += " " + Label(repeat, minute);
        return s + " " + StateText(state);
    }
};

// The alarm once it has rung (or was told as missed) in minute `after`.
void Rang(MAlarm& a, Minute after) {
    if (a.repeat == Repeat::Once) a.state = RingState::Rung;
    else a.minute = Next(a.minute, a.repeat, after), a.state = RingState::NotRung;
    a.dueSince.reset();
    a.toldAtStart = false;
    a.missedCounted = false;
}

MAlarm FromAlarm(const Alarm& a) {
    MAlarm m;
    m.minute = a.minute;
    m.repeat = a.repeat;
    m.state = a.state;
    m.tone = a.tone;
    m.prompt = a.prompt;
    return m;
}

Alarm ToAlarm(const MAlarm& m) {
    Alarm a;
    a.minute = m.minute;
    a.repeat = m.repeat;
    a.state = m.state;
    a.tone = m.tone;
    a.prompt = m.prompt;
    return a;
}

bool Contains(const std::string& s, const char* part) { return s.find(part) != std::string::npos; }

// ---- the driver ----------------------------------------------------------------

struct Counts {
    int64_t events = 0, minutes = 0, due = 0, rings = 0, replays = 0, told = 0;
    int64_t missed = 0, untold = 0, doubled = 0, lost = 0;
    void add(const Counts& o) {
        events += o.events, minutes += o.minutes, due += o.due, rings += o.rings;
        replays += o.replays, told += o.told;
        missed += o.missed, untold += o.untold, doubled += o.doubled, lost += o.lost;
    }
    int64_t faults() const { return missed + untold + doubled + lost; }
};

enum class Fault { Missed, Untold, Double, Lost };

class Soak {
public:
    Soak(uint64_t seed, int days, bool verbose) : seed_(seed), days_(days), verbose_(verbose), rng_(seed) {
        char tmpl[] = "/tmp/nysoakXXXXXX";
        dir_ = ::mkdtemp(tmpl);
        std::FILE* f = std::fopen((dir_ + "/alarm.mp3").c_str(), "wb");
        std::fputs("ID3 default tone", f);
        std::fclose(f);
    }
    ~Soak() {
        app_.reset();
        host_.reset();
        std::filesystem::remove_all(dir_);
    }

    Counts run();
    std::vector<std::string> examples[4];

private:
    // ---- randomness
    int64_t uniform(int64_t lo, int64_t hi) { return std::uniform_int_distribution<int64_t>(lo, hi)(rng_); }
    bool chance(double p) { return std::bernoulli_distribution(p)(rng_); }

    // ---- the program
    void start(const LocalTime& t, bool held);
    void stop();
    LocalTime now() { return host_->now(); }
    Minute nowMinute() { return MinuteAt(now()); }
    bool loaded() { return app_->alarmsLoaded; }
    bool faultsOn() {
        return host_->files.faults.failAt != 0 || !host_->files.faults.heldElsewhere.empty();
    }
    void clearFaults() {
        host_->files.faults.failAt = 0;
        host_->files.faults.heldElsewhere.clear();
        faultEnd_.reset();
    }
    std::string storePath() { return dir_ + "/ny.edb"; }
    void click(Ctl c) { host_->raise(Ev::Click, c); }
    void selectRow(int r) {
        host_->selectRow(Ctl::超级列表框1, r);
        host_->raise(Ev::RightClick, Ctl::超级列表框1);
    }

    // ---- time
    void passTo(int64_t wallMs);  // lets time pass while running, ring by ring
    void step(int64_t wallMs);            // one advance, its boxes judged
    int64_t wallMs() { return MsFromCivil(now()); }
    void judgeDue();

    // ---- boxes
    // The boxes shown since `from`, judged: rings and the missed notice
    // update the model; returns whether any other box said something bad.
    using Answers = std::vector<SimHost::BoxPress>;
    // Answers for the boxes to come: OK or the second button at random (a
    // message box takes either as OK); while no file fault is on, some stay
    // open for minutes, and what falls due meanwhile rings after them.
    Answers randomAnswers(size_t n, double second = 0.3);
    bool takeBoxes(size_t from, const Answers& answers, size_t skip = 0);
    void ring(const SimHost::Box& box, bool snooze, bool snoozeSaved, int64_t openMs);
    void notice(const std::string& text);
    static bool Bad(const std::string& text) {
        return !Contains(text, "新闹钟已加在其后") && !Contains(text, "已按列表中的闹钟重新建立") &&
               !Contains(text, "现在无法读写") && !Contains(text, "程序没有运行时错过了");
    }

    // ---- the user's actions (each returns whether it was accepted)
    bool userAction(const std::function<void()>& act, Answers answers = {}, size_t skip = 0);
    void addAlarm(bool forNoticing = false);
    void deleteRow();
    void clearAll();
    void editRow();
    void setRule();
    void quitAndRestart(bool held);
    void crashInAWrite();
    void failOps();
    void holdElsewhere();
    void foreignWrite(bool remove);
    void clockJump(bool back);
    void sleepFor();

    // ---- checks
    void fault(Fault f, const std::string& what);
    void compare(const char* after);
    std::optional<std::vector<MAlarm>> fileAlarms();
    std::vector<MAlarm> bookAlarms();
    std::string tag(char c) { return std::string(1, c) + std::to_string(++tags_); }
    std::string whereNow() {
        char s[64];
        const LocalTime t = now();
        std::snprintf(s, sizeof s, "seed %llu %04d-%02d-%02d %02d:%02d:%02d", (unsigned long long)seed_,
                      t.year, t.month, t.day, t.hour, t.minute, t.second);
        return s;
    }

    uint64_t seed_;
    int days_;
    bool verbose_;
    std::mt19937_64 rng_;
    std::string dir_;
    std::unique_ptr<SimHost> host_;
    std::unique_ptr<App> app_;
    std::vector<MAlarm> model_;
    Counts c_;
    int tags_ = 0;
    int64_t lived_ = 0;                // virtual ms lived by the user (jumps excluded)
    int64_t lastMono_ = 0;
    std::optional<int64_t> faultEnd_;  // wall ms when the file faults end
    bool noticeSeen_ = false;
    size_t toldAtStart_ = 0;
    std::vector<std::pair<Minute, Minute>> replay_;  // minutes lived twice
    std::string tone_;
};

void Soak::fault(Fault f, const std::string& what) {
    int64_t* n[] = {&c_.missed, &c_.untold, &c_.doubled, &c_.lost};
    ++*n[int(f)];
    auto& ex = examples[int(f)];
    if (ex.size() < kExamples) ex.push_back(whereNow() + ": " + what);
    if (verbose_) std::printf("  FAULT %s: %s\n", whereNow().c_str(), what.c_str());
}

// ---- starting and ending -------------------------------------------------------

void Soak::start(const LocalTime& t, bool held) {
    host_ = std::make_unique<SimHost>(dir_, t);
    app_ = std::make_unique<App>(*host_);
    host_->onEvent = [this](const Event& e) { return Dispatch(*app_, e); };
    lastMono_ = host_->monotonicMs();
    faultEnd_.reset();
    if (held) {
        host_->files.faults.heldElsewhere = {storePath()};
        faultEnd_ = MsFromCivil(t) + uniform(2, 40) * kMinuteMs;
    }
    // What the notice of this start must name: every alarm still to ring
    // whose minute passed while the program was not running.
    const Minute startMinute = MinuteAt(t);
    toldAtStart_ = 0;
    for (MAlarm& a : model_) {
        a.dueSince.reset();
        a.toldAtStart = a.pending() && a.minute < startMinute;
        toldAtStart_ += a.toldAtStart;
    }
    noticeSeen_ = false;
    // The minutes lived twice stay so after a restart: the check rings what
    // stands at its minute, rung or not.
    host_->loadWindow(Ctl::MainWindow);
    tone_ = host_->text(Ctl::铃声路径);
    takeBoxes(0, {});
    judgeDue();
}

void Soak::stop() {
    lived_ += host_->monotonicMs() - lastMono_;
    app_.reset();
    host_.reset();
}

// ---- time ------------------------------------------------------------------------

void Soak::judgeDue() {
    if (!loaded()) return;
    // The notice must have come once the book holds the store and the
    // program has told what it had to.
    if (!app_->missedStillToTell && !noticeSeen_ && toldAtStart_ > 0) {
        for (MAlarm& a : model_)
            if (a.toldAtStart) {
                fault(Fault::Untold, "no missed notice for " + a.show());
                a.toldAtStart = false;
            }
        noticeSeen_ = true;
    }
    const Minute m = nowMinute();
    const int64_t mono = host_->monotonicMs();
    for (MAlarm& a : model_) {
        if (!a.pending() || a.toldAtStart || a.missedCounted || a.minute > m) continue;
        if (!a.dueSince) a.dueSince = mono;
        else if (mono - *a.dueSince >= kLateMs) {
            fault(Fault::Missed, a.show() + " did not ring");
            a.missedCounted = true;
            ++c_.due;
        }
    }
}

void Soak::step(int64_t toMs) {
    const size_t from = host_->boxes.size();
    // Answers for the ring boxes to come: OK or the snooze at random. A
    // plain message box takes its answer too, as OK whatever it is given,
    // so which box got what is known afterwards from the order alone.
    const Answers answers = randomAnswers(8);
    for (const auto& a : answers) host_->boxAnswers.push_back(a);
    host_->advanceTo(CivilFromMs(toMs));
    takeBoxes(from, answers);
    host_->boxAnswers.clear();
    judgeDue();
}

void Soak::passTo(int64_t toMs) {
    while (wallMs() < toMs) {
        const int64_t t = wallMs();
        const Minute m = MinuteAt(CivilFromMs(t));
        int64_t target = toMs;
        if (faultEnd_) target = std::min(target, std::max(*faultEnd_, t + 1));
        // Every minute an alarm is due in, just after its check (one second
        // per ring); one still unrung is looked at again a minute later.
        std::optional<Minute> next;
        int count = 0;
        for (const MAlarm& a : model_) {
            if (!a.pending() || a.toldAtStart || a.missedCounted) continue;
            const Minute at = std::max(a.minute, m + 1);
            if (!next || at < *next) next = at, count = 0;
            if (at == *next) ++count;
        }
        if (next) target = std::min(target, *next * kMinuteMs + 3000 + 1000 * std::min(count, 50));
        step(target);
        if (faultEnd_ && wallMs() >= *faultEnd_) clearFaults();
        compare("time passing");
    }
}

// ---- boxes -----------------------------------------------------------------------

Soak::Answers Soak::randomAnswers(size_t n, double second) {
    Answers out;
    for (size_t i = 0; i < n; ++i) {
        SimHost::BoxPress p;
        p.button = chance(second) ? 1 : 0;
        if (!faultsOn() && chance(0.15)) p.elapseMs = uniform(1'000, 5 * kMinuteMs);
        out.push_back(p);
    }
    return out;
}

bool Soak::takeBoxes(size_t from, const Answers& answers, size_t skip) {
    const auto& boxes = host_->boxes;
    bool bad = false;
    for (size_t i = from + skip; i < boxes.size(); ++i) {
        const SimHost::Box& b = boxes[i];
        const size_t k = i - from;
        if (!b.second.empty()) {
            // The snooze is saved unless a box before the next ring says no.
            bool saved = true;
            for (size_t j = i + 1; j < boxes.size() && boxes[j].second.empty(); ++j)
                if (Bad(boxes[j].text)) saved = false;
            ring(b, k < answers.size() && answers[k].button == 1, saved, k < answers.size() ? answers[k].elapseMs : 0);
            // The boxes of a refused snooze are the snooze's, not the action's.
            for (; i + 1 < boxes.size() && boxes[i + 1].second.empty() && Bad(boxes[i + 1].text); ++i) {
            }
            continue;
        }
        if (Contains(b.text, "程序没有运行时错过了")) notice(b.text);
        else if (Bad(b.text)) bad = true;
    }
    return bad;
}

void Soak::ring(const SimHost::Box& box, bool snooze, bool snoozeSaved, int64_t openMs) {
    ++c_.rings;
    const Minute at = MinuteAt(box.at);
    if (verbose_) std::printf("  ring %s %s at %s%s\n", box.text.c_str(), box.caption.value_or("").c_str(), Text(at).c_str(), snooze ? ", snoozed" : "");
    // The title names the alarm's minute: "Ny闹钟 - HH:MM".
    const std::string hhmm = box.caption && box.caption->size() >= 5 ? box.caption->substr(box.caption->size() - 5) : "";
    auto hhmmOf = [](Minute m) { return Text(m).substr(11, 5); };
    MAlarm* hit = nullptr;
    bool replay = false;
    for (MAlarm& a : model_)
        if (a.prompt == box.text && a.pending() && a.minute <= at && hhmmOf(a.minute) == hhmm) { hit = &a; break; }
    if (!hit)
        for (MAlarm& a : model_) {
            if (a.prompt != box.text || a.state != RingState::Rung || hhmmOf(a.minute) != hhmm) continue;
            for (const auto& [lo, hi] : replay_)
                if (lo <= a.minute && a.minute <= hi) hit = &a, replay = true;
            if (hit) break;
        }
    if (!hit) {
        std::string known;
        for (const MAlarm& a : model_)
            if (a.prompt == box.text) known += " [" + a.show() + "]";
        fault(Fault::Double, "rang " + box.text + " " + hhmm + " not due;" + (known.empty() ? " not in the list" : known));
        return;
    }
    if (replay) ++c_.replays;
    else {
        ++c_.due;
        Rang(*hit, at);
    }
    if (!snooze || !snoozeSaved) return;
    // From the minute the box was answered in.
    const Minute then = MinuteAt(CivilFromMs(MsFromCivil(box.at) + openMs)) + kSnoozeMinutes;
    if (hit->repeat == Repeat::Once) {
        hit->minute = then;
        hit->state = RingState::NotRung;
        hit->dueSince.reset();
    } else {
        MAlarm c;
        c.minute = then;
        c.tone = hit->tone;
        c.prompt = hit->prompt;
        model_.push_back(c);
    }
}

void Soak::notice(const std::string& text) {
    ++c_.told;
    if (noticeSeen_) fault(Fault::Double, "a second missed notice: " + text.substr(0, 80));
    noticeSeen_ = true;
    size_t named = 0;
    std::sscanf(text.c_str(), "程序没有运行时错过了 %zu", &named);
    std::vector<MAlarm*> expected;
    for (MAlarm& a : model_)
        if (a.toldAtStart) expected.push_back(&a);
    for (size_t i = 0; i < expected.size(); ++i) {
        const bool listed = Contains(text, ("\n" + Text(expected[i]->minute) + "  " + expected[i]->prompt).c_str());
        if (i < kNoticeLines ? !listed : i >= named) fault(Fault::Untold, expected[i]->show() + " not in the missed notice");
    }
    if (named > expected.size())
        fault(Fault::Double, "the missed notice names " + std::to_string(named) + ", expected " +
                                 std::to_string(expected.size()));
    // Settled as the notice's handler does: from the start minute on.
    const Minute startMinute = *app_->startMinute;
    for (MAlarm* a : expected) Rang(*a, startMinute - 1);
}

// ---- the user's actions ----------------------------------------------------------------

bool Soak::userAction(const std::function<void()>& act, Answers answers, size_t skip) {
    const size_t from = host_->boxes.size();
    for (const auto& a : answers) host_->boxAnswers.push_back(a);
    act();
    host_->boxAnswers.clear();
    return !takeBoxes(from, answers, skip);
}

void Soak::addAlarm(bool forNoticing) {
    const LocalTime t = now();
    Minute m;
    int sec = 0;
    if (!forNoticing && t.second <= 50 && chance(0.05)) {
        // This very minute, a few seconds on: its check has run already.
        m = MinuteAt(t);
        sec = int(uniform(t.second + 3, 59));
    } else {
        m = MinuteAt(t) + (chance(0.7) ? uniform(1, 180) : uniform(181, kDayMinutes));
    }
    const std::string prompt = tag('A');
    const LocalTime at = CivilFromMs(m * kMinuteMs);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", at.year, at.month, at.day, at.hour,
                  at.minute, sec);
    const std::string tone = host_->text(Ctl::铃声路径);
    const bool ok = userAction([&] {
        host_->setText(Ctl::编辑框1, text);
        host_->setText(Ctl::闹钟提示信息输入, prompt);
        click(Ctl::添加);
    });
    if (!ok) return;
    MAlarm a;
    a.minute = m;
    a.tone = tone;
    a.prompt = prompt;
    model_.push_back(a);
    if (forNoticing || !chance(0.3)) return;
    // Made to repeat, as the list menu does it.
    static constexpr std::pair<Ctl, Repeat> kRules[] = {
        {Ctl::重复_每天, Repeat::Daily}, {Ctl::重复_工作日, Repeat::Weekdays}, {Ctl::重复_每周, Repeat::Weekly}};
    const auto& [item, rule] = kRules[uniform(0, 2)];
    const int row = int(model_.size()) - 1;
    if (userAction([&] {
            selectRow(row);
            click(item);
        }))
        model_[size_t(row)].repeat = rule;
}

void Soak::deleteRow() {
    // The user picks from the rows shown: none before the store is read.
    if (model_.empty() || !loaded()) return;
    const int row = int(uniform(0, int64_t(model_.size()) - 1));
    if (userAction([&] {
            selectRow(row);
            click(Ctl::删除);
        }))
        model_.erase(model_.begin() + row);
}

void Soak::clearAll() {
    const bool yes = chance(0.7);
    const bool wasLoaded = loaded();
    // The first box is the question; the rest tell what came of it.
    Answers question = randomAnswers(1, 0);
    question[0].button = yes ? 0 : 1;
    const bool ok = userAction([&] { click(Ctl::清空列表); }, question, 1);
    // A list start-up could not fill is filled, not cleared unseen.
    if (ok && yes && wasLoaded) model_.clear();
}

void Soak::editRow() {
    // The user picks from the rows shown: none before the store is read.
    if (model_.empty() || !loaded()) return;
    const int row = int(uniform(0, int64_t(model_.size()) - 1));
    const Minute m = nowMinute() + uniform(1, 600);
    const LocalTime at = CivilFromMs(m * kMinuteMs);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:00", at.year, at.month, at.day, at.hour, at.minute);
    const std::string prompt = tag('E');
    const bool ok = userAction([&] {
        selectRow(row);
        click(Ctl::修改);
        host_->setText(Ctl::编辑框1, text);
        host_->setText(Ctl::闹钟提示信息输入, prompt);
        click(Ctl::添加);
    });
    if (app_->editingId != 0) click(Ctl::取消);  // not saved: given up
    if (!ok) return;
    MAlarm& a = model_[size_t(row)];
    a.minute = m;
    a.prompt = prompt;
    a.state = RingState::NotRung;
    a.dueSince.reset();
    a.toldAtStart = a.missedCounted = false;
}

void Soak::setRule() {
    // The user picks from the rows shown: none before the store is read.
    if (model_.empty() || !loaded()) return;
    static constexpr std::pair<Ctl, Repeat> kRules[] = {{Ctl::重复_不重复, Repeat::Once},
                                                        {Ctl::重复_每天, Repeat::Daily},
                                                        {Ctl::重复_工作日, Repeat::Weekdays},
                                                        {Ctl::重复_每周, Repeat::Weekly}};
    const auto& [item, rule] = kRules[uniform(0, 3)];
    const int row = int(uniform(0, int64_t(model_.size()) - 1));
    const Minute m = nowMinute();
    if (!userAction([&] {
            selectRow(row);
            click(item);
        }))
        return;
    MAlarm& a = model_[size_t(row)];
    a.repeat = rule;
    // A rule set on an alarm that has rung brings it back.
    if (a.state == RingState::Rung && rule != Repeat::Once) {
        if (a.minute <= m) a.minute = Next(a.minute, rule, m);
        a.state = RingState::NotRung;
        a.dueSince.reset();
    }
}

void Soak::quitAndRestart(bool held) {
    if (loaded() && !app_->rungUnmarked.empty()) passTo(wallMs() + kMinuteMs + 1000);  // marks written
    const bool wasLoaded = loaded();
    click(Ctl::关闭);
    const int64_t off = wasLoaded ? uniform(1, 8 * 60) * kMinuteMs + uniform(0, 59'999) : uniform(1, 90) * kMinuteMs;
    const LocalTime at = CivilFromMs(wallMs() + off);
    stop();
    lived_ += off;
    start(at, held);
    compare("restart");
}

void Soak::crashInAWrite() {
    // The process stops at one of the next file operations (the add's
    // write usually): the file is then the old one or the new one.
    std::vector<MAlarm> before = model_;
    host_->files.faults.crashAt = host_->files.ops + uniform(1, 10);
    bool crashed = false;
    try {
        addAlarm(true);
    } catch (const SimCrash&) {
        crashed = true;
    }
    host_->files.faults.crashAt = 0;
    if (!crashed) {
        compare("a write not stopped");
        return;
    }
    std::vector<MAlarm> after = before;
    // addAlarm did not get to record it: the one alarm it was adding.
    MAlarm added;
    added.prompt = "A" + std::to_string(tags_);
    added.minute = MinuteOfText(host_->text(Ctl::编辑框1).substr(0, 16)).value_or(0);
    added.tone = host_->text(Ctl::铃声路径);
    after.push_back(added);
    const int64_t off = uniform(1, 30) * kMinuteMs;
    const LocalTime at = CivilFromMs(wallMs() + off);
    stop();
    lived_ += off;
    const std::optional<std::vector<MAlarm>> file = fileAlarms();
    auto same = [](const std::vector<MAlarm>& x, const std::vector<MAlarm>& y) {
        return x.size() == y.size() && std::equal(x.begin(), x.end(), y.begin(), [](auto& a, auto& b) { return a.same(b); });
    };
    // ny.edb is replaced whole, never missing: no leftover needs the program.
    if (file && same(*file, after)) model_ = after;
    else if (file && same(*file, before)) model_ = before;
    else {
        fault(Fault::Lost, "after a stop inside a write ny.edb is neither the old nor the new list");
        if (file) model_ = *file;
    }
    start(at, false);
    compare("restart after a stop");
}

void Soak::failOps() {
    auto& f = host_->files.faults;
    f.failAt = host_->files.ops + 1;
    f.failRun = int(uniform(1, 8));
    static constexpr IoFailure kKinds[] = {IoFailure::Other, IoFailure::Sharing, IoFailure::Denied};
    f.failKind = kKinds[uniform(0, 2)];
    faultEnd_ = wallMs() + uniform(5, 60) * kMinuteMs;
}

void Soak::holdElsewhere() {
    host_->files.faults.heldElsewhere = {storePath()};
    faultEnd_ = wallMs() + uniform(5, 60) * kMinuteMs;
}

void Soak::foreignWrite(bool remove) {
    std::vector<MAlarm> next = model_;
    if (!remove) {
        if (!next.empty() && chance(0.5)) next.erase(next.begin() + uniform(0, int64_t(next.size()) - 1));
        if (!next.empty() && chance(0.5)) {
            MAlarm& a = next[size_t(uniform(0, int64_t(next.size()) - 1))];
            a.minute = nowMinute() + uniform(1, 300);
            a.state = RingState::NotRung;
            a.dueSince.reset();
            a.missedCounted = false;
        }
        if (chance(0.7)) {
            MAlarm a;
            a.minute = nowMinute() + uniform(1, 600);
            a.tone = tone_;
            a.prompt = tag('F');
            next.push_back(a);
        }
        std::vector<Alarm> out;
        for (const MAlarm& a : next) out.push_back(ToAlarm(a));
        namespace fs = std::filesystem;
        std::error_code ec;
        const fs::file_time_type was = fs::last_write_time(storePath(), ec);
        SimFiles other;
        if (!AlarmStore(other, dir_).save(out).ok()) return;
        // Virtual hours pass here in real microseconds: a file of the same
        // size could keep the write time the file system gave the
        // program's own last write. Another program writes later than that.
        if (!ec && fs::last_write_time(storePath()) <= was)
            fs::last_write_time(storePath(), was + std::chrono::seconds(2));
    } else {
        std::filesystem::remove(storePath());
    }
    model_ = next;
    // The program notices at its next write: the user adds an alarm.
    addAlarm(true);
    compare(remove ? "ny.edb deleted elsewhere" : "ny.edb replaced elsewhere");
}

void Soak::clockJump(bool back) {
    const int64_t by = back ? -uniform(5, 180) * kMinuteMs : uniform(5, 6 * 60) * kMinuteMs;
    const Minute was = nowMinute();
    const size_t from = host_->boxes.size();
    host_->setWallClock(CivilFromMs(wallMs() + by + uniform(-20'000, 20'000)));
    if (back) replay_.push_back({nowMinute(), was});
    const Answers answers = randomAnswers(60);
    for (const auto& a : answers) host_->boxAnswers.push_back(a);
    host_->raise(Ev::ClockChanged, Ctl::MainWindow);
    takeBoxes(from, answers);
    host_->boxAnswers.clear();
    judgeDue();
    compare(back ? "clock set back" : "clock set forward");
}

void Soak::sleepFor() {
    const int64_t ms = uniform(10, 8 * 60) * kMinuteMs + uniform(0, 59'999);
    const size_t from = host_->boxes.size();
    const Answers answers = randomAnswers(60);
    for (const auto& a : answers) host_->boxAnswers.push_back(a);
    host_->sleep(ms);
    host_->raise(Ev::ClockChanged, Ctl::MainWindow);
    takeBoxes(from, answers);
    host_->boxAnswers.clear();
    judgeDue();
    compare("asleep");
}

// ---- checks -------------------------------------------------------------------------

std::optional<std::vector<MAlarm>> Soak::fileAlarms() {
    SimFiles reader;
    RecordFile f(reader);
    if (!f.open(storePath()).ok()) return std::nullopt;
    std::vector<MAlarm> out;
    for (int k = 1; k <= f.count(); ++k, f.skip()) {
        if (f.isDeleted()) continue;
        std::vector<std::string> fields;
        for (const FieldDef& d : AlarmFields()) fields.push_back(f.read(d.name).value_or(""));
        out.push_back(FromAlarm(AlarmOfFields(std::move(fields))));
    }
    return out;
}

std::vector<MAlarm> Soak::bookAlarms() {
    std::vector<MAlarm> out;
    for (const Alarm& a : app_->book.all()) out.push_back(FromAlarm(a));
    return out;
}

// The model against the list, the book and ny.edb: only while the book holds
// the store and no ring waits to be written (until then the book is a ring
// behind the model by design).
void Soak::compare(const char* after) {
    if (!host_ || !loaded() || !app_->rungUnmarked.empty()) return;
    auto firstDiff = [&](const char* what, const std::vector<MAlarm>& got) -> bool {
        const size_t n = std::max(got.size(), model_.size());
        for (size_t i = 0; i < n; ++i) {
            if (i < got.size() && i < model_.size() && got[i].same(model_[i])) continue;
            fault(Fault::Lost, std::string(what) + " after " + after + ", row " + std::to_string(i) + ": " +
                                   (i < got.size() ? got[i].show() : "(none)") + ", expected " +
                                   (i < model_.size() ? model_[i].show() : "(none)"));
            return true;
        }
        return false;
    };
    const std::vector<MAlarm> book = bookAlarms();
    bool differs = firstDiff("book", book);
    // The list as the user reads it.
    const Ctl list = Ctl::超级列表框1;
    const int rows = host_->listRowCount(list);
    if (rows != int(book.size())) {
        fault(Fault::Lost, std::string("list shows ") + std::to_string(rows) + " rows, book holds " +
                               std::to_string(book.size()) + " after " + after);
        differs = true;
    } else {
        for (int r = 0; r < rows; ++r) {
            const MAlarm& a = book[size_t(r)];
            if (host_->listCell(list, r, 0) == Text(a.minute) && host_->listCell(list, r, 2) == a.prompt &&
                host_->listCell(list, r, 3) == StateText(a.state) && host_->listCell(list, r, 4) == Label(a.repeat, a.minute))
                continue;
            fault(Fault::Lost, "list row " + std::to_string(r) + " shows " + host_->listCell(list, r, 0) + " " +
                                   host_->listCell(list, r, 2) + " " + host_->listCell(list, r, 3) + ", the book " +
                                   a.show() + " after " + after);
            differs = true;
            break;
        }
    }
    if (const auto file = fileAlarms(); !file) {
        fault(Fault::Lost, std::string("ny.edb cannot be read after ") + after);
        differs = true;
    } else if (!differs) {
        differs = firstDiff("ny.edb", *file);
    }
    // One fault is counted once: the model goes on from what the program holds.
    if (differs) {
        std::vector<MAlarm> next = book;
        for (MAlarm& a : next)
            if (a.pending() && a.minute <= nowMinute()) a.missedCounted = true;
        model_ = next;
    }
}

// ---- the run --------------------------------------------------------------------------

Counts Soak::run() {
    const LocalTime t0 = CivilFromMs(MsFromCivil({2026, 3, 2, 7, 0, 0, 0}) + int64_t(seed_ % 97) * kDayMinutes * kMinuteMs +
                                     uniform(0, kDayMinutes * kMinuteMs - 1));
    start(t0, false);
    const int64_t end = int64_t(days_) * kDayMinutes * kMinuteMs;
    struct Kind {
        const char* name;
        double weight;
        std::function<bool()> allowed;
        std::function<void()> act;
    };
    auto calm = [this] { return loaded() && !faultsOn(); };
    auto any = [] { return true; };
    const std::vector<Kind> kinds = {
        {"add", 30, any, [this] { addAlarm(); }},
        {"delete", 8, any, [this] { deleteRow(); }},
        {"clear", 1, any, [this] { clearAll(); }},
        {"edit", 6, any, [this] { editRow(); }},
        {"rule", 3, any, [this] { setRule(); }},
        {"quit and restart", 3, [this] { return !faultsOn() || !loaded(); }, [this] { quitAndRestart(false); }},
        {"restart with ny.edb held", 1, calm, [this] { quitAndRestart(true); }},
        {"stop inside a write", 2, calm, [this] { crashInAWrite(); }},
        {"failing file operations", 3, calm, [this] { failOps(); }},
        {"ny.edb held elsewhere", 2, calm, [this] { holdElsewhere(); }},
        {"ny.edb replaced elsewhere", 2, calm, [this] { foreignWrite(false); }},
        {"ny.edb deleted elsewhere", 1, calm, [this] { foreignWrite(true); }},
        {"clock forward", 2, calm, [this] { clockJump(false); }},
        {"clock back", 2, calm, [this] { clockJump(true); }},
        {"sleep", 2, calm, [this] { sleepFor(); }},
    };
    while (lived_ + host_->monotonicMs() - lastMono_ < end) {
        // A few dozen events a day.
        const int64_t gap = std::min<int64_t>(int64_t(std::exponential_distribution<double>(1.0 / 40)(rng_) * kMinuteMs),
                                              6 * 60 * kMinuteMs);
        passTo(wallMs() + gap + 1);
        std::vector<double> w;
        for (const Kind& k : kinds) w.push_back(k.allowed() ? k.weight : 0);
        const size_t pick = std::discrete_distribution<size_t>(w.begin(), w.end())(rng_);
        ++c_.events;
        if (verbose_) std::printf("%s: %s\n", whereNow().c_str(), kinds[pick].name);
        kinds[pick].act();
        judgeDue();
        compare("an event");
    }
    // The end: faults over and a last minute for the marks and the notice.
    clearFaults();
    passTo(wallMs() + 2 * kMinuteMs);
    compare("the end");
    stop();
    c_.minutes = lived_ / kMinuteMs;
    return c_;
}

void Print(const char* name, const Counts& c) {
    std::printf("%s: %lld events, %lld minutes, %lld due, %lld rings (%lld again after the clock went back), "
                "%lld missed notices; missed %lld, untold %lld, double %lld, lost or altered %lld\n",
                name, (long long)c.events, (long long)c.minutes, (long long)c.due, (long long)c.rings,
                (long long)c.replays, (long long)c.told, (long long)c.missed, (long long)c.untold,
                (long long)c.doubled, (long long)c.lost);
}

}  // namespace

int main(int argc, char** argv) {
    int seeds = 4, days = 2;
    uint64_t first = 1;
    bool verbose = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--seeds" && i + 1 < argc) seeds = std::atoi(argv[++i]);
        else if (a == "--days" && i + 1 < argc) days = std::atoi(argv[++i]);
        else if (a == "--first" && i + 1 < argc) first = std::strtoull(argv[++i], nullptr, 10);
        else if (a == "--verbose") verbose = true;
        else {
            std::fprintf(stderr, "usage: ny_soak [--seeds N] [--days D] [--first S] [--verbose]\n");
            return 2;
        }
    }
    Counts total;
    static const char* const kNames[] = {"missed", "untold", "double", "lost"};
    for (uint64_t s = first; s < first + uint64_t(seeds); ++s) {
        Soak soak(s, days, verbose);
        const Counts c = soak.run();
        const std::string name = "seed " + std::to_string(s);
        Print(name.c_str(), c);
        for (int f = 0; f < 4; ++f)
            for (const std::string& e : soak.examples[f]) std::printf("    %s: %s\n", kNames[f], e.c_str());
        std::fflush(stdout);
        total.add(c);
    }
    Print("total", total);
    return total.faults() > 0 ? 1 : 0;
}
