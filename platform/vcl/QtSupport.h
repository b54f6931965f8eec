#pragma once
// Platform side of the framework layer: conversions to and from Qt types and the application
// bootstrap. Only sources under platform/ include this header.
#include <QColor>
#include <QFont>
#include <QString>

#include <functional>
#include <string>
#include <string_view>

#include "platform/vcl/Graphics.h"

class QWidget;
class TControl;

namespace vcl {

QString ToQString(std::string_view cp1252);
std::string FromQString(const QString& text);  // characters without a code page 1252 byte: '?'
QChar ToQChar(char c);
// The byte of a character; -1 when code page 1252 has none.
int FromQChar(QChar c);

QColor ToQColor(TColor color);
QString MapFontFamily(const std::string& name);
// The Qt font for a framework font. `aliased` turns glyph antialiasing off (canvas drawing).
QFont ToQFont(const TFont& font, bool aliased);

// Creates the QApplication on first use (controls, timers and canvases call this), with the
// framework's look: Fusion style, the system colour table as palette, the default font, and the C
// library's numeric formatting left in the "C" locale.
void EnsureApplication();

// A new widget of a stock control (the QApplication is created first).
template <class W>
W* NewWidget() {
  EnsureApplication();
  return new W;
}

// Runs a callback that comes from Qt (an event, a signal, a timer): an exception that escapes is
// shown by Application->HandleException and the loop goes on.
void Dispatch(const std::function<void()>& fn);

// The Qt cursor of a framework cursor.
Qt::CursorShape CursorShapeOf(int cursor);

// The Qt widget behind a control (nullptr for none).
QWidget* WidgetOf(const TControl* control);
// The control a widget belongs to (the widget itself or its nearest ancestor with a control).
TControl* ControlOf(const QWidget* widget);

}  // namespace vcl
