#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/vcl/StdCtrls.h"

namespace {

VCL_ENUM(TShade, shLight, shMedium, shDark)
using TShades = TSet<TShade>;

class TSample : public TComponent {
  VCL_CLASS(TSample, TComponent)
 public:
  explicit TSample(TComponent* owner) : TComponent(owner) {}
  int GetCount() const { return count_; }
  void SetCount(int v) { count_ = v; }
  TShade GetShade() const { return shade_; }
  void SetShade(TShade v) { shade_ = v; }
  TShades GetShades() const { return shades_; }
  void SetShades(TShades v) { shades_ = v; }
  const std::string& GetLabel() const { return label_; }
  void SetLabel(const std::string& v) { label_ = v; }
  int GetSecret() const { return secret_; }
  void SetSecret(int v) { secret_ = v; }
  TNotifyEvent OnPoke;

 private:
  int count_ = 0;
  TShade shade_ = shMedium;
  TShades shades_{shLight};
  std::string label_;
  int secret_ = 0;
};

VCL_IMPLEMENT_CLASS(TSample) {
  p.Published("Count", &TSample::GetCount, &TSample::SetCount).Default(0);
  p.Published("Shade", &TSample::GetShade, &TSample::SetShade).Default(shMedium);
  p.Published("Shades", &TSample::GetShades, &TSample::SetShades).Default(TShades{shLight});
  p.Published("Label", &TSample::GetLabel, &TSample::SetLabel);
  p.Declare("Secret", &TSample::GetSecret, &TSample::SetSecret).Default(0);
  p.Published("OnPoke", &TSample::OnPoke);
}

// Publishes its parent's protected property and gives an inherited one a new default.
class TSampleChild : public TSample {
  VCL_CLASS(TSampleChild, TSample)
 public:
  explicit TSampleChild(TComponent* owner) : TSample(owner) { SetCount(5); }
};

VCL_IMPLEMENT_CLASS(TSampleChild) {
  p.Publish("Secret");
  p.Publish("Count").Default(5);
}

std::vector<std::string> Names(const TMetaClass* cls) {
  std::vector<std::string> out;
  for (const TPropInfo* p : cls->Properties()) out.push_back(p->Name);
  return out;
}

TEST(Properties, ArePublishedInDeclarationOrderAndInherited) {
  EXPECT_EQ(Names(TSample::StaticClass()),
            (std::vector<std::string>{"Name", "Tag", "Count", "Shade", "Shades", "Label", "OnPoke"}));
  // A re-published property keeps its place; a newly published one comes last.
  EXPECT_EQ(Names(TSampleChild::StaticClass()),
            (std::vector<std::string>{"Name", "Tag", "Count", "Shade", "Shades", "Label", "OnPoke",
                                      "Secret"}));
  EXPECT_EQ(TSample::StaticClass()->FindProperty("Secret"), nullptr);
  EXPECT_NE(TSample::StaticClass()->FindDeclared("secret"), nullptr);
}

TEST(Properties, KnowTheirDefaults) {
  TSample s(nullptr);
  TSampleChild c(nullptr);
  const TMetaClass* sc = TSample::StaticClass();
  const TMetaClass* cc = TSampleChild::StaticClass();
  EXPECT_TRUE(sc->FindProperty("Count")->IsDefault(&s));
  EXPECT_TRUE(cc->FindProperty("Count")->IsDefault(&c));  // 5 is the child's default
  c.SetCount(0);
  EXPECT_FALSE(cc->FindProperty("Count")->IsDefault(&c));
  EXPECT_TRUE(sc->FindProperty("Shades")->IsDefault(&s));
  s.SetShades(TShades{shLight, shDark});
  EXPECT_FALSE(sc->FindProperty("Shades")->IsDefault(&s));
  EXPECT_TRUE(sc->FindProperty("Label")->IsDefault(&s));  // strings: empty
  EXPECT_TRUE(sc->FindProperty("OnPoke")->IsDefault(&s));  // events: unassigned
  EXPECT_FALSE(sc->FindProperty("Name")->IsStored(&s));
}

TEST(Properties, AreReadAndWrittenByName) {
  TSample s(nullptr);
  SetPropValue(&s, "count", TValue(std::int64_t{7}));
  SetPropValue(&s, "Shade", TValue(std::int64_t{shDark}));
  EXPECT_EQ(s.GetCount(), 7);
  EXPECT_EQ(s.GetShade(), shDark);
  EXPECT_EQ(GetPropValue(&s, "Shades"), TValue(TSetBits{1}));
  EXPECT_THROW(GetPropValue(&s, "Nothing"), EPropertyError);
  EXPECT_THROW(SetPropValue(&s, "Label", TValue(std::int64_t{1})), EPropertyError);
}

TEST(Properties, StockEditDeclaresTheFrameworkDefaults) {
  TEdit edit(nullptr);
  const TMetaClass* cls = TEdit::StaticClass();
  std::vector<std::string> names = Names(cls);
  ASSERT_GE(names.size(), 9u);
  EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 8),
            (std::vector<std::string>{"Name", "Tag", "Left", "Top", "Width", "Height", "Cursor", "Hint"}));
  for (const char* defaulted : {"TabStop", "Visible", "Enabled", "ParentColor", "Color", "MaxLength",
                                "ReadOnly", "AutoSelect", "Anchors", "BorderStyle", "PasswordChar"})
    EXPECT_TRUE(cls->FindProperty(defaulted)->IsDefault(&edit)) << defaulted;
  EXPECT_TRUE(edit.GetTabStop());
  EXPECT_EQ(edit.GetWidth(), 121);
  // The font follows the parent's, so it is not stored.
  EXPECT_FALSE(cls->FindProperty("Font")->IsStored(&edit));
  edit.GetFont()->SetHeight(-20);
  EXPECT_FALSE(edit.GetParentFont());
  EXPECT_TRUE(cls->FindProperty("Font")->IsStored(&edit));
}

}  // namespace
