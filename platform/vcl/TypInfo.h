#pragma once
// Run-time type information: metaclasses, enumeration names and published properties.
//
// A streamable class puts VCL_CLASS(Class, Base) at the top of its body and, in its .cpp,
// VCL_IMPLEMENT_CLASS(Class) { ...property declarations on `p`... }. Declarations run once, on
// first use, in order; a class's published list is its parent's list followed by its own
// entries (re-publishing an inherited name replaces that entry in place, keeping its position).
//
//   p.Declare("Text", &T::GetText, &T::SetText);            // known, not streamed (protected)
//   p.Published("DBIndex", &T::GetDBIndex, &T::SetDBIndex); // declared and published
//   p.Publish("TabStop").Default(true);                      // publish a declared (inherited) one
//   p.Redeclare("TabStop").Default(true);                    // new default, still not published
//   p.Published("OnChange", &T::OnChange);                   // an event field
//   p.Published("Font", &T::GetFont, &T::SetFont).Stored(&T::IsFontStored);
//
// The value kind follows from the C++ type: bool, char, std::string, TColor, integers, floating
// point, enumerations declared with VCL_ENUM, TSet<E>, TEvent<...>, pointers to TPersistent
// (sub-objects: Font, Items...) and pointers to TComponent (references by name).
// Strings and floats default to empty / 0 implicitly; other kinds are always stored unless a
// Default is given.
#include <any>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

#include "platform/vcl/System.h"

class TPersistent;
class TComponent;

// Names of an enumeration's values 0..n-1.
class TEnumInfo {
 public:
  // `names` is the comma-separated list of enumerators, as the VCL_ENUM macro stringizes it.
  TEnumInfo(const char* typeName, const char* names);
  const std::string& TypeName() const { return typeName_; }
  int Count() const { return static_cast<int>(names_.size()); }
  const std::string& Name(int value) const;  // empty for values out of range
  int ValueOf(std::string_view name) const;  // case-insensitive; -1 when unknown

 private:
  std::string typeName_;
  std::vector<std::string> names_;
};

// Declares an enumeration with values 0..n-1 together with the names used in form files.
#define VCL_ENUM(Type, ...)                                          \
  enum Type { __VA_ARGS__ };                                         \
  inline const ::TEnumInfo& EnumTypeInfo(Type*) {                    \
    static const ::TEnumInfo info(#Type, #__VA_ARGS__);              \
    return info;                                                     \
  }

// Identifiers for chosen values of an integer property (cursors, font character sets).
struct TIdentEntry {
  int Value;
  const char* Name;
};
class TIdentMap {
 public:
  TIdentMap(std::initializer_list<TIdentEntry> entries) : entries_(entries) {}
  const char* NameOf(int value) const;                   // nullptr when none
  bool ValueOf(std::string_view name, int& value) const;  // case-insensitive

 private:
  std::vector<TIdentEntry> entries_;
};

enum class TTypeKind {
  Integer,
  Bool,
  Char,
  Enumeration,
  Set,
  Float,
  String,
  Color,
  Class,      // a sub-object owned by the component (Font, Items, Picture...)
  Reference,  // another component, stored by name
  Method,     // an event, stored by handler name
};

struct TSetBits {
  std::uint64_t Bits = 0;
  bool operator==(const TSetBits&) const = default;
};

// A property value in transport: integers, chars, colours and enumerations as int64.
using TValue = std::variant<std::monostate, std::int64_t, bool, double, std::string, TSetBits>;

namespace vcl::detail {

template <class E, class = void>
struct HasEnumInfo : std::false_type {};
template <class E>
struct HasEnumInfo<E, std::void_t<decltype(EnumTypeInfo(static_cast<E*>(nullptr)))>> : std::true_type {};

template <class T>
struct IsSet : std::false_type {};
template <class E>
struct IsSet<TSet<E>> : std::true_type {
  using Element = E;
};

template <class T>
struct IsEvent : std::false_type {};
template <class... A>
struct IsEvent<TEvent<A...>> : std::true_type {};

// How a C++ value type travels as a TValue.
template <class V, class = void>
struct ValueTraits {
  static constexpr bool Supported = false;
};
template <>
struct ValueTraits<bool> {
  static constexpr bool Supported = true;
  static constexpr TTypeKind Kind = TTypeKind::Bool;
  static TValue To(bool v) { return v; }
  static bool From(const TValue& v);
  static const TEnumInfo* Enum() { return nullptr; }
};
template <>
struct ValueTraits<char> {
  static constexpr bool Supported = true;
  static constexpr TTypeKind Kind = TTypeKind::Char;
  static TValue To(char v) { return static_cast<std::int64_t>(static_cast<unsigned char>(v)); }
  static char From(const TValue& v);
  static const TEnumInfo* Enum() { return nullptr; }
};
template <>
struct ValueTraits<std::string> {
  static constexpr bool Supported = true;
  static constexpr TTypeKind Kind = TTypeKind::String;
  static TValue To(const std::string& v) { return v; }
  static std::string From(const TValue& v);
  static const TEnumInfo* Enum() { return nullptr; }
};
template <>
struct ValueTraits<TColor> {
  static constexpr bool Supported = true;
  static constexpr TTypeKind Kind = TTypeKind::Color;
  static TValue To(TColor v) { return static_cast<std::int64_t>(v); }
  static TColor From(const TValue& v);
  static const TEnumInfo* Enum() { return nullptr; }
};
std::int64_t IntegerOf(const TValue& v);
double FloatOf(const TValue& v);
std::uint64_t SetBitsOf(const TValue& v);

template <class V>
struct ValueTraits<V, std::enable_if_t<std::is_integral_v<V> && !std::is_same_v<V, bool> &&
                                       !std::is_same_v<V, char>>> {
  static constexpr bool Supported = true;
  static constexpr TTypeKind Kind = TTypeKind::Integer;
  static TValue To(V v) { return static_cast<std::int64_t>(v); }
  static V From(const TValue& v) { return static_cast<V>(IntegerOf(v)); }
  static const TEnumInfo* Enum() { return nullptr; }
};
template <class V>
struct ValueTraits<V, std::enable_if_t<std::is_floating_point_v<V>>> {
  static constexpr bool Supported = true;
  static constexpr TTypeKind Kind = TTypeKind::Float;
  static TValue To(V v) { return static_cast<double>(v); }
  static V From(const TValue& v) { return static_cast<V>(FloatOf(v)); }
  static const TEnumInfo* Enum() { return nullptr; }
};
template <class V>
struct ValueTraits<V, std::enable_if_t<std::is_enum_v<V> && HasEnumInfo<V>::value>> {
  static constexpr bool Supported = true;
  static constexpr TTypeKind Kind = TTypeKind::Enumeration;
  static TValue To(V v) { return static_cast<std::int64_t>(v); }
  static V From(const TValue& v) { return static_cast<V>(IntegerOf(v)); }
  static const TEnumInfo* Enum() { return &EnumTypeInfo(static_cast<V*>(nullptr)); }
};
template <class V>
struct ValueTraits<V, std::enable_if_t<IsSet<V>::value>> {
  using E = typename IsSet<V>::Element;
  static constexpr bool Supported = true;
  static constexpr TTypeKind Kind = TTypeKind::Set;
  static TValue To(V v) { return TSetBits{v.Bits()}; }
  static V From(const TValue& v) { return V::FromBits(SetBitsOf(v)); }
  static const TEnumInfo* Enum() { return &EnumTypeInfo(static_cast<E*>(nullptr)); }
};

}  // namespace vcl::detail

// Access to one property's value on an object; built from member pointers by the builder.
class TPropAccess {
 public:
  virtual ~TPropAccess() = default;
  virtual TValue Get(const TPersistent* obj) const;
  virtual void Set(TPersistent* obj, const TValue& v) const;
  virtual TPersistent* GetObject(const TPersistent* obj) const;
  virtual void SetReference(TPersistent* obj, TComponent* target) const;
  virtual std::string MethodName(const TPersistent* obj) const;
  virtual bool MethodAssigned(const TPersistent* obj) const;
  // Assigns a handler (an std::any holding the event's exact TEvent type); false on a type mismatch.
  virtual bool SetMethod(TPersistent* obj, const std::any& handler) const;
  virtual bool ReadOnly() const { return false; }
};

class TPropInfo {
 public:
  std::string Name;
  TTypeKind Kind = TTypeKind::Integer;
  const TEnumInfo* Enum = nullptr;     // Enumeration and Set: element names
  const TIdentMap* Idents = nullptr;   // Integer: identifiers for chosen values
  const TMetaClass* ObjectClass = nullptr;  // Class and Reference: the declared class
  std::optional<TValue> Default;
  bool StoredFlag = true;
  std::function<bool(const TPersistent*)> StoredFn;
  std::shared_ptr<const TPropAccess> Access;

  bool IsStored(const TPersistent* obj) const;
  // True when the value equals the declared default (implicit for strings, floats, references, events).
  bool IsDefault(const TPersistent* obj) const;
};

class TMetaClass;

// Chainable modifiers of a declared or published property.
class TPropModifier {
 public:
  TPropModifier(TMetaClass* cls, TPropInfo* info) : cls_(cls), info_(info) {}
  template <class X>
  TPropModifier& Default(X value) {
    using V = std::conditional_t<std::is_convertible_v<X, std::string> && !std::is_same_v<X, char>,
                                 std::string, X>;
    SetDefault(vcl::detail::ValueTraits<V>::To(static_cast<V>(value)));
    return *this;
  }
  TPropModifier& NoDefault();
  TPropModifier& Stored(bool stored);
  template <class C>
  TPropModifier& Stored(bool (C::*pred)() const) {
    info_->StoredFn = [pred](const TPersistent* o) {
      return (static_cast<const C*>(o)->*pred)();
    };
    return *this;
  }
  TPropModifier& Idents(const TIdentMap& idents);
  TPropModifier& Publish();
  TPropInfo* Info() const { return info_; }

 private:
  void SetDefault(TValue v);
  TMetaClass* cls_;
  TPropInfo* info_;
};

class TPropertyBuilderBase;

class TMetaClass {
 public:
  using Factory = TComponent* (*)(TComponent* owner);
  using DeclareFn = void (*)(TPropertyBuilderBase&);

  TMetaClass(const char* name, TMetaClass* parent, Factory factory, DeclareFn declare);
  template <class T>
  static TMetaClass Make(const char* name, TMetaClass* parent);

  const std::string& Name() const { return name_; }
  TMetaClass* Parent() const { return parent_; }
  bool InheritsFrom(const TMetaClass* other) const;
  bool CanCreate() const { return factory_ != nullptr; }
  TComponent* Create(TComponent* owner) const;  // throws EClassNotFound when abstract

  // Published properties, in streaming order.
  const std::vector<const TPropInfo*>& Properties() const;
  const TPropInfo* FindProperty(std::string_view name) const;   // published only, case-insensitive
  const TPropInfo* FindDeclared(std::string_view name) const;   // declared here or by an ancestor

 private:
  friend class TPropertyBuilderBase;
  friend class TPropModifier;
  void Build() const;

  std::string name_;
  TMetaClass* parent_;
  Factory factory_;
  DeclareFn declare_;
  mutable bool built_ = false;
  mutable bool building_ = false;
  mutable std::vector<std::unique_ptr<TPropInfo>> owned_;
  mutable std::vector<TPropInfo*> declared_;
  mutable std::vector<TPropInfo*> ownPublished_;
  mutable std::vector<const TPropInfo*> published_;
};

class TPropertyBuilderBase {
 public:
  explicit TPropertyBuilderBase(TMetaClass* cls) : cls_(cls) {}
  // Publishes a property declared by this class or an ancestor, at this point of the order.
  TPropModifier Publish(const char* name);
  // Declares an inherited property again (not published), to give it another default or storage
  // rule for this class and the classes that publish it from here.
  TPropModifier Redeclare(const char* name);

 protected:
  TPropModifier Add(std::unique_ptr<TPropInfo> info);
  TMetaClass* cls_;
};

namespace vcl::detail {

template <class G>
struct GetterTraits;
template <class C, class R>
struct GetterTraits<R (C::*)() const> {
  using Class = C;
  using Value = std::decay_t<R>;
};
template <class C, class R>
struct GetterTraits<R (C::*)()> {
  using Class = C;
  using Value = std::decay_t<R>;
};
template <class S>
struct SetterTraits;
template <class C, class A>
struct SetterTraits<void (C::*)(A)> {
  using Class = C;
  using Value = std::decay_t<A>;
};

template <class GC, class V, class G, class S>
class ValueAccess : public TPropAccess {
 public:
  ValueAccess(G g, S s) : g_(g), s_(s) {}
  TValue Get(const TPersistent* obj) const override {
    auto* o = const_cast<GC*>(static_cast<const GC*>(obj));
    return ValueTraits<V>::To((o->*g_)());
  }
  void Set(TPersistent* obj, const TValue& v) const override {
    if constexpr (std::is_same_v<S, std::nullptr_t>) {
      TPropAccess::Set(obj, v);
    } else {
      using SC = typename SetterTraits<S>::Class;
      (static_cast<SC*>(obj)->*s_)(ValueTraits<V>::From(v));
    }
  }
  bool ReadOnly() const override { return std::is_same_v<S, std::nullptr_t>; }

 private:
  G g_;
  S s_;
};

template <class C, class V>
class FieldAccess : public TPropAccess {
 public:
  explicit FieldAccess(V C::*f) : f_(f) {}
  TValue Get(const TPersistent* obj) const override {
    return ValueTraits<V>::To(static_cast<const C*>(obj)->*f_);
  }
  void Set(TPersistent* obj, const TValue& v) const override {
    static_cast<C*>(obj)->*f_ = ValueTraits<V>::From(v);
  }

 private:
  V C::*f_;
};

template <class C, class E>
class EventAccess : public TPropAccess {
 public:
  explicit EventAccess(E C::*f) : f_(f) {}
  std::string MethodName(const TPersistent* obj) const override {
    return (static_cast<const C*>(obj)->*f_).MethodName();
  }
  bool MethodAssigned(const TPersistent* obj) const override {
    return static_cast<bool>(static_cast<const C*>(obj)->*f_);
  }
  bool SetMethod(TPersistent* obj, const std::any& handler) const override {
    if (!handler.has_value()) {
      static_cast<C*>(obj)->*f_ = E();
      return true;
    }
    const E* e = std::any_cast<E>(&handler);
    if (!e) return false;
    static_cast<C*>(obj)->*f_ = *e;
    return true;
  }

 private:
  E C::*f_;
};

template <class GC, class E, class G, class S>
class EventGetSetAccess : public TPropAccess {
 public:
  EventGetSetAccess(G g, S s) : g_(g), s_(s) {}
  std::string MethodName(const TPersistent* obj) const override { return Event(obj).MethodName(); }
  bool MethodAssigned(const TPersistent* obj) const override { return static_cast<bool>(Event(obj)); }
  bool SetMethod(TPersistent* obj, const std::any& handler) const override {
    using SC = typename SetterTraits<S>::Class;
    if (!handler.has_value()) {
      (static_cast<SC*>(obj)->*s_)(E());
      return true;
    }
    const E* e = std::any_cast<E>(&handler);
    if (!e) return false;
    (static_cast<SC*>(obj)->*s_)(*e);
    return true;
  }

 private:
  E Event(const TPersistent* obj) const {
    auto* o = const_cast<GC*>(static_cast<const GC*>(obj));
    return (o->*g_)();
  }
  G g_;
  S s_;
};

template <class GC, class P, class G, class S>
class ObjectAccess : public TPropAccess {
 public:
  ObjectAccess(G g, S s) : g_(g), s_(s) {}
  TPersistent* GetObject(const TPersistent* obj) const override {
    auto* o = const_cast<GC*>(static_cast<const GC*>(obj));
    return (o->*g_)();
  }
  void SetReference(TPersistent* obj, TComponent* target) const override {
    if constexpr (std::is_same_v<S, std::nullptr_t>) {
      TPropAccess::SetReference(obj, target);
    } else {
      using SC = typename SetterTraits<S>::Class;
      P* typed = nullptr;
      if (target) {
        typed = dynamic_cast<P*>(target);
        if (!typed) TPropAccess::SetReference(obj, target);  // throws: wrong class
      }
      (static_cast<SC*>(obj)->*s_)(typed);
    }
  }
  bool ReadOnly() const override { return std::is_same_v<S, std::nullptr_t>; }

 private:
  G g_;
  S s_;
};

TMetaClass* MetaClassOfComponentBase();
TMetaClass* MetaClassOfPersistentBase();

}  // namespace vcl::detail

template <class T>
class TPropertyBuilder : public TPropertyBuilderBase {
 public:
  using TPropertyBuilderBase::TPropertyBuilderBase;

  // A property read and written through member functions (the setter may be nullptr: read-only).
  template <class G, class S = std::nullptr_t>
  TPropModifier Declare(const char* name, G getter, S setter = nullptr) {
    using GC = typename vcl::detail::GetterTraits<G>::Class;
    using V = typename vcl::detail::GetterTraits<G>::Value;
    auto info = std::make_unique<TPropInfo>();
    info->Name = name;
    if constexpr (std::is_pointer_v<V>) {
      using P = std::remove_pointer_t<V>;
      static_assert(std::is_base_of_v<TPersistent, P>, "object properties point to TPersistent");
      info->Kind = std::is_base_of_v<TComponent, P> ? TTypeKind::Reference : TTypeKind::Class;
      info->ObjectClass = P::StaticClass();
      info->Access = std::make_shared<vcl::detail::ObjectAccess<GC, P, G, S>>(getter, setter);
    } else if constexpr (vcl::detail::IsEvent<V>::value) {
      info->Kind = TTypeKind::Method;
      info->Access = std::make_shared<vcl::detail::EventGetSetAccess<GC, V, G, S>>(getter, setter);
    } else {
      using Traits = vcl::detail::ValueTraits<V>;
      static_assert(Traits::Supported, "unsupported property type");
      info->Kind = Traits::Kind;
      info->Enum = Traits::Enum();
      info->Access = std::make_shared<vcl::detail::ValueAccess<GC, V, G, S>>(getter, setter);
    }
    return Add(std::move(info));
  }

  // A property stored in a data member: an event (TEvent) or a plain value.
  template <class C, class V>
    requires(!std::is_function_v<V>)
  TPropModifier Declare(const char* name, V C::*field) {
    auto info = std::make_unique<TPropInfo>();
    info->Name = name;
    if constexpr (vcl::detail::IsEvent<V>::value) {
      info->Kind = TTypeKind::Method;
      info->Access = std::make_shared<vcl::detail::EventAccess<C, V>>(field);
    } else {
      using Traits = vcl::detail::ValueTraits<V>;
      static_assert(Traits::Supported, "unsupported property type");
      info->Kind = Traits::Kind;
      info->Enum = Traits::Enum();
      info->Access = std::make_shared<vcl::detail::FieldAccess<C, V>>(field);
    }
    return Add(std::move(info));
  }

  template <class... A>
  TPropModifier Published(const char* name, A... accessors) {
    return Declare(name, accessors...).Publish();
  }
  using TPropertyBuilderBase::Publish;
};

template <class T>
TMetaClass TMetaClass::Make(const char* name, TMetaClass* parent) {
  Factory factory = nullptr;
  if constexpr (std::is_base_of_v<TComponent, T> && !std::is_abstract_v<T> &&
                std::is_constructible_v<T, TComponent*>) {
    factory = [](TComponent* owner) -> TComponent* { return new T(owner); };
  }
  DeclareFn declare = [](TPropertyBuilderBase& b) {
    T::DeclareProperties(static_cast<TPropertyBuilder<T>&>(b));
  };
  return TMetaClass(name, parent, factory, declare);
}

// In the class body (ends in private:, like the default of `class`).
#define VCL_CLASS(Class, Base)                                       \
 public:                                                             \
  using inherited = Base;                                            \
  static ::TMetaClass* StaticClass();                                \
  ::TMetaClass* ClassType() const override { return StaticClass(); } \
  static void DeclareProperties(::TPropertyBuilder<Class>& p);       \
                                                                     \
 private:

// In the .cpp, followed by the body of the property declarations on `p`.
#define VCL_IMPLEMENT_CLASS(Class)                                                     \
  ::TMetaClass* Class::StaticClass() {                                                 \
    static ::TMetaClass meta = ::TMetaClass::Make<Class>(#Class, Class::inherited::StaticClass()); \
    return &meta;                                                                      \
  }                                                                                    \
  void Class::DeclareProperties([[maybe_unused]] ::TPropertyBuilder<Class>& p)

// Reading and writing published properties by name (the form reader and tests use these).
TValue GetPropValue(const TPersistent* obj, std::string_view name);
void SetPropValue(TPersistent* obj, std::string_view name, const TValue& value);
