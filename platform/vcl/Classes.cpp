#include "platform/vcl/Classes.h"

#include <algorithm>
#include <map>

#include "platform/vcl/SysUtils.h"

namespace vcl {

bool SameIdent(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

bool IsValidIdent(std::string_view s) {
  if (s.empty()) return false;
  auto alpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  if (!alpha(s[0])) return false;
  for (char c : s)
    if (!alpha(c) && !(c >= '0' && c <= '9')) return false;
  return true;
}

namespace detail {
void RegisterStandardClasses();
}

}  // namespace vcl

// --- TPersistent -----------------------------------------------------------------------------------

VCL_IMPLEMENT_CLASS(TPersistent) {}

void TPersistent::Assign(const TPersistent* source) {
  if (source) {
    source->AssignTo(this);
    return;
  }
  throw EConvertError("Cannot assign a nil to a " + ClassName());
}

void TPersistent::AssignTo(TPersistent* dest) const {
  throw EConvertError("Cannot assign a " + ClassName() + " to a " + dest->ClassName());
}

// --- TComponent --------------------------------------------------------------------------------------

struct TComponent::Bindings {
  struct Field {
    std::string name;
    const TMetaClass* cls;
    std::function<bool(TComponent*)> set;
    std::function<void()> clear;
  };
  std::vector<Field> fields;
  std::vector<std::pair<std::string, std::any>> methods;

  Field* FindField(std::string_view name) {
    for (auto& f : fields)
      if (vcl::SameIdent(f.name, name)) return &f;
    return nullptr;
  }
};

VCL_IMPLEMENT_CLASS(TComponent) {
  p.Published("Name", &TComponent::GetName, &TComponent::SetName).Stored(false);
  p.Published("Tag", &TComponent::GetTag, &TComponent::SetTag).Default(0);
}

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  Destroying();
  while (!freeNotifies_.empty()) {
    TComponent* c = freeNotifies_.back();
    freeNotifies_.pop_back();
    auto& back = c->freeNotifies_;
    back.erase(std::remove(back.begin(), back.end(), this), back.end());
    c->Notification(this, opRemove);
  }
  DestroyComponents();
  if (owner_) owner_->RemoveComponent(this);
}

void TComponent::BeforeDestruction() { Destroying(); }

void TComponent::Destroying() {
  if (state_.Contains(csDestroying)) return;
  state_.Include(csDestroying);
  for (TComponent* c : components_) c->Destroying();
}

void TComponent::SetDesigning(bool designing) {
  if (designing)
    state_.Include(csDesigning);
  else
    state_.Exclude(csDesigning);
  for (TComponent* c : components_) c->SetDesigning(designing);
}

TComponent* TComponent::GetComponent(int index) const {
  if (index < 0 || index >= GetComponentCount())
    throw EListError("List index out of bounds (" + IntToStr(index) + ")");
  return components_[static_cast<std::size_t>(index)];
}

int TComponent::GetComponentIndex() const {
  if (!owner_) return -1;
  auto& list = owner_->components_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

TComponent* TComponent::FindComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : components_)
    if (vcl::SameIdent(c->name_, name)) return c;
  return nullptr;
}

void TComponent::SetName(const std::string& name) {
  if (name == name_) return;
  if (!name.empty() && !vcl::IsValidIdent(name))
    throw EComponentError("'" + name + "' is not a valid component name");
  if (owner_ && !name.empty()) {
    TComponent* other = owner_->FindComponent(name);
    if (other && other != this)
      throw EComponentError("A component named " + name + " already exists");
  }
  if (owner_ && owner_->bindings_ && !name.empty()) {
    auto* f = owner_->bindings_->FindField(name);
    if (f && !InheritsFrom(f->cls))
      throw EComponentError("Field " + name + " of " + owner_->ClassName() + " is not a " +
                            ClassName());
  }
  SetReference(false);
  name_ = name;
  SetReference(true);
}

void TComponent::SetReference(bool enable) {
  if (!owner_ || !owner_->bindings_ || name_.empty() || owner_->IsDestroying()) return;
  auto* f = owner_->bindings_->FindField(name_);
  if (!f) return;
  if (enable)
    f->set(this);
  else
    f->clear();
}

void TComponent::InsertComponent(TComponent* component) {
  if (!component || component->owner_ == this) return;
  if (component->owner_) component->owner_->RemoveComponent(component);
  if (!component->name_.empty()) {
    TComponent* other = FindComponent(component->name_);
    if (other) throw EComponentError("A component named " + component->name_ + " already exists");
  }
  Insert(component);
  component->SetReference(true);
  Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  if (!component || component->owner_ != this) return;
  Notification(component, opRemove);
  component->SetReference(false);
  Remove(component);
}

void TComponent::Insert(TComponent* c) {
  components_.push_back(c);
  c->owner_ = this;
}

void TComponent::Remove(TComponent* c) {
  components_.erase(std::remove(components_.begin(), components_.end(), c), components_.end());
  c->owner_ = nullptr;
}

void TComponent::DestroyComponents() {
  while (!components_.empty()) {
    TComponent* c = components_.back();
    c->BeforeDestruction();
    delete c;
    if (!components_.empty() && components_.back() == c) components_.pop_back();
  }
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == opRemove && AComponent) RemoveFreeNotification(AComponent);
  // A copy: a handler may add or remove components.
  std::vector<TComponent*> list = components_;
  for (TComponent* c : list) {
    if (std::find(components_.begin(), components_.end(), c) == components_.end()) continue;
    c->Notification(AComponent, Operation);
  }
}

void TComponent::FreeNotification(TComponent* component) {
  if (!component || component == this) return;
  if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end())
    freeNotifies_.push_back(component);
  auto& back = component->freeNotifies_;
  if (std::find(back.begin(), back.end(), this) == back.end()) back.push_back(this);
  state_.Include(csFreeNotification);
  component->state_.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  if (!component) return;
  freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), component),
                      freeNotifies_.end());
  auto& back = component->freeNotifies_;
  back.erase(std::remove(back.begin(), back.end(), this), back.end());
}

void TComponent::Loaded() { state_.Exclude(csLoading); }

void TComponent::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) {
  if (root != this) return;
  for (TComponent* c : std::vector<TComponent*>(components_))
    if (!c->HasParent()) proc(c);
}

void TComponent::AddFieldBinding(const std::string& name, const TMetaClass* cls,
                                 std::function<bool(TComponent*)> set,
                                 std::function<void()> clear) {
  if (!bindings_) bindings_ = std::make_unique<Bindings>();
  if (auto* f = bindings_->FindField(name)) {
    *f = Bindings::Field{name, cls, std::move(set), std::move(clear)};
  } else {
    bindings_->fields.push_back(Bindings::Field{name, cls, std::move(set), std::move(clear)});
  }
  if (TComponent* existing = FindComponent(name)) bindings_->FindField(name)->set(existing);
}

void TComponent::AddMethodBinding(const std::string& name, std::any handler) {
  if (!bindings_) bindings_ = std::make_unique<Bindings>();
  for (auto& m : bindings_->methods)
    if (vcl::SameIdent(m.first, name)) {
      m.second = std::move(handler);
      return;
    }
  bindings_->methods.emplace_back(name, std::move(handler));
}

const std::any* TComponent::FindMethod(std::string_view name) const {
  if (!bindings_) return nullptr;
  for (auto& m : bindings_->methods)
    if (vcl::SameIdent(m.first, name)) return &m.second;
  return nullptr;
}

const TMetaClass* TComponent::FindFieldClass(std::string_view className) const {
  if (!bindings_) return nullptr;
  for (auto& f : bindings_->fields)
    if (vcl::SameIdent(f.cls->Name(), className)) return f.cls;
  return nullptr;
}

// --- TStrings --------------------------------------------------------------------------------------

VCL_IMPLEMENT_CLASS(TStrings) {}

void TStrings::IndexError(int index) {
  throw EStringListError("List index out of bounds (" + IntToStr(index) + ")");
}

void TStrings::Put(int index, const std::string& s) {
  TObject* obj = GetObject(index);
  Delete(index);
  InsertObject(index, s, obj);
}

void TStrings::InsertObject(int index, const std::string& s, TObject* object) {
  Insert(index, s);
  PutObject(index, object);
}

int TStrings::Add(const std::string& s) {
  int index = GetCount();
  Insert(index, s);
  return index;
}

int TStrings::AddObject(const std::string& s, TObject* object) {
  int index = Add(s);
  PutObject(index, object);
  return index;
}

void TStrings::AddStrings(const TStrings* strings) {
  BeginUpdate();
  for (int i = 0; i < strings->GetCount(); ++i) AddObject(strings->Get(i), strings->GetObject(i));
  EndUpdate();
}

int TStrings::IndexOf(std::string_view s) const {
  for (int i = 0; i < GetCount(); ++i)
    if (AnsiSameText(Get(i), s)) return i;
  return -1;
}

int TStrings::IndexOfObject(const TObject* object) const {
  for (int i = 0; i < GetCount(); ++i)
    if (GetObject(i) == object) return i;
  return -1;
}

void TStrings::Exchange(int index1, int index2) {
  BeginUpdate();
  std::string s1 = Get(index1), s2 = Get(index2);
  TObject* o1 = GetObject(index1);
  TObject* o2 = GetObject(index2);
  Put(index1, s2);
  PutObject(index1, o2);
  Put(index2, s1);
  PutObject(index2, o1);
  EndUpdate();
}

void TStrings::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  BeginUpdate();
  std::string s = Get(curIndex);
  TObject* o = GetObject(curIndex);
  Delete(curIndex);
  InsertObject(newIndex, s, o);
  EndUpdate();
}

std::string TStrings::GetText() const {
  std::string out;
  for (int i = 0; i < GetCount(); ++i) {
    out += Get(i);
    out += "\r\n";
  }
  return out;
}

void TStrings::SetText(const std::string& text) {
  BeginUpdate();
  Clear();
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t j = i;
    while (j < text.size() && text[j] != '\r' && text[j] != '\n') ++j;
    Add(text.substr(i, j - i));
    if (j < text.size() && text[j] == '\r') ++j;
    if (j < text.size() && text[j] == '\n') ++j;
    i = j;
  }
  EndUpdate();
}

std::string TStrings::GetCommaText() const {
  std::string out;
  for (int i = 0; i < GetCount(); ++i) {
    if (i) out += ',';
    std::string s = Get(i);
    bool quote = s.empty();
    for (char c : s)
      if (static_cast<unsigned char>(c) <= ' ' || c == ',' || c == '"') quote = true;
    if (!quote) {
      out += s;
      continue;
    }
    out += '"';
    for (char c : s) {
      if (c == '"') out += '"';
      out += c;
    }
    out += '"';
  }
  return out;
}

void TStrings::SetCommaText(const std::string& text) {
  BeginUpdate();
  Clear();
  std::size_t i = 0, n = text.size();
  auto skipBlanks = [&] {
    while (i < n && static_cast<unsigned char>(text[i]) <= ' ') ++i;
  };
  skipBlanks();
  while (i < n) {
    std::string item;
    if (text[i] == '"') {
      ++i;
      while (i < n) {
        if (text[i] == '"') {
          if (i + 1 < n && text[i + 1] == '"') {
            item += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        item += text[i++];
      }
    } else {
      while (i < n && text[i] != ',' && static_cast<unsigned char>(text[i]) > ' ') item += text[i++];
    }
    Add(item);
    skipBlanks();
    if (i < n && text[i] == ',') {
      ++i;
      skipBlanks();
      if (i == n) Add("");
    }
  }
  EndUpdate();
}

void TStrings::BeginUpdate() {
  if (updateCount_++ == 0) SetUpdateState(true);
}

void TStrings::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0) SetUpdateState(false);
}

std::vector<std::string> TStrings::ToVector() const {
  std::vector<std::string> out;
  out.reserve(static_cast<std::size_t>(GetCount()));
  for (int i = 0; i < GetCount(); ++i) out.push_back(Get(i));
  return out;
}

bool TStrings::Equals(const TStrings* other) const {
  if (!other || other->GetCount() != GetCount()) return false;
  for (int i = 0; i < GetCount(); ++i)
    if (Get(i) != other->Get(i)) return false;
  return true;
}

void TStrings::Assign(const TPersistent* source) {
  if (auto* s = dynamic_cast<const TStrings*>(source)) {
    if (s == this) return;
    BeginUpdate();
    Clear();
    AddStrings(s);
    EndUpdate();
    return;
  }
  TPersistent::Assign(source);
}

void TStrings::DefineProperties(TFiler& filer) {
  filer.DefineStrings(
      "Strings",
      [this](const std::vector<std::string>& lines) {
        BeginUpdate();
        Clear();
        for (const auto& l : lines) Add(l);
        EndUpdate();
      },
      [this] { return ToVector(); }, GetCount() > 0);
}

// --- TStringList ---------------------------------------------------------------------------------

VCL_IMPLEMENT_CLASS(TStringList) {}

TStringList::~TStringList() = default;

std::string TStringList::Get(int index) const {
  if (index < 0 || index >= GetCount()) IndexError(index);
  return items_[static_cast<std::size_t>(index)].text;
}

void TStringList::Put(int index, const std::string& s) {
  if (sorted_) throw EStringListError("Operation not allowed on sorted list");
  if (index < 0 || index >= GetCount()) IndexError(index);
  Changing();
  items_[static_cast<std::size_t>(index)].text = s;
  Changed();
}

TObject* TStringList::GetObject(int index) const {
  if (index < 0 || index >= GetCount()) IndexError(index);
  return items_[static_cast<std::size_t>(index)].object;
}

void TStringList::PutObject(int index, TObject* object) {
  if (index < 0 || index >= GetCount()) IndexError(index);
  Changing();
  items_[static_cast<std::size_t>(index)].object = object;
  Changed();
}

void TStringList::Insert(int index, const std::string& s) { InsertObject(index, s, nullptr); }

void TStringList::InsertObject(int index, const std::string& s, TObject* object) {
  if (sorted_) throw EStringListError("Operation not allowed on sorted list");
  if (index < 0 || index > GetCount()) IndexError(index);
  InsertItem(index, s, object);
}

void TStringList::InsertItem(int index, const std::string& s, TObject* object) {
  Changing();
  items_.insert(items_.begin() + index, Item{s, object});
  Changed();
}

void TStringList::Delete(int index) {
  if (index < 0 || index >= GetCount()) IndexError(index);
  Changing();
  items_.erase(items_.begin() + index);
  Changed();
}

void TStringList::Clear() {
  if (items_.empty()) return;
  Changing();
  items_.clear();
  Changed();
}

int TStringList::Add(const std::string& s) { return AddObject(s, nullptr); }

int TStringList::AddObject(const std::string& s, TObject* object) {
  int index = GetCount();
  if (sorted_) {
    if (Find(s, index)) {
      if (duplicates_ == dupIgnore) return index;
      if (duplicates_ == dupError) throw EStringListError("String list does not allow duplicates");
    }
  }
  InsertItem(index, s, object);
  return index;
}

int TStringList::IndexOf(std::string_view s) const {
  if (sorted_) {
    int index;
    return Find(s, index) ? index : -1;
  }
  for (int i = 0; i < GetCount(); ++i)
    if (Compare(items_[static_cast<std::size_t>(i)].text, s) == 0) return i;
  return -1;
}

void TStringList::Exchange(int index1, int index2) {
  if (index1 < 0 || index1 >= GetCount()) IndexError(index1);
  if (index2 < 0 || index2 >= GetCount()) IndexError(index2);
  Changing();
  std::swap(items_[static_cast<std::size_t>(index1)], items_[static_cast<std::size_t>(index2)]);
  Changed();
}

int TStringList::Compare(std::string_view a, std::string_view b) const {
  return caseSensitive_ ? AnsiCompareStr(a, b) : AnsiCompareText(a, b);
}

void TStringList::SetSorted(bool sorted) {
  if (sorted_ == sorted) return;
  if (sorted) Sort();
  sorted_ = sorted;
}

void TStringList::SetCaseSensitive(bool cs) {
  if (caseSensitive_ == cs) return;
  caseSensitive_ = cs;
  if (sorted_) Sort();
}

bool TStringList::Find(std::string_view s, int& index) const {
  int lo = 0, hi = GetCount() - 1;
  bool found = false;
  while (lo <= hi) {
    int mid = (lo + hi) / 2;
    int c = Compare(items_[static_cast<std::size_t>(mid)].text, s);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) {
        found = true;
        if (duplicates_ != dupAccept) lo = mid;
      }
    }
  }
  index = lo;
  return found;
}

void TStringList::Sort() {
  Changing();
  std::stable_sort(items_.begin(), items_.end(),
                   [this](const Item& a, const Item& b) { return Compare(a.text, b.text) < 0; });
  Changed();
}

void TStringList::SetUpdateState(bool updating) {
  if (updating)
    Changing();
  else
    Changed();
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

// --- collections --------------------------------------------------------------------------------

VCL_IMPLEMENT_CLASS(TCollectionItem) {}

TCollectionItem::TCollectionItem(TCollection* collection) : collection_(collection) {
  if (collection_) collection_->items_.push_back(this);
}

TCollectionItem::~TCollectionItem() {
  if (collection_) {
    auto& v = collection_->items_;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
    collection_->Changed(nullptr);
  }
}

int TCollectionItem::GetIndex() const {
  if (!collection_) return -1;
  auto& v = collection_->items_;
  return static_cast<int>(std::find(v.begin(), v.end(), this) - v.begin());
}

void TCollectionItem::SetIndex(int index) {
  if (!collection_) return;
  auto& v = collection_->items_;
  int cur = GetIndex();
  if (index < 0) index = 0;
  if (index >= static_cast<int>(v.size())) index = static_cast<int>(v.size()) - 1;
  if (cur == index) return;
  v.erase(v.begin() + cur);
  v.insert(v.begin() + index, this);
  collection_->Changed(nullptr);
}

TPersistent* TCollectionItem::GetOwner() const { return collection_; }

std::string TCollectionItem::GetDisplayName() const { return ClassName(); }

void TCollectionItem::Changed(bool allItems) {
  if (collection_) collection_->Changed(allItems ? nullptr : this);
}

VCL_IMPLEMENT_CLASS(TCollection) {}

TCollection::TCollection(TPersistent* owner, ItemFactory factory)
    : owner_(owner), factory_(std::move(factory)) {}

TCollection::~TCollection() {
  updateCount_ = 1;
  while (!items_.empty()) {
    TCollectionItem* item = items_.back();
    items_.pop_back();
    item->collection_ = nullptr;
    delete item;
  }
}

TCollectionItem* TCollection::Add() {
  TCollectionItem* item = factory_(this);
  if (item->collection_ != this) {
    item->collection_ = this;
    items_.push_back(item);
  }
  Changed(nullptr);
  return item;
}

TCollectionItem* TCollection::Insert(int index) {
  TCollectionItem* item = Add();
  item->SetIndex(index);
  return item;
}

void TCollection::Delete(int index) { delete GetItem(index); }

void TCollection::Clear() {
  if (items_.empty()) return;
  BeginUpdate();
  while (!items_.empty()) delete items_.back();
  EndUpdate();
}

TCollectionItem* TCollection::GetItem(int index) const {
  if (index < 0 || index >= GetCount())
    throw EListError("List index out of bounds (" + IntToStr(index) + ")");
  return items_[static_cast<std::size_t>(index)];
}

void TCollection::BeginUpdate() { ++updateCount_; }

void TCollection::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0) Changed(nullptr);
}

void TCollection::Changed(TCollectionItem* item) {
  if (updateCount_ == 0) Update(item);
}

void TCollection::Update(TCollectionItem*) {
  if (OnChange) OnChange(this);
}

void TCollection::Assign(const TPersistent* source) {
  auto* src = dynamic_cast<const TCollection*>(source);
  if (!src) {
    TPersistent::Assign(source);
    return;
  }
  if (src == this) return;
  BeginUpdate();
  Clear();
  for (TCollectionItem* it : src->items_) Add()->Assign(it);
  EndUpdate();
}

// --- actions -------------------------------------------------------------------------------------

TBasicActionLink::~TBasicActionLink() { SetAction(nullptr); }

void TBasicActionLink::SetAction(TBasicAction* action) {
  if (action_ == action) return;
  if (action_) {
    auto& v = action_->clients_;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
  }
  action_ = action;
  if (action_) action_->clients_.push_back(this);
}

bool TBasicActionLink::Execute(TComponent* target) {
  if (!action_) return false;
  action_->SetActionComponent(target);
  bool handled = action_->Execute();
  if (action_) action_->SetActionComponent(nullptr);
  return handled;
}

VCL_IMPLEMENT_CLASS(TBasicAction) {
  p.Published("OnExecute", &TBasicAction::OnExecute);
  p.Published("OnUpdate", &TBasicAction::OnUpdate);
}

TBasicAction::TBasicAction(TComponent* AOwner) : TComponent(AOwner) {}

TBasicAction::~TBasicAction() {
  for (TBasicActionLink* l : std::vector<TBasicActionLink*>(clients_)) {
    l->action_ = nullptr;
    if (l->OnChange) l->OnChange(nullptr);
  }
}

bool TBasicAction::Execute() {
  if (!OnExecute) return false;
  OnExecute(this);
  return true;
}

bool TBasicAction::Update() {
  if (!OnUpdate) return false;
  OnUpdate(this);
  return true;
}

void TBasicAction::Change() {
  for (TBasicActionLink* l : std::vector<TBasicActionLink*>(clients_))
    if (l->OnChange) l->OnChange(this);
}

// --- registry ------------------------------------------------------------------------------------

namespace {

struct Registry {
  std::map<std::string, TMetaClass*> classes;  // by lower-case name
  std::vector<TPaletteEntry> palette;
  bool standardDone = false;
};

Registry& TheRegistry() {
  static Registry r;
  return r;
}

std::string Key(std::string_view name) {
  std::string k(name);
  for (char& c : k)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return k;
}

void EnsureStandard() {
  Registry& r = TheRegistry();
  if (r.standardDone) return;
  r.standardDone = true;
  vcl::detail::RegisterStandardClasses();
}

}  // namespace

void RegisterClass(TMetaClass* cls) {
  if (!cls) return;
  TheRegistry().classes[Key(cls->Name())] = cls;
}

void RegisterClasses(std::initializer_list<TMetaClass*> classes) {
  for (TMetaClass* c : classes) RegisterClass(c);
}

void RegisterComponents(const std::string& page, std::initializer_list<TMetaClass*> classes) {
  Registry& r = TheRegistry();
  for (TMetaClass* c : classes) {
    if (!c) continue;
    RegisterClass(c);
    auto it = std::find_if(r.palette.begin(), r.palette.end(),
                           [&](const TPaletteEntry& e) { return e.Class == c; });
    if (it != r.palette.end())
      it->Page = page;
    else
      r.palette.push_back(TPaletteEntry{page, c});
  }
}

TMetaClass* GetClass(std::string_view name) {
  EnsureStandard();
  auto& m = TheRegistry().classes;
  auto it = m.find(Key(name));
  return it == m.end() ? nullptr : it->second;
}

TMetaClass* FindClass(std::string_view name) {
  TMetaClass* c = GetClass(name);
  if (!c) throw EClassNotFound("Class " + std::string(name) + " not found");
  return c;
}

std::string ComponentPage(const TMetaClass* cls) {
  for (const auto& e : TheRegistry().palette)
    if (e.Class == cls) return e.Page;
  return {};
}

std::vector<TPaletteEntry> RegisteredComponents() { return TheRegistry().palette; }
