#pragma once
// The component model: TPersistent, TComponent (owner, owned list, names, free notification,
// loading state, field and handler binding for form roots), string lists, collections, basic
// actions, and the class registry (RegisterClass, RegisterComponents, FindClass).
//
// Ownership: a component deletes the components it owns when it is destroyed. Removing a component
// from its owner (or destroying it) notifies the owner and all components the owner owns
// (Notification(c, opRemove)); FreeNotification links components with different owners the same way.
//
// A form root binds its member fields and handlers by name before it reads its form file:
//   BindField("CBCom", CBCom);                     // TKaComboBox* CBCom
//   BindMethod("CBComSelect", &TForm2::CBComSelect);
// (or the VCL_FIELD / VCL_METHOD shorthands). Fields are set when the component of that name is
// created in the root and cleared when it goes away.
#include <any>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/vcl/System.h"
#include "platform/vcl/TypInfo.h"

VCL_ENUM(TShiftStateItem, ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble)
using TShiftState = TSet<TShiftStateItem>;

VCL_ENUM(TAlignment, taLeftJustify, taRightJustify, taCenter)
VCL_ENUM(TComponentStateItem, csLoading, csReading, csWriting, csDestroying, csDesigning,
         csAncestor, csUpdating, csFixups, csFreeNotification, csInline, csDesignInstance)
using TComponentState = TSet<TComponentStateItem>;
VCL_ENUM(TOperation, opInsert, opRemove)
VCL_ENUM(TDuplicates, dupIgnore, dupAccept, dupError)

class TFiler;
class TComponent;

class TPersistent : public TObject {
  VCL_CLASS(TPersistent, TObject)
 public:
  // Copies source into this object; throws EConvertError when the classes do not fit.
  virtual void Assign(const TPersistent* source);
  // The object that owns this one (a font's control, an item's collection); nullptr if none.
  virtual TPersistent* GetOwner() const { return nullptr; }
  // Extra stored data beyond the published properties (a string list's lines, a picture's bytes).
  virtual void DefineProperties(TFiler& filer) {}

 protected:
  virtual void AssignTo(TPersistent* dest) const;
};

// Seen by DefineProperties: the form reader and writer implement it.
class TFiler {
 public:
  virtual ~TFiler() = default;
  virtual void DefineStrings(const std::string& name,
                             std::function<void(const std::vector<std::string>&)> read,
                             std::function<std::vector<std::string>()> write, bool hasData) = 0;
  virtual void DefineBinary(const std::string& name,
                            std::function<void(const std::vector<std::uint8_t>&)> read,
                            std::function<std::vector<std::uint8_t>()> write, bool hasData) = 0;
};

namespace vcl::detail {
class FormReader;
class FormWriter;
}  // namespace vcl::detail

class TComponent : public TPersistent {
  VCL_CLASS(TComponent, TPersistent)
 public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;
  void BeforeDestruction() override;

  TComponent* GetOwner() const override { return owner_; }
  const std::string& GetName() const { return name_; }
  // Throws EComponentError for an invalid identifier or a name already used in the owner.
  virtual void SetName(const std::string& name);
  int GetTag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }

  int GetComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* GetComponent(int index) const;
  int GetComponentIndex() const;
  TComponent* FindComponent(std::string_view name) const;  // case-insensitive
  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);
  void DestroyComponents();
  void Destroying();

  TComponentState GetComponentState() const { return state_; }
  bool IsLoading() const { return state_.Contains(csLoading); }
  bool IsDestroying() const { return state_.Contains(csDestroying); }
  void SetDesigning(bool designing);

  // After this, `component` gets Notification(this, opRemove) when this component goes away
  // (and the other way round).
  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);

  // Called once after the component's properties (and children) have been read from a form file.
  virtual void Loaded();

  // Binding of a root's members by name, for the form reader.
  template <class T>
  void BindField(const std::string& name, T*& field) {
    AddFieldBinding(name, T::StaticClass(),
                    [&field](TComponent* c) {
                      T* typed = dynamic_cast<T*>(c);
                      if (!typed) return false;
                      field = typed;
                      return true;
                    },
                    [&field] { field = nullptr; });
  }
  template <class C, class... A>
  void BindMethod(const std::string& name, void (C::*method)(A...)) {
    C* self = static_cast<C*>(this);
    AddMethodBinding(name, std::any(MakeEvent(self, method, name)));
  }
  // The handler bound under `name` (an std::any holding its TEvent); nullptr when none.
  const std::any* FindMethod(std::string_view name) const;
  // The class of a bound field whose class is named `className` (the reader's first lookup).
  const TMetaClass* FindFieldClass(std::string_view className) const;

  // The components a form file lists inside this one (controls by parent; the root adds its
  // components without a parent).
  virtual void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root);
  virtual bool HasParent() const { return false; }
  virtual TComponent* GetParentComponent() const { return nullptr; }
  virtual void SetParentComponent(TComponent* parent) {}

 protected:
  virtual void Notification(TComponent* AComponent, TOperation Operation);
  void SetComponentState(TComponentState state) { state_ = state; }

 private:
  friend class vcl::detail::FormReader;
  struct Bindings;
  void AddFieldBinding(const std::string& name, const TMetaClass* cls,
                       std::function<bool(TComponent*)> set, std::function<void()> clear);
  void AddMethodBinding(const std::string& name, std::any handler);
  void SetReference(bool enable);
  void Insert(TComponent* c);
  void Remove(TComponent* c);

  TComponent* owner_ = nullptr;
  std::string name_;
  int tag_ = 0;
  TComponentState state_;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> freeNotifies_;
  std::unique_ptr<Bindings> bindings_;
};

#define VCL_FIELD(Field) BindField(#Field, Field)
#define VCL_METHOD(Class, Method) BindMethod(#Method, &Class::Method)

// A list of strings, each with an optional object pointer (not owned).
class TStrings : public TPersistent {
  VCL_CLASS(TStrings, TPersistent)
 public:
  virtual int GetCount() const = 0;
  virtual std::string Get(int index) const = 0;
  virtual void Put(int index, const std::string& s);
  virtual TObject* GetObject(int index) const { return nullptr; }
  virtual void PutObject(int index, TObject* object) {}
  virtual void Insert(int index, const std::string& s) = 0;
  virtual void InsertObject(int index, const std::string& s, TObject* object);
  virtual void Delete(int index) = 0;
  virtual void Clear() = 0;
  virtual int Add(const std::string& s);
  virtual int AddObject(const std::string& s, TObject* object);
  void Append(const std::string& s) { Add(s); }
  virtual void AddStrings(const TStrings* strings);
  virtual int IndexOf(std::string_view s) const;  // case-insensitive, as the framework compares
  int IndexOfObject(const TObject* object) const;
  virtual void Exchange(int index1, int index2);
  void Move(int curIndex, int newIndex);

  // Lines joined by CR LF (with a trailing CR LF after the last one); SetText splits at CR LF,
  // CR or LF.
  std::string GetText() const;
  virtual void SetText(const std::string& text);
  std::string GetCommaText() const;
  void SetCommaText(const std::string& text);

  void BeginUpdate();
  void EndUpdate();
  std::vector<std::string> ToVector() const;
  bool Equals(const TStrings* other) const;
  std::string operator[](int index) const { return Get(index); }

  void Assign(const TPersistent* source) override;
  void DefineProperties(TFiler& filer) override;

 protected:
  virtual void SetUpdateState(bool updating) {}
  int UpdateCount() const { return updateCount_; }
  [[noreturn]] static void IndexError(int index);

 private:
  int updateCount_ = 0;
};

class TStringList : public TStrings {
  VCL_CLASS(TStringList, TStrings)
 public:
  TStringList() = default;
  ~TStringList() override;

  int GetCount() const override { return static_cast<int>(items_.size()); }
  std::string Get(int index) const override;
  void Put(int index, const std::string& s) override;
  TObject* GetObject(int index) const override;
  void PutObject(int index, TObject* object) override;
  void Insert(int index, const std::string& s) override;
  void InsertObject(int index, const std::string& s, TObject* object) override;
  void Delete(int index) override;
  void Clear() override;
  int Add(const std::string& s) override;
  int AddObject(const std::string& s, TObject* object) override;
  int IndexOf(std::string_view s) const override;
  void Exchange(int index1, int index2) override;

  bool GetSorted() const { return sorted_; }
  void SetSorted(bool sorted);
  TDuplicates GetDuplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates d) { duplicates_ = d; }
  bool GetCaseSensitive() const { return caseSensitive_; }
  void SetCaseSensitive(bool cs);
  // Binary search in a sorted list; true with the index when found, else the insertion index.
  bool Find(std::string_view s, int& index) const;
  virtual void Sort();

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  void SetUpdateState(bool updating) override;
  virtual void Changed();
  virtual void Changing();

 private:
  struct Item {
    std::string text;
    TObject* object = nullptr;
  };
  int Compare(std::string_view a, std::string_view b) const;
  void InsertItem(int index, const std::string& s, TObject* object);
  std::vector<Item> items_;
  bool sorted_ = false;
  bool caseSensitive_ = false;
  TDuplicates duplicates_ = dupIgnore;
};

class TCollection;

class TCollectionItem : public TPersistent {
  VCL_CLASS(TCollectionItem, TPersistent)
 public:
  explicit TCollectionItem(TCollection* collection);
  ~TCollectionItem() override;
  TCollection* GetCollection() const { return collection_; }
  int GetIndex() const;
  void SetIndex(int index);
  TPersistent* GetOwner() const override;
  virtual std::string GetDisplayName() const;

 protected:
  void Changed(bool allItems);

 private:
  friend class TCollection;
  TCollection* collection_ = nullptr;
};

// A list of items of one class, stored in form files as  Name = < item ... end item ... end >.
class TCollection : public TPersistent {
  VCL_CLASS(TCollection, TPersistent)
 public:
  using ItemFactory = std::function<TCollectionItem*(TCollection*)>;
  TCollection(TPersistent* owner, ItemFactory factory);
  ~TCollection() override;

  TCollectionItem* Add();
  TCollectionItem* Insert(int index);
  void Delete(int index);
  void Clear();
  int GetCount() const { return static_cast<int>(items_.size()); }
  TCollectionItem* GetItem(int index) const;
  void BeginUpdate();
  void EndUpdate();
  TPersistent* GetOwner() const override { return owner_; }
  void Assign(const TPersistent* source) override;

  TNotifyEvent OnChange;

 protected:
  // Called after items change (item nullptr: the whole collection).
  virtual void Update(TCollectionItem* item);

 private:
  friend class TCollectionItem;
  void Changed(TCollectionItem* item);
  TPersistent* owner_;
  ItemFactory factory_;
  std::vector<TCollectionItem*> items_;
  int updateCount_ = 0;
};

class TBasicAction;

// Tells a client (a control) that its action changed.
class TBasicActionLink {
 public:
  TBasicActionLink() = default;
  virtual ~TBasicActionLink();
  TBasicActionLink(const TBasicActionLink&) = delete;
  TBasicActionLink& operator=(const TBasicActionLink&) = delete;
  TBasicAction* GetAction() const { return action_; }
  void SetAction(TBasicAction* action);
  virtual bool Execute(TComponent* target);

  std::function<void(TBasicAction*)> OnChange;

 private:
  friend class TBasicAction;
  TBasicAction* action_ = nullptr;
};

class TBasicAction : public TComponent {
  VCL_CLASS(TBasicAction, TComponent)
 public:
  explicit TBasicAction(TComponent* AOwner);
  ~TBasicAction() override;
  // Raises OnExecute; false when no handler is assigned.
  virtual bool Execute();
  virtual bool Update();
  TComponent* GetActionComponent() const { return actionComponent_; }
  void SetActionComponent(TComponent* c) { actionComponent_ = c; }

  TNotifyEvent OnExecute;
  TNotifyEvent OnUpdate;

 protected:
  // Tells every linked client that a property changed.
  void Change();

 private:
  friend class TBasicActionLink;
  std::vector<TBasicActionLink*> clients_;
  TComponent* actionComponent_ = nullptr;
};

// Class registry: the form reader creates components by class name.
void RegisterClass(TMetaClass* cls);
void RegisterClasses(std::initializer_list<TMetaClass*> classes);
// Registers classes for the component palette under a page name (and for creation by name).
void RegisterComponents(const std::string& page, std::initializer_list<TMetaClass*> classes);
TMetaClass* GetClass(std::string_view name);   // nullptr when unknown (case-insensitive)
TMetaClass* FindClass(std::string_view name);  // throws EClassNotFound
// The palette page a class was registered under; empty when not on the palette.
std::string ComponentPage(const TMetaClass* cls);
struct TPaletteEntry {
  std::string Page;
  TMetaClass* Class;
};
std::vector<TPaletteEntry> RegisteredComponents();

namespace vcl {
// Case-insensitive comparison of identifiers (ASCII letters only, as the framework does).
bool SameIdent(std::string_view a, std::string_view b);
bool IsValidIdent(std::string_view s);
}  // namespace vcl
