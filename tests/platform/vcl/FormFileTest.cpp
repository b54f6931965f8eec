#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/FormFile.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"

namespace {

VCL_ENUM(TProbeMode, tmPlain, tmScaled)
VCL_ENUM(TProbeFlag, tfRed, tfGreen, tfBlue)
using TProbeFlags = TSet<TProbeFlag>;

class TProbeItem : public TCollectionItem {
  VCL_CLASS(TProbeItem, TCollectionItem)
 public:
  explicit TProbeItem(TCollection* c) : TCollectionItem(c) {}
  const std::string& GetCaption() const { return caption_; }
  void SetCaption(const std::string& v) { caption_ = v; }
  int GetSize() const { return size_; }
  void SetSize(int v) { size_ = v; }

 private:
  std::string caption_;
  int size_ = 1;
};

VCL_IMPLEMENT_CLASS(TProbeItem) {
  p.Published("Caption", &TProbeItem::GetCaption, &TProbeItem::SetCaption);
  p.Published("Size", &TProbeItem::GetSize, &TProbeItem::SetSize).Default(1);
}

// A control with one property of each kind; setters log their calls.
class TProbe : public TCustomControl {
  VCL_CLASS(TProbe, TCustomControl)
 public:
  explicit TProbe(TComponent* owner)
      : TCustomControl(owner),
        items_(this, [](TCollection* c) { return new TProbeItem(c); }) {}
  ~TProbe() override { BeginDestroy(); }

  TProbeMode GetMode() const { return mode_; }
  void SetMode(TProbeMode v) {
    mode_ = v;
    log.push_back("Mode");
  }
  int GetValue() const { return value_; }
  void SetValue(int v) {
    value_ = v;
    log.push_back(mode_ == tmScaled ? "Value scaled" : "Value plain");
  }
  char GetLetter() const { return letter_; }
  void SetLetter(char v) { letter_ = v; }
  double GetRatio() const { return ratio_; }
  void SetRatio(double v) { ratio_ = v; }
  TProbeFlags GetFlags() const { return flags_; }
  void SetFlags(TProbeFlags v) { flags_ = v; }
  TStrings* GetLines() const { return const_cast<TStringList*>(&lines_); }
  void SetLines(const TStrings* v) { lines_.Assign(v); }
  TCollection* GetItems() const { return const_cast<TCollection*>(&items_); }
  void SetItems(const TCollection* v) { items_.Assign(v); }
  TProbe* GetPartner() const { return partner_; }
  void SetPartner(TProbe* v) {
    partner_ = v;
    if (v) v->FreeNotification(this);
  }
  TPicture* GetPicture() const { return const_cast<TPicture*>(&picture_); }
  void SetPicture(const TPicture* v) { picture_.Assign(v); }

  std::vector<std::string> log;
  bool loadedCalled = false;

 protected:
  void Loaded() override {
    TCustomControl::Loaded();
    loadedCalled = true;
    log.push_back(IsLoading() ? "Loaded while loading" : "Loaded");
  }
  void Notification(TComponent* c, TOperation op) override {
    TCustomControl::Notification(c, op);
    if (op == opRemove && c == partner_) partner_ = nullptr;
  }

 private:
  TProbeMode mode_ = tmPlain;
  int value_ = 0;
  char letter_ = 'm';
  double ratio_ = 0;
  TProbeFlags flags_;
  TStringList lines_;
  TCollection items_;
  TProbe* partner_ = nullptr;
  TPicture picture_;
};

VCL_IMPLEMENT_CLASS(TProbe) {
  p.Publish("Align");
  p.Publish("TabOrder");
  p.Published("Mode", &TProbe::GetMode, &TProbe::SetMode).Default(tmPlain);
  p.Published("Value", &TProbe::GetValue, &TProbe::SetValue).Default(0);
  p.Published("Letter", &TProbe::GetLetter, &TProbe::SetLetter).Default('m');
  p.Published("Ratio", &TProbe::GetRatio, &TProbe::SetRatio);
  p.Published("Flags", &TProbe::GetFlags, &TProbe::SetFlags).Default(TProbeFlags{});
  p.Published("Lines", &TProbe::GetLines, &TProbe::SetLines);
  p.Published("Items", &TProbe::GetItems, &TProbe::SetItems);
  p.Published("Partner", &TProbe::GetPartner, &TProbe::SetPartner);
  p.Published("Picture", &TProbe::GetPicture, &TProbe::SetPicture);
  p.Publish("OnClick");
}

class TTestForm : public TForm {
  VCL_CLASS(TTestForm, TForm)
 public:
  explicit TTestForm(TComponent* owner) : TForm(owner) {
    VCL_FIELD(Edit1);
    VCL_FIELD(Probe1);
    VCL_FIELD(Probe2);
    VCL_FIELD(Timer1);
    VCL_METHOD(TTestForm, FormCreate);
    VCL_METHOD(TTestForm, Edit1Change);
    VCL_METHOD(TTestForm, Edit1KeyPress);
    VCL_METHOD(TTestForm, Timer1Timer);
    VCL_METHOD(TTestForm, Probe1Click);
  }
  TEdit* Edit1 = nullptr;
  TProbe* Probe1 = nullptr;
  TProbe* Probe2 = nullptr;
  TTimer* Timer1 = nullptr;
  int changes = 0;
  int clicks = 0;
  bool created = false;
  bool edit1BoundAtCreate = false;

  void FormCreate(TObject*) {
    created = true;
    edit1BoundAtCreate = Edit1 != nullptr;
  }
  void Edit1Change(TObject*) { ++changes; }
  void Edit1KeyPress(TObject*, char& key) {}
  void Timer1Timer(TObject*) {}
  void Probe1Click(TObject*) { ++clicks; }
};

VCL_IMPLEMENT_CLASS(TTestForm) {}

// The writer's own layout, so reading and writing again must give the same text.
const char* kForm =
    "object TestForm: TTestForm\n"
    "  Left = 10\n"
    "  Top = 20\n"
    "  ActiveControl = Edit1\n"
    "  BorderStyle = bsDialog\n"
    "  Caption = 'It''s a '#13#10'form'\n"
    "  ClientHeight = 200\n"
    "  ClientWidth = 300\n"
    "  Color = clBtnFace\n"
    "  Font.Charset = DEFAULT_CHARSET\n"
    "  Font.Color = clWindowText\n"
    "  Font.Height = -11\n"
    "  Font.Name = 'MS Sans Serif'\n"
    "  Font.Style = []\n"
    "  Position = poScreenCenter\n"
    "  OnCreate = FormCreate\n"
    "  object Edit1: TEdit\n"
    "    Left = 8\n"
    "    Top = 8\n"
    "    Width = 121\n"
    "    Height = 21\n"
    "    Anchors = [akLeft, akTop, akRight]\n"
    "    Color = clBlack\n"
    "    Font.Charset = DEFAULT_CHARSET\n"
    "    Font.Color = clRed\n"
    "    Font.Height = -24\n"
    "    Font.Name = 'Courier New'\n"
    "    Font.Style = [fsBold]\n"
    "    MaxLength = 8\n"
    "    ParentFont = False\n"
    "    TabOrder = 1\n"
    "    Text = 'abc'\n"
    "    OnChange = Edit1Change\n"
    "    OnKeyPress = Edit1KeyPress\n"
    "  end\n"
    "  object Probe1: TProbe\n"
    "    Left = 8\n"
    "    Top = 40\n"
    "    Width = 100\n"
    "    Height = 50\n"
    "    Cursor = crHandPoint\n"
    "    TabOrder = 0\n"
    "    Mode = tmScaled\n"
    "    Value = 3\n"
    "    Letter = #9\n"
    "    Ratio = 1.5\n"
    "    Flags = [tfRed, tfBlue]\n"
    "    Lines.Strings = (\n"
    "      'first'\n"
    "      ''\n"
    "      'caf'#233)\n"
    "    Items = <\n"
    "      item\n"
    "        Caption = 'one'\n"
    "      end\n"
    "      item\n"
    "        Caption = 'two'\n"
    "        Size = 3\n"
    "      end>\n"
    "    Partner = Probe2\n"
    "    OnClick = Probe1Click\n"
    "  end\n"
    "  object Probe2: TProbe\n"
    "    Left = 0\n"
    "    Top = 190\n"
    "    Width = 300\n"
    "    Height = 10\n"
    "    Align = alBottom\n"
    "    TabOrder = 2\n"
    "  end\n"
    "  object Timer1: TTimer\n"
    "    Enabled = False\n"
    "    Interval = 50\n"
    "    OnTimer = Timer1Timer\n"
    "  end\n"
    "end\n";

TEST(FormFile, ReadsEveryKindOfValueAndBindsFieldsAndHandlers) {
  TTestForm form(nullptr);
  form.InitForm(kForm);

  EXPECT_TRUE(form.created);
  EXPECT_TRUE(form.edit1BoundAtCreate);
  EXPECT_EQ(form.GetName(), "TestForm");
  EXPECT_EQ(form.GetCaption(), "It's a \r\nform");
  EXPECT_EQ(form.GetClientWidth(), 300);
  EXPECT_EQ(form.GetBorderStyle(), bsDialog);
  EXPECT_EQ(form.GetActiveControl(), form.Edit1);
  ASSERT_NE(form.Edit1, nullptr);
  ASSERT_NE(form.Probe1, nullptr);
  ASSERT_NE(form.Timer1, nullptr);

  // Children are owned by the form and have the enclosing object as parent.
  EXPECT_EQ(form.Edit1->GetOwner(), &form);
  EXPECT_EQ(form.Edit1->GetParent(), &form);
  EXPECT_EQ(form.Timer1->GetOwner(), &form);
  EXPECT_EQ(form.Edit1->GetFont()->GetName(), "Courier New");
  EXPECT_EQ(form.Edit1->GetFont()->GetStyle(), TFontStyles{fsBold});
  EXPECT_EQ(form.Edit1->GetColor(), clBlack);
  EXPECT_EQ(form.Edit1->GetMaxLength(), 8);
  EXPECT_EQ(form.Edit1->GetText(), "abc");
  EXPECT_EQ(form.Timer1->GetInterval(), 50u);

  TProbe* p = form.Probe1;
  EXPECT_EQ(p->GetCursor(), crHandPoint);
  EXPECT_EQ(p->GetLetter(), '\t');
  EXPECT_DOUBLE_EQ(p->GetRatio(), 1.5);
  EXPECT_EQ(p->GetFlags(), (TProbeFlags{tfRed, tfBlue}));
  EXPECT_EQ(p->GetLines()->ToVector(), (std::vector<std::string>{"first", "", "caf\xE9"}));
  ASSERT_EQ(p->GetItems()->GetCount(), 2);
  EXPECT_EQ(static_cast<TProbeItem*>(p->GetItems()->GetItem(1))->GetSize(), 3);
  EXPECT_EQ(p->GetPartner(), form.Probe2);  // a reference to a component read later
  // Setters ran in file order, then Loaded once, after loading.
  EXPECT_EQ(p->log, (std::vector<std::string>{"Mode", "Value scaled", "Loaded"}));
  EXPECT_FALSE(p->IsLoading());

  // Tab order comes from TabOrder, not from the file order.
  EXPECT_EQ(p->GetTabOrder(), 0);
  EXPECT_EQ(form.Edit1->GetTabOrder(), 1);
  EXPECT_EQ(form.Probe2->GetTabOrder(), 2);

  // Handlers are bound: typing or assigning raises OnChange now (not while loading).
  EXPECT_EQ(form.changes, 0);
  form.Edit1->SetText("xyz");
  EXPECT_EQ(form.changes, 1);
  form.Edit1->SetText("abc");

  // Fields follow the components: freeing one clears the field, references are cleared.
  delete form.Probe2;
  EXPECT_EQ(form.Probe2, nullptr);
  EXPECT_EQ(p->GetPartner(), nullptr);
}

TEST(FormFile, WritesWhatItReadsLeavingOutDefaults) {
  TTestForm form(nullptr);
  form.InitForm(kForm);
  EXPECT_EQ(vcl::WriteComponent(&form), kForm);

  // Reading the written text into a fresh form gives the same form again.
  TTestForm again(nullptr);
  again.InitForm(vcl::WriteComponent(&form));
  EXPECT_EQ(vcl::WriteComponent(&again), kForm);
}

TEST(FormFile, WritesOnlyWhatDiffersFromTheDefaults) {
  TForm form(nullptr);
  form.SetName("Plain");
  auto* edit = new TEdit(&form);
  edit->SetParent(&form);
  edit->SetName("E");
  std::string text = vcl::WriteComponent(&form);
  EXPECT_EQ(text,
            "object Plain: TForm\n"
            "  Left = 0\n"
            "  Top = 0\n"
            "  ClientHeight = 240\n"
            "  ClientWidth = 320\n"
            "  Color = clBtnFace\n"
            "  Font.Charset = DEFAULT_CHARSET\n"
            "  Font.Color = clWindowText\n"
            "  Font.Height = -11\n"
            "  Font.Name = 'MS Sans Serif'\n"
            "  Font.Style = []\n"
            "  object E: TEdit\n"
            "    Left = 0\n"
            "    Top = 0\n"
            "    Width = 121\n"
            "    Height = 21\n"
            "    TabOrder = 0\n"
            "  end\n"
            "end\n");
}

TEST(FormFile, StoresPicturesAsBinaryData) {
  TForm form(nullptr);
  form.SetName("Pics");
  auto* probe = new TProbe(&form);
  probe->SetParent(&form);
  probe->SetName("P");
  TBitmap* bmp = probe->GetPicture()->GetBitmap();
  bmp->SetSize(3, 2);
  bmp->GetCanvas()->SetPixel(2, 1, clRed);
  std::string text = vcl::WriteComponent(&form);
  EXPECT_NE(text.find("    Picture.Data = {\n      07544269746D6170"), std::string::npos) << text;

  RegisterClass(TProbe::StaticClass());
  TForm back(nullptr);
  vcl::ReadRootComponent(&back, text);
  auto* read = dynamic_cast<TProbe*>(back.FindComponent("P"));
  ASSERT_NE(read, nullptr);
  TGraphic* g = read->GetPicture()->GetGraphic();
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->ClassName(), "TBitmap");
  auto* rb = static_cast<TBitmap*>(g);
  EXPECT_EQ(rb->GetWidth(), 3);
  EXPECT_EQ(rb->GetCanvas()->GetPixel(2, 1), clRed);
  EXPECT_EQ(rb->GetCanvas()->GetPixel(0, 0), clWhite);
}

TEST(FormFile, ReportsWhatDoesNotFitWithItsLine) {
  struct Case {
    const char* body;
    const char* message;
  } cases[] = {
      {"  Bogus = 1\n", "Property Bogus does not exist"},
      {"  object E: TEdit\n    Visible = Maybe\n  end\n", "True or False expected"},
      {"  BorderStyle = bsOval\n", "unknown identifier bsOval"},
      {"  Font.Style = [fsBold, fsShiny]\n", "unknown identifier fsShiny"},
      {"  Caption = 12\n", "string expected"},
      {"  OnCreate = Nope\n", "handler Nope is not bound"},
      {"  OnKeyPress = Edit1Change\n", "does not take the event's arguments"},
      {"  ActiveControl = Ghost\n", "Unresolved reference to Ghost"},
  };
  for (const auto& c : cases) {
    TTestForm form(nullptr);
    std::string text = std::string("object F: TTestForm\n") + c.body + "end\n";
    try {
      form.InitForm(text);
      ADD_FAILURE() << "no error for " << c.body;
    } catch (const EReadError& e) {
      EXPECT_NE(e.Message().find(c.message), std::string::npos) << e.Message();
      EXPECT_NE(e.Message().find("line"), std::string::npos) << e.Message();
    }
  }
  TTestForm form(nullptr);
  EXPECT_THROW(form.InitForm("object F: TTestForm\n  object X: TNope\n  end\nend\n"), EClassNotFound);
  EXPECT_THROW(form.InitForm("object F: TTestForm\n  Left = 1\n"), EParserError);
  EXPECT_THROW(form.InitForm("object F: TTestForm\n  Caption = 'open\nend\n"), EParserError);
}

TEST(FormFile, ReadsStringSyntaxAndNumbersLikeTheFramework) {
  TProbe probe(nullptr);
  vcl::ReadRootComponent(&probe,
                         "object P: TProbe\n"
                         "  Left = -5\n"
                         "  Top = $10\n"
                         "  Lines.Strings = (\n"
                         "    'a' + \n"
                         "    'b'#$41\n"
                         "    #39'q'#39)\n"
                         "  Ratio = 2\n"
                         "  Letter = 'x'\n"
                         "end\n");
  EXPECT_EQ(probe.GetLeft(), -5);
  EXPECT_EQ(probe.GetTop(), 16);
  EXPECT_EQ(probe.GetLines()->ToVector(), (std::vector<std::string>{"abA", "'q'"}));
  EXPECT_DOUBLE_EQ(probe.GetRatio(), 2.0);
  EXPECT_EQ(probe.GetLetter(), 'x');
}

}  // namespace
