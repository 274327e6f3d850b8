#include "editor/F_EditorMessage.h"

FEditorMessage::FEditorMessage()
    : firstValue(0)
{
}
