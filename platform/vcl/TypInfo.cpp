#include "platform/vcl/TypInfo.h"

#include <algorithm>

#include "platform/vcl/Classes.h"

// --- TObject ---------------------------------------------------------------------------------

TMetaClass* TObject::StaticClass() {
  static TMetaClass meta("TObject", nullptr, nullptr, nullptr);
  return &meta;
}

TMetaClass* TObject::ClassType() const { return StaticClass(); }

std::string TObject::ClassName() const { return ClassType()->Name(); }

bool TObject::InheritsFrom(const TMetaClass* cls) const { return ClassType()->InheritsFrom(cls); }

void TObject::Free() {
  BeforeDestruction();
  delete this;
}

void Abort() { throw EAbort("Operation aborted"); }

// --- enumerations and identifiers ---------------------------------------------------------------

TEnumInfo::TEnumInfo(const char* typeName, const char* names) : typeName_(typeName) {
  std::string cur;
  for (const char* p = names;; ++p) {
    if (*p == ',' || *p == '\0') {
      names_.push_back(cur);
      cur.clear();
      if (*p == '\0') break;
    } else if (*p != ' ' && *p != '\t' && *p != '\n' && *p != '\r') {
      cur += *p;
    }
  }
}

const std::string& TEnumInfo::Name(int value) const {
  static const std::string empty;
  if (value < 0 || value >= Count()) return empty;
  return names_[static_cast<std::size_t>(value)];
}

int TEnumInfo::ValueOf(std::string_view name) const {
  for (int i = 0; i < Count(); ++i)
    if (vcl::SameIdent(names_[static_cast<std::size_t>(i)], name)) return i;
  return -1;
}

const char* TIdentMap::NameOf(int value) const {
  for (const auto& e : entries_)
    if (e.Value == value) return e.Name;
  return nullptr;
}

bool TIdentMap::ValueOf(std::string_view name, int& value) const {
  for (const auto& e : entries_)
    if (vcl::SameIdent(e.Name, name)) {
      value = e.Value;
      return true;
    }
  return false;
}

// --- value conversions ----------------------------------------------------------------------------

namespace vcl::detail {

[[noreturn]] static void BadValue() { throw EPropertyError("Invalid property value"); }

std::int64_t IntegerOf(const TValue& v) {
  if (auto* i = std::get_if<std::int64_t>(&v)) return *i;
  if (auto* b = std::get_if<bool>(&v)) return *b ? 1 : 0;
  BadValue();
}

double FloatOf(const TValue& v) {
  if (auto* d = std::get_if<double>(&v)) return *d;
  if (auto* i = std::get_if<std::int64_t>(&v)) return static_cast<double>(*i);
  BadValue();
}

std::uint64_t SetBitsOf(const TValue& v) {
  if (auto* s = std::get_if<TSetBits>(&v)) return s->Bits;
  BadValue();
}

bool ValueTraits<bool>::From(const TValue& v) {
  if (auto* b = std::get_if<bool>(&v)) return *b;
  BadValue();
}

char ValueTraits<char>::From(const TValue& v) {
  if (auto* s = std::get_if<std::string>(&v)) {
    if (s->size() == 1) return (*s)[0];
    BadValue();
  }
  return static_cast<char>(static_cast<unsigned char>(IntegerOf(v)));
}

std::string ValueTraits<std::string>::From(const TValue& v) {
  if (auto* s = std::get_if<std::string>(&v)) return *s;
  BadValue();
}

TColor ValueTraits<TColor>::From(const TValue& v) {
  return static_cast<TColor>(static_cast<std::int32_t>(IntegerOf(v)));
}

}  // namespace vcl::detail

// --- property access defaults (a property kind the access object does not implement) -------------

TValue TPropAccess::Get(const TPersistent*) const { throw EPropertyError("Property has no value"); }
void TPropAccess::Set(TPersistent*, const TValue&) const {
  throw EPropertyError("Property is read-only");
}
TPersistent* TPropAccess::GetObject(const TPersistent*) const { return nullptr; }
void TPropAccess::SetReference(TPersistent*, TComponent*) const {
  throw EPropertyError("Invalid property value");
}
std::string TPropAccess::MethodName(const TPersistent*) const { return {}; }
bool TPropAccess::MethodAssigned(const TPersistent*) const { return false; }
bool TPropAccess::SetMethod(TPersistent*, const std::any&) const { return false; }

bool TPropInfo::IsStored(const TPersistent* obj) const {
  if (!StoredFlag) return false;
  if (StoredFn) return StoredFn(obj);
  return true;
}

bool TPropInfo::IsDefault(const TPersistent* obj) const {
  switch (Kind) {
    case TTypeKind::Class:
      return false;
    case TTypeKind::Reference:
      return Access->GetObject(obj) == nullptr;
    case TTypeKind::Method:
      return !Access->MethodAssigned(obj) || Access->MethodName(obj).empty();
    default:
      break;
  }
  TValue v = Access->Get(obj);
  if (Default) return v == *Default;
  if (Kind == TTypeKind::String) return std::get<std::string>(v).empty();
  if (Kind == TTypeKind::Float) return vcl::detail::FloatOf(v) == 0.0;
  return false;
}

// --- modifiers --------------------------------------------------------------------------------------

static bool ValueFitsKind(TTypeKind kind, const TValue& v) {
  switch (kind) {
    case TTypeKind::Integer:
    case TTypeKind::Char:
    case TTypeKind::Enumeration:
    case TTypeKind::Color:
      return std::holds_alternative<std::int64_t>(v);
    case TTypeKind::Bool:
      return std::holds_alternative<bool>(v);
    case TTypeKind::Set:
      return std::holds_alternative<TSetBits>(v);
    case TTypeKind::Float:
      return std::holds_alternative<double>(v) || std::holds_alternative<std::int64_t>(v);
    case TTypeKind::String:
      return std::holds_alternative<std::string>(v);
    default:
      return false;
  }
}

void TPropModifier::SetDefault(TValue v) {
  if (!ValueFitsKind(info_->Kind, v))
    throw std::logic_error("default of property " + info_->Name + " has the wrong type");
  if (info_->Kind == TTypeKind::Float) v = vcl::detail::FloatOf(v);
  info_->Default = std::move(v);
}

TPropModifier& TPropModifier::NoDefault() {
  info_->Default.reset();
  return *this;
}

TPropModifier& TPropModifier::Stored(bool stored) {
  info_->StoredFlag = stored;
  info_->StoredFn = nullptr;
  return *this;
}

TPropModifier& TPropModifier::Idents(const TIdentMap& idents) {
  info_->Idents = &idents;
  return *this;
}

TPropModifier& TPropModifier::Publish() {
  auto& own = cls_->ownPublished_;
  auto it = std::find_if(own.begin(), own.end(),
                         [&](TPropInfo* p) { return vcl::SameIdent(p->Name, info_->Name); });
  if (it != own.end())
    *it = info_;
  else
    own.push_back(info_);
  return *this;
}

// --- metaclasses ------------------------------------------------------------------------------------

TMetaClass::TMetaClass(const char* name, TMetaClass* parent, Factory factory, DeclareFn declare)
    : name_(name), parent_(parent), factory_(factory), declare_(declare) {}

bool TMetaClass::InheritsFrom(const TMetaClass* other) const {
  for (const TMetaClass* c = this; c; c = c->parent_)
    if (c == other) return true;
  return false;
}

TComponent* TMetaClass::Create(TComponent* owner) const {
  if (!factory_) throw EClassNotFound("Cannot create an instance of " + name_);
  return factory_(owner);
}

void TMetaClass::Build() const {
  if (built_ || building_) return;
  building_ = true;
  if (parent_) parent_->Build();
  if (declare_) {
    TPropertyBuilderBase builder(const_cast<TMetaClass*>(this));
    declare_(builder);
  }
  if (parent_) published_ = parent_->published_;
  for (TPropInfo* p : ownPublished_) {
    auto it = std::find_if(published_.begin(), published_.end(),
                           [&](const TPropInfo* q) { return vcl::SameIdent(q->Name, p->Name); });
    if (it != published_.end())
      *it = p;
    else
      published_.push_back(p);
  }
  building_ = false;
  built_ = true;
}

const std::vector<const TPropInfo*>& TMetaClass::Properties() const {
  Build();
  return published_;
}

const TPropInfo* TMetaClass::FindProperty(std::string_view name) const {
  for (const TPropInfo* p : Properties())
    if (vcl::SameIdent(p->Name, name)) return p;
  return nullptr;
}

const TPropInfo* TMetaClass::FindDeclared(std::string_view name) const {
  Build();
  for (const TMetaClass* c = this; c; c = c->parent_) {
    for (const TPropInfo* p : c->declared_)
      if (vcl::SameIdent(p->Name, name)) return p;
    for (const TPropInfo* p : c->ownPublished_)
      if (vcl::SameIdent(p->Name, name)) return p;
  }
  return nullptr;
}

TPropModifier TPropertyBuilderBase::Add(std::unique_ptr<TPropInfo> info) {
  TPropInfo* raw = info.get();
  cls_->owned_.push_back(std::move(info));
  cls_->declared_.push_back(raw);
  return TPropModifier(cls_, raw);
}

TPropModifier TPropertyBuilderBase::Publish(const char* name) {
  const TPropInfo* found = nullptr;
  for (TPropInfo* p : cls_->declared_)
    if (vcl::SameIdent(p->Name, name)) found = p;
  if (!found && cls_->parent_) found = cls_->parent_->FindDeclared(name);
  if (!found)
    throw std::logic_error(cls_->name_ + " publishes unknown property " + std::string(name));
  auto copy = std::make_unique<TPropInfo>(*found);
  TPropInfo* raw = copy.get();
  cls_->owned_.push_back(std::move(copy));
  TPropModifier mod(cls_, raw);
  mod.Publish();
  return mod;
}

TPropModifier TPropertyBuilderBase::Redeclare(const char* name) {
  const TPropInfo* found = cls_->parent_ ? cls_->parent_->FindDeclared(name) : nullptr;
  if (!found)
    throw std::logic_error(cls_->name_ + " redeclares unknown property " + std::string(name));
  return Add(std::make_unique<TPropInfo>(*found));
}

TValue GetPropValue(const TPersistent* obj, std::string_view name) {
  const TPropInfo* p = obj->ClassType()->FindProperty(name);
  if (!p) throw EPropertyError("Property " + std::string(name) + " does not exist");
  return p->Access->Get(obj);
}

void SetPropValue(TPersistent* obj, std::string_view name, const TValue& value) {
  const TPropInfo* p = obj->ClassType()->FindProperty(name);
  if (!p) throw EPropertyError("Property " + std::string(name) + " does not exist");
  p->Access->Set(obj, value);
}
