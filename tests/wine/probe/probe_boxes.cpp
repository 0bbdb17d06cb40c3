// The program's message boxes: waited for, read (caption, text, buttons
// and whether their captions fit), pressed, or found absent.

#include "probe_commands.h"
#include "probe_common.h"

#include <string>
#include <thread>
#include <vector>

namespace probe {

namespace {

// Prints one line per visible message box: caption and text.
void PrintBox(HWND b) {
    Out("box pid=" + std::to_string(PidOf(b)) + " caption=" + OneLine(U8(WindowText(b))) +
        " text=" + OneLine(U8(BoxText(b))));
}

// The program's first box within `ms`, printed once its text is in; nullptr
// (and a BAD line) when none came.
HWND WaitForBox(int ms) {
    std::vector<HWND> boxes;
    if (!WaitFor(ms, [&] { return !(boxes = Boxes(g_pid)).empty(); })) {
        Out("BAD no message box within " + std::to_string(ms) + " ms");
        return nullptr;
    }
    HWND b = boxes.front();
    // A box that has just appeared may still be filling in its text.
    WaitFor(1000, [&] { return !BoxText(b).empty(); });
    PrintBox(b);
    return b;
}

}  // namespace

int CmdBox(int ms, bool pressOk) {
    HWND b = WaitForBox(ms);
    if (!b) return 1;
    if (pressOk) {
        HWND ok = GetDlgItem(b, IDOK);
        Out("click_unix=" + UnixNow());  // for timing what closing it does
        PostMessageW(b, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), LPARAM(ok));
        if (!WaitFor(5000, [&] { return !IsWindow(b) || !IsWindowVisible(b); })) {
            Out("BAD the box did not close");
            return 1;
        }
    }
    return 0;
}

// The buttons of the program's box: their texts, ids and whether the
// caption fits inside (measured with the box's own font in this process).
int CmdBoxButtons(int ms, const std::string& press) {
    HWND b = WaitForBox(ms);
    if (!b) return 1;
    std::string texts;
    HWND target = nullptr;
    for (HWND c : Descendants(b)) {
        if (ClassOf(c) != L"Button" || !IsWindowVisible(c)) continue;
        const std::string t = U8(WindowText(c));
        RECT r{};
        GetWindowRect(c, &r);
        HDC dc = GetDC(c);
        LOGFONTW lf{};
        // The box's font handle belongs to the program: its face and size are
        // asked through a font of the same height here.
        NONCLIENTMETRICSW ncm{};
        ncm.cbSize = sizeof ncm;
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
        lf = ncm.lfMessageFont;
        HFONT f = CreateFontIndirectW(&lf);
        HGDIOBJ old = SelectObject(dc, f);
        SIZE ext{};
        const std::wstring wt = WindowText(c);
        GetTextExtentPoint32W(dc, wt.c_str(), int(wt.size()), &ext);
        SelectObject(dc, old);
        DeleteObject(f);
        ReleaseDC(c, dc);
        const int width = r.right - r.left;
        Out("button id=" + std::to_string(GetDlgCtrlID(c)) + " width=" + std::to_string(width) +
            " text_width=" + std::to_string(ext.cx) + " text=" + t);
        texts += (texts.empty() ? "" : "|") + t;
        if (!press.empty() && t == press) target = c;
    }
    Out("buttons=" + texts);
    if (press.empty()) return 0;
    if (!target) {
        Out("BAD no button " + press);
        return 1;
    }
    RECT r{};
    GetWindowRect(target, &r);
    MouseClick((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    Out("click_unix=" + UnixNow());
    if (!WaitFor(5000, [&] { return !IsWindow(b) || !IsWindowVisible(b); })) {
        Out("BAD the box did not close");
        return 1;
    }
    return 0;
}

int CmdNoBox(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    std::vector<HWND> boxes = Boxes(g_pid);
    for (HWND b : boxes) PrintBox(b);
    if (!boxes.empty()) {
        Out("BAD unexpected message box");
        return 1;
    }
    Out("no box");
    return 0;
}

}  // namespace probe
