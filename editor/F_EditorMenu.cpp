#include "editor/F_EditorMenu.h"

FEditorMenu::FEditorMenu()
    : firstValue(0)
{
}
