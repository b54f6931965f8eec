#include "platform/vcl/Keys.h"

#include <QKeyEvent>

#include "platform/vcl/QtSupport.h"

namespace vcl {
namespace {

struct KeyPair {
  int qt;
  WORD vk;
};

// Keys whose virtual key does not follow from the Qt key's value.
constexpr KeyPair kSpecial[] = {
    {Qt::Key_Backspace, VK_BACK},   {Qt::Key_Tab, VK_TAB},         {Qt::Key_Backtab, VK_TAB},
    {Qt::Key_Clear, VK_CLEAR},      {Qt::Key_Return, VK_RETURN},   {Qt::Key_Enter, VK_RETURN},
    {Qt::Key_Shift, VK_SHIFT},      {Qt::Key_Control, VK_CONTROL}, {Qt::Key_Alt, VK_MENU},
    {Qt::Key_Pause, VK_PAUSE},      {Qt::Key_CapsLock, VK_CAPITAL}, {Qt::Key_Escape, VK_ESCAPE},
    {Qt::Key_Space, VK_SPACE},      {Qt::Key_PageUp, VK_PRIOR},    {Qt::Key_PageDown, VK_NEXT},
    {Qt::Key_End, VK_END},          {Qt::Key_Home, VK_HOME},       {Qt::Key_Left, VK_LEFT},
    {Qt::Key_Up, VK_UP},            {Qt::Key_Right, VK_RIGHT},     {Qt::Key_Down, VK_DOWN},
    {Qt::Key_Select, VK_SELECT},    {Qt::Key_Printer, VK_PRINT},   {Qt::Key_Execute, VK_EXECUTE},
    {Qt::Key_Print, VK_SNAPSHOT},   {Qt::Key_Insert, VK_INSERT},   {Qt::Key_Delete, VK_DELETE},
    {Qt::Key_Help, VK_HELP},        {Qt::Key_Meta, VK_LWIN},       {Qt::Key_Menu, VK_APPS},
    {Qt::Key_NumLock, VK_NUMLOCK},  {Qt::Key_ScrollLock, VK_SCROLL},
    {Qt::Key_Semicolon, VK_OEM_1},  {Qt::Key_Colon, VK_OEM_1},     {Qt::Key_Equal, VK_OEM_PLUS},
    {Qt::Key_Plus, VK_OEM_PLUS},    {Qt::Key_Comma, VK_OEM_COMMA}, {Qt::Key_Less, VK_OEM_COMMA},
    {Qt::Key_Minus, VK_OEM_MINUS},  {Qt::Key_Underscore, VK_OEM_MINUS},
    {Qt::Key_Period, VK_OEM_PERIOD}, {Qt::Key_Greater, VK_OEM_PERIOD},
    {Qt::Key_Slash, VK_OEM_2},      {Qt::Key_Question, VK_OEM_2},  {Qt::Key_QuoteLeft, VK_OEM_3},
    {Qt::Key_AsciiTilde, VK_OEM_3}, {Qt::Key_BracketLeft, VK_OEM_4}, {Qt::Key_BraceLeft, VK_OEM_4},
    {Qt::Key_Backslash, VK_OEM_5},  {Qt::Key_Bar, VK_OEM_5},       {Qt::Key_BracketRight, VK_OEM_6},
    {Qt::Key_BraceRight, VK_OEM_6}, {Qt::Key_Apostrophe, VK_OEM_7}, {Qt::Key_QuoteDbl, VK_OEM_7},
    {Qt::Key_Exclam, '1'},          {Qt::Key_At, '2'},             {Qt::Key_NumberSign, '3'},
    {Qt::Key_Dollar, '4'},          {Qt::Key_Percent, '5'},        {Qt::Key_AsciiCircum, '6'},
    {Qt::Key_Ampersand, '7'},       {Qt::Key_Asterisk, '8'},       {Qt::Key_ParenLeft, '9'},
    {Qt::Key_ParenRight, '0'},
};

// Unshifted and shifted characters of the US keyboard's punctuation keys.
struct Punct {
  WORD vk;
  char plain, shifted;
  int qtPlain, qtShifted;
};
constexpr Punct kPunct[] = {
    {VK_OEM_1, ';', ':', Qt::Key_Semicolon, Qt::Key_Colon},
    {VK_OEM_PLUS, '=', '+', Qt::Key_Equal, Qt::Key_Plus},
    {VK_OEM_COMMA, ',', '<', Qt::Key_Comma, Qt::Key_Less},
    {VK_OEM_MINUS, '-', '_', Qt::Key_Minus, Qt::Key_Underscore},
    {VK_OEM_PERIOD, '.', '>', Qt::Key_Period, Qt::Key_Greater},
    {VK_OEM_2, '/', '?', Qt::Key_Slash, Qt::Key_Question},
    {VK_OEM_3, '`', '~', Qt::Key_QuoteLeft, Qt::Key_AsciiTilde},
    {VK_OEM_4, '[', '{', Qt::Key_BracketLeft, Qt::Key_BraceLeft},
    {VK_OEM_5, '\\', '|', Qt::Key_Backslash, Qt::Key_Bar},
    {VK_OEM_6, ']', '}', Qt::Key_BracketRight, Qt::Key_BraceRight},
    {VK_OEM_7, '\'', '"', Qt::Key_Apostrophe, Qt::Key_QuoteDbl},
};
constexpr char kShiftedDigits[] = ")!@#$%^&*(";

}  // namespace

WORD VirtualKeyOf(int qtKey, Qt::KeyboardModifiers modifiers) {
  bool keypad = modifiers & Qt::KeypadModifier;
  if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
    return static_cast<WORD>(keypad ? VK_NUMPAD0 + (qtKey - Qt::Key_0) : qtKey);
  if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return static_cast<WORD>(qtKey);
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
    return static_cast<WORD>(VK_F1 + (qtKey - Qt::Key_F1));
  if (keypad) {
    switch (qtKey) {
      case Qt::Key_Asterisk: return VK_MULTIPLY;
      case Qt::Key_Plus: return VK_ADD;
      case Qt::Key_Minus: return VK_SUBTRACT;
      case Qt::Key_Period:
      case Qt::Key_Comma: return VK_DECIMAL;
      case Qt::Key_Slash: return VK_DIVIDE;
      default: break;
    }
  }
  for (const auto& k : kSpecial)
    if (k.qt == qtKey) return k.vk;
  return 0;
}

int QtKeyOf(WORD vk, bool* keypad) {
  if (keypad) *keypad = false;
  if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) return vk;
  if (vk >= VK_F1 && vk <= VK_F1 + 23) return Qt::Key_F1 + (vk - VK_F1);
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) {
    if (keypad) *keypad = true;
    return Qt::Key_0 + (vk - VK_NUMPAD0);
  }
  int pad = 0;
  switch (vk) {
    case VK_MULTIPLY: pad = Qt::Key_Asterisk; break;
    case VK_ADD: pad = Qt::Key_Plus; break;
    case VK_SUBTRACT: pad = Qt::Key_Minus; break;
    case VK_DECIMAL: pad = Qt::Key_Period; break;
    case VK_DIVIDE: pad = Qt::Key_Slash; break;
    default: break;
  }
  if (pad) {
    if (keypad) *keypad = true;
    return pad;
  }
  for (const auto& p : kPunct)
    if (p.vk == vk) return p.qtPlain;
  for (const auto& k : kSpecial)
    if (k.vk == vk) return k.qt;
  return 0;
}

TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
  TShiftState s;
  if (modifiers & Qt::ShiftModifier) s << ssShift;
  if (modifiers & Qt::ControlModifier) s << ssCtrl;
  if (modifiers & Qt::AltModifier) s << ssAlt;
  if (buttons & Qt::LeftButton) s << ssLeft;
  if (buttons & Qt::RightButton) s << ssRight;
  if (buttons & Qt::MiddleButton) s << ssMiddle;
  return s;
}

Qt::KeyboardModifiers ModifiersOf(TShiftState shift) {
  Qt::KeyboardModifiers m;
  if (shift.Contains(ssShift)) m |= Qt::ShiftModifier;
  if (shift.Contains(ssCtrl)) m |= Qt::ControlModifier;
  if (shift.Contains(ssAlt)) m |= Qt::AltModifier;
  return m;
}

bool CharOfKeyEvent(const QKeyEvent* e, char& ch) {
  Qt::KeyboardModifiers mods = e->modifiers();
  bool ctrl = mods & Qt::ControlModifier, alt = mods & Qt::AltModifier;
  if (alt && !ctrl) return false;  // Alt+key is a menu key, not a character
  switch (e->key()) {
    case Qt::Key_Backspace: ch = ctrl ? 127 : 8; return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: ch = ctrl ? 10 : 13; return true;
    case Qt::Key_Escape: ch = 27; return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: ch = 9; return true;
    default: break;
  }
  if (ctrl && !alt) {
    int k = e->key();
    if (k >= Qt::Key_A && k <= Qt::Key_Z) {
      ch = static_cast<char>(k - Qt::Key_A + 1);
      return true;
    }
    if (k == Qt::Key_BracketLeft) { ch = 27; return true; }
    if (k == Qt::Key_Backslash) { ch = 28; return true; }
    if (k == Qt::Key_BracketRight) { ch = 29; return true; }
    return false;
  }
  QString text = e->text();
  if (text.isEmpty()) return false;
  QChar q = text.at(0);
  if (q.unicode() < 32 || q.unicode() == 127) return false;
  int b = FromQChar(q);
  if (b < 0) return false;
  ch = static_cast<char>(b);
  return true;
}

QString TextOfKey(WORD vk, TShiftState shift) {
  bool sh = shift.Contains(ssShift), ctrl = shift.Contains(ssCtrl), alt = shift.Contains(ssAlt);
  switch (vk) {
    case VK_BACK: return QString(QChar(8));
    case VK_TAB: return QString(QChar(9));
    case VK_RETURN: return QString(QChar(13));
    case VK_ESCAPE: return QString(QChar(27));
    default: break;
  }
  if (alt) return {};
  if (vk >= 'A' && vk <= 'Z') {
    if (ctrl) return QString(QChar(vk - 'A' + 1));
    return QString(QChar(sh ? vk : vk + 32));
  }
  if (ctrl) return {};
  if (vk == VK_SPACE) return QStringLiteral(" ");
  if (vk >= '0' && vk <= '9') return QString(QChar(sh ? kShiftedDigits[vk - '0'] : vk));
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return QString(QChar('0' + vk - VK_NUMPAD0));
  switch (vk) {
    case VK_MULTIPLY: return QStringLiteral("*");
    case VK_ADD: return QStringLiteral("+");
    case VK_SUBTRACT: return QStringLiteral("-");
    case VK_DECIMAL: return QStringLiteral(".");
    case VK_DIVIDE: return QStringLiteral("/");
    default: break;
  }
  for (const auto& p : kPunct)
    if (p.vk == vk) return QString(QChar(sh ? p.shifted : p.plain));
  return {};
}

void KeyOfChar(char c, int& qtKey, Qt::KeyboardModifiers& modifiers) {
  auto b = static_cast<unsigned char>(c);
  modifiers = Qt::NoModifier;
  switch (b) {
    case 8: qtKey = Qt::Key_Backspace; return;
    case 9: qtKey = Qt::Key_Tab; return;
    case 13: qtKey = Qt::Key_Return; return;
    case 27: qtKey = Qt::Key_Escape; return;
    default: break;
  }
  if (b >= 1 && b <= 26) {
    qtKey = Qt::Key_A + (b - 1);
    modifiers = Qt::ControlModifier;
    return;
  }
  if (b >= 'a' && b <= 'z') {
    qtKey = Qt::Key_A + (b - 'a');
    return;
  }
  if (b >= 'A' && b <= 'Z') {
    qtKey = b;
    modifiers = Qt::ShiftModifier;
    return;
  }
  if ((b >= '0' && b <= '9') || b == ' ') {
    qtKey = b;
    return;
  }
  for (int d = 0; d < 10; ++d)
    if (kShiftedDigits[d] == c) {
      qtKey = b;
      modifiers = Qt::ShiftModifier;
      return;
    }
  for (const auto& p : kPunct) {
    if (p.plain == c) {
      qtKey = p.qtPlain;
      return;
    }
    if (p.shifted == c) {
      qtKey = p.qtShifted;
      modifiers = Qt::ShiftModifier;
      return;
    }
  }
  // Letters beyond ASCII carry their Latin-1 key; the rest have no key of their own.
  QChar q = ToQChar(c);
  qtKey = (q.unicode() >= 0xA0 && q.unicode() <= 0xFF) ? static_cast<int>(q.toUpper().unicode())
                                                       : static_cast<int>(Qt::Key_unknown);
}

}  // namespace vcl
