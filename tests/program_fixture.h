// Runs the whole program on the sim host in a fresh temporary directory.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/sim/sim_host.h"
#include "mainwindow/dispatch.h"
#include "store/alarmstore.h"
#include "tests/tempfolder.h"

namespace ny::testing {

inline LocalTime At(int y, int mo, int d, int h, int mi, int s, int ms = 0) {
    return LocalTime{y, mo, d, h, mi, s, ms};
}

// An alarm as a test writes it into a store: its minute as "YYYY-MM-DD HH:MM".
inline Alarm MakeAlarm(const std::string& minute, const std::string& prompt = "",
                       const std::string& tone = "", RingState state = RingState::NotRung,
                       Repeat repeat = Repeat::Once) {
    Alarm a;
    a.minute = MinuteOfText(minute).value_or(kNoMinute);
    a.prompt = prompt;
    a.tone = tone;
    a.state = state;
    a.repeat = repeat;
    return a;
}

// The program's folder is the test's own (removed after the program ends).
class ProgramTest : public ::testing::Test, protected TempFolder {
protected:
    ProgramTest() { writeFile("alarm.mp3", "ID3 default tone"); }
    ~ProgramTest() override {
        app_.reset();
        host_.reset();
    }

    // Starts the program at `t` (ends a running one first).
    void start(const LocalTime& t) {
        app_.reset();
        host_.reset();
        host_ = std::make_unique<SimHost>(dir(), t);
        app_ = std::make_unique<App>(*host_);
        host_->onEvent = [this](const Event& e) { return Dispatch(*app_, e); };
        if (beforeStart) beforeStart();
        host_->loadWindow(Ctl::MainWindow);
    }
    // Ends the program and starts it again `laterMs` after the current time.
    void restart(int64_t laterMs = 1000) {
        LocalTime t = CivilFromMs(MsFromCivil(host().now()) + laterMs);
        start(t);
    }

    SimHost& host() { return *host_; }
    // Runs on each new host just before the program starts on it.
    std::function<void()> beforeStart;
    App& app() { return *app_; }

    void click(Ctl c) { host().raise(Ev::Click, c); }

    // ny.edb holding these alarms, written as the program writes it (before
    // a start, or as another program would while it runs).
    void writeStore(const std::vector<Alarm>& alarms) {
        SimFiles fs;
        ASSERT_TRUE(AlarmStore(fs, dir()).save(alarms).ok());
    }
    // One more alarm at the end of ny.edb (made when there is none).
    void appendToStore(const Alarm& a) {
        SimFiles fs;
        std::vector<Alarm> alarms = AlarmStore(fs, dir()).loadOrCreate("x").alarms;
        alarms.push_back(a);
        ASSERT_TRUE(AlarmStore(fs, dir()).save(alarms).ok());
    }
    // A record stored as its six field texts, as another program may write it.
    void appendRecord(std::vector<std::string> fields) { appendToStore(AlarmOfFields(std::move(fields))); }

    // Types an alarm into the entry fields and presses 添加.
    void add(const std::string& time, const std::string& prompt = "",
             const std::string& tone = "") {
        host().setText(Ctl::编辑框1, time);
        host().setText(Ctl::闹钟提示信息输入, prompt);
        if (!tone.empty()) host().setText(Ctl::铃声路径, tone);
        click(Ctl::添加);
    }

    // A row as the user reads it: minute (and its repeat rule after two
    // blanks, from the rule's own column), tone, prompt, state.
    std::vector<std::string> row(int r) {
        std::vector<std::string> cells;
        for (int c = 0; c < 4; ++c) cells.push_back(host().listCell(Ctl::超级列表框1, r, c));
        const std::string rule = host().listCell(Ctl::超级列表框1, r, 4);
        if (!rule.empty()) cells[0] += "  " + rule;
        return cells;
    }
    int rows() { return host().listRowCount(Ctl::超级列表框1); }

    // Play calls only, in order.
    std::vector<std::string> plays() {
        std::vector<std::string> out;
        for (const auto& a : host().audio)
            if (a.op == "play") out.push_back(a.path);
        return out;
    }
    std::vector<std::string> boxTexts() {
        std::vector<std::string> out;
        for (const auto& b : host().boxes) out.push_back(b.text);
        return out;
    }
    // Each record of ny.edb as prompt@minute:state, read as another program would.
    std::vector<std::string> stored() {
        SimFiles reader;
        std::vector<std::string> out;
        for (const Alarm& a : AlarmStore(reader, dir()).loadOrCreate("x").alarms)
            out.push_back(a.prompt + "@" + MinuteText(a.minute) + ":" + std::string(RingStateCode(a.state)));
        return out;
    }
    // How often a ring's box showed `prompt`.
    int ringsOf(const std::string& prompt) {
        int n = 0;
        for (const auto& b : host().boxes) n += b.text == prompt && !b.second.empty();
        return n;
    }
    // How many boxes said `words`.
    int boxesSaying(const std::string& words) {
        int n = 0;
        for (const auto& b : host().boxes) n += b.text.find(words) != std::string::npos;
        return n;
    }

private:
    std::unique_ptr<SimHost> host_;
    std::unique_ptr<App> app_;
};

}  // namespace ny::testing
