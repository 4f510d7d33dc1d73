// The stand-in host's record of what it received: one line per event, written through at once.
#pragma once

#include <windows.h>

#include <string>

namespace kova {

// Lines written (each ended by CR LF; texts as the bytes received, ANSI code page):
//
// | Line                     | When                                                  |
// |--------------------------|-------------------------------------------------------|
// | ready                    | the object is registered and the main window is shown |
// | macro <text>             | ExecuteMacros received <text>                         |
// | macro-refused <text>     | ExecuteMacros received <text> while failing calls     |
// | mode-read <text>         | the property Mode was read and answered <text>        |
// | mode-write <text>        | the property Mode was assigned <text>                 |
// | dde initiate             | a DDE conversation on Kova|Info was opened            |
// | dde request <item>       | WM_DDE_REQUEST (answered with data or a negative ack) |
// | dde advise <item>        | a hot link was started (positive ack sent)            |
// | dde unadvise <item>      | a hot link was stopped ("*" for all items)            |
// | dde data <item> <text>   | advise data was posted on a hot link                  |
// | dde poke <item>          | refused (negative ack)                                |
// | dde execute <text>       | refused (negative ack)                                |
// | dde terminate            | the client ended a conversation                       |
// | set <item> <text>        | a control command changed a DDE item                  |
// | command <text>           | any other control command                             |
// | exit                     | normal end                                            |
class HostLog {
public:
    // An empty path writes to standard output.
    bool Open(const std::string& path);
    void Line(const std::string& text);
    ~HostLog();

private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
    bool own_ = false;
};

}  // namespace kova
