// A DDEML client with automatic links: one conversation per linked item, as a linked field has.
#pragma once

#include <windows.h>
#include <ddeml.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orvin {

// Client side of the links to one DDE service and topic. Each item gets a DDEML instance
// and conversation of its own (DDEML allows one conversation per service and topic in an
// instance), so a server's advise data for one item never arrives while a transaction on
// another item waits for its answer. One per process: the DDEML callback has no context
// argument, so it reaches the live object through a process-wide pointer.
class DdeHotLinks {
public:
    // Item name and its new text, delivered on the UI thread as the server advises.
    using DataHandler = std::function<void(const std::string& item, const std::string& text)>;

    DdeHotLinks() = default;
    DdeHotLinks(const DdeHotLinks&) = delete;
    DdeHotLinks& operator=(const DdeHotLinks&) = delete;
    ~DdeHotLinks();

    // Remembers the server's `service`/`topic` and the handler. False when another object
    // of this class is active.
    bool start(const char* service, const char* topic, DataHandler onData);
    // Connects to the server for `item`, asks for its current text (CF_TEXT, up to the
    // first NUL) and opens an automatic link on it. Returns the current text, or nullopt
    // when the server does not answer (then no link is open for the item).
    std::optional<std::string> link(const char* item);
    // Ends every conversation and its DDEML instance.
    void stop();

private:
    static HDDEDATA CALLBACK Callback(UINT type, UINT format, HCONV conv, HSZ topic, HSZ item,
                                      HDDEDATA data, ULONG_PTR data1, ULONG_PTR data2);
    struct Link {
        DWORD instance = 0;
        HCONV conv = nullptr;
    };
    const Link* find(HCONV conv) const;
    static std::string StringOf(DWORD instance, HSZ hsz);

    bool started_ = false;
    std::string service_, topic_;
    std::vector<Link> links_;
    DataHandler onData_;
};

// The text that a CF_TEXT data handle holds, up to its first NUL.
std::string DdeText(HDDEDATA data);

}  // namespace orvin
