#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/vcl/Dialogs.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/vcl/Testing.h"

namespace {

using vcl::testing::MessageCapture;
using vcl::testing::ModalHandler;

TEST(Modal, TimersKeepFiringAndModalResultEndsTheLoop) {
  TForm main(nullptr);
  int ticks = 0;
  auto* mainTimer = new TTimer(&main);
  mainTimer->SetInterval(5);
  mainTimer->SetOnTimer([&](TObject*) { ++ticks; });

  TForm dialog(nullptr);
  std::vector<std::string> log;
  dialog.OnActivate = [&](TObject*) { log.push_back("activate"); };
  dialog.OnClose = [&](TObject*, TCloseAction& action) {
    log.push_back(action == caHide ? "close hide" : "close other");
  };
  auto* closer = new TTimer(&dialog);
  closer->SetInterval(5);
  closer->SetOnTimer([&](TObject*) {
    if (ticks >= 3) dialog.SetModalResult(mrYes);
  });

  ModalHandler handler([&](TCustomForm* f) {
    log.push_back("modal " + std::string(f == &dialog ? "dialog" : "other"));
  });
  EXPECT_EQ(dialog.ShowModal(), mrYes);
  EXPECT_GE(ticks, 3);  // the other form's timer fired inside the modal loop
  EXPECT_EQ(handler.Count(), 1);
  EXPECT_EQ(log, (std::vector<std::string>{"activate", "modal dialog", "close hide"}));
  EXPECT_FALSE(dialog.GetVisible());
  EXPECT_FALSE(dialog.GetFormState().Contains(fsModal));
  EXPECT_THROW(
      {
        dialog.Show();
        dialog.ShowModal();
      },
      EInvalidOperation);
  dialog.Hide();
}

TEST(Modal, CloseGivesCancelAndOnCloseMayRefuse) {
  TForm dialog(nullptr);
  int refusals = 0;
  dialog.OnClose = [&](TObject*, TCloseAction& action) {
    if (refusals++ == 0) action = caNone;  // the first close is refused: the loop goes on
  };
  ModalHandler handler([](TCustomForm* f) {
    f->Close();
    auto* again = new TTimer(f);
    again->SetInterval(5);
    again->SetOnTimer([f](TObject*) { f->SetModalResult(mrNo); });
  });
  EXPECT_EQ(dialog.ShowModal(), mrNo);
  EXPECT_EQ(refusals, 2);
}

TEST(Modal, AHookCanTypeIntoTheModalForm) {
  TForm dialog(nullptr);
  dialog.SetBounds(0, 0, 200, 80);
  auto* edit = new TEdit(&dialog);
  edit->SetParent(&dialog);
  edit->OnKeyPress = [&](TObject*, char& key) {
    if (key == 13) dialog.SetModalResult(mrOk);
    if (key == 27) dialog.SetModalResult(mrCancel);
  };
  dialog.SetActiveControl(edit);
  ModalHandler handler([&](TCustomForm*) {
    EXPECT_TRUE(edit->Focused());  // the active control got the focus when the form showed
    vcl::testing::TypeText("42\r");
  });
  EXPECT_EQ(dialog.ShowModal(), mrOk);
  EXPECT_EQ(edit->GetText(), "42");
}

TEST(Boxes, ShowMessageAndExceptionsAreCapturedWithTheTitle) {
  MessageCapture capture;
  ShowMessage("hello");
  EXPECT_EQ(capture.Messages, (std::vector<std::string>{"hello"}));
  EXPECT_EQ(capture.Title, Application->GetTitle());

  try {
    throw EConvertError("'x' is not a valid integer value");
  } catch (...) {
    Application->HandleException(nullptr);
  }
  try {
    throw 42;
  } catch (...) {
    Application->HandleException(nullptr);
  }
  try {
    Abort();
  } catch (...) {
    Application->HandleException(nullptr);
  }
  try {
    throw Exception("Done!");
  } catch (...) {
    Application->HandleException(nullptr);
  }
  // A final period is added; a foreign exception shows an empty message; EAbort shows nothing.
  EXPECT_EQ(capture.Errors,
            (std::vector<std::string>{"'x' is not a valid integer value.", "", "Done!"}));
}

TEST(Boxes, AnExceptionFromATimerIsShownAndTheTimerGoesOn) {
  MessageCapture capture;
  TTimer timer(nullptr);
  int fired = 0;
  timer.SetInterval(5);
  timer.SetOnTimer([&](TObject*) {
    ++fired;
    throw Exception("tick failed");
  });
  EXPECT_TRUE(vcl::testing::WaitUntil([&] { return fired >= 3; }));
  timer.SetEnabled(false);
  EXPECT_GE(capture.Errors.size(), 3u);
  EXPECT_EQ(capture.Errors[0], "tick failed.");
}

TEST(Application, TitleDefaultsToTheExecutableName) {
  EXPECT_EQ(Application->GetTitle(), "test_vcl");
  Application->SetTitle("Other");
  EXPECT_EQ(Application->GetTitle(), "Other");
  Application->SetTitle("");
  EXPECT_EQ(Application->GetTitle(), "test_vcl");
}

TEST(Forms, ShowCentresOnTheScreenAndRaisesShowAndActivate) {
  TForm form(nullptr);
  form.SetBorderStyle(bsDialog);
  form.SetClientWidth(200);
  form.SetClientHeight(100);
  form.SetPosition(poScreenCenter);
  std::vector<std::string> log;
  form.OnShow = [&](TObject*) { log.push_back("show"); };
  form.OnActivate = [&](TObject*) { log.push_back("activate"); };
  form.OnHide = [&](TObject*) { log.push_back("hide"); };
  vcl::testing::ShowAndActivate(&form);
  EXPECT_EQ(form.GetLeft(), (Screen->GetWidth() - form.GetWidth()) / 2);
  EXPECT_EQ(form.GetTop(), (Screen->GetHeight() - form.GetHeight()) / 2);
  EXPECT_TRUE(form.GetActive());
  form.Close();  // not modal, not the main form: hidden
  EXPECT_FALSE(form.GetVisible());
  EXPECT_EQ(log, (std::vector<std::string>{"show", "activate", "hide"}));
}

TEST(Forms, BorderWidthAndAnchorsShapeTheClientArea) {
  TForm form(nullptr);
  form.SetBorderWidth(2);
  form.SetClientWidth(205);
  form.SetClientHeight(84);
  EXPECT_EQ(form.GetWidth(), 209);
  auto* edit = new TEdit(&form);
  edit->SetParent(&form);
  edit->SetBounds(8, 26, 184, 21);
  edit->SetAnchors(TAnchors{akLeft, akTop, akRight});
  auto* right = new TEdit(&form);
  right->SetParent(&form);
  right->SetBounds(112, 51, 80, 21);
  right->SetAnchors(TAnchors{akTop, akRight});
  auto* bottom = new TEdit(&form);
  bottom->SetParent(&form);
  bottom->SetBounds(0, 0, 10, 21);
  bottom->SetAlign(alBottom);
  EXPECT_EQ(bottom->GetBoundsRect(), Rect(0, 63, 205, 84));

  form.SetWidth(309);  // 100 pixels wider
  EXPECT_EQ(form.GetClientWidth(), 305);
  EXPECT_EQ(edit->GetBoundsRect(), Rect(8, 26, 292, 47));
  EXPECT_EQ(right->GetLeft(), 212);
  EXPECT_EQ(bottom->GetWidth(), 305);
  form.SetWidth(209);
  EXPECT_EQ(edit->GetWidth(), 184);
  EXPECT_EQ(right->GetLeft(), 112);
}

TEST(Forms, ReleaseDeletesTheFormAfterTheCurrentEvent) {
  auto* owner = new TComponent(nullptr);
  auto* form = new TForm(owner);
  bool destroyed = false;
  form->OnDestroy = [&](TObject*) { destroyed = true; };
  form->Release();
  EXPECT_EQ(owner->GetComponentCount(), 1);
  vcl::testing::ProcessEvents();
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(owner->GetComponentCount(), 0);
  delete owner;
}

}  // namespace
