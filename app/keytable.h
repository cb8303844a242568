#pragma once

#include <QKeyCombination>

#include "controller/functionkeys.h"

namespace corvane {

// What a key of the main window does. Rows without a key of their own are handled where they
// belong (the grid panel's hook, the buttons, the menus) and are listed for the operator.
enum class KeyAction {
    Listed,       // only listed here
    MemoryKey,    // clicks memory key `argument` (0..4)
    FunctionKey,  // clicks the key of tag `argument`; OK only while it is shown
    ShowKeys,     // Help > Keyboard
};

struct KeyRow {
    QKeyCombination key;  // empty for listed rows
    const char* keys;     // as the operator reads it
    const char* does;
    KeyAction action;
    int argument;
};

// Every key of the main window, in the order Help > Keyboard and the README list them. The
// memory keys carry a modifier, as a stray recall discards the work memory's changes.
inline constexpr KeyRow kKeyTable[] = {
    {Qt::CTRL | Qt::Key_1, "Ctrl+1", "Memory key 1: recalls memory 1, or picks it for STORE or PREVIEW",
     KeyAction::MemoryKey, 0},
    {Qt::CTRL | Qt::Key_2, "Ctrl+2", "Memory key 2", KeyAction::MemoryKey, 1},
    {Qt::CTRL | Qt::Key_3, "Ctrl+3", "Memory key 3", KeyAction::MemoryKey, 2},
    {Qt::CTRL | Qt::Key_4, "Ctrl+4", "Memory key 4", KeyAction::MemoryKey, 3},
    {Qt::CTRL | Qt::Key_5, "Ctrl+5", "Memory key 5", KeyAction::MemoryKey, 4},
    {QKeyCombination(Qt::Key_F5), "F5", "STORE", KeyAction::FunctionKey, kStoreTag},
    {QKeyCombination(Qt::Key_F6), "F6", "PREVIEW", KeyAction::FunctionKey, kPreviewTag},
    {QKeyCombination(Qt::Key_F7), "F7", "CLEAR", KeyAction::FunctionKey, kClearTag},
    {QKeyCombination(Qt::Key_F8), "F8", "REVERSE", KeyAction::FunctionKey, kReverseTag},
    {QKeyCombination(Qt::Key_F9), "F9", "OK, while it is shown", KeyAction::FunctionKey, kOkTag},
    {QKeyCombination(Qt::Key_F1), "F1", "Help > Keyboard: this table", KeyAction::ShowKeys, 0},
    {{}, "Tab, Shift+Tab", "The next or previous key of the window", KeyAction::Listed, 0},
    {{},
     "Left, Right",
     "In the grid panel: the previous or next unit panel or crosspoint button",
     KeyAction::Listed,
     0},
    {{},
     "Up, Down",
     "On a crosspoint button: up or down its column; elsewhere as Left and Right",
     KeyAction::Listed,
     0},
    {{},
     "Space, Enter",
     "Clicks the focused key or crosspoint button; on a unit panel, selects that unit. A held key "
     "clicks once",
     KeyAction::Listed,
     0},
    {{}, "Insert", "Edit Line Names of the selected unit", KeyAction::Listed, 0},
    {{}, "Ctrl+O", "File > Open...", KeyAction::Listed, 0},
    {{},
     "Alt+F, Alt+M, Alt+H",
     "The File, Matrix and Help menus; in a menu the underlined letter, or the arrows and Enter, "
     "choose a command, Escape closes it",
     KeyAction::Listed,
     0},
};

}  // namespace corvane
