#include "platform/vcl/Forms.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <unordered_set>

#include "platform/vcl/Cp1252.h"
#include "platform/vcl/FormFile.h"
#include "platform/vcl/QtSupport.h"

namespace vcl::detail {
bool IsAlive(const TControl* c);

TModalHook& TheModalHook() {
  static TModalHook hook;
  return hook;
}

// Platforms without a screen anybody looks at: a box there would wait for ever.
bool Headless() {
  QString p = QGuiApplication::platformName();
  return p == QLatin1String("offscreen") || p == QLatin1String("minimal");
}

// A modal box of the framework (the exception box, ShowMessage) when no hook takes its place.
void ShowBox(const std::string& title, const std::string& text, bool error) {
  EnsureApplication();
  if (Headless()) {
    std::fprintf(stderr, "[%s] %s\n", vcl::Cp1252ToUtf8(title).c_str(),
                 vcl::Cp1252ToUtf8(text).c_str());
    return;
  }
  QMessageBox box(error ? QMessageBox::Critical : QMessageBox::NoIcon, ToQString(title),
                  ToQString(text), QMessageBox::Ok);
  box.exec();
}

}  // namespace vcl::detail

using vcl::detail::IsAlive;

// --- TCustomForm ----------------------------------------------------------------------------------

VCL_IMPLEMENT_CLASS(TCustomForm) {
  p.Publish("Width").Stored(false);
  p.Publish("Height").Stored(false);
  p.Published("ActiveControl", &TCustomForm::GetActiveControl, &TCustomForm::SetActiveControl);
  p.Publish("Align");
  p.Publish("Anchors");
  p.Published("BorderIcons", &TCustomForm::GetBorderIcons, &TCustomForm::SetBorderIcons)
      .Default(TBorderIcons{biSystemMenu, biMinimize, biMaximize});
  p.Published("BorderStyle", &TCustomForm::GetBorderStyle, &TCustomForm::SetBorderStyle)
      .Default(bsSizeable);
  p.Publish("BorderWidth");
  p.Publish("Caption");
  p.Publish("ClientHeight").Stored(true);
  p.Publish("ClientWidth").Stored(true);
  p.Publish("Color").NoDefault();
  p.Publish("Constraints");
  p.Publish("Ctl3D");
  p.Publish("Enabled");
  p.Publish("Font");
  p.Published("FormStyle", &TCustomForm::GetFormStyle, &TCustomForm::SetFormStyle).Default(fsNormal);
  p.Published("KeyPreview", &TCustomForm::GetKeyPreview, &TCustomForm::SetKeyPreview).Default(false);
  p.Published("OldCreateOrder", &TCustomForm::GetOldCreateOrder, &TCustomForm::SetOldCreateOrder)
      .Default(false);
  p.Publish("ParentFont").Default(false);
  p.Published("Position", &TCustomForm::GetPosition, &TCustomForm::SetPosition).Default(poDesigned);
  p.Publish("ShowHint");
  p.Publish("Visible").Default(false);
  p.Published("WindowState", &TCustomForm::GetWindowState, &TCustomForm::SetWindowState)
      .Default(wsNormal);
  p.Published("OnActivate", &TCustomForm::OnActivate);
  p.Publish("OnClick");
  p.Published("OnClose", &TCustomForm::OnClose);
  p.Published("OnCloseQuery", &TCustomForm::OnCloseQuery);
  p.Published("OnCreate", &TCustomForm::OnCreate);
  p.Publish("OnDblClick");
  p.Published("OnDeactivate", &TCustomForm::OnDeactivate);
  p.Published("OnDestroy", &TCustomForm::OnDestroy);
  p.Published("OnHide", &TCustomForm::OnHide);
  p.Publish("OnKeyDown");
  p.Publish("OnKeyPress");
  p.Publish("OnKeyUp");
  p.Publish("OnMouseDown");
  p.Publish("OnMouseMove");
  p.Publish("OnMouseUp");
  p.Published("OnPaint", &TCustomForm::OnPaint);
  p.Publish("OnResize");
  p.Published("OnShow", &TCustomForm::OnShow);
  p.Published("PixelsPerInch", &TCustomForm::GetPixelsPerInch, &TCustomForm::SetPixelsPerInch)
      .Default(96);
  p.Published("TextHeight", &TCustomForm::GetTextHeight, &TCustomForm::SetTextHeight).Default(13);
}

TCustomForm::TCustomForm(TComponent* AOwner) : TWinControl(AOwner) {
  SetVisible(false);
  SetColor(clBtnFace);
  GetFont()->SetColor(clWindowText);
  SetParentFont(false);
  SetBounds(0, 0, 320, 240);
  Widget()->setAttribute(Qt::WA_DeleteOnClose, false);
}

TCustomForm::~TCustomForm() {
  BeginDestroy();
  if (Application && Application->mainForm_ == this) Application->mainForm_ = nullptr;
}

void TCustomForm::BeforeDestruction() {
  if (!destroyRaised_) {
    destroyRaised_ = true;
    DoDestroy();
  }
  TWinControl::BeforeDestruction();
}

void TCustomForm::InitForm(std::string_view formFileText) {
  vcl::ReadRootComponent(this, formFileText);
  DoCreate();
}

void TCustomForm::DoCreate() {
  if (OnCreate) OnCreate(this);
}

void TCustomForm::DoDestroy() {
  if (OnDestroy) OnDestroy(this);
}

void TCustomForm::Activate() {
  formState_.Include(fsActivated);
  if (OnActivate) OnActivate(this);
}

void TCustomForm::Deactivate() {
  if (OnDeactivate) OnDeactivate(this);
}

void TCustomForm::DoShow() {
  if (OnShow) OnShow(this);
}

void TCustomForm::DoHide() {
  if (OnHide) OnHide(this);
}

void TCustomForm::DoClose(TCloseAction& Action) {
  if (OnClose) OnClose(this, Action);
}

void TCustomForm::Paint() {
  if (OnPaint) OnPaint(this);
}

bool TCustomForm::GetActive() const { return Widget()->isActiveWindow(); }

bool TCustomForm::FixedSize() const {
  return borderStyle_ != bsSizeable && borderStyle_ != bsSizeToolWin;
}

void TCustomForm::ApplyWindowFlags() {
  Qt::WindowFlags f;
  bool close = borderIcons_.Contains(biSystemMenu);
  switch (borderStyle_) {
    case bsNone:
      f = Qt::Window | Qt::FramelessWindowHint;
      break;
    case bsDialog:
      f = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
      if (close) f |= Qt::WindowCloseButtonHint;
      break;
    case bsToolWindow:
    case bsSizeToolWin:
      f = Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
      if (close) f |= Qt::WindowCloseButtonHint;
      break;
    default:
      f = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
      if (close) f |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
      if (close && borderIcons_.Contains(biMinimize)) f |= Qt::WindowMinimizeButtonHint;
      if (close && borderIcons_.Contains(biMaximize) && borderStyle_ == bsSizeable)
        f |= Qt::WindowMaximizeButtonHint;
      break;
  }
  if (formStyle_ == fsStayOnTop) f |= Qt::WindowStaysOnTopHint;
  QWidget* w = Widget();
  if (w->windowFlags() == f) return;
  bool wasVisible = w->isVisible();
  w->setWindowFlags(f);
  ApplyBounds();
  if (wasVisible) w->show();
}

void TCustomForm::CreateWnd() {
  TWinControl::CreateWnd();
  ApplyWindowFlags();
  Widget()->setWindowTitle(vcl::ToQString(GetText()));
}

void TCustomForm::SetBorderStyle(TFormBorderStyle v) {
  if (borderStyle_ == v) return;
  borderStyle_ = v;
  if (HandleAllocated()) RecreateWnd();
  ApplyBounds();
}

void TCustomForm::SetBorderIcons(TBorderIcons v) {
  if (borderIcons_ == v) return;
  borderIcons_ = v;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle v) {
  if (formStyle_ == v) return;
  formStyle_ = v;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomForm::SetWindowState(TWindowState v) {
  windowState_ = v;
  if (!Widget()->isVisible()) return;
  switch (v) {
    case wsMinimized: Widget()->showMinimized(); break;
    case wsMaximized: Widget()->showMaximized(); break;
    default: Widget()->showNormal(); break;
  }
}

void TCustomForm::TextChanged() {
  Widget()->setWindowTitle(vcl::ToQString(GetText()));
  TWinControl::TextChanged();
}

void TCustomForm::ApplyBounds() {
  QWidget* w = Widget();
  if (FixedSize()) {
    w->setFixedSize(GetWidth(), GetHeight());
  } else {
    w->setMinimumSize(0, 0);
    w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  }
  // Left and Top place the client area; the window manager adds its frame around it.
  syncing_ = true;
  w->setGeometry(GetLeft(), GetTop(), GetWidth(), GetHeight());
  syncing_ = false;
}

void TCustomForm::SyncBoundsFromWidget() {
  if (syncing_) return;
  QWidget* w = Widget();
  QRect g = w->geometry();
  int l = g.x(), t = g.y(), wd = g.width(), ht = g.height();
  if (l == GetLeft() && t == GetTop() && wd == GetWidth() && ht == GetHeight()) return;
  bool resized = wd != GetWidth() || ht != GetHeight();
  left_ = l;
  top_ = t;
  width_ = wd;
  height_ = ht;
  if (resized) {
    ChildrenResized();
    Resize();
  }
}

void TCustomForm::SetVisible(bool v) {
  if (!v && formState_.Contains(fsModal) && modalResult_ == mrNone && GetVisible()) {
    // Hiding a modal form ends its loop, as closing it does.
    modalResult_ = mrCancel;
  }
  TWinControl::SetVisible(v);
}

void TCustomForm::UpdateWidgetVisibility() {
  QWidget* w = Widget();
  if (!GetVisible()) {
    if (w->isVisible()) {
      w->hide();
      vcl::Dispatch([this] { DoHide(); });
    }
    return;
  }
  if (w->isVisible()) {
    if (!vcl::detail::Headless()) w->raise();
    w->activateWindow();
    return;
  }
  HandleNeeded();
  CreateHandlesForShowing();
  if (position_ == poScreenCenter || position_ == poDesktopCenter ||
      ((position_ == poMainFormCenter || position_ == poOwnerFormCenter))) {
    TCustomForm* center = nullptr;
    if (position_ == poMainFormCenter && Application) center = Application->GetMainForm();
    if (position_ == poOwnerFormCenter) center = dynamic_cast<TCustomForm*>(GetOwner());
    if (center == this || (center && !center->GetVisible())) center = nullptr;
    int cx, cy;
    if (center) {
      cx = center->GetLeft() + (center->GetWidth() - GetWidth()) / 2;
      cy = center->GetTop() + (center->GetHeight() - GetHeight()) / 2;
    } else {
      cx = (Screen->GetWidth() - GetWidth()) / 2;
      cy = (Screen->GetHeight() - GetHeight()) / 2;
    }
    left_ = cx;
    top_ = cy;
  }
  ApplyBounds();
  vcl::Dispatch([this] { DoShow(); });
  if (!IsAlive(this) || !GetVisible()) return;
  // The control that gets the focus when the window becomes active.
  TWinControl* first = activeControl_;
  if (!first || !IsAlive(first) || !first->CanFocus()) first = FindNextControl(nullptr, true, true, false);
  if (first) first->Widget()->setFocus(Qt::OtherFocusReason);
  w->show();
  if (windowState_ == wsMaximized) w->showMaximized();
  if (windowState_ == wsMinimized) w->showMinimized();
  if (!vcl::detail::Headless()) w->raise();
  w->activateWindow();
}

void TCustomForm::SetFocus() {
  if (!GetVisible() || !GetEnabled())
    throw EInvalidOperation("Cannot focus a disabled or invisible window");
  QWidget* w = Widget();
  if (!w->isActiveWindow()) {
    w->activateWindow();
    QApplication::setActiveWindow(w);
  }
}

void TCustomForm::SetActiveControl(TWinControl* control) {
  if (control && (control == this || GetParentForm(control) != this))
    throw EInvalidOperation("Cannot focus a disabled or invisible window");
  if (!control) {
    activeControl_ = nullptr;
    return;
  }
  if (IsLoading() || !Widget()->isVisible()) {
    activeControl_ = control;
    return;
  }
  if (!control->CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  if (GetActive())
    control->SetFocus();
  else {
    activeControl_ = control;
    control->Widget()->setFocus(Qt::OtherFocusReason);
  }
}

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == activeControl_) activeControl_ = nullptr;
}

bool TCustomForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::Close() {
  if (formState_.Contains(fsModal)) {
    modalResult_ = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  DoClose(action);
  if (action == caNone || !IsAlive(this)) return;
  if (Application && Application->GetMainForm() == this) {
    Hide();
    Application->Terminate();
  } else if (action == caHide) {
    Hide();
  } else if (action == caMinimize) {
    SetWindowState(wsMinimized);
  } else {
    Release();
  }
}

void TCustomForm::CloseModal() {
  TCloseAction action = caNone;
  if (CloseQuery()) {
    action = caHide;
    DoClose(action);
  }
  if (action == caNone)
    modalResult_ = mrNone;
  else if (action == caFree)
    Release();
}

void TCustomForm::Release() {
  TCustomForm* self = this;
  QTimer::singleShot(0, qApp, [self] {
    if (IsAlive(self)) self->Free();
  });
}

int TCustomForm::ShowModal() {
  if (GetVisible() || !GetEnabled() || formState_.Contains(fsModal))
    throw EInvalidOperation("Cannot make a visible window modal");
  formState_.Include(fsModal);
  modalResult_ = mrNone;
  Widget()->setWindowModality(Qt::ApplicationModal);
  Show();
  Application->ProcessMessages();
  if (IsAlive(this) && modalResult_ == mrNone) {
    if (TModalHook hook = vcl::detail::TheModalHook()) vcl::Dispatch([&] { hook(this); });
  }
  while (IsAlive(this)) {
    if (modalResult_ == mrNone) {
      if (Application->GetTerminated())
        modalResult_ = mrCancel;
      else
        Application->HandleMessage();
    }
    if (!IsAlive(this)) break;
    if (modalResult_ != mrNone) {
      vcl::Dispatch([this] { CloseModal(); });
      if (!IsAlive(this) || modalResult_ != mrNone) break;
    }
  }
  if (!IsAlive(this)) return mrCancel;
  TModalResult result = modalResult_;
  formState_.Exclude(fsModal);
  Hide();
  Widget()->setWindowModality(Qt::NonModal);
  return result;
}

bool TCustomForm::WidgetEvent(QEvent* event) {
  switch (event->type()) {
    case QEvent::Close:
      event->ignore();
      Close();
      return true;
    case QEvent::WindowActivate:
      Activate();
      return false;
    case QEvent::WindowDeactivate:
      Deactivate();
      return false;
    case QEvent::Resize:
    case QEvent::Move:
      SyncBoundsFromWidget();
      return false;
    case QEvent::Paint: {
      QPainter painter(Widget());
      if (GetBrush()->GetStyle() != bsClear)
        painter.fillRect(Widget()->rect(), vcl::ToQColor(GetBrush()->GetColor()));
      if (OnPaint) {
        TCanvas* canvas = PaintCanvas();
        canvas->BeginPaint(&painter);
        vcl::Dispatch([this] { Paint(); });
        canvas->EndPaint();
      }
      return true;
    }
    default:
      return TWinControl::WidgetEvent(event);
  }
}

VCL_IMPLEMENT_CLASS(TForm) {}

TForm::TForm(TComponent* AOwner) : TCustomForm(AOwner) {}

// --- TApplication ---------------------------------------------------------------------------------

namespace {

TApplication::TMessageBoxHook& ExceptionHook() {
  static TApplication::TMessageBoxHook hook;
  return hook;
}

TApplication::TMessageBoxHook& MessageHook() {
  static TApplication::TMessageBoxHook hook;
  return hook;
}

}  // namespace

VCL_IMPLEMENT_CLASS(TApplication) {}

TApplication* Application = new TApplication(nullptr);
TScreen* Screen = new TScreen(nullptr);

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {}

TApplication::~TApplication() = default;

void TApplication::Initialize() { vcl::EnsureApplication(); }

void TApplication::Run() {
  vcl::EnsureApplication();
  terminated_ = false;
  if (mainForm_ && !mainForm_->GetVisible()) vcl::Dispatch([this] { mainForm_->Show(); });
  while (!terminated_) HandleMessage();
  // A program ends after Run; tests may run the loop again.
  terminated_ = false;
}

void TApplication::ProcessMessages() {
  vcl::EnsureApplication();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TApplication::HandleMessage() {
  vcl::EnsureApplication();
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void TApplication::Terminate() {
  terminated_ = true;
  if (QCoreApplication::instance())
    if (auto* d = QAbstractEventDispatcher::instance()) d->wakeUp();
}

std::string TApplication::GetExeName() const {
  vcl::EnsureApplication();
  return vcl::FromQString(QCoreApplication::applicationFilePath());
}

std::string TApplication::GetTitle() const {
  if (!title_.empty()) return title_;
  std::string exe = GetExeName();
  auto slash = exe.find_last_of('/');
  std::string name = slash == std::string::npos ? exe : exe.substr(slash + 1);
  auto dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name = name.substr(0, dot);
  return name;
}

void TApplication::HandleException(TObject* Sender) {
  std::exception_ptr ep = std::current_exception();
  if (!ep) return;
  try {
    std::rethrow_exception(ep);
  } catch (EAbort&) {
  } catch (Exception& e) {
    if (OnException)
      OnException(Sender, &e);
    else
      ShowException(&e);
  } catch (...) {
    Exception foreign("");
    if (OnException)
      OnException(Sender, &foreign);
    else
      ShowException(&foreign);
  }
}

void TApplication::ShowException(const Exception* E) {
  std::string msg = E ? E->Message() : std::string();
  if (!msg.empty() && static_cast<unsigned char>(msg.back()) > '.') msg += '.';
  if (ExceptionHook())
    ExceptionHook()(GetTitle(), msg);
  else
    vcl::detail::ShowBox(GetTitle(), msg, true);
}

TApplication::TMessageBoxHook TApplication::SetExceptionBoxHook(TMessageBoxHook hook) {
  TMessageBoxHook old = std::move(ExceptionHook());
  ExceptionHook() = std::move(hook);
  return old;
}

TApplication::TMessageBoxHook TApplication::SetShowMessageHook(TMessageBoxHook hook) {
  TMessageBoxHook old = std::move(MessageHook());
  MessageHook() = std::move(hook);
  return old;
}

const TApplication::TMessageBoxHook& TApplication::ShowMessageHook() { return MessageHook(); }

void TApplication::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == mainForm_) mainForm_ = nullptr;
}

TModalHook SetModalHook(TModalHook hook) {
  TModalHook old = std::move(vcl::detail::TheModalHook());
  vcl::detail::TheModalHook() = std::move(hook);
  return old;
}

// --- TScreen ---------------------------------------------------------------------------------------

VCL_IMPLEMENT_CLASS(TScreen) {}

int TScreen::GetWidth() const {
  vcl::EnsureApplication();
  QScreen* s = QGuiApplication::primaryScreen();
  return s ? s->geometry().width() : 0;
}

int TScreen::GetHeight() const {
  vcl::EnsureApplication();
  QScreen* s = QGuiApplication::primaryScreen();
  return s ? s->geometry().height() : 0;
}

TCustomForm* TScreen::GetActiveForm() const {
  QWidget* w = QApplication::activeWindow();
  return w ? dynamic_cast<TCustomForm*>(vcl::ControlOf(w)) : nullptr;
}

TWinControl* TScreen::GetActiveControl() const {
  TCustomForm* f = GetActiveForm();
  return f ? f->GetActiveControl() : nullptr;
}

void TScreen::SetCursor(TCursor c) {
  vcl::EnsureApplication();
  if (cursor_ != crDefault) QApplication::restoreOverrideCursor();
  cursor_ = c;
  if (c != crDefault) QApplication::setOverrideCursor(QCursor(vcl::CursorShapeOf(c)));
}
