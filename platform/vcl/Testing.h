#pragma once
// Test support (library kavcl_testing): drive controls headless the way a user does. Keys and
// mouse clicks go through Qt's real event path (as spontaneous events), so focus changes run
// DoExit / DoEnter, keys run KeyDown / KeyPress and the widget's own handling, clicks focus
// and raise OnClick. Works on the offscreen platform (QT_QPA_PLATFORM=offscreen).
//
//   TForm form(nullptr);
//   auto* edit = new TEdit(&form);
//   edit->SetParent(&form);
//   vcl::testing::ShowAndActivate(&form);
//   vcl::testing::Focus(edit);
//   vcl::testing::TypeText("12");
//   vcl::testing::PressKey(VK_LEFT);
//   vcl::testing::PressKey(VK_TAB, TShiftState{ssShift});
//   std::unique_ptr<TBitmap> shot = vcl::testing::Render(&form);
//   TColor c = shot->GetCanvas()->GetPixel(3, 4);
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/vcl/Forms.h"

namespace vcl::testing {

// Handles pending events; with ms > 0 keeps doing so for that long (timers fire).
void ProcessEvents(int ms = 0);
// Handles events until pred() holds or timeoutMs passed; returns pred().
bool WaitUntil(const std::function<bool()>& pred, int timeoutMs = 2000);

// Shows the form when hidden and makes its window the active one.
void ShowAndActivate(TCustomForm* form);
// Gives the control the focus (showing and activating its window first), as the user would by
// clicking it: DoExit / DoEnter run through the real focus change. Returns Focused().
bool Focus(TWinControl* control);
// The control that has the keyboard focus; nullptr when none.
TWinControl* FocusedControl();

// Presses and releases a key at the focused control. The text Qt attaches follows a US
// keyboard (VK 'A' with no shift types 'a'); Shift+Tab arrives as Backtab.
void PressKey(WORD vk, TShiftState shift = {});
// Types one code page 1252 character at the focused control (#8, #13, #27 as their keys,
// #1-#26 as Ctrl+letter).
void TypeChar(char c);
void TypeText(const std::string& text);

// Mouse actions at (x, y) in the control's client coordinates; -1, -1 is its centre.
void Click(TControl* control, int x = -1, int y = -1, TMouseButton button = mbLeft,
           TShiftState shift = {});
void DoubleClick(TControl* control, int x = -1, int y = -1);
void MouseDown(TControl* control, int x, int y, TMouseButton button = mbLeft, TShiftState shift = {});
void MouseUp(TControl* control, int x, int y, TMouseButton button = mbLeft, TShiftState shift = {});
void MouseMove(TControl* control, int x, int y);

// The control as it is drawn (its window created first): a bitmap of its size, children
// included. Transparent parts show the white the bitmap starts with.
std::unique_ptr<TBitmap> Render(TControl* control);

// While alive, ShowMessage texts and exception boxes are recorded instead of shown.
class MessageCapture {
 public:
  MessageCapture();
  ~MessageCapture();
  MessageCapture(const MessageCapture&) = delete;
  MessageCapture& operator=(const MessageCapture&) = delete;
  std::vector<std::string> Messages;  // ShowMessage texts
  std::vector<std::string> Errors;    // exception box texts
  std::string Title;                  // the title of the last box

 private:
  TApplication::TMessageBoxHook oldMessage_, oldError_;
};

// While alive, `action` runs each time a form starts its modal loop (shown and active); it may
// close the form (SetModalResult, a click on a button) or start something that does later.
class ModalHandler {
 public:
  explicit ModalHandler(std::function<void(TCustomForm*)> action);
  ~ModalHandler();
  ModalHandler(const ModalHandler&) = delete;
  ModalHandler& operator=(const ModalHandler&) = delete;
  int Count() const { return *count_; }

 private:
  std::shared_ptr<int> count_;
  TModalHook old_;
};

}  // namespace vcl::testing
