#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/vcl/Testing.h"

namespace {

using vcl::testing::Click;
using vcl::testing::Focus;
using vcl::testing::PressKey;
using vcl::testing::TypeChar;
using vcl::testing::TypeText;

// An edit that logs its hooks as a descendant would see them.
class TLoggingEdit : public TEdit {
 public:
  TLoggingEdit(TComponent* owner, std::vector<std::string>* log) : TEdit(owner), log_(log) {}

 protected:
  void DoEnter() override {
    log_->push_back(GetName() + " enter" + (Focused() ? "" : " (unfocused)"));
    TEdit::DoEnter();
  }
  void DoExit() override {
    log_->push_back(GetName() + " exit" + (Focused() ? " (still focused)" : ""));
    TEdit::DoExit();
  }
  void Change() override {
    log_->push_back(GetName() + " change " + GetText());
    TEdit::Change();
  }

 private:
  std::vector<std::string>* log_;
};

// A plain container that logs being entered and left.
class TBox : public TCustomControl {
 public:
  TBox(TComponent* owner, std::vector<std::string>* log) : TCustomControl(owner), log_(log) {}

 protected:
  void DoEnter() override { log_->push_back(GetName() + " enter"); }
  void DoExit() override { log_->push_back(GetName() + " exit"); }

 private:
  std::vector<std::string>* log_;
};

class EditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 300, 200);
    edit = Make("Edit", 8);
    other = Make("Other", 40);
    vcl::testing::ShowAndActivate(form.get());
  }

  TLoggingEdit* Make(const std::string& name, int top, TWinControl* parent = nullptr) {
    auto* e = new TLoggingEdit(form.get(), &log);
    e->SetName(name);
    e->SetParent(parent ? parent : form.get());
    e->SetBounds(8, top, 120, 21);
    return e;
  }

  std::vector<std::string> log;
  std::unique_ptr<TForm> form;
  TLoggingEdit* edit = nullptr;
  TLoggingEdit* other = nullptr;
};

TEST_F(EditTest, TypingRunsKeyDownThenKeyPressThenTheEdit) {
  edit->OnKeyDown = [&](TObject*, WORD& key, TShiftState) { log.push_back("down " + std::to_string(key)); };
  edit->OnKeyPress = [&](TObject*, char& key) { log.push_back(std::string("press ") + key); };
  ASSERT_TRUE(Focus(edit));
  log.clear();
  TypeText("aB");
  EXPECT_EQ(edit->GetText(), "aB");
  EXPECT_EQ(log, (std::vector<std::string>{"down 65", "press a", "Edit change a", "down 16", "down 66",
                                           "press B", "Edit change aB"}));
}

TEST_F(EditTest, KeyDownConsumesAKeyButTheCharacterStillArrives) {
  edit->SetText("abc");
  ASSERT_TRUE(Focus(edit));
  edit->SetSelStart(2);
  edit->OnKeyDown = [](TObject*, WORD& key, TShiftState) { key = 0; };
  PressKey(VK_LEFT);
  PressKey(VK_HOME);
  PressKey(VK_DELETE);
  EXPECT_EQ(edit->GetSelStart(), 2);
  EXPECT_EQ(edit->GetText(), "abc");
  // As in the framework, a zeroed KeyDown does not stop the typed character.
  TypeChar('x');
  EXPECT_EQ(edit->GetText(), "abxc");

  // A key KeyDown replaces is handled as the new key.
  edit->OnKeyDown = [](TObject*, WORD& key, TShiftState) {
    if (key == VK_HOME) key = VK_END;
  };
  edit->SetSelStart(0);
  PressKey(VK_HOME);
  EXPECT_EQ(edit->GetSelStart(), 4);
}

TEST_F(EditTest, KeyPressDropsOrReplacesCharacters) {
  edit->OnKeyPress = [](TObject*, char& key) {
    if (key == '.') key = ',';
    if (key == 'x') key = 0;
    if (key == 'z') key = 8;  // becomes a backspace
    if (key == 'q') key = 0;
  };
  ASSERT_TRUE(Focus(edit));
  TypeText("1.5x2");
  EXPECT_EQ(edit->GetText(), "1,52");
  TypeChar('z');
  EXPECT_EQ(edit->GetText(), "1,5");
  edit->OnKeyPress = [](TObject*, char& key) {
    if (key == 8) key = 0;
  };
  PressKey(VK_BACK);
  EXPECT_EQ(edit->GetText(), "1,5");
}

TEST_F(EditTest, EnterAndEscapeReachKeyPressAndStayInTheControl) {
  std::vector<int> keys;
  edit->OnKeyPress = [&](TObject*, char& key) { keys.push_back(key); };
  bool formSaw = false;
  form->OnKeyPress = [&](TObject*, char&) { formSaw = true; };
  ASSERT_TRUE(Focus(edit));
  PressKey(VK_RETURN);
  PressKey(VK_ESCAPE);
  PressKey('C', TShiftState{ssCtrl});
  EXPECT_EQ(keys, (std::vector<int>{13, 27, 3}));
  EXPECT_FALSE(formSaw);  // keys do not travel on to the parent

  form->SetKeyPreview(true);
  form->OnKeyPress = [&](TObject*, char& key) {
    formSaw = true;
    if (key == 'q') key = 0;
  };
  TypeChar('q');
  EXPECT_TRUE(formSaw);
  EXPECT_EQ(edit->GetText(), "");
}

TEST_F(EditTest, MaxLengthLimitsTypingButNotAssignment) {
  edit->SetMaxLength(3);
  ASSERT_TRUE(Focus(edit));
  TypeText("abcd");
  EXPECT_EQ(edit->GetText(), "abc");
  edit->SetText("abcdef");
  EXPECT_EQ(edit->GetText(), "abcdef");
  edit->SetSelStart(6);
  TypeChar('g');
  EXPECT_EQ(edit->GetText(), "abcdef");
  PressKey(VK_BACK);
  EXPECT_EQ(edit->GetText(), "abcde");
  edit->SetMaxLength(0);
  TypeText("xyz");
  EXPECT_EQ(edit->GetText(), "abcdexyz");
}

TEST_F(EditTest, ChangeFollowsEveryTextChange) {
  int changes = 0;
  edit->OnChange = [&](TObject*) { ++changes; };
  edit->SetText("x");
  EXPECT_EQ(changes, 1);
  edit->SetText("x");  // the same text again: nothing changes
  EXPECT_EQ(changes, 1);
  edit->Clear();
  EXPECT_EQ(changes, 2);
  ASSERT_TRUE(Focus(edit));
  TypeChar('k');
  EXPECT_EQ(changes, 3);
  edit->SetText("word");
  EXPECT_EQ(edit->GetSelStart(), 0);  // an assigned text puts the caret at the start
}

TEST_F(EditTest, ReadOnlyEditRaisesKeyPressButKeepsItsText) {
  int presses = 0;
  edit->OnKeyPress = [&](TObject*, char&) { ++presses; };
  edit->SetText("ro");
  edit->SetReadOnly(true);
  ASSERT_TRUE(Focus(edit));
  TypeText("ab");
  PressKey(VK_BACK);
  EXPECT_EQ(presses, 3);
  EXPECT_EQ(edit->GetText(), "ro");
}

TEST_F(EditTest, FocusChangesRunDoExitThenDoEnter) {
  ASSERT_TRUE(Focus(edit));
  EXPECT_EQ(log, (std::vector<std::string>{"Edit enter"}));
  log.clear();
  PressKey(VK_TAB);
  EXPECT_TRUE(other->Focused());
  PressKey(VK_TAB, TShiftState{ssShift});
  EXPECT_TRUE(edit->Focused());
  Click(other);
  EXPECT_TRUE(other->Focused());
  // The old control has lost the focus when its DoExit runs.
  EXPECT_EQ(log, (std::vector<std::string>{"Edit exit", "Other enter", "Other exit", "Edit enter",
                                           "Edit exit", "Other enter"}));
  EXPECT_EQ(form->GetActiveControl(), other);
}

TEST_F(EditTest, ContainersAreEnteredAndLeftWithTheirControls) {
  auto* box = new TBox(form.get(), &log);
  box->SetName("Box");
  box->SetParent(form.get());
  box->SetBounds(150, 0, 140, 100);
  TLoggingEdit* inner = Make("Inner", 10, box);
  ASSERT_TRUE(Focus(edit));
  log.clear();
  ASSERT_TRUE(Focus(inner));
  ASSERT_TRUE(Focus(other));
  EXPECT_EQ(log, (std::vector<std::string>{"Edit exit", "Box enter", "Inner enter", "Inner exit",
                                           "Box exit", "Other enter"}));
  // Tab order goes depth first through the box (which is no tab stop itself).
  log.clear();
  ASSERT_TRUE(Focus(edit));
  PressKey(VK_TAB);
  PressKey(VK_TAB);
  EXPECT_TRUE(inner->Focused());
}

TEST_F(EditTest, CaretAndAutoSelect) {
  edit->SetText("hello");
  ASSERT_TRUE(Focus(other));
  ASSERT_TRUE(Focus(edit));  // AutoSelect (the default) selects everything on entry
  EXPECT_EQ(edit->GetSelStart(), 0);
  EXPECT_EQ(edit->GetSelLength(), 5);
  edit->SetSelStart(3);
  EXPECT_EQ(edit->GetSelLength(), 0);
  TypeChar('X');
  EXPECT_EQ(edit->GetText(), "helXlo");
  EXPECT_EQ(edit->GetSelStart(), 4);
  edit->SetSelStart(1);
  edit->SetSelLength(2);
  EXPECT_EQ(edit->GetSelText(), "el");

  other->SetText("world");
  other->SetAutoSelect(false);
  PressKey(VK_TAB);  // Qt would select a line edit's text on Tab; without AutoSelect nothing is
  EXPECT_TRUE(other->Focused());
  EXPECT_EQ(other->GetSelLength(), 0);
  EXPECT_EQ(other->GetSelStart(), 0);
}

TEST_F(EditTest, AnExceptionInAHandlerGoesToTheExceptionBox) {
  vcl::testing::MessageCapture capture;
  edit->OnChange = [](TObject*) { throw Exception("bad input"); };
  ASSERT_TRUE(Focus(edit));
  TypeText("ab");
  EXPECT_EQ(edit->GetText(), "ab");
  EXPECT_EQ(capture.Errors, (std::vector<std::string>{"bad input.", "bad input."}));
  // Assigned by the program, the exception reaches the caller.
  EXPECT_THROW(edit->SetText("c"), Exception);
}

}  // namespace
