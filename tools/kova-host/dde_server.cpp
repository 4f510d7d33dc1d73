// The stand-in host's raw WM_DDE_* server: initiate, request, hot links, terminate.
#include "dde_server.h"

#include <dde.h>

#include <algorithm>
#include <cstring>

namespace kova {
namespace {

constexpr char kService[] = "Kova";
constexpr char kTopic[] = "Info";
constexpr char kConversationClass[] = "KovaDdeConversation";
constexpr WORD kAckPositive = 0x8000;

std::string AtomName(ATOM atom) {
    char name[256] = {};
    if (atom == 0) return {};
    UINT length = GlobalGetAtomNameA(atom, name, sizeof(name));
    return std::string(name, length);
}

bool MatchesOrEmpty(ATOM atom, const char* expected) {
    return atom == 0 || lstrcmpiA(AtomName(atom).c_str(), expected) == 0;
}

// A CF_TEXT DDEDATA block with the given flags; the receiver frees it (fRelease).
HGLOBAL MakeData(const std::string& value, bool response, bool ackRequested) {
    SIZE_T size = offsetof(DDEDATA, Value) + value.size() + 1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE | GMEM_ZEROINIT, size);
    if (!block) return nullptr;
    auto* data = static_cast<DDEDATA*>(GlobalLock(block));
    if (!data) {
        GlobalFree(block);
        return nullptr;
    }
    data->fResponse = response ? 1 : 0;
    data->fRelease = 1;
    data->fAckReq = ackRequested ? 1 : 0;
    data->cfFormat = CF_TEXT;
    std::memcpy(data->Value, value.c_str(), value.size() + 1);
    GlobalUnlock(block);
    return block;
}

}  // namespace

DdeServer::DdeServer(HostLog& log, HINSTANCE instance) : log_(log), instance_(instance) {
    WNDCLASSA wc{};
    wc.hInstance = instance_;
    wc.lpszClassName = kConversationClass;
    orvin::RegisterWindowClass(wc);
}

DdeServer::~DdeServer() { TerminateAll(); }

const std::string* DdeServer::FindItem(ATOM atom, std::string* canonical) const {
    std::string name = AtomName(atom);
    for (const auto& [key, value] : items_) {
        if (lstrcmpiA(key.c_str(), name.c_str()) == 0) {
            if (canonical) *canonical = key;
            return &value;
        }
    }
    return nullptr;
}

void DdeServer::SetItem(const std::string& name, const std::string& value) {
    items_[name] = value;
    for (auto& c : conversations_) {
        for (auto& link : c->links) {
            if (link.item != name) continue;
            if (link.awaitingAck)
                link.changedMeanwhile = true;
            else
                SendAdviseData(*c, link);
        }
    }
}

void DdeServer::OnInitiate(HWND client, LPARAM names) {
    ATOM service = LOWORD(names);
    ATOM topic = HIWORD(names);
    if (!client || !MatchesOrEmpty(service, kService) || !MatchesOrEmpty(topic, kTopic)) return;
    auto c = std::make_unique<Conversation>(*this, client);
    if (!c->Create(instance_)) return;
    HWND self = c->hwnd();
    conversations_.push_back(std::move(c));
    log_.Line("dde initiate");
    // The reply to an initiate is sent, not posted, with fresh atoms that the client deletes.
    SendMessageA(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(self),
                 MAKELPARAM(GlobalAddAtomA(kService), GlobalAddAtomA(kTopic)));
}

bool DdeServer::Conversation::Create(HINSTANCE instance) {
    // A message-only window: it receives the posted DDE messages and no broadcasts.
    return BaseWindow::Create(0, kConversationClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance);
}

LRESULT DdeServer::Conversation::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message < WM_DDE_FIRST || message > WM_DDE_LAST)
        return DefWindowProcA(hwnd(), message, wParam, lParam);
    if (reinterpret_cast<HWND>(wParam) != client) {
        // Not our partner: free what a posted message carries and ignore it.
        if (message != WM_DDE_TERMINATE && message != WM_DDE_INITIATE)
            FreeDDElParam(message, lParam);
        return 0;
    }
    switch (message) {
    case WM_DDE_REQUEST: server_.OnRequest(*this, lParam); break;
    case WM_DDE_ADVISE: server_.OnAdvise(*this, lParam); break;
    case WM_DDE_UNADVISE: server_.OnUnadvise(*this, lParam); break;
    case WM_DDE_ACK: server_.OnAck(*this, lParam); break;
    case WM_DDE_POKE: server_.OnPoke(*this, lParam); break;
    case WM_DDE_EXECUTE: server_.OnExecute(*this, lParam); break;
    case WM_DDE_TERMINATE: server_.OnTerminate(*this); break;  // destroys this object
    default: break;
    }
    return 0;
}

void DdeServer::PostAck(Conversation& c, WORD status, UINT_PTR item) {
    LPARAM ack = PackDDElParam(WM_DDE_ACK, status, item);
    if (!PostMessageA(c.client, WM_DDE_ACK, reinterpret_cast<WPARAM>(c.hwnd()), ack))
        FreeDDElParam(WM_DDE_ACK, ack);
}

void DdeServer::OnRequest(Conversation& c, LPARAM lParam) {
    UINT_PTR format = 0, itemAtom = 0;
    UnpackDDElParam(WM_DDE_REQUEST, lParam, &format, &itemAtom);
    FreeDDElParam(WM_DDE_REQUEST, lParam);
    ATOM atom = static_cast<ATOM>(itemAtom);
    std::string name;
    const std::string* value = FindItem(atom, &name);
    log_.Line("dde request " + (value ? name : AtomName(atom)));
    if (!value || format != CF_TEXT) {
        PostAck(c, 0, atom);  // the item atom goes back with the refusal
        return;
    }
    HGLOBAL data = MakeData(*value, true, false);
    if (!data) {
        PostAck(c, 0, atom);
        return;
    }
    LPARAM packed = PackDDElParam(WM_DDE_DATA, reinterpret_cast<UINT_PTR>(data), atom);
    if (!PostMessageA(c.client, WM_DDE_DATA, reinterpret_cast<WPARAM>(c.hwnd()), packed)) {
        FreeDDElParam(WM_DDE_DATA, packed);
        GlobalFree(data);
        GlobalDeleteAtom(atom);
    }
}

void DdeServer::OnAdvise(Conversation& c, LPARAM lParam) {
    UINT_PTR options = 0, itemAtom = 0;
    UnpackDDElParam(WM_DDE_ADVISE, lParam, &options, &itemAtom);
    ATOM atom = static_cast<ATOM>(itemAtom);
    std::string name;
    const std::string* value = FindItem(atom, &name);
    Link link;
    bool accepted = false;
    if (value && options) {
        auto* advise = static_cast<DDEADVISE*>(GlobalLock(reinterpret_cast<HGLOBAL>(options)));
        if (advise) {
            accepted = advise->cfFormat == CF_TEXT;
            link.deferUpdates = advise->fDeferUpd != 0;
            link.ackRequested = advise->fAckReq != 0;
            GlobalUnlock(reinterpret_cast<HGLOBAL>(options));
        }
    }
    if (!accepted) {
        // On a refusal the client keeps and frees its options block.
        log_.Line("dde advise-refused " + AtomName(atom));
        LPARAM ack = ReuseDDElParam(lParam, WM_DDE_ADVISE, WM_DDE_ACK, 0, atom);
        if (!PostMessageA(c.client, WM_DDE_ACK, reinterpret_cast<WPARAM>(c.hwnd()), ack))
            FreeDDElParam(WM_DDE_ACK, ack);
        return;
    }
    GlobalFree(reinterpret_cast<HGLOBAL>(options));
    link.item = name;
    auto same = std::find_if(c.links.begin(), c.links.end(),
                             [&](const Link& l) { return l.item == name; });
    if (same != c.links.end())
        *same = link;
    else
        c.links.push_back(link);
    log_.Line("dde advise " + name);
    // Acknowledge first, then the current value: a client that only links still gets it.
    LPARAM ack = ReuseDDElParam(lParam, WM_DDE_ADVISE, WM_DDE_ACK, kAckPositive, atom);
    if (!PostMessageA(c.client, WM_DDE_ACK, reinterpret_cast<WPARAM>(c.hwnd()), ack)) {
        FreeDDElParam(WM_DDE_ACK, ack);
        return;
    }
    for (auto& l : c.links)
        if (l.item == name) SendAdviseData(c, l);
}

void DdeServer::SendAdviseData(Conversation& c, Link& link) {
    auto found = items_.find(link.item);
    if (found == items_.end()) return;
    HGLOBAL data = nullptr;
    if (!link.deferUpdates) {
        data = MakeData(found->second, false, link.ackRequested);
        if (!data) return;
    }
    ATOM atom = GlobalAddAtomA(link.item.c_str());
    LPARAM packed = PackDDElParam(WM_DDE_DATA, reinterpret_cast<UINT_PTR>(data), atom);
    if (!PostMessageA(c.client, WM_DDE_DATA, reinterpret_cast<WPARAM>(c.hwnd()), packed)) {
        FreeDDElParam(WM_DDE_DATA, packed);
        if (data) GlobalFree(data);
        GlobalDeleteAtom(atom);
        return;
    }
    link.awaitingAck = link.ackRequested;
    link.changedMeanwhile = false;
    log_.Line("dde data " + link.item + " " + (link.deferUpdates ? "(deferred)" : found->second));
}

void DdeServer::OnAck(Conversation& c, LPARAM lParam) {
    UINT_PTR status = 0, itemAtom = 0;
    UnpackDDElParam(WM_DDE_ACK, lParam, &status, &itemAtom);
    FreeDDElParam(WM_DDE_ACK, lParam);
    ATOM atom = static_cast<ATOM>(itemAtom);
    std::string name;
    if (FindItem(atom, &name)) {
        for (auto& link : c.links) {
            if (link.item != name || !link.awaitingAck) continue;
            link.awaitingAck = false;
            if (link.changedMeanwhile) SendAdviseData(c, link);
            break;
        }
    }
    if (atom) GlobalDeleteAtom(atom);
}

void DdeServer::OnUnadvise(Conversation& c, LPARAM lParam) {
    UINT_PTR format = 0, itemAtom = 0;
    UnpackDDElParam(WM_DDE_UNADVISE, lParam, &format, &itemAtom);
    FreeDDElParam(WM_DDE_UNADVISE, lParam);
    ATOM atom = static_cast<ATOM>(itemAtom);
    if (atom == 0) {
        c.links.clear();
        log_.Line("dde unadvise *");
    } else {
        std::string name;
        if (!FindItem(atom, &name)) name = AtomName(atom);
        c.links.erase(std::remove_if(c.links.begin(), c.links.end(),
                                     [&](const Link& l) { return l.item == name; }),
                      c.links.end());
        log_.Line("dde unadvise " + name);
    }
    PostAck(c, kAckPositive, atom);
}

void DdeServer::OnPoke(Conversation& c, LPARAM lParam) {
    UINT_PTR data = 0, itemAtom = 0;
    UnpackDDElParam(WM_DDE_POKE, lParam, &data, &itemAtom);
    ATOM atom = static_cast<ATOM>(itemAtom);
    log_.Line("dde poke " + AtomName(atom));
    // Refused: the client keeps and frees its data block.
    LPARAM ack = ReuseDDElParam(lParam, WM_DDE_POKE, WM_DDE_ACK, 0, atom);
    if (!PostMessageA(c.client, WM_DDE_ACK, reinterpret_cast<WPARAM>(c.hwnd()), ack))
        FreeDDElParam(WM_DDE_ACK, ack);
}

void DdeServer::OnExecute(Conversation& c, LPARAM lParam) {
    auto commands = reinterpret_cast<HGLOBAL>(lParam);
    std::string text;
    if (const char* p = static_cast<const char*>(GlobalLock(commands))) {
        SIZE_T size = GlobalSize(commands);
        text.assign(p, strnlen(p, size));
        GlobalUnlock(commands);
    }
    log_.Line("dde execute " + text);
    PostAck(c, 0, reinterpret_cast<UINT_PTR>(commands));
}

void DdeServer::OnTerminate(Conversation& c) {
    log_.Line("dde terminate");
    if (!c.terminateSent) PostMessageA(c.client, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(c.hwnd()), 0);
    Remove(c);
}

void DdeServer::Remove(Conversation& c) {
    auto it = std::find_if(conversations_.begin(), conversations_.end(),
                           [&](const auto& held) { return held.get() == &c; });
    if (it == conversations_.end()) return;
    std::unique_ptr<Conversation> gone = std::move(*it);
    conversations_.erase(it);
    // `gone` takes its window with it.
}

void DdeServer::TerminateAll() {
    while (!conversations_.empty()) {
        Conversation& c = *conversations_.back();
        if (!c.terminateSent) {
            PostMessageA(c.client, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(c.hwnd()), 0);
            c.terminateSent = true;
        }
        Remove(c);
    }
}

}  // namespace kova
