#include "platform/vcl/Testing.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QWidget>

#include "platform/vcl/Keys.h"
#include "platform/vcl/QtSupport.h"

namespace vcl::testing {
namespace {

QWidget* KeyTarget() {
  QWidget* w = QApplication::focusWidget();
  if (!w) w = QApplication::activeWindow();
  if (!w) throw EInvalidOperation("No window has the focus");
  return w;
}

void SendKey(int qtKey, Qt::KeyboardModifiers mods, const QString& text) {
  QTest::sendKeyEvent(QTest::Press, KeyTarget(), Qt::Key(qtKey), text, mods);
  // The focus may have moved (Tab): the release goes where the focus is now.
  QTest::sendKeyEvent(QTest::Release, KeyTarget(), Qt::Key(qtKey), text, mods);
  QApplication::processEvents();
}

QPoint WidgetPoint(TControl* control, int x, int y) {
  QWidget* w = control->Widget();
  if (x < 0 && y < 0) return w->rect().center();
  TPoint off{0, 0};
  if (auto* wc = dynamic_cast<TWinControl*>(control)) off = wc->ClientOffset();
  return QPoint(x + off.X, y + off.Y);
}

Qt::MouseButton QtButton(TMouseButton b) {
  switch (b) {
    case mbRight: return Qt::RightButton;
    case mbMiddle: return Qt::MiddleButton;
    default: return Qt::LeftButton;
  }
}

}  // namespace

void ProcessEvents(int ms) {
  EnsureApplication();
  QApplication::processEvents();
  if (ms <= 0) return;
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) {
    QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents,
                                static_cast<int>(ms - t.elapsed()));
  }
}

bool WaitUntil(const std::function<bool()>& pred, int timeoutMs) {
  EnsureApplication();
  QElapsedTimer t;
  t.start();
  while (!pred()) {
    if (t.elapsed() >= timeoutMs) return pred();
    QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 10);
  }
  return true;
}

void ShowAndActivate(TCustomForm* form) {
  if (!form->GetVisible()) form->Show();
  QWidget* w = form->Widget();
  QApplication::processEvents();
  if (!w->isActiveWindow()) {
    w->activateWindow();
    QApplication::setActiveWindow(w);
  }
  WaitUntil([w] { return w->isActiveWindow(); }, 1000);
}

bool Focus(TWinControl* control) {
  QWidget* top = control->Widget()->window();
  if (auto* form = dynamic_cast<TCustomForm*>(ControlOf(top))) {
    ShowAndActivate(form);
  } else if (!top->isVisible()) {
    top->show();
    QApplication::processEvents();
  }
  control->SetFocus();
  QApplication::processEvents();
  return control->Focused();
}

TWinControl* FocusedControl() {
  TControl* c = ControlOf(QApplication::focusWidget());
  while (c && !dynamic_cast<TWinControl*>(c)) c = c->GetParent();
  return static_cast<TWinControl*>(c);
}

void PressKey(WORD vk, TShiftState shift) {
  bool keypad = false;
  int qtKey = QtKeyOf(vk, &keypad);
  if (!qtKey) throw EInvalidOperation("No key for virtual key " + std::to_string(vk));
  if (vk == VK_TAB && shift.Contains(ssShift)) qtKey = Qt::Key_Backtab;
  Qt::KeyboardModifiers mods = ModifiersOf(shift);
  if (keypad) mods |= Qt::KeypadModifier;
  SendKey(qtKey, mods, TextOfKey(vk, shift));
}

void TypeChar(char c) {
  int qtKey;
  Qt::KeyboardModifiers mods;
  KeyOfChar(c, qtKey, mods);
  SendKey(qtKey, mods, QString(ToQChar(c)));
}

void TypeText(const std::string& text) {
  for (char c : text) TypeChar(c);
}

void Click(TControl* control, int x, int y, TMouseButton button, TShiftState shift) {
  QTest::mouseClick(control->Widget(), QtButton(button), ModifiersOf(shift),
                    WidgetPoint(control, x, y));
  QApplication::processEvents();
}

void DoubleClick(TControl* control, int x, int y) {
  QWidget* w = control->Widget();
  QPoint p = WidgetPoint(control, x, y);
  QTest::mousePress(w, Qt::LeftButton, {}, p);
  QTest::mouseRelease(w, Qt::LeftButton, {}, p);
  QTest::mouseDClick(w, Qt::LeftButton, {}, p);
  QTest::mouseRelease(w, Qt::LeftButton, {}, p);
  QApplication::processEvents();
}

void MouseDown(TControl* control, int x, int y, TMouseButton button, TShiftState shift) {
  QTest::mousePress(control->Widget(), QtButton(button), ModifiersOf(shift),
                    WidgetPoint(control, x, y));
}

void MouseUp(TControl* control, int x, int y, TMouseButton button, TShiftState shift) {
  QTest::mouseRelease(control->Widget(), QtButton(button), ModifiersOf(shift),
                      WidgetPoint(control, x, y));
}

void MouseMove(TControl* control, int x, int y) {
  QTest::mouseMove(control->Widget(), WidgetPoint(control, x, y));
}

std::unique_ptr<TBitmap> Render(TControl* control) {
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetSize(control->GetWidth(), control->GetHeight());
  control->PaintTo(bmp->GetCanvas(), 0, 0);
  return bmp;
}

MessageCapture::MessageCapture() {
  oldMessage_ = TApplication::SetShowMessageHook([this](const std::string& title, const std::string& text) {
    Title = title;
    Messages.push_back(text);
  });
  oldError_ = TApplication::SetExceptionBoxHook([this](const std::string& title, const std::string& text) {
    Title = title;
    Errors.push_back(text);
  });
}

MessageCapture::~MessageCapture() {
  TApplication::SetShowMessageHook(std::move(oldMessage_));
  TApplication::SetExceptionBoxHook(std::move(oldError_));
}

ModalHandler::ModalHandler(std::function<void(TCustomForm*)> action)
    : count_(std::make_shared<int>(0)) {
  std::shared_ptr<int> count = count_;
  old_ = SetModalHook([count, action = std::move(action)](TCustomForm* form) {
    ++*count;
    action(form);
  });
}

ModalHandler::~ModalHandler() { SetModalHook(std::move(old_)); }

}  // namespace vcl::testing
