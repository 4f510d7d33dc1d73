// Form2, the Cabrillo header editor window, as the panel owns it: made on first use, then shown and hidden.
#pragma once

#include <windows.h>

#include <string>

#include "base_window.h"
#include "dde_link.h"
#include "header_file.h"
#include "window_support.h"

namespace orvin {

class HeaderEditor : public BaseWindow {
public:
    HeaderEditor() = default;
    ~HeaderEditor() override;

    // Makes the window, hidden, and runs its loading step (once per editor). False when the
    // window cannot be made.
    bool Create();
    // Shows the editor as a modeless window without owner, then hides `panel`. OK, CANCEL and
    // the window's close box show `panel` again.
    void Show(HWND panel);
    void Hide();

    // Keyboard navigation inside the editor; the message loop asks before dispatching.
    bool IsEditorMessage(MSG* msg);

private:
    // Frame1: the grey container over the whole client area that holds every control. It
    // passes its children's notifications on to the form, which handles them.
    class Frame : public BaseWindow {
    public:
        bool Create(HWND form, int width, int height);

    private:
        LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    };

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnCommand(HWND window, int id, HWND control, UINT code);
    void OnClose(HWND window);
    HBRUSH OnCtlColorStatic(HWND window, HDC dc, HWND label, int type);

    void CreateControls();
    void Load();
    void OnOk();
    void OnCancel();
    void ReturnToPanel();
    std::string SelectedItem(int comboId, int& lastSelected);
    HeaderFields CollectFields();
    HWND Control(int id) const { return GetDlgItem(frame_.hwnd(), id); }
    int X(int twips) const { return TwipsToPixels(twips, dpi_.x); }
    int Y(int twips) const { return TwipsToPixels(twips, dpi_.y); }

    Frame frame_;
    HWND panel_ = nullptr;
    HFONT fieldFont_ = nullptr;
    ScreenDpi dpi_;
    int lastOperator_ = 0, lastBand_ = 0;
    DdeHotLinks hostLinks_;
};

}  // namespace orvin
