// The stand-in host's driver of the modal windows that the plug-in shows inside an export call.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <set>
#include <string>

#include "base_window.h"

// Answers the modal windows shown during the export calls that follow Arm, as its script
// says, and reports what it saw as lines beginning "ui: ". It ticks from a timer of its own
// hidden window, which the modal windows' message loops on the same thread dispatch. The
// timer stays until Disarm or the next Arm, so one call may show several windows in turn.
// stats-host never disarms: its next "ui" line arms afresh, which first reports the steps the
// earlier script had left, and so does the driver's end.
//
// `script` is a list of steps separated by ';' (blanks around a step are ignored). Step texts
// take the escapes \r \n \t \\ \; and \xHH (one byte, e.g. a code page 1251 letter).
//
// | step               | what it does to the dialog that is open                             |
// |--------------------|---------------------------------------------------------------------|
// | dump               | "ui: caption=<A text>", "ui: caption.w=<UTF-16, \uXXXX escapes>",   |
// |                    | "ui: <id>=<text>" per control in template order, "ui: <id>#<n>=..." |
// |                    | per combo list item, "ui: label=<text>" per static text             |
// | set <id>=<text>    | puts <text> into control <id> (a combo: into its edit part)         |
// | pick <id>=<item>   | selects the combo list item <item> (exact text)                     |
// | wide <id>          | "ui: <id>.w=<UTF-16 text of control <id>, \uXXXX escapes>"          |
// | focus              | "ui: focus=<id>" of the control that has the keyboard focus         |
// | focus <id>         | gives control <id> the keyboard focus                               |
// | key <name>         | presses TAB, RETURN or ESCAPE in the focused control                |
// | handshake <name>   | creates <name>.ready and waits for <name>.done (e.g. a screenshot)  |
// | ok / cancel        | presses the OK / CANCEL button                                      |
// | close              | closes the dialog by its close box                                  |
//
// Texts in reports are the windows' ANSI (code page 1251) bytes, with every byte outside
// printable ASCII written as \r, \n, \t or \xHH and '\' as "\\".
// A message box is reported as "ui: msgbox <caption>: <text>" and answered with OK; it needs
// no step. A dialog that appears when no step is left is reported ("ui: unexpected dialog
// <caption>") and cancelled, so a missing step cannot hang the host.
class UiDriver : public orvin::BaseWindow {
public:
    // Where report lines go (without line end); by default to stdout, one per line, flushed.
    using Sink = std::function<void(const std::string&)>;
    explicit UiDriver(Sink sink = nullptr);
    // Reports the steps left ("ui: steps left: ..."), as Disarm does.
    ~UiDriver() override;

    // Starts `script` (after reporting what an earlier script had left).
    void Arm(const std::string& script);
    // Stops the timer (the dialog tests call it after each export call); reports "ui: steps
    // left: <n> (<step>)" when the windows the script expected never came.
    void Disarm();

private:
    enum class Next { Continue, Yield };

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnTimer(HWND window, UINT id);

    void Report(const std::string& line);
    void ReportLeftSteps();
    void Tick();
    Next RunStep(HWND dlg, const std::string& step);
    void Dump(HWND dlg);
    void AnswerBox(HWND box);

    Sink sink_;
    std::deque<std::string> steps_;
    bool armed_ = false;
    std::set<HWND> answeredBoxes_;
    bool running_ = false;    // guards against a nested tick
    std::string handshake_;   // name whose ".done" file is awaited, empty if none
    DWORD handshakeSince_ = 0;
};
