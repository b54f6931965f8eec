#include "platform/vcl/QtSupport.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPalette>
#include <QStyleFactory>

#include <clocale>
#include <string>
#include <unistd.h>

#include "platform/vcl/Cp1252.h"
#include "platform/vcl/Forms.h"

namespace vcl {

QString ToQString(std::string_view cp1252) {
  QString out;
  out.reserve(static_cast<qsizetype>(cp1252.size()));
  for (char c : cp1252) out.append(ToQChar(c));
  return out;
}

QChar ToQChar(char c) {
  return QChar(static_cast<char16_t>(Cp1252ToUnicode(static_cast<unsigned char>(c))));
}

int FromQChar(QChar c) { return UnicodeToCp1252(c.unicode()); }

std::string FromQString(const QString& text) {
  std::string out;
  out.reserve(static_cast<std::size_t>(text.size()));
  for (QChar c : text) {
    if (c.isHighSurrogate()) continue;  // the low half gives the one '?'
    int b = FromQChar(c);
    out += b < 0 ? '?' : static_cast<char>(b);
  }
  return out;
}

QColor ToQColor(TColor color) {
  std::int32_t rgb = ColorToRGB(color);
  return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

QString MapFontFamily(const std::string& name) {
  struct Map {
    const char* from;
    const char* to;
  };
  static const Map kMap[] = {
      {"MS Sans Serif", "Liberation Sans"}, {"Microsoft Sans Serif", "Liberation Sans"},
      {"Arial", "Liberation Sans"},         {"Tahoma", "Liberation Sans"},
      {"Verdana", "Liberation Sans"},       {"Helvetica", "Liberation Sans"},
      {"Courier New", "Liberation Mono"},   {"Courier", "Liberation Mono"},
      {"Lucida Console", "Liberation Mono"}, {"Fixedsys", "Liberation Mono"},
      {"Times New Roman", "Liberation Serif"}, {"Times", "Liberation Serif"},
  };
  for (const auto& m : kMap)
    if (SameIdent(m.from, name)) return QString::fromLatin1(m.to);
  return ToQString(name);
}

QFont ToQFont(const TFont& font, bool aliased) {
  EnsureApplication();
  QFont f(MapFontFamily(font.GetName()));
  int h = font.GetHeight();
  int px;
  if (h < 0) {
    px = -h;
  } else if (h > 0) {
    // A positive height is the cell height: scale the character height to fit it.
    QFont probe(f);
    probe.setPixelSize(100);
    QFontMetrics fm(probe);
    int cell = fm.ascent() + fm.descent();
    px = cell > 0 ? qMax(1, qRound(h * 100.0 / cell)) : h;
  } else {
    px = 11;
  }
  f.setPixelSize(px);
  TFontStyles st = font.GetStyle();
  f.setBold(st.Contains(fsBold));
  f.setItalic(st.Contains(fsItalic));
  f.setUnderline(st.Contains(fsUnderline));
  f.setStrikeOut(st.Contains(fsStrikeOut));
  f.setKerning(false);
  if (font.GetPitch() == fpFixed) f.setFixedPitch(true);
  if (aliased) f.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoSubpixelAntialias));
  return f;
}

namespace {

std::string ExePath() {
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return "application";
  buf[n] = '\0';
  return buf;
}

QPalette SystemPalette() {
  QPalette pal;
  auto set = [&](QPalette::ColorRole role, TColor c) {
    pal.setColor(QPalette::All, role, ToQColor(c));
  };
  set(QPalette::Window, clBtnFace);
  set(QPalette::WindowText, clWindowText);
  set(QPalette::Base, clWindow);
  set(QPalette::AlternateBase, clBtnFace);
  set(QPalette::Text, clWindowText);
  set(QPalette::Button, clBtnFace);
  set(QPalette::ButtonText, clBtnText);
  set(QPalette::Light, clBtnHighlight);
  set(QPalette::Midlight, cl3DLight);
  set(QPalette::Mid, clBtnShadow);
  set(QPalette::Dark, clBtnShadow);
  set(QPalette::Shadow, cl3DDkShadow);
  set(QPalette::Highlight, clHighlight);
  set(QPalette::HighlightedText, clHighlightText);
  set(QPalette::ToolTipBase, clInfoBk);
  set(QPalette::ToolTipText, clInfoText);
  pal.setColor(QPalette::Disabled, QPalette::WindowText, ToQColor(clGrayText));
  pal.setColor(QPalette::Disabled, QPalette::Text, ToQColor(clGrayText));
  pal.setColor(QPalette::Disabled, QPalette::ButtonText, ToQColor(clGrayText));
  return pal;
}

}  // namespace

void EnsureApplication() {
  static bool configured = false;
  if (configured) return;
  configured = true;
  if (!QCoreApplication::instance()) {
    static std::string exe = ExePath();
    static int argc = 1;
    static char* argv[] = {exe.data(), nullptr};
    new QApplication(argc, argv);
  }
  // Qt sets the user's locale; the C library's number formatting stays "C" ("%.*f" writes '.').
  std::setlocale(LC_NUMERIC, "C");
  QApplication::setQuitOnLastWindowClosed(false);
  if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) QApplication::setStyle(fusion);
  QApplication::setPalette(SystemPalette());
  TFont defaultFont;
  QApplication::setFont(ToQFont(defaultFont, false));
}

void Dispatch(const std::function<void()>& fn) {
  try {
    fn();
  } catch (...) {
    Application->HandleException(nullptr);
  }
}

}  // namespace vcl
