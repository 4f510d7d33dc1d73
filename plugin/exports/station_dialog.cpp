// The station-details dialog `Cabrillo`: template 101, its combo lists and the exchange of its twelve texts.
#include "station_dialog.h"

#include <cstddef>
#include <iterator>
#include <string>
#include <utility>

#include "station_dialog_ids.h"

namespace {

// How a control trades its text with its member (velmor::FieldControl, from the table of
// station-details fields):
//
// | kind      | when the dialog opens                                  | on OK              |
// |-----------|--------------------------------------------------------|--------------------|
// | Edit      | the member's text                                      | the edit's text    |
// | MultiLine | the member's text, every line break made CR LF         | the edit's text    |
// | Combo     | first list item beginning with the text (any case)     | the edit part's    |
// |           | is selected; if none does, the text goes into the edit | text               |
using velmor::FieldControl;
using velmor::kStationFields;
using velmor::StationDetails;

// The resource script names the controls by the IDs of station_dialog_ids.h; the table of
// fields holds the same numbers. A mismatch stops the build here.
constexpr int controlOf(std::string StationDetails::*member) {
    return velmor::stationField(member)->controlId;
}
static_assert(controlOf(&StationDetails::location) == IDC_LOCATION);
static_assert(controlOf(&StationDetails::soapbox) == IDC_SOAPBOX);
static_assert(controlOf(&StationDetails::address) == IDC_ADDRESS);
static_assert(controlOf(&StationDetails::email) == IDC_EMAIL);
static_assert(controlOf(&StationDetails::club) == IDC_CLUB);
static_assert(controlOf(&StationDetails::operators) == IDC_OPERATORS);
static_assert(controlOf(&StationDetails::name) == IDC_NAME);
static_assert(controlOf(&StationDetails::claimed) == IDC_CLAIMED);
static_assert(controlOf(&StationDetails::contest) == IDC_CONTEST);
static_assert(controlOf(&StationDetails::callsign) == IDC_CALLSIGN);
static_assert(controlOf(&StationDetails::category) == IDC_CATEGORY);
static_assert(controlOf(&StationDetails::categoryOperator) == IDC_CATEGORY_OPERATOR);
static_assert(velmor::kStationFieldCount == 12);

// The dialog's twelve members are the station details themselves.
class Cabrillo : public velmor::StationDetails {
public:
    explicit Cabrillo(const velmor::StationDetails& d) : velmor::StationDetails(d) {}

    const velmor::StationDetails& Details() const { return *this; }

    // IDOK or IDCANCEL as the operator closed it; -1 when the dialog could not be shown.
    INT_PTR DoModal(HINSTANCE module) {
        return DialogBoxParamA(module, MAKEINTRESOURCEA(IDD_STATION_DETAILS), nullptr, DialogProc,
                               reinterpret_cast<LPARAM>(this));
    }

private:
    static INT_PTR CALLBACK DialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp);
    BOOL OnInitDialog(HWND dlg);
    BOOL OnCommand(HWND dlg, int id);
    void LoadControls(HWND dlg) const;
    void SaveControls(HWND dlg);
};

// The combo lists, in the order they are added (1014 sorts its own list).
struct ComboList {
    int id;
    const char* const* items;
    std::size_t count;
};
const ComboList kComboLists[] = {
    {IDC_CATEGORY, velmor::kCategories, std::size(velmor::kCategories)},
    {IDC_CATEGORY_OPERATOR, velmor::kCategoryOperators, std::size(velmor::kCategoryOperators)},
};

std::string WindowText(HWND hwnd) {
    const int length = GetWindowTextLengthA(hwnd);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int got = GetWindowTextA(hwnd, &text[0], length + 1);
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return text;
}

// A multi-line edit breaks lines only at CR LF: a lone CR or LF would show as one line
// while the file gets (or loses) a line there, so every line break is shown as CR LF.
std::string WithCrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            out += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

std::string UpperCase(std::string text) {
    if (!text.empty()) CharUpperBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

// Selects the first list item that begins with `text`, compared without regard to case (in
// the ANSI code page); when none does, `text` goes into the edit part.
void SelectOrSetText(HWND combo, const std::string& text) {
    const std::string wanted = UpperCase(text);
    const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length == CB_ERR || static_cast<std::size_t>(length) < wanted.size()) continue;
        std::string item(static_cast<std::size_t>(length) + 1, '\0');
        SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item[0]));
        item.resize(wanted.size());
        if (UpperCase(item) == wanted) {
            SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
            return;
        }
    }
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SetWindowTextA(combo, text.c_str());
}

INT_PTR CALLBACK Cabrillo::DialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    // Nothing may leave through the system's frames: a failure closes the dialog as Cancel.
    try {
        if (msg == WM_INITDIALOG) {
            SetWindowLongPtrA(dlg, DWLP_USER, lp);
            return reinterpret_cast<Cabrillo*>(lp)->OnInitDialog(dlg);
        }
        auto* self = reinterpret_cast<Cabrillo*>(GetWindowLongPtrA(dlg, DWLP_USER));
        if (!self) return FALSE;
        switch (msg) {
        case WM_COMMAND:
            return self->OnCommand(dlg, LOWORD(wp));
        default:
            return FALSE;
        }
    } catch (...) {
        EndDialog(dlg, IDCANCEL);
        return TRUE;
    }
}

BOOL Cabrillo::OnInitDialog(HWND dlg) {
    for (const ComboList& list : kComboLists) {
        const HWND combo = GetDlgItem(dlg, list.id);
        for (std::size_t i = 0; i < list.count; ++i)
            SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(list.items[i]));
    }
    LoadControls(dlg);
    // SOAPBOX is the template's first tab stop: let the dialog manager put the focus there.
    return TRUE;
}

BOOL Cabrillo::OnCommand(HWND dlg, int id) {
    switch (id) {
    case IDOK:
        SaveControls(dlg);
        EndDialog(dlg, IDOK);
        return TRUE;
    case IDCANCEL:  // the CANCEL button, Esc and the close box
        EndDialog(dlg, IDCANCEL);
        return TRUE;
    default:
        return FALSE;
    }
}

void Cabrillo::LoadControls(HWND dlg) const {
    for (const velmor::StationField& f : kStationFields) {
        const std::string& value = this->*f.member;
        const HWND control = GetDlgItem(dlg, f.controlId);
        switch (f.control) {
        case FieldControl::Edit:
            SetWindowTextA(control, value.c_str());
            break;
        case FieldControl::MultiLine:
            SetWindowTextA(control, WithCrLf(value).c_str());
            break;
        case FieldControl::Combo:
            SelectOrSetText(control, value);
            break;
        }
    }
}

void Cabrillo::SaveControls(HWND dlg) {
    // Read everything first so that a failure part way leaves the members as they were.
    std::string texts[velmor::kStationFieldCount];
    for (std::size_t i = 0; i < velmor::kStationFieldCount; ++i)
        texts[i] = WindowText(GetDlgItem(dlg, kStationFields[i].controlId));  // a combo gives its edit part
    for (std::size_t i = 0; i < velmor::kStationFieldCount; ++i)
        (this->*kStationFields[i].member).swap(texts[i]);
}

}  // namespace

bool RunStationDialog(HINSTANCE module, velmor::StationDetails& details) {
    try {
        Cabrillo dialog(details);
        if (dialog.DoModal(module) != IDOK) return false;
        velmor::StationDetails edited = dialog.Details();
        details = std::move(edited);
        return true;
    } catch (...) {
        return false;  // as Cancel: details unchanged
    }
}
