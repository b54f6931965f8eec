#pragma once
// Platform side: Qt keys to and from the framework's virtual keys and characters, for the key path
// and for tests that type like a user (a US keyboard layout).
#include <Qt>
#include <QString>

#include "platform/vcl/Classes.h"
#include "platform/vcl/Controls.h"

class QKeyEvent;

namespace vcl {

// The virtual key of a Qt key (0 when the key has none).
WORD VirtualKeyOf(int qtKey, Qt::KeyboardModifiers modifiers);
// The Qt key of a virtual key (0 when none); numeric keypad keys also need Qt::KeypadModifier.
int QtKeyOf(WORD vk, bool* keypad = nullptr);
TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons = {});
Qt::KeyboardModifiers ModifiersOf(TShiftState shift);
// The character a key press types, as the framework's KeyPress sees it; false when none.
bool CharOfKeyEvent(const QKeyEvent* event, char& ch);
// The text Qt attaches to a press of `vk` with `shift` on a US keyboard.
QString TextOfKey(WORD vk, TShiftState shift);
// The key and modifiers that type character `c` on a US keyboard.
void KeyOfChar(char c, int& qtKey, Qt::KeyboardModifiers& modifiers);

}  // namespace vcl
