#include "platform/vcl/StdCtrls.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QValidator>

#include <climits>

#include "platform/vcl/Keys.h"
#include "platform/vcl/QtSupport.h"
#include "platform/vcl/SysUtils.h"

// Refuses user edits that would make the text longer than MaxLength (and longer than it was, so
// a longer text the program assigned can still be shortened).
class TCustomEdit::LengthValidator : public QValidator {
 public:
  explicit LengthValidator(TCustomEdit* edit) : QValidator(nullptr), edit_(edit) {}
  State validate(QString& input, int&) const override {
    int max = edit_->maxLength_;
    if (max <= 0 || edit_->settingText_) return Acceptable;
    qsizetype before = static_cast<qsizetype>(edit_->lastText_.size());
    return input.size() > max && input.size() > before ? Invalid : Acceptable;
  }

 private:
  TCustomEdit* edit_;
};

VCL_IMPLEMENT_CLASS(TCustomEdit) {
  p.Declare("AutoSelect", &TCustomEdit::GetAutoSelect, &TCustomEdit::SetAutoSelect).Default(true);
  p.Declare("AutoSize", &TCustomEdit::GetAutoSize, &TCustomEdit::SetAutoSize).Default(true);
  p.Declare("BorderStyle", &TCustomEdit::GetBorderStyle, &TCustomEdit::SetBorderStyle)
      .Default(bsSingle);
  p.Declare("CharCase", &TCustomEdit::GetCharCase, &TCustomEdit::SetCharCase).Default(ecNormal);
  p.Declare("HideSelection", &TCustomEdit::GetHideSelection, &TCustomEdit::SetHideSelection)
      .Default(true);
  p.Declare("MaxLength", &TCustomEdit::GetMaxLength, &TCustomEdit::SetMaxLength).Default(0);
  p.Declare("PasswordChar", &TCustomEdit::GetPasswordChar, &TCustomEdit::SetPasswordChar)
      .Default('\0');
  p.Declare("ReadOnly", &TCustomEdit::GetReadOnly, &TCustomEdit::SetReadOnly).Default(false);
  p.Declare("OnChange", &TCustomEdit::OnChange);
  p.Redeclare("TabStop").Default(true);
  p.Redeclare("ParentColor").Default(false);
}

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner, vcl::NewWidget<QLineEdit>()) {
  line_ = static_cast<QLineEdit*>(Widget());
  line_->setMaxLength(INT_MAX);
  validator_ = new LengthValidator(this);
  line_->setValidator(validator_);
  Connect();
  SetTabStop(true);
  SetColor(clWindow);
  SetBounds(GetLeft(), GetTop(), 121, 21);
}

TCustomEdit::TCustomEdit(TComponent* AOwner, QPlainTextEdit* widget) : TWinControl(AOwner, widget) {
  plain_ = widget;
  plain_->setTabChangesFocus(true);
  Connect();
  SetTabStop(true);
  SetColor(clWindow);
  SetBounds(GetLeft(), GetTop(), 185, 89);
}

TCustomEdit::~TCustomEdit() {
  BeginDestroy();
  if (line_) line_->setValidator(nullptr);
  delete validator_;
}

void TCustomEdit::Connect() {
  if (line_)
    QObject::connect(line_, &QLineEdit::textChanged, line_, [this] { WidgetTextChanged(); });
  else
    QObject::connect(plain_, &QPlainTextEdit::textChanged, plain_, [this] { WidgetTextChanged(); });
}

std::string TCustomEdit::WidgetText() const {
  if (line_) return vcl::FromQString(line_->text());
  std::string s = vcl::FromQString(plain_->toPlainText());
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

std::string TCustomEdit::RealGetText() const { return WidgetText(); }

void TCustomEdit::RealSetText(const std::string& text) {
  std::string t = text;
  if (charCase_ == ecUpperCase) t = AnsiUpperCase(t);
  if (charCase_ == ecLowerCase) t = AnsiLowerCase(t);
  settingText_ = true;
  lastText_ = t;
  if (line_) {
    QSignalBlocker block(line_);
    line_->setText(vcl::ToQString(t));
    line_->setCursorPosition(0);
  } else {
    std::string plain;
    for (std::size_t i = 0; i < t.size(); ++i) {
      if (t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n') continue;
      plain += t[i] == '\r' ? '\n' : t[i];
    }
    QSignalBlocker block(plain_);
    plain_->setPlainText(vcl::ToQString(plain));
    QTextCursor c = plain_->textCursor();
    c.movePosition(QTextCursor::Start);
    plain_->setTextCursor(c);
  }
  settingText_ = false;
  if (!IsLoading() && !IsBeingDestroyed()) Change();
}

void TCustomEdit::WidgetTextChanged() {
  if (settingText_ || IsBeingDestroyed()) return;
  ApplyCharCase();
  std::string now = WidgetText();
  if (now == lastText_) return;
  lastText_ = now;
  if (IsLoading()) return;
  vcl::Dispatch([this] { Change(); });
}

void TCustomEdit::ApplyCharCase() {
  if (charCase_ == ecNormal || !line_) return;
  QString t = line_->text();
  QString c = charCase_ == ecUpperCase ? t.toUpper() : t.toLower();
  if (c == t) return;
  int pos = line_->cursorPosition();
  settingText_ = true;
  {
    QSignalBlocker block(line_);
    line_->setText(c);
    line_->setCursorPosition(pos);
  }
  settingText_ = false;
}

void TCustomEdit::Change() {
  if (OnChange) OnChange(this);
}

void TCustomEdit::DoEnter() {
  if (autoSelect_ && line_ && !GetControlState().Contains(csLButtonDown)) SelectAll();
  TWinControl::DoEnter();
}

int TCustomEdit::GetDialogCode() const {
  int code = DLGC_WANTARROWS | DLGC_WANTCHARS;
  if (plain_) code |= DLGC_WANTALLKEYS;
  return code;
}

void TCustomEdit::SetMaxLength(int v) { maxLength_ = std::max(0, v); }

void TCustomEdit::SetReadOnly(bool v) {
  readOnly_ = v;
  if (line_)
    line_->setReadOnly(v);
  else
    plain_->setReadOnly(v);
}

void TCustomEdit::SetBorderStyle(TBorderStyle v) {
  if (v != bsNone) v = bsSingle;
  borderStyle_ = v;
  if (line_)
    line_->setFrame(v == bsSingle);
  else
    plain_->setFrameShape(v == bsSingle ? QFrame::StyledPanel : QFrame::NoFrame);
  RecreateWnd();
}

void TCustomEdit::Ctl3DChanged() {
  TWinControl::Ctl3DChanged();
  RecreateWnd();
}

void TCustomEdit::SetPasswordChar(char v) {
  passwordChar_ = v;
  if (line_) line_->setEchoMode(v ? QLineEdit::Password : QLineEdit::Normal);
}

void TCustomEdit::SetCharCase(TEditCharCase v) {
  charCase_ = v;
  if (v != ecNormal) {
    std::string t = GetText();
    SetText(v == ecUpperCase ? AnsiUpperCase(t) : AnsiLowerCase(t));
  }
}

bool TCustomEdit::GetModified() const {
  return line_ ? line_->isModified() : plain_->document()->isModified();
}

void TCustomEdit::SetModified(bool v) {
  if (line_)
    line_->setModified(v);
  else
    plain_->document()->setModified(v);
}

int TCustomEdit::ToEditPos(int pos) const {
  if (line_) return pos;
  std::string t = WidgetText();
  int q = 0;
  for (int i = 0; i < pos && i < static_cast<int>(t.size()); ++i) {
    if (t[static_cast<std::size_t>(i)] == '\r' && i + 1 < static_cast<int>(t.size()) &&
        t[static_cast<std::size_t>(i) + 1] == '\n')
      continue;
    ++q;
  }
  return q;
}

int TCustomEdit::FromEditPos(int pos) const {
  if (line_) return pos;
  QString t = plain_->toPlainText();
  int extra = 0;
  for (int i = 0; i < pos && i < t.size(); ++i)
    if (t.at(i) == QChar('\n')) ++extra;
  return pos + extra;
}

int TCustomEdit::GetSelStart() const {
  if (line_) return line_->hasSelectedText() ? line_->selectionStart() : line_->cursorPosition();
  QTextCursor c = plain_->textCursor();
  return FromEditPos(c.selectionStart());
}

void TCustomEdit::SetSelStart(int v) {
  v = std::max(0, v);
  if (line_) {
    line_->setCursorPosition(std::min(v, static_cast<int>(line_->text().size())));
    return;
  }
  QTextCursor c = plain_->textCursor();
  c.setPosition(std::min(ToEditPos(v), static_cast<int>(plain_->toPlainText().size())));
  plain_->setTextCursor(c);
}

int TCustomEdit::GetSelLength() const {
  if (line_) return static_cast<int>(line_->selectedText().size());
  QTextCursor c = plain_->textCursor();
  return FromEditPos(c.selectionEnd()) - FromEditPos(c.selectionStart());
}

void TCustomEdit::SetSelLength(int v) {
  int start = GetSelStart();
  v = std::max(0, v);
  if (line_) {
    line_->setSelection(start, v);
    return;
  }
  int len = static_cast<int>(plain_->toPlainText().size());
  QTextCursor c = plain_->textCursor();
  c.setPosition(std::min(ToEditPos(start), len));
  c.setPosition(std::min(ToEditPos(start + v), len), QTextCursor::KeepAnchor);
  plain_->setTextCursor(c);
}

std::string TCustomEdit::GetSelText() const {
  std::string t = WidgetText();
  int s = GetSelStart(), n = GetSelLength();
  if (s >= static_cast<int>(t.size())) return {};
  return t.substr(static_cast<std::size_t>(s), static_cast<std::size_t>(n));
}

void TCustomEdit::SetSelText(const std::string& text) {
  if (line_) {
    line_->insert(vcl::ToQString(text));
  } else {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
      plain += text[i] == '\r' ? '\n' : text[i];
    }
    plain_->insertPlainText(vcl::ToQString(plain));
  }
}

void TCustomEdit::SelectAll() {
  if (line_)
    line_->selectAll();
  else
    plain_->selectAll();
}

void TCustomEdit::ClearSelection() {
  if (GetSelLength() > 0) SetSelText("");
}

void TCustomEdit::CopyToClipboard() {
  if (line_)
    line_->copy();
  else
    plain_->copy();
}

void TCustomEdit::CutToClipboard() {
  if (line_)
    line_->cut();
  else
    plain_->cut();
}

void TCustomEdit::PasteFromClipboard() {
  if (line_)
    line_->paste();
  else
    plain_->paste();
}

bool TCustomEdit::CanUndo() const {
  return line_ ? line_->isUndoAvailable() : plain_->document()->isUndoAvailable();
}

void TCustomEdit::Undo() {
  if (line_)
    line_->undo();
  else
    plain_->undo();
}

void TCustomEdit::UpdateWidgetPalette() {
  QWidget* w = Widget();
  QPalette pal = w->palette();
  QColor bg = vcl::ToQColor(GetColor()), fg = vcl::ToQColor(GetFont()->GetColor());
  for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    pal.setColor(group, QPalette::Base, bg);
    pal.setColor(group, QPalette::Window, bg);
    if (group != QPalette::Disabled) pal.setColor(group, QPalette::Text, fg);
  }
  w->setPalette(pal);
  if (plain_) plain_->viewport()->setPalette(pal);
}

bool TCustomEdit::AcceptChar(char c) {
  // A line edit's validator limits what is typed and pasted; a multi-line edit is limited here.
  if (!plain_ || maxLength_ <= 0 || readOnly_) return true;
  auto b = static_cast<unsigned char>(c);
  if (b < 32 && b != 13) return true;
  int room = maxLength_ - (static_cast<int>(WidgetText().size()) - GetSelLength());
  return room >= (b == 13 ? 2 : 1);
}

bool TCustomEdit::WidgetEvent(QEvent* event) {
  if (event->type() == QEvent::FocusIn && !forwardingFocus_) {
    auto* fe = static_cast<QFocusEvent*>(event);
    Qt::FocusReason r = fe->reason();
    // Qt selects a line edit's whole text on Tab; the framework does that only for AutoSelect.
    if (line_ && (r == Qt::TabFocusReason || r == Qt::BacktabFocusReason ||
                  r == Qt::ShortcutFocusReason)) {
      QFocusEvent other(QEvent::FocusIn, Qt::OtherFocusReason);
      forwardingFocus_ = true;
      QCoreApplication::sendEvent(line_, &other);
      forwardingFocus_ = false;
      return true;
    }
  }
  return TWinControl::WidgetEvent(event);
}

VCL_IMPLEMENT_CLASS(TEdit) {
  p.Publish("Anchors");
  p.Publish("AutoSelect");
  p.Publish("AutoSize");
  p.Publish("BevelEdges");
  p.Publish("BevelInner");
  p.Publish("BevelKind").Default(bkNone);
  p.Publish("BevelOuter");
  p.Publish("BiDiMode");
  p.Publish("BorderStyle");
  p.Publish("CharCase");
  p.Publish("Color");
  p.Publish("Constraints");
  p.Publish("Ctl3D");
  p.Publish("Enabled");
  p.Publish("Font");
  p.Publish("HideSelection");
  p.Publish("MaxLength");
  p.Publish("ParentColor");
  p.Publish("ParentCtl3D");
  p.Publish("ParentFont");
  p.Publish("ParentShowHint");
  p.Publish("PasswordChar");
  p.Publish("ReadOnly");
  p.Publish("ShowHint");
  p.Publish("TabOrder");
  p.Publish("TabStop");
  p.Publish("Text");
  p.Publish("Visible");
  p.Publish("OnChange");
  p.Publish("OnClick");
  p.Publish("OnDblClick");
  p.Publish("OnEnter");
  p.Publish("OnExit");
  p.Publish("OnKeyDown");
  p.Publish("OnKeyPress");
  p.Publish("OnKeyUp");
  p.Publish("OnMouseDown");
  p.Publish("OnMouseMove");
  p.Publish("OnMouseUp");
}

TEdit::TEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}
