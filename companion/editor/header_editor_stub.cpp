// Placeholder until the editor window lands: opening it does nothing.
#include "header_editor.h"

namespace orvin {
void ShowHeaderEditor(HWND) {}
void HideHeaderEditor() {}
bool IsHeaderEditorMessage(MSG*) { return false; }
}  // namespace orvin
