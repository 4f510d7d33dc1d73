// The Cabrillo header editor window (Form2) as the panel sees it.
#pragma once

#include <windows.h>

namespace orvin {

// Shows the editor as a modeless window without owner, creating and loading it on first use,
// then hides `panel`. OK, CANCEL and the window's close box show `panel` again.
void ShowHeaderEditor(HWND panel);

// Hides the editor if it is shown (panel shutdown).
void HideHeaderEditor();

// Keyboard navigation inside the editor; call from the message loop before dispatching.
bool IsHeaderEditorMessage(MSG* msg);

}  // namespace orvin
