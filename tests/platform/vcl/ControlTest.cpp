#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Embedded.dfm.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/vcl/Testing.h"

namespace {

// Logs the mouse hooks of a self-painted control.
class TMouseProbe : public TCustomControl {
 public:
  TMouseProbe(TComponent* owner, std::vector<std::string>* log) : TCustomControl(owner), log_(log) {}

 protected:
  void MouseDown(TMouseButton b, TShiftState s, int x, int y) override {
    log_->push_back("down " + std::to_string(b) + (s.Contains(ssLeft) ? " L" : "") +
                    (s.Contains(ssDouble) ? " D" : "") + " " + std::to_string(x) + "," +
                    std::to_string(y));
    TCustomControl::MouseDown(b, s, x, y);
  }
  void MouseUp(TMouseButton b, TShiftState s, int x, int y) override {
    log_->push_back("up " + std::to_string(b));
    TCustomControl::MouseUp(b, s, x, y);
  }
  void Click() override {
    log_->push_back("click");
    TCustomControl::Click();
  }
  void DblClick() override {
    log_->push_back("dblclick");
    TCustomControl::DblClick();
  }

 private:
  std::vector<std::string>* log_;
};

TEST(Mouse, ClicksRaiseMouseDownClickAndMouseUp) {
  TForm form(nullptr);
  std::vector<std::string> log;
  auto* probe = new TMouseProbe(&form, &log);
  probe->SetParent(&form);
  probe->SetBounds(10, 10, 50, 30);
  int clicks = 0;
  probe->OnClick = [&](TObject*) { ++clicks; };
  vcl::testing::ShowAndActivate(&form);
  vcl::testing::Click(probe, 5, 6);
  EXPECT_EQ(log, (std::vector<std::string>{"down 0 L 5,6", "click", "up 0"}));
  log.clear();
  vcl::testing::Click(probe, 5, 6, mbRight);
  EXPECT_EQ(log, (std::vector<std::string>{"down 1 5,6", "up 1"}));
  log.clear();
  vcl::testing::DoubleClick(probe, 1, 2);
  EXPECT_EQ(log, (std::vector<std::string>{"down 0 L 1,2", "click", "up 0", "dblclick",
                                           "down 0 L D 1,2", "up 0"}));
  EXPECT_EQ(clicks, 2);
  // A press that leaves the control before the release is no click.
  log.clear();
  vcl::testing::MouseDown(probe, 5, 5);
  vcl::testing::MouseUp(probe, 80, 5);
  EXPECT_EQ(log, (std::vector<std::string>{"down 0 L 5,5", "up 0"}));
}

// Counts window creation the way an edit of the pack hooks it.
class TCreationEdit : public TEdit {
 public:
  using TEdit::TEdit;
  int params = 0;
  int enabledCalls = 0;
  void SetEnabled(bool v) override {
    TEdit::SetEnabled(v);
    ++enabledCalls;
  }

 protected:
  void CreateParams(TCreateParams& p) override {
    TEdit::CreateParams(p);
    ++params;
    SetColor(clWindow);  // what an edit of the pack does when its window is created
  }
};

TEST(WindowCreation, HappensWhenShownAndAgainOnRecreation) {
  TForm form(nullptr);
  auto* edit = new TCreationEdit(&form);
  edit->SetParent(&form);
  edit->SetColor(clRed);
  EXPECT_EQ(edit->params, 0);
  EXPECT_FALSE(edit->HandleAllocated());
  form.Show();
  EXPECT_EQ(edit->params, 1);
  EXPECT_EQ(edit->GetColor(), clWindow);
  edit->SetBorderStyle(bsNone);  // a new border needs a new window
  EXPECT_EQ(edit->params, 2);
  // A control added to a shown form gets its window at once.
  auto* late = new TCreationEdit(&form);
  late->SetParent(&form);
  EXPECT_EQ(late->params, 1);
  auto* hidden = new TCreationEdit(&form);
  hidden->SetVisible(false);
  hidden->SetParent(&form);
  EXPECT_EQ(hidden->params, 0);
  hidden->Show();
  EXPECT_EQ(hidden->params, 1);
  // Every Enabled assignment reaches SetEnabled, also one that changes nothing.
  edit->SetEnabled(true);
  edit->SetEnabled(false);
  EXPECT_EQ(edit->enabledCalls, 2);
  form.Hide();
}

TEST(ParentProperties, FontAndColourFollowTheParentUntilSet) {
  TForm form(nullptr);
  auto* box = new TCustomControl(&form);
  box->SetParent(&form);
  auto* child = new TCustomControl(&form);
  child->SetParent(box);
  form.GetFont()->SetName("Arial");
  form.SetColor(clTeal);
  EXPECT_EQ(child->GetFont()->GetName(), "Arial");
  EXPECT_EQ(child->GetColor(), clTeal);
  EXPECT_TRUE(child->GetParentFont());
  child->GetFont()->SetHeight(-20);
  EXPECT_FALSE(child->GetParentFont());
  form.GetFont()->SetName("Courier New");
  EXPECT_EQ(child->GetFont()->GetName(), "Arial");  // it has a font of its own now
  child->SetParentFont(true);
  EXPECT_EQ(child->GetFont()->GetName(), "Courier New");
  child->SetColor(clRed);
  form.SetColor(clBlue);
  EXPECT_EQ(child->GetColor(), clRed);
  EXPECT_EQ(box->GetColor(), clBlue);
}

TEST(EmbeddedForms, AreCompiledIntoTheProgram) {
  TForm form(nullptr);
  TEdit* edit = nullptr;
  form.BindField("EditAlpha", edit);
  form.InitForm(Embedded_dfm);
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(form.GetColor(), clInfoBk);
  EXPECT_EQ(form.GetBorderStyle(), bsNone);
  form.SetWidth(305);  // the anchored edit widens with the form
  EXPECT_EQ(edit->GetWidth(), 284);
}

TEST(Application, RunEndsWhenTheMainFormCloses) {
  TForm* main = nullptr;
  Application->CreateForm(main);
  ASSERT_EQ(Application->GetMainForm(), main);
  auto* timer = new TTimer(main);
  timer->SetInterval(5);
  int ticks = 0;
  timer->SetOnTimer([&](TObject*) {
    if (++ticks == 3) main->Close();
  });
  Application->Run();
  EXPECT_EQ(ticks, 3);
  EXPECT_FALSE(main->GetVisible());
  delete main;
  EXPECT_EQ(Application->GetMainForm(), nullptr);
}

}  // namespace
