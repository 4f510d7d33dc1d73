// DDEML client with automatic links, used by the header editor for the host's items.
#include "dde_link.h"

#include <algorithm>

namespace orvin {

namespace {

// How long a synchronous transaction waits for the server.
constexpr DWORD kTimeoutMs = 3000;

// The object that receives DDEML callbacks (there is at most one per process).
DdeHotLinks* g_active = nullptr;

// A string handle freed when it goes out of scope.
class Hsz {
public:
    Hsz(DWORD instance, const std::string& text)
        : instance_(instance), hsz_(DdeCreateStringHandleA(instance, text.c_str(), CP_WINANSI)) {}
    ~Hsz() {
        if (hsz_) DdeFreeStringHandle(instance_, hsz_);
    }
    Hsz(const Hsz&) = delete;
    Hsz& operator=(const Hsz&) = delete;
    HSZ get() const { return hsz_; }

private:
    DWORD instance_;
    HSZ hsz_;
};

}  // namespace

std::string DdeText(HDDEDATA data) {
    if (!data) return {};
    const DWORD size = DdeGetData(data, nullptr, 0, 0);
    if (size == 0) return {};
    std::string text(size, '\0');
    const DWORD got = DdeGetData(data, reinterpret_cast<LPBYTE>(text.data()), size, 0);
    text.resize(std::min(got, size));
    const std::size_t nul = text.find('\0');
    if (nul != std::string::npos) text.resize(nul);
    return text;
}

DdeHotLinks::~DdeHotLinks() { stop(); }

bool DdeHotLinks::start(const char* service, const char* topic, DataHandler onData) {
    stop();
    if (g_active) return false;
    g_active = this;
    started_ = true;
    service_ = service;
    topic_ = topic;
    onData_ = std::move(onData);
    return true;
}

std::optional<std::string> DdeHotLinks::link(const char* item) {
    if (!started_) return std::nullopt;
    Link link;
    if (DdeInitializeA(&link.instance, &DdeHotLinks::Callback, APPCLASS_STANDARD | APPCMD_CLIENTONLY, 0) !=
        DMLERR_NO_ERROR)
        return std::nullopt;
    {
        Hsz service(link.instance, service_), topic(link.instance, topic_);
        if (service.get() && topic.get()) link.conv = DdeConnect(link.instance, service.get(), topic.get(), nullptr);
    }
    std::optional<std::string> text;
    if (link.conv) {
        Hsz hszItem(link.instance, item);
        DWORD result = 0;
        HDDEDATA data = hszItem.get() ? DdeClientTransaction(nullptr, 0, link.conv, hszItem.get(), CF_TEXT,
                                                             XTYP_REQUEST, kTimeoutMs, &result)
                                      : nullptr;
        if (data) {
            text = DdeText(data);
            DdeFreeDataHandle(data);
            if (DdeClientTransaction(nullptr, 0, link.conv, hszItem.get(), CF_TEXT, XTYP_ADVSTART, kTimeoutMs,
                                     &result)) {
                links_.push_back(link);
                return text;
            }
        }
        DdeDisconnect(link.conv);
    }
    DdeUninitialize(link.instance);
    return text;
}

void DdeHotLinks::stop() {
    for (const Link& link : links_) {
        if (link.conv) DdeDisconnect(link.conv);
        DdeUninitialize(link.instance);
    }
    links_.clear();
    started_ = false;
    if (g_active == this) g_active = nullptr;
}

const DdeHotLinks::Link* DdeHotLinks::find(HCONV conv) const {
    for (const Link& link : links_)
        if (link.conv && link.conv == conv) return &link;
    return nullptr;
}

std::string DdeHotLinks::StringOf(DWORD instance, HSZ hsz) {
    char buffer[256] = {};
    const DWORD n = DdeQueryStringA(instance, hsz, buffer, sizeof buffer, CP_WINANSI);
    return std::string(buffer, std::min<DWORD>(n, sizeof buffer - 1));
}

HDDEDATA CALLBACK DdeHotLinks::Callback(UINT type, UINT format, HCONV conv, HSZ, HSZ item, HDDEDATA data,
                                        ULONG_PTR, ULONG_PTR) {
    DdeHotLinks* self = g_active;
    switch (type) {
        case XTYP_ADVDATA: {
            // The data handle belongs to DDEML and is freed after the callback.
            const Link* link = self ? self->find(conv) : nullptr;
            if (!link || format != CF_TEXT) return reinterpret_cast<HDDEDATA>(DDE_FNOTPROCESSED);
            if (self->onData_) self->onData_(StringOf(link->instance, item), DdeText(data));
            return reinterpret_cast<HDDEDATA>(DDE_FACK);
        }
        case XTYP_DISCONNECT:
            // The server went away: that conversation's handle is no longer valid.
            if (self)
                for (Link& link : self->links_)
                    if (link.conv == conv) link.conv = nullptr;
            return nullptr;
        default:
            return nullptr;
    }
}

}  // namespace orvin
