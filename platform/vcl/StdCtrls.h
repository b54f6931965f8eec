#pragma once
// Stock controls: TCustomEdit / TEdit (single-line edit over QLineEdit; TCustomEdit also drives a
// QPlainTextEdit for multi-line edits built on it).
//
// Text: OnChange is raised through the virtual Change() after every change of the text, typed by
// the user or assigned by the program (not for an assignment of the same text, and not while the
// control is being read from a form file). An assigned text puts the caret at 0.
// MaxLength limits what the user types or pastes; text the program assigns is not cut.
// SelStart / SelLength count characters from 0 (CR LF counts 2 in a multi-line edit).
#include <string>

#include "platform/vcl/Controls.h"

class QLineEdit;
class QPlainTextEdit;

VCL_ENUM(TEditCharCase, ecNormal, ecUpperCase, ecLowerCase)

class TCustomEdit : public TWinControl {
  VCL_CLASS(TCustomEdit, TWinControl)
 public:
  explicit TCustomEdit(TComponent* AOwner);
  ~TCustomEdit() override;

  int GetMaxLength() const { return maxLength_; }
  void SetMaxLength(int v);
  bool GetReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v);
  bool GetAutoSelect() const { return autoSelect_; }
  void SetAutoSelect(bool v) { autoSelect_ = v; }
  bool GetAutoSize() const { return autoSize_; }
  void SetAutoSize(bool v) { autoSize_ = v; }
  TBorderStyle GetBorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle v);
  char GetPasswordChar() const { return passwordChar_; }
  void SetPasswordChar(char v);
  TEditCharCase GetCharCase() const { return charCase_; }
  void SetCharCase(TEditCharCase v);
  bool GetHideSelection() const { return hideSelection_; }
  void SetHideSelection(bool v) { hideSelection_ = v; }
  bool GetModified() const;
  void SetModified(bool v);

  int GetSelStart() const;
  void SetSelStart(int v);  // caret at v, no selection
  int GetSelLength() const;
  void SetSelLength(int v);  // selects from SelStart
  std::string GetSelText() const;
  void SetSelText(const std::string& text);
  void SelectAll();
  void ClearSelection();
  void Clear() { SetText(""); }
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();
  bool CanUndo() const;
  void Undo();

  TNotifyEvent OnChange;

 protected:
  // A multi-line edit (TCustomMemo) passes its own Qt widget.
  TCustomEdit(TComponent* AOwner, QPlainTextEdit* widget);

  virtual void Change();
  void DoEnter() override;
  int GetDialogCode() const override;
  std::string RealGetText() const override;
  void RealSetText(const std::string& text) override;
  bool WidgetEvent(QEvent* event) override;
  void UpdateWidgetPalette() override;
  void Ctl3DChanged() override;
  bool AcceptChar(char c) override;

  QLineEdit* LineEdit() const { return line_; }
  QPlainTextEdit* PlainEdit() const { return plain_; }
  // The widget's text without the code page conversion (CR LF already as the framework has it).
  std::string WidgetText() const;

 private:
  void Connect();
  void WidgetTextChanged();
  int ToEditPos(int pos) const;    // framework position to widget position
  int FromEditPos(int pos) const;  // widget position to framework position
  void ApplyCharCase();

  QLineEdit* line_ = nullptr;
  QPlainTextEdit* plain_ = nullptr;
  class LengthValidator;
  LengthValidator* validator_ = nullptr;
  std::string lastText_;
  int maxLength_ = 0;
  bool readOnly_ = false;
  bool autoSelect_ = true;
  bool autoSize_ = true;
  TBorderStyle borderStyle_ = bsSingle;
  char passwordChar_ = 0;
  TEditCharCase charCase_ = ecNormal;
  bool hideSelection_ = true;
  bool settingText_ = false;
  bool forwardingFocus_ = false;
};

class TEdit : public TCustomEdit {
  VCL_CLASS(TEdit, TCustomEdit)
 public:
  explicit TEdit(TComponent* AOwner);
};
