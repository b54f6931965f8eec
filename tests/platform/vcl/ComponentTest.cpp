#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/vcl/Classes.h"

namespace {

// Records the notifications it receives; optionally holds a reference it clears on removal.
class Watcher : public TComponent {
 public:
  explicit Watcher(TComponent* owner, std::vector<std::string>* log = nullptr)
      : TComponent(owner), log_(log) {}
  ~Watcher() override {
    if (destroyed) *destroyed = true;
  }
  void Watch(TComponent* c) {
    ref = c;
    if (c) c->FreeNotification(this);
  }
  TComponent* ref = nullptr;
  bool* destroyed = nullptr;

 protected:
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    if (log_) log_->push_back(GetName() + (op == opInsert ? " +" : " -") + c->GetName());
    if (op == opRemove && c == ref) ref = nullptr;
  }

 private:
  std::vector<std::string>* log_;
};

TEST(Component, OwnerDestroysWhatItOwnsAndFindsByName) {
  bool aGone = false, bGone = false;
  auto* owner = new TComponent(nullptr);
  auto* a = new Watcher(owner);
  auto* b = new Watcher(owner);
  a->destroyed = &aGone;
  b->destroyed = &bGone;
  a->SetName("Alpha");
  b->SetName("Beta");
  EXPECT_EQ(owner->GetComponentCount(), 2);
  EXPECT_EQ(owner->FindComponent("alpha"), a);
  EXPECT_EQ(owner->FindComponent("Gamma"), nullptr);
  EXPECT_EQ(b->GetComponentIndex(), 1);

  delete a;  // leaves its owner's list
  EXPECT_TRUE(aGone);
  EXPECT_EQ(owner->GetComponentCount(), 1);
  delete owner;
  EXPECT_TRUE(bGone);
}

TEST(Component, NamesAreIdentifiersUniqueInTheOwner) {
  TComponent owner(nullptr);
  auto* a = new TComponent(&owner);
  auto* b = new TComponent(&owner);
  a->SetName("Edit1");
  EXPECT_THROW(b->SetName("EDIT1"), EComponentError);
  EXPECT_THROW(b->SetName("1Edit"), EComponentError);
  EXPECT_THROW(b->SetName("Ed it"), EComponentError);
  b->SetName("Edit_2");
  b->SetName("");  // no name is allowed
  EXPECT_EQ(b->GetName(), "");
  a->SetName("Edit1");  // its own name again is fine
}

TEST(Component, SiblingsAreNotifiedOfInsertionAndRemoval) {
  std::vector<std::string> log;
  TComponent owner(nullptr);
  owner.SetName("Owner");
  auto* w = new Watcher(&owner, &log);
  w->SetName("W");
  auto* c = new TComponent(nullptr);
  c->SetName("C");
  owner.InsertComponent(c);
  delete c;
  EXPECT_EQ(log, (std::vector<std::string>{"W +C", "W -C"}));
}

TEST(Component, FreeNotificationClearsReferencesAcrossOwners) {
  TComponent form1(nullptr), form2(nullptr);
  auto* watcher = new Watcher(&form1);
  auto* target = new TComponent(&form2);
  watcher->Watch(target);
  delete target;
  EXPECT_EQ(watcher->ref, nullptr);

  // Either side may go first: a watcher destroyed before its target leaves nothing dangling.
  auto* target2 = new TComponent(&form2);
  auto* watcher2 = new Watcher(&form1);
  watcher2->Watch(target2);
  delete watcher2;
  delete target2;

  // Removing the link stops the notification.
  auto* target3 = new TComponent(&form2);
  watcher->Watch(target3);
  target3->RemoveFreeNotification(watcher);
  delete target3;
  EXPECT_NE(watcher->ref, nullptr);
}

// A root with a field bound by name.
class Root : public TComponent {
 public:
  Root() : TComponent(nullptr) { BindField("Item", item); }
  TComponent* item = nullptr;
};

TEST(Component, BoundFieldsFollowTheNamedComponent) {
  Root root;
  auto* c = new TComponent(&root);
  EXPECT_EQ(root.item, nullptr);
  c->SetName("Item");
  EXPECT_EQ(root.item, c);
  c->SetName("Other");
  EXPECT_EQ(root.item, nullptr);
  c->SetName("Item");
  delete c;
  EXPECT_EQ(root.item, nullptr);
}

TEST(StringList, KeepsOrderSortsAndJoinsWithCrLf) {
  TStringList list;
  int changes = 0;
  list.OnChange = [&](TObject*) { ++changes; };
  list.SetText("b\r\na\nc\r");
  EXPECT_EQ(list.ToVector(), (std::vector<std::string>{"b", "a", "c"}));
  EXPECT_EQ(list.GetText(), "b\r\na\r\nc\r\n");
  EXPECT_EQ(changes, 1);  // one change for the whole update
  EXPECT_EQ(list.IndexOf("A"), 1);
  list.SetSorted(true);
  EXPECT_EQ(list.ToVector(), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(list.Add("b"), 1);  // duplicates ignored by default
  EXPECT_EQ(list.GetCount(), 3);
  EXPECT_THROW(list.Insert(0, "x"), EStringListError);
  EXPECT_THROW(list.Get(3), EStringListError);
  list.SetSorted(false);
  list.SetCommaText("one,\"two words\",three");
  EXPECT_EQ(list.GetCount(), 3);
  EXPECT_EQ(list.GetCommaText(), "one,\"two words\",three");
}

TEST(Registry, KeepsPalettePagesAndCreatesByName) {
  RegisterComponents("Orvane", {TComponent::StaticClass()});
  EXPECT_EQ(ComponentPage(TComponent::StaticClass()), "Orvane");
  EXPECT_EQ(FindClass("tcomponent"), TComponent::StaticClass());
  EXPECT_THROW(FindClass("TNoSuchThing"), EClassNotFound);
  TComponent owner(nullptr);
  TComponent* made = FindClass("TComponent")->Create(&owner);
  EXPECT_EQ(made->GetOwner(), &owner);
  EXPECT_EQ(made->ClassName(), "TComponent");
}

}  // namespace
