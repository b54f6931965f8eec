#include "Common/Kalib/SmartPtr.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <utility>

// Counts heap allocations of this program so that "allocates nothing" can be checked.
namespace {
long gAllocations = 0;
}

void* operator new(std::size_t size) {
  ++gAllocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

struct Base {
  virtual ~Base() = default;
};

// Records its own destruction, through a virtual destructor as the dialogs and databases do.
struct Tracked : Base {
  explicit Tracked(int& deaths) : deaths(deaths) {}
  ~Tracked() override { ++deaths; }
  int& deaths;
};

TEST(SmartPtr, NullAndDefaultAreEmptyAndAllocateNothing) {
  const long before = gAllocations;
  {
    SmartPtr<Tracked> fromNull(nullptr);
    SmartPtr<Tracked> empty;
    SmartPtr<Tracked> copy(fromNull);
    empty = fromNull;
    EXPECT_EQ(fromNull.Get(), nullptr);
    EXPECT_FALSE(empty);
    EXPECT_EQ(copy.UseCount(), 0);
  }
  EXPECT_EQ(gAllocations, before);
}

TEST(SmartPtr, LastOfTwoSharingPointersDeletesTheObjectOnce) {
  int deaths = 0;
  auto* first = new SmartPtr<Tracked>(new Tracked(deaths));
  SmartPtr<Tracked>* second = new SmartPtr<Tracked>;
  *second = *first;
  EXPECT_EQ(second->Get(), first->Get());
  EXPECT_EQ(first->UseCount(), 2);

  delete first;
  EXPECT_EQ(deaths, 0);
  EXPECT_EQ(second->UseCount(), 1);
  delete second;
  EXPECT_EQ(deaths, 1);
}

TEST(SmartPtr, AssigningAnEmptyPointerDropsTheObjectAtOnce) {
  int deaths = 0;
  SmartPtr<Tracked> owner(new Tracked(deaths));
  owner = SmartPtr<Tracked>();
  EXPECT_EQ(deaths, 1);
  EXPECT_EQ(owner.Get(), nullptr);
  owner = SmartPtr<Tracked>();
  EXPECT_EQ(deaths, 1);
}

TEST(SmartPtr, AssigningWithinTheSameRecordChangesNothing) {
  int deaths = 0;
  SmartPtr<Tracked> a(new Tracked(deaths));
  SmartPtr<Tracked> b;
  b = a;
  const long before = gAllocations;
  auto& self = a;
  a = self;
  a = b;
  b = a;
  EXPECT_EQ(a.UseCount(), 2);
  a = std::move(self);
  EXPECT_EQ(a.UseCount(), 2);
  EXPECT_EQ(gAllocations, before);
  EXPECT_EQ(deaths, 0);
}

TEST(SmartPtr, ReplacingReleasesTheOldObjectAndSharesTheNew) {
  int oldDeaths = 0, newDeaths = 0;
  SmartPtr<Tracked> a(new Tracked(oldDeaths));
  SmartPtr<Tracked> b(new Tracked(newDeaths));
  a = b;
  EXPECT_EQ(oldDeaths, 1);
  EXPECT_EQ(newDeaths, 0);
  EXPECT_EQ(b.UseCount(), 2);
}

TEST(SmartPtr, CopyAndMoveConstruction) {
  int deaths = 0;
  SmartPtr<Tracked> a(new Tracked(deaths));
  {
    SmartPtr<Tracked> copy(a);
    EXPECT_EQ(a.UseCount(), 2);
    SmartPtr<Tracked> moved(std::move(copy));
    EXPECT_EQ(copy.Get(), nullptr);
    EXPECT_EQ(moved.Get(), a.Get());
    EXPECT_EQ(a.UseCount(), 2);
  }
  EXPECT_EQ(a.UseCount(), 1);
  SmartPtr<Tracked> target;
  target = std::move(a);
  EXPECT_EQ(a.Get(), nullptr);
  EXPECT_EQ(target.UseCount(), 1);
  EXPECT_EQ(deaths, 0);
  target = SmartPtr<Tracked>();
  EXPECT_EQ(deaths, 1);
}

TEST(SmartPtr, DeletesThroughTheVirtualDestructorOfTheBase) {
  int deaths = 0;
  { SmartPtr<Base> p(new Tracked(deaths)); }
  EXPECT_EQ(deaths, 1);
}

// The object being released owns the pointer that is assigned from.
struct Node {
  explicit Node(int& deaths) : deaths(deaths) {}
  ~Node() { ++deaths; }
  int& deaths;
  SmartPtr<Node> next;
};

TEST(SmartPtr, AssigningFromAPointerInsideTheReleasedObjectIsSafe) {
  int deaths = 0;
  SmartPtr<Node> head(new Node(deaths));
  head->next = SmartPtr<Node>(new Node(deaths));
  Node* second = head->next.Get();
  head = head->next;
  EXPECT_EQ(deaths, 1);
  EXPECT_EQ(head.Get(), second);
  EXPECT_EQ(head.UseCount(), 1);
  head = SmartPtr<Node>();
  EXPECT_EQ(deaths, 2);
}

TEST(SmartPtr, CounterRecordOnItsOwnDeletesItsObject) {
  int deaths = 0;
  delete new SmartPtr<Tracked>::Compteur(new Tracked(deaths));
  EXPECT_EQ(deaths, 1);
}

}  // namespace
