// ny_probe: drives and inspects the running program from the outside, as a
// second Windows process in the same Wine prefix and display. The shell
// scripts of the end-to-end tests call it once per step; it prints what it
// finds as plain "key=value" or "ok"/"BAD" lines in UTF-8 and exits 0 on
// success, 1 when what it checks is not so, 2 on a usage error.
//
// The program's windows are found by caption and process, its controls by
// their control id (the control's number in the design), and the expected places
// come from the same design tables the program builds its windows from.
//
// This file reads the command line and hands it to the command of that
// name (the table below); probe_commands.h tells which file holds which.

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "probe/probe_commands.h"
#include "probe/probe_common.h"

namespace probe {
namespace {

int Usage() {
    Out("usage: ny_probe [--pid N] command ...\n"
        "  wait-main MS | main | layout [--popups] [--dpi N] [--anywhere] | box MS | box-ok MS\n"
        "  no-box MS | click NAME | pick COMBO INDEX | settext NAME TEXT | text NAME | paste NAME N\n"
        "  state NAME | tab INDEX | tab-focus INDEX | focus | entry-whole | list-select ROW | list-row ROW\n"
        "  list-check ROW\n"
        "  menu-choose ITEM | answer-after click NAME|menu ITEM|key delete\n"
        "  path-tip\n"
        "  list | list-menu ROW ITEM | tray-icons | tray-click left|right\n"
        "  tray-menu ITEM | close | minimise | windows | wake | dpi-changed DPI\n"
        "  entry-click CHARS | popup | grid-click VALUE | press NAME | keys KEY... |\n"
        "  cal-day YYYY-MM-DD | cal-date | move-main X Y\n"
        "  ping MS BOXES [EVERY_MS] | pipe-server NAME MS | mci-notify DEVICE\n"
        "  attrs PATH | open-exclusive PATH | hold PATH MS [--no-share] | hostile\n"
        "  lnk PATH | reg HKCU-KEY VALUE | dialog TITLE MS [enter|space|tab|next|click:TEXT...]\n"
        "  file-dialog MS PATH|--cancel | hover NAME\n"
        "  play MP3 MS [--preopen] [--notify] | readonly PATH on|off | store PATH | make-store PATH N FIRST TONE [STEP [REPEAT]]\n"
        "  box-buttons MS [PRESS] | tray-tip | balloon MS | open-menu list ROW [SUBMENU] | open-menu tray|system\n"
        "  access-name NAME | access-grid | access-events MS | colours NAME R,G,B\n"
        "  high-contrast on|off | theme-changed");
    return 2;
}

int Run(const std::vector<std::string>& a) {
    if (a.empty()) return Usage();
    auto arg = [&](size_t i) -> const std::string& {
        if (i >= a.size()) std::exit(Usage());
        return a[i];
    };
    auto num = [&](size_t i) { return std::stoi(arg(i)); };
    auto opt = [&](size_t i) { return a.size() > i ? a[i] : std::string(); };
    auto rest = [&](size_t from) {
        return std::vector<std::string>(a.begin() + std::min(from, a.size()), a.end());
    };
    struct Command {
        const char* name;
        std::function<int()> run;
    };
    const Command commands[] = {
        // the main window, its controls and list
        {"wait-main", [&] { return CmdWaitMain(num(1)); }},
        {"main", [&] { return CmdMain(); }},
        {"move-main", [&] { return CmdMoveMain(num(1), num(2)); }},
        {"close", [&] { return CmdClose(); }},
        {"minimise", [&] { return CmdMinimise(); }},
        {"windows", [&] { return CmdWindows(); }},
        {"hostile", [&] { return CmdHostile(); }},
        {"click", [&] { return CmdClick(arg(1)); }},
        {"pick", [&] { return CmdPick(arg(1), num(2)); }},
        {"settext", [&] { return CmdSetText(arg(1), arg(2)); }},
        {"text", [&] { return CmdText(arg(1)); }},
        {"paste", [&] { return CmdPaste(arg(1), num(2)); }},
        {"state", [&] { return CmdState(arg(1)); }},
        {"tab", [&] { return CmdTab(num(1)); }},
        {"tab-focus", [&] { return CmdTabFocus(num(1)); }},
        {"path-tip", [&] { return CmdPathTip(); }},
        {"list", [&] { return CmdList(); }},
        {"list-row", [&] { return CmdListRow(num(1)); }},
        {"list-select", [&] { return CmdListSelect(num(1)); }},
        {"list-check", [&] { return CmdListCheck(num(1)); }},
        // layout and focus
        {"layout",
         [&] {
             bool popups = false, anywhere = false;
             int dpi = 96;
             for (size_t i = 1; i < a.size(); ++i) {
                 if (a[i] == "--popups") popups = true;
                 if (a[i] == "--anywhere") anywhere = true;
                 if (a[i] == "--dpi" && i + 1 < a.size()) dpi = std::stoi(a[++i]);
             }
             return CmdLayout(popups, anywhere, dpi);
         }},
        {"entry-whole", [&] { return CmdEntryWhole(); }},
        {"focus", [&] { return CmdFocus(); }},
        {"dpi-changed", [&] { return CmdDpiChanged(num(1)); }},
        // the date and time popups
        {"entry-click", [&] { return CmdEntryClick(num(1)); }},
        {"popup", [&] { return CmdPopup(); }},
        {"grid-click", [&] { return CmdGridClick(num(1)); }},
        {"press", [&] { return CmdPress(arg(1)); }},
        {"hover", [&] { return CmdHover(arg(1)); }},
        {"keys", [&] { return CmdKeys(rest(1)); }},
        {"cal-date", [&] { return CmdCalDate(); }},
        {"cal-day", [&] { return CmdCalDay(arg(1)); }},
        // colours and theme
        {"colours", [&] { return CmdColours(arg(1), arg(2)); }},
        {"high-contrast", [&] { return CmdHighContrast(arg(1)); }},
        {"theme-changed", [&] { return CmdThemeChanged(); }},
        // menus and the tray
        {"list-menu", [&] { return CmdListMenu(num(1), arg(2)); }},
        {"menu-choose", [&] { return CmdMenuChoose(arg(1)); }},
        {"open-menu", [&] { return CmdOpenMenu(arg(1), a.size() > 2 ? num(2) : 0, opt(3)); }},
        {"tray-icons", [&] { return CmdTrayIcons(); }},
        {"tray-click", [&] { return CmdTrayClick(arg(1)); }},
        {"tray-menu", [&] { return CmdTrayMenu(arg(1)); }},
        {"tray-tip", [&] { return CmdTrayTip(); }},
        {"balloon", [&] { return CmdBalloon(num(1)); }},
        // message boxes
        {"box", [&] { return CmdBox(num(1), false); }},
        {"box-ok", [&] { return CmdBox(num(1), true); }},
        {"box-buttons", [&] { return CmdBoxButtons(num(1), opt(2)); }},
        {"no-box", [&] { return CmdNoBox(num(1)); }},
        // timing
        {"answer-after", [&] { return CmdAnswerAfter(arg(1), arg(2)); }},
        {"ping", [&] { return CmdPing(num(1), num(2), a.size() > 3 ? num(3) : 5); }},
        {"box-return", [&] { return CmdBoxReturn(opt(1) == "urgent"); }},
        {"wake", [&] { return CmdWake(); }},
        // sound
        {"play",
         [&] {
             const std::vector<std::string> flags = rest(3);
             auto has = [&](const char* o) {
                 return std::find(flags.begin(), flags.end(), o) != flags.end();
             };
             return CmdPlay(arg(1), num(2), has("--preopen"), has("--notify"));
         }},
        {"mci-notify", [&] { return CmdMciNotify(num(1)); }},
        // record files and other files
        {"store", [&] { return CmdStore(arg(1)); }},
        {"make-store",
         [&] {
             return CmdMakeStore(arg(1), num(2), arg(3), arg(4), a.size() > 5 ? num(5) : 1, opt(6));
         }},
        {"attrs", [&] { return CmdAttrs(arg(1)); }},
        {"open-exclusive", [&] { return CmdOpenExclusive(arg(1)); }},
        {"hold", [&] { return CmdHold(arg(1), num(2), opt(3) == "--no-share"); }},
        {"readonly", [&] { return CmdReadOnly(arg(1), arg(2) == "on"); }},
        {"pipe-server", [&] { return CmdPipeServer(arg(1), num(2)); }},
        // other programs and the system
        {"dialog", [&] { return CmdDialog(arg(1), num(2), rest(3)); }},
        {"file-dialog", [&] { return CmdFileDialog(num(1), arg(2)); }},
        {"lnk", [&] { return CmdLnk(arg(1)); }},
        {"reg", [&] { return CmdReg(arg(1), arg(2)); }},
        // what a screen reader hears
        {"access-name", [&] { return CmdAccessName(arg(1)); }},
        {"access-grid", [&] { return CmdAccessGrid(); }},
        {"access-events", [&] { return CmdAccessEvents(num(1)); }},
    };
    for (const Command& c : commands) {
        if (a[0] != c.name) continue;
        const int r = c.run();
        return r == kBadUsage ? Usage() : r;
    }
    return Usage();
}

}  // namespace
}  // namespace probe

int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);  // "\n", not "\r\n": the scripts read lines
    // Measures in real pixels, whatever the screen's DPI.
    SetProcessDPIAware();
    std::vector<std::string> a;
    for (int i = 1; i < argc; ++i) a.push_back(probe::U8(argv[i]));
    if (a.size() >= 2 && a[0] == "--pid") {
        probe::g_pid = DWORD(std::stoul(a[1]));
        a.erase(a.begin(), a.begin() + 2);
    }
    return probe::Run(a);
}
