// Fault injection over a run of user actions: every primitive file operation
// of the run is made to fail in turn (once, briefly shared, for good) and
// the process is stopped at each in turn. After each: the store is never
// damaged, the list shows what the file holds, every change the user was not
// told about is in the file, and every failure was told.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "program_fixture.h"
#include "store/recordfile.h"

namespace ny::testing {
namespace {

// What the user sees of one alarm: time, prompt, rung state.
using Alarm = std::array<std::string, 3>;
using Alarms = std::vector<Alarm>;

struct Step {
    std::string name;
    std::function<void()> run;
    std::function<void(Alarms&)> apply;  // the change it makes when it succeeds
};

std::string Show(const Alarms& as) {
    std::string out;
    for (const auto& a : as) out += "[" + a[0] + " " + a[1] + " " + a[2] + "]";
    return out.empty() ? "(none)" : out;
}

class FaultInjection : public ProgramTest {
protected:
    // The file as a fresh reader finds it (no file: no alarms); nullopt when
    // it is there but cannot be opened or is damaged.
    std::optional<Alarms> fileNow(std::string* why = nullptr) {
        if (!std::filesystem::exists(path("ny.edb"))) return Alarms{};
        SimFiles reader;
        RecordFile f(reader);
        OpenResult r = f.open(dir() + "\\ny.edb");
        if (!r.ok()) {
            if (why) *why = r.reason;
            return std::nullopt;
        }
        Alarms out;
        for (int k = 1; k <= f.count(); ++k, f.skip())
            if (!f.isDeleted())
                out.push_back({*f.read("闹钟时间"), *f.read("闹钟提示信息"), *f.read("是否已响铃")});
        return out;
    }
    Alarms listNow() {
        Alarms out;
        for (int r = 0; r < rows(); ++r) out.push_back({row(r)[0], row(r)[2], row(r)[3]});
        return out;
    }
    // Store problems told to the user so far.
    int storeBoxes() {
        int n = 0;
        for (const auto& b : host().boxes)
            if (b.text.find("ny.edb") != std::string::npos) ++n;
        return n;
    }
    // The store itself found damaged (a half-written temporary file left by
    // a crash is set aside as it should be: that is no damage).
    bool damagedBoxShown() {
        for (const auto& b : host().boxes)
            if (b.text.find("ny.edb 已损坏") != std::string::npos) return true;
        return false;
    }

    void selectAndDelete(const std::string& prompt) {
        for (int r = 0; r < rows(); ++r)
            if (row(r)[2] == prompt) {
                host().selectRow(Ctl::超级列表框1, r);
                host().raise(Ev::RightClick, Ctl::超级列表框1);
                click(Ctl::删除);
                return;
            }
    }

    static void Remove(Alarms& as, const std::string& prompt) {
        std::erase_if(as, [&](const Alarm& a) { return a[1] == prompt; });
    }
    static std::function<void(Alarms&)> RingsDueBy(const std::string& minute) {
        return [minute](Alarms& as) {
            for (auto& a : as)
                if (a[0] <= minute) a[2] = "已响";
        };
    }

    // Adds, rings, deletes, clears and restarts. Alarms are three minutes
    // apart and each ringing step ends a minute after its alarm, so a check
    // that catches up a ring falls into the same step.
    std::vector<Step> run() {
        auto add = [this](const char* t, const char* p) {
            return Step{std::string("add ") + p, [this, t, p] { ProgramTest::add(t, p); },
                        [t, p](Alarms& as) { as.push_back({std::string(t).substr(0, 16), p, "未响"}); }};
        };
        return {
            {"start", [this] { start(At(2026, 12, 10, 8, 0, 0)); }, [](Alarms&) {}},
            add("2026-12-10 08:02:00", "A"),
            add("2026-12-10 08:05:00", "B"),
            add("2026-12-10 08:08:00", "C"),
            {"ring A", [this] { host().advanceTo(At(2026, 12, 10, 8, 3, 30)); },
             RingsDueBy("2026-12-10 08:03")},
            {"delete B", [this] { selectAndDelete("B"); }, [](Alarms& as) { Remove(as, "B"); }},
            add("2026-12-10 08:11:00", "D"),
            {"restart", [this] { restart(); }, [](Alarms&) {}},
            {"ring C", [this] { host().advanceTo(At(2026, 12, 10, 8, 9, 30)); },
             RingsDueBy("2026-12-10 08:09")},
            {"delete A", [this] { selectAndDelete("A"); }, [](Alarms& as) { Remove(as, "A"); }},
            {"ring D", [this] { host().advanceTo(At(2026, 12, 10, 8, 12, 30)); },
             RingsDueBy("2026-12-10 08:12")},
            {"clear", [this] { click(Ctl::清空列表); }, [](Alarms& as) { as.clear(); }},
            add("2026-12-10 08:15:00", "E"),
            {"restart", [this] { restart(); }, [](Alarms&) {}},
        };
    }

    struct Figures {
        int points = 0, damaged = 0, silentLosses = 0, listApart = 0;
        std::vector<std::string> notes;
    };

    enum class Mode { FailOnce, Crash };

    // One run with the fault at operation n (0: no fault). Returns the number
    // of file operations the run made.
    int64_t runWithFaultAt(Mode mode, int64_t n, Figures& fig) {
        std::filesystem::remove_all(dir());
        std::filesystem::create_directories(dir());
        writeFile("alarm.mp3", "ID3 default tone");
        const std::vector<Step> steps = run();
        Alarms model;
        int64_t opsBefore = 0;  // operations of hosts already ended
        bool damaged = false, lost = false, apart = false, fired = false;
        std::string note;
        for (const Step& s : steps) {
            const bool restarts = s.name == "start" || s.name == "restart";
            // (The host left from the previous run is not this run's.)
            if (s.name == "restart") opsBefore += host().files.ops;
            // The fault sits at operation n of the whole run; each start is a
            // new host counting from 1.
            auto arm = [&] {
                const int64_t local = n - opsBefore;
                host().files.faults.failAt = 0;
                host().files.faults.crashAt = 0;
                if (n == 0 || local < 1) return;
                if (mode == Mode::Crash) host().files.faults.crashAt = local;
                else host().files.faults.failAt = local;
            };
            const int boxesBefore = restarts ? 0 : storeBoxes();
            const Alarms before = model;
            Alarms after = model;
            s.apply(after);
            bool crashed = false;
            try {
                if (restarts) {
                    startArmed(s, arm);
                } else {
                    arm();
                    s.run();
                }
            } catch (const SimCrash&) {
                crashed = true;
            }
            fired = fired || (n > opsBefore && n <= opsBefore + host().files.ops) || crashed;
            if (crashed) {
                // The process is gone; it starts again as the user would.
                restartClean();
                auto file = fileNow(&note);
                if (!file || damagedBoxShown()) {
                    damaged = true;
                    note = s.name + ": " + note + (host().boxes.empty() ? "" : " [told: " + host().boxes.back().text + "]");
                }
                else if (*file != before && *file != after) {
                    lost = true;
                    note = s.name + ": " + Show(*file) + " is neither " + Show(before) + " nor " + Show(after);
                }
                if (file && listNow() != *file) apart = true;
                break;
            }
            const bool told = storeBoxes() > boxesBefore;
            const std::string toldText = told ? " [told: " + host().boxes.back().text + "]" : "";
            auto file = fileNow(&note);
            if (!file || damagedBoxShown()) {
                damaged = true;
                note = s.name + ": " + note + toldText;
                break;
            }
            if (!lost && !told && *file != after) {
                lost = true;
                note = s.name + " (not told): file " + Show(*file) + ", expected " + Show(after);
            }
            if (!lost && told && *file != before && *file != after) {
                lost = true;
                note = s.name + ": file " + Show(*file) + toldText;
            }
            // A start that could not read the store leaves the list empty and
            // says so; the list is filled as soon as the store can be read.
            const bool knownApart = told && !app().alarmsLoaded;
            if (!apart && !knownApart && listNow() != *file) {
                apart = true;
                if (note.empty()) note = s.name + ": list " + Show(listNow()) + " file " + Show(*file) + toldText;
            }
            model = *file;
        }
        const int64_t total = opsBefore + host().files.ops;
        if (n != 0) {
            fig.points += fired;
            fig.damaged += damaged;
            fig.silentLosses += lost;
            fig.listApart += apart;
            if ((damaged || lost || apart) && fig.notes.size() < 5)
                fig.notes.push_back("op " + std::to_string(n) + ": " + note);
        }
        return total;
    }

    void startArmed(const Step& s, const std::function<void()>& arm) {
        // The fault must be armed before the start's own file operations: the
        // start is run on a host prepared through beforeStart.
        beforeStart = arm;
        s.run();
        beforeStart = nullptr;
    }
    void restartClean() {
        beforeStart = nullptr;
        restart(60'000);
    }
};

TEST_F(FaultInjection, EveryFileOperationOfARunFailingOrCrashing) {
    struct ModeCase {
        Mode mode;
        const char* name;
    } modes[] = {{Mode::FailOnce, "fails"}, {Mode::Crash, "crash"}};
    Figures none;
    const int64_t total = runWithFaultAt(Mode::FailOnce, 0, none);
    ASSERT_GT(total, 20);
    for (const ModeCase& m : modes) {
        Figures fig;
        for (int64_t n = 1; n <= total; ++n) runWithFaultAt(m.mode, n, fig);
        std::printf("[ figures  ] %s: %d points, %d damaged files, %d silent losses, %d list apart\n",
                    m.name, fig.points, fig.damaged, fig.silentLosses, fig.listApart);
        for (const auto& note : fig.notes) std::printf("             %s\n", note.c_str());
        EXPECT_EQ(fig.points, total) << m.name;
        EXPECT_EQ(fig.damaged, 0) << m.name;
        EXPECT_EQ(fig.silentLosses, 0) << m.name;
        EXPECT_EQ(fig.listApart, 0) << m.name;
    }
}

}  // namespace
}  // namespace ny::testing
