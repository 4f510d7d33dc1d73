// The stand-in host's DDE server for service "Kova", topic "Info", spoken in raw WM_DDE_* messages.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base_window.h"
#include "host_log.h"

namespace kova {

// Conversation as served (one hidden window per client conversation):
//
// | Client sends          | Server answers                                                      |
// |-----------------------|---------------------------------------------------------------------|
// | WM_DDE_INITIATE       | service "Kova" or empty, topic "Info" or empty: WM_DDE_ACK (sent)   |
// | WM_DDE_REQUEST item   | CF_TEXT of a known item: WM_DDE_DATA (fResponse); else negative ack |
// | WM_DDE_ADVISE item    | known item, CF_TEXT: positive ack, then the current value as data   |
// | WM_DDE_UNADVISE item  | positive ack; the link (all links for a null item) is dropped       |
// | WM_DDE_POKE/EXECUTE   | negative ack                                                        |
// | WM_DDE_TERMINATE      | WM_DDE_TERMINATE back, the conversation ends                        |
//
// Item names are compared without regard to case, as DDE does. Values are CF_TEXT: the text's
// bytes and a terminating zero, no line end. A hot link that asked for acknowledgements gets
// its next data only after the client acknowledged the previous one; changes made meanwhile
// are sent then (the latest value).
class DdeServer {
public:
    DdeServer(HostLog& log, HINSTANCE instance);
    ~DdeServer();

    void SetItem(const std::string& name, const std::string& value);
    const std::map<std::string, std::string>& items() const { return items_; }

    // WM_DDE_INITIATE as received by the host's main window.
    void OnInitiate(HWND client, LPARAM names);

    // Ends every conversation (the host is closing).
    void TerminateAll();

private:
    struct Link {
        std::string item;  // canonical item name
        bool deferUpdates = false;
        bool ackRequested = false;
        bool awaitingAck = false;
        bool changedMeanwhile = false;
    };
    // One conversation with one client, and its hidden window (the object of that window).
    class Conversation : public orvin::BaseWindow {
    public:
        Conversation(DdeServer& server, HWND partner) : client(partner), server_(server) {}
        bool Create(HINSTANCE instance);

        HWND client = nullptr;
        std::vector<Link> links;
        bool terminateSent = false;

    private:
        LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
        DdeServer& server_;
    };

    void OnRequest(Conversation& c, LPARAM lParam);
    void OnAdvise(Conversation& c, LPARAM lParam);
    void OnUnadvise(Conversation& c, LPARAM lParam);
    void OnAck(Conversation& c, LPARAM lParam);
    void OnPoke(Conversation& c, LPARAM lParam);
    void OnExecute(Conversation& c, LPARAM lParam);
    void OnTerminate(Conversation& c);
    void SendAdviseData(Conversation& c, Link& link);
    void PostAck(Conversation& c, WORD status, UINT_PTR item);
    const std::string* FindItem(ATOM atom, std::string* canonical) const;
    void Remove(Conversation& c);

    HostLog& log_;
    HINSTANCE instance_;
    std::map<std::string, std::string> items_;
    std::vector<std::unique_ptr<Conversation>> conversations_;
};

}  // namespace kova
