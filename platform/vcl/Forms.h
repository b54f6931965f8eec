#pragma once
// Forms, the application object and the screen.
//
// A form class binds its members and reads its form file in its constructor:
//   TForm2::TForm2(TComponent* AOwner) : TForm(AOwner) {
//     VCL_FIELD(CBCom);                         // TKaComboBox* CBCom
//     VCL_METHOD(TForm2, CBComSelect);          // void CBComSelect(TObject* Sender)
//     InitForm(kTForm2Dfm);                     // the embedded form file text
//   }
// InitForm creates the children, assigns properties in file order, binds fields and handlers,
// calls Loaded, then raises OnCreate.
//
// ShowModal runs a nested message loop (timers keep firing) until ModalResult is not 0; a
// button's modal result or SetModalResult closes the form through OnCloseQuery/OnClose.
// Tests drive modal forms through SetModalHook, and catch message and exception boxes through
// TApplication::SetMessageBoxHook (see platform/vcl/Testing.h for ready-made helpers). On the
// offscreen platform, a box without a hook is written to stderr instead of waiting for a click
// nobody can give.
#include <functional>
#include <string>
#include <string_view>

#include "platform/vcl/Controls.h"

VCL_ENUM(TPosition, poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter,
         poDesktopCenter, poMainFormCenter, poOwnerFormCenter)
VCL_ENUM(TBorderIcon, biSystemMenu, biMinimize, biMaximize, biHelp)
using TBorderIcons = TSet<TBorderIcon>;
VCL_ENUM(TCloseAction, caNone, caHide, caFree, caMinimize)
VCL_ENUM(TFormStyle, fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop)
VCL_ENUM(TWindowState, wsNormal, wsMinimized, wsMaximized)
VCL_ENUM(TFormStateItem, fsCreating, fsVisible, fsShowing, fsModal, fsCreatedMDIChild, fsActivated)
using TFormState = TSet<TFormStateItem>;

using TCloseEvent = TEvent<TObject*, TCloseAction&>;
using TCloseQueryEvent = TEvent<TObject*, bool&>;

class TCustomForm : public TWinControl {
  VCL_CLASS(TCustomForm, TWinControl)
 public:
  explicit TCustomForm(TComponent* AOwner);
  ~TCustomForm() override;
  void BeforeDestruction() override;

  // Reads the form file text into this form (see the top of this header). Throws EReadError,
  // EClassNotFound or EParserError on a faulty file.
  void InitForm(std::string_view formFileText);

  int ShowModal();
  void Close();
  bool CloseQuery();
  // Deletes the form once the current event has been handled.
  void Release();
  void SetFocus() override;
  void SetVisible(bool v) override;

  TModalResult GetModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult v) { modalResult_ = v; }
  TFormBorderStyle GetBorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle v);
  TBorderIcons GetBorderIcons() const { return borderIcons_; }
  void SetBorderIcons(TBorderIcons v);
  TPosition GetPosition() const { return position_; }
  void SetPosition(TPosition v) { position_ = v; }
  TFormStyle GetFormStyle() const { return formStyle_; }
  void SetFormStyle(TFormStyle v);
  TWindowState GetWindowState() const { return windowState_; }
  void SetWindowState(TWindowState v);
  bool GetKeyPreview() const { return keyPreview_; }
  void SetKeyPreview(bool v) { keyPreview_ = v; }
  // The control that has (or, while the form is not active, will get) the focus.
  TWinControl* GetActiveControl() const { return activeControl_; }
  void SetActiveControl(TWinControl* control);
  bool GetActive() const;
  TFormState GetFormState() const { return formState_; }
  TCanvas* GetCanvas() { return PaintCanvas(); }
  int GetPixelsPerInch() const { return pixelsPerInch_; }
  void SetPixelsPerInch(int v) { pixelsPerInch_ = v; }
  int GetTextHeight() const { return textHeight_; }
  void SetTextHeight(int v) { textHeight_ = v; }
  bool GetOldCreateOrder() const { return oldCreateOrder_; }
  void SetOldCreateOrder(bool v) { oldCreateOrder_ = v; }

  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnPaint;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

 protected:
  virtual void Activate();
  virtual void Deactivate();
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& Action);
  virtual void DoCreate();
  virtual void DoDestroy();
  void Paint() override;
  void CreateWnd() override;
  void TextChanged() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  bool WidgetEvent(QEvent* event) override;
  void ApplyBounds() override;
  void UpdateWidgetVisibility() override;

 private:
  friend class TControl;
  friend class TWinControl;
  friend class vcl::detail::FocusTracker;
  bool FixedSize() const;
  void ApplyWindowFlags();
  void CloseModal();
  void SyncBoundsFromWidget();

  TModalResult modalResult_ = mrNone;
  TFormBorderStyle borderStyle_ = bsSizeable;
  TBorderIcons borderIcons_{biSystemMenu, biMinimize, biMaximize};
  TPosition position_ = poDesigned;
  TFormStyle formStyle_ = fsNormal;
  TWindowState windowState_ = wsNormal;
  bool keyPreview_ = false;
  TWinControl* activeControl_ = nullptr;
  TFormState formState_;
  int pixelsPerInch_ = 96;
  int textHeight_ = 13;
  bool oldCreateOrder_ = false;
  bool destroyRaised_ = false;
  bool syncing_ = false;
};

class TForm : public TCustomForm {
  VCL_CLASS(TForm, TCustomForm)
 public:
  explicit TForm(TComponent* AOwner);
};

using TExceptionEvent = TEvent<TObject*, Exception*>;

class TApplication : public TComponent {
  VCL_CLASS(TApplication, TComponent)
 public:
  explicit TApplication(TComponent* AOwner);
  ~TApplication() override;

  void Initialize();
  // Creates a form owned by the application; the first one becomes the main form.
  template <class T>
  void CreateForm(T*& reference) {
    reference = nullptr;
    T* form = new T(this);
    reference = form;
    if (!mainForm_) mainForm_ = form;
  }
  // Shows the main form and runs the message loop until Terminate (closing the main form).
  void Run();
  void ProcessMessages();
  // Waits for at least one event and handles what is pending.
  void HandleMessage();
  void Terminate();
  bool GetTerminated() const { return terminated_; }
  TCustomForm* GetMainForm() const { return mainForm_; }

  // By default the executable's file name without extension.
  std::string GetTitle() const;
  void SetTitle(const std::string& title) { title_ = title; }
  std::string GetExeName() const;
  bool GetShowHint() const { return showHint_; }
  void SetShowHint(bool v) { showHint_ = v; }

  // Call inside a catch block: shows the current exception (OnException when assigned) and
  // returns. EAbort is silent; an exception of a foreign type shows an empty message.
  void HandleException(TObject* Sender);
  // The framework's exception box: the message (with a final period) under the title.
  void ShowException(const Exception* E);

  // A function that takes the place of message boxes (ShowMessage, the exception box):
  // called with the window title and the text. Returns the previous hook.
  using TMessageBoxHook = std::function<void(const std::string& title, const std::string& text)>;
  static TMessageBoxHook SetExceptionBoxHook(TMessageBoxHook hook);
  static TMessageBoxHook SetShowMessageHook(TMessageBoxHook hook);
  static const TMessageBoxHook& ShowMessageHook();

  TExceptionEvent OnException;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TCustomForm;
  TCustomForm* mainForm_ = nullptr;
  bool terminated_ = false;
  bool showHint_ = true;
  std::string title_;
};

extern TApplication* Application;

class TScreen : public TComponent {
  VCL_CLASS(TScreen, TComponent)
 public:
  explicit TScreen(TComponent* AOwner) : TComponent(AOwner) {}
  int GetWidth() const;
  int GetHeight() const;
  TCustomForm* GetActiveForm() const;
  TWinControl* GetActiveControl() const;
  TCursor GetCursor() const { return cursor_; }
  void SetCursor(TCursor c);

 private:
  TCursor cursor_ = crDefault;
};

extern TScreen* Screen;

// Called once each time a modal loop starts, after the form is shown and active; tests close or
// drive the form from there (directly, or by starting a timer). Returns the previous hook.
using TModalHook = std::function<void(TCustomForm* form)>;
TModalHook SetModalHook(TModalHook hook);
