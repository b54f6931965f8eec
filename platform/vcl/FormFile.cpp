#include "platform/vcl/FormFile.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <variant>

#include "platform/vcl/Cp1252.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/SysUtils.h"

namespace vcl::detail {

// --- lexer and parser -------------------------------------------------------------------------------

struct Value;
struct Item {
  std::vector<std::pair<std::string, Value>> props;
  int line = 0;
};

struct Value {
  enum Kind { Int, Float, String, Ident, Set, List, Binary, Collection } kind = Int;
  std::int64_t i = 0;
  double f = 0;
  std::string s;  // String, Ident
  std::vector<std::string> set;
  std::vector<Value> list;
  std::vector<std::uint8_t> bin;
  std::vector<Item> items;
  int line = 0;
};

struct Property {
  std::string path;
  Value value;
  int line = 0;
};

struct ObjectNode {
  std::string name;
  std::string className;
  std::vector<Property> props;
  std::vector<ObjectNode> children;
  int line = 0;
};

class Parser {
 public:
  explicit Parser(std::string_view text) : t_(text) {}

  ObjectNode ParseRoot() {
    SkipBlanks();
    ObjectNode n = ParseObject();
    SkipBlanks();
    if (pos_ < t_.size()) Fail("Text after the last end");
    return n;
  }

 private:
  [[noreturn]] void Fail(const std::string& what) const {
    throw EParserError(what + " on line " + std::to_string(line_));
  }

  void SkipBlanks() {
    while (pos_ < t_.size()) {
      char c = t_[pos_];
      if (c == '\n') {
        ++line_;
        ++pos_;
      } else if (static_cast<unsigned char>(c) <= ' ') {
        ++pos_;
      } else if (c == '/' && pos_ + 1 < t_.size() && t_[pos_ + 1] == '/') {
        while (pos_ < t_.size() && t_[pos_] != '\n') ++pos_;
      } else {
        break;
      }
    }
  }

  bool AtEnd() {
    SkipBlanks();
    return pos_ >= t_.size();
  }

  char Peek() {
    SkipBlanks();
    return pos_ < t_.size() ? t_[pos_] : '\0';
  }

  void Expect(char c) {
    if (Peek() != c) Fail(std::string("'") + c + "' expected");
    ++pos_;
  }

  static bool IdentStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
  }
  static bool IdentChar(char c) { return IdentStart(c) || (c >= '0' && c <= '9'); }

  // An identifier, with dots when `dotted` (Font.Name, Form1.Edit1).
  std::string Ident(bool dotted) {
    SkipBlanks();
    if (pos_ >= t_.size() || !IdentStart(t_[pos_])) Fail("Identifier expected");
    std::size_t start = pos_;
    while (pos_ < t_.size() &&
           (IdentChar(t_[pos_]) ||
            (dotted && t_[pos_] == '.' && pos_ + 1 < t_.size() && IdentStart(t_[pos_ + 1]))))
      ++pos_;
    return std::string(t_.substr(start, pos_ - start));
  }

  bool PeekKeyword(std::string_view kw) {
    SkipBlanks();
    if (t_.size() - pos_ < kw.size()) return false;
    if (!SameIdent(t_.substr(pos_, kw.size()), kw)) return false;
    std::size_t after = pos_ + kw.size();
    return after >= t_.size() || !IdentChar(t_[after]);
  }

  bool PeekObjectStart() {
    return PeekKeyword("object") || PeekKeyword("inherited") || PeekKeyword("inline");
  }

  ObjectNode ParseObject() {
    ObjectNode n;
    n.line = line_;
    if (!PeekObjectStart()) Fail("'object' expected");
    Ident(false);
    std::string first = Ident(false);
    if (Peek() == ':') {
      ++pos_;
      n.name = first;
      n.className = Ident(false);
    } else {
      n.className = first;
    }
    if (Peek() == '[') {  // an index of inherited forms: not used here
      ++pos_;
      while (Peek() != ']' && pos_ < t_.size()) ++pos_;
      Expect(']');
    }
    while (true) {
      if (AtEnd()) Fail("'end' expected");
      if (PeekKeyword("end")) {
        Ident(false);
        break;
      }
      if (PeekObjectStart()) {
        n.children.push_back(ParseObject());
        continue;
      }
      if (!n.children.empty()) Fail("Property after a child object");
      n.props.push_back(ParseProperty());
    }
    return n;
  }

  Property ParseProperty() {
    Property p;
    p.line = line_;
    p.path = Ident(true);
    Expect('=');
    p.value = ParseValue();
    return p;
  }

  Value ParseValue() {
    Value v;
    char c = Peek();
    v.line = line_;
    if (c == '\'' || c == '#') {
      v.kind = Value::String;
      v.s = ParseString();
    } else if (c == '-' || c == '+' || (c >= '0' && c <= '9') || c == '$') {
      ParseNumber(v);
    } else if (c == '[') {
      ++pos_;
      v.kind = Value::Set;
      if (Peek() != ']') {
        while (true) {
          v.set.push_back(Ident(false));
          if (Peek() == ',') {
            ++pos_;
            continue;
          }
          break;
        }
      }
      Expect(']');
    } else if (c == '(') {
      ++pos_;
      v.kind = Value::List;
      while (Peek() != ')') {
        if (AtEnd()) Fail("')' expected");
        v.list.push_back(ParseValue());
      }
      ++pos_;
    } else if (c == '{') {
      ++pos_;
      v.kind = Value::Binary;
      int nibble = -1;
      while (true) {
        if (pos_ >= t_.size()) Fail("'}' expected");
        char h = t_[pos_++];
        if (h == '}') break;
        if (h == '\n') ++line_;
        if (static_cast<unsigned char>(h) <= ' ') continue;
        int d;
        if (h >= '0' && h <= '9')
          d = h - '0';
        else if (h >= 'a' && h <= 'f')
          d = h - 'a' + 10;
        else if (h >= 'A' && h <= 'F')
          d = h - 'A' + 10;
        else
          Fail("Hexadecimal digit expected");
        if (nibble < 0) {
          nibble = d;
        } else {
          v.bin.push_back(static_cast<std::uint8_t>(nibble * 16 + d));
          nibble = -1;
        }
      }
      if (nibble >= 0) Fail("Odd number of hexadecimal digits");
    } else if (c == '<') {
      ++pos_;
      v.kind = Value::Collection;
      while (Peek() != '>') {
        if (!PeekKeyword("item")) Fail("'item' expected");
        Item item;
        item.line = line_;
        Ident(false);
        if (Peek() == '[') {
          ++pos_;
          while (Peek() != ']' && pos_ < t_.size()) ++pos_;
          Expect(']');
        }
        while (!PeekKeyword("end")) {
          if (AtEnd()) Fail("'end' expected");
          Property p = ParseProperty();
          item.props.emplace_back(p.path, std::move(p.value));
        }
        Ident(false);
        v.items.push_back(std::move(item));
      }
      ++pos_;
    } else if (IdentStart(c)) {
      v.kind = Value::Ident;
      v.s = Ident(true);
    } else {
      Fail("Value expected");
    }
    return v;
  }

  void ParseNumber(Value& v) {
    bool neg = false;
    char c = Peek();
    if (c == '-' || c == '+') {
      neg = c == '-';
      ++pos_;
    }
    if (pos_ < t_.size() && t_[pos_] == '$') {
      ++pos_;
      std::size_t start = pos_;
      while (pos_ < t_.size() && std::isxdigit(static_cast<unsigned char>(t_[pos_]))) ++pos_;
      if (start == pos_) Fail("Hexadecimal digit expected");
      std::uint64_t u = 0;
      std::from_chars(t_.data() + start, t_.data() + pos_, u, 16);
      // Hexadecimal is a 32-bit pattern ($80000005 is a system colour).
      auto x = u <= 0xFFFFFFFFull ? static_cast<std::int64_t>(static_cast<std::int32_t>(u))
                                  : static_cast<std::int64_t>(u);
      v.kind = Value::Int;
      v.i = neg ? -x : x;
      return;
    }
    std::size_t start = pos_;
    bool isFloat = false;
    while (pos_ < t_.size() && (std::isdigit(static_cast<unsigned char>(t_[pos_])) ||
                                t_[pos_] == '.' || t_[pos_] == 'e' || t_[pos_] == 'E' ||
                                ((t_[pos_] == '-' || t_[pos_] == '+') &&
                                 (t_[pos_ - 1] == 'e' || t_[pos_ - 1] == 'E')))) {
      if (!std::isdigit(static_cast<unsigned char>(t_[pos_]))) isFloat = true;
      ++pos_;
    }
    if (start == pos_) Fail("Number expected");
    std::string_view num = t_.substr(start, pos_ - start);
    // Float type suffixes of the format (single, currency, date) are accepted and ignored.
    if (isFloat && pos_ < t_.size() &&
        (t_[pos_] == 's' || t_[pos_] == 'c' || t_[pos_] == 'd' || t_[pos_] == 'S' ||
         t_[pos_] == 'C' || t_[pos_] == 'D'))
      ++pos_;
    if (isFloat) {
      double d = 0;
      auto r = std::from_chars(num.data(), num.data() + num.size(), d);
      if (r.ec != std::errc() || r.ptr != num.data() + num.size()) Fail("Invalid number");
      v.kind = Value::Float;
      v.f = neg ? -d : d;
    } else {
      std::int64_t x = 0;
      auto r = std::from_chars(num.data(), num.data() + num.size(), x);
      if (r.ec != std::errc()) Fail("Invalid number");
      v.kind = Value::Int;
      v.i = neg ? -x : x;
    }
  }

  // One string: quoted parts and #codes written together ('a'#13#10'b'), or joined by +.
  std::string ParseString() {
    std::string out;
    SkipBlanks();
    while (true) {
      char c = pos_ < t_.size() ? t_[pos_] : '\0';
      if (c == '\'') {
        ++pos_;
        while (true) {
          if (pos_ >= t_.size() || t_[pos_] == '\n') Fail("Unterminated string");
          char ch = t_[pos_++];
          if (ch == '\'') {
            if (pos_ < t_.size() && t_[pos_] == '\'') {
              out += '\'';
              ++pos_;
              continue;
            }
            break;
          }
          out += ch;
        }
      } else if (c == '#') {
        ++pos_;
        int code = 0;
        bool hex = pos_ < t_.size() && t_[pos_] == '$';
        if (hex) ++pos_;
        std::size_t start = pos_;
        while (pos_ < t_.size() &&
               (hex ? std::isxdigit(static_cast<unsigned char>(t_[pos_]))
                    : std::isdigit(static_cast<unsigned char>(t_[pos_]))))
          ++pos_;
        if (start == pos_) Fail("Character code expected");
        std::from_chars(t_.data() + start, t_.data() + pos_, code, hex ? 16 : 10);
        if (code <= 255) {
          out += static_cast<char>(code);
        } else {
          int b = UnicodeToCp1252(static_cast<char32_t>(code));
          out += b < 0 ? '?' : static_cast<char>(b);
        }
      } else {
        // A continuation: 'first part' + 'second part', possibly on the next line.
        std::size_t save = pos_;
        int saveLine = line_;
        if (Peek() == '+') {
          ++pos_;
          char n = Peek();
          if (n == '\'' || n == '#') continue;
        }
        pos_ = save;
        line_ = saveLine;
        break;
      }
    }
    return out;
  }

  std::string_view t_;
  std::size_t pos_ = 0;
  int line_ = 1;
};

// --- reader ------------------------------------------------------------------------------------

class ReadFiler : public TFiler {
 public:
  ReadFiler(const std::string& name, const Value& value) : name_(name), value_(value) {}
  void DefineStrings(const std::string& name,
                     std::function<void(const std::vector<std::string>&)> read,
                     std::function<std::vector<std::string>()>, bool) override {
    if (handled_ || !SameIdent(name, name_)) return;
    handled_ = true;
    if (value_.kind != Value::List) throw EPropertyError("String list expected");
    std::vector<std::string> lines;
    for (const Value& v : value_.list) {
      if (v.kind == Value::String || v.kind == Value::Ident)
        lines.push_back(v.s);
      else if (v.kind == Value::Int)
        lines.push_back(IntToStr(v.i));
      else
        throw EPropertyError("String expected");
    }
    read(lines);
  }
  void DefineBinary(const std::string& name,
                    std::function<void(const std::vector<std::uint8_t>&)> read,
                    std::function<std::vector<std::uint8_t>()>, bool) override {
    if (handled_ || !SameIdent(name, name_)) return;
    handled_ = true;
    if (value_.kind != Value::Binary) throw EPropertyError("Binary data expected");
    read(value_.bin);
  }
  bool Handled() const { return handled_; }

 private:
  std::string name_;
  const Value& value_;
  bool handled_ = false;
};

class FormReader {
 public:
  explicit FormReader(TComponent* root) : root_(root) {}

  void Read(const ObjectNode& node) {
    Begin(root_);
    if (!node.name.empty()) SetRootName(node.name);
    ReadBody(root_, node);
    for (const Fixup& f : fixups_) Resolve(f);
    // Children first, in file order, then the root.
    loaded_.erase(loaded_.begin());
    loaded_.push_back(root_);
    for (TComponent* c : loaded_) {
      c->Loaded();
      c->state_.Exclude(csLoading);
      c->state_.Exclude(csReading);
    }
  }

 private:
  struct Fixup {
    TPersistent* obj;
    const TPropInfo* prop;
    std::string target;
    std::string where;
  };

  void Begin(TComponent* c) {
    c->state_.Include(csLoading);
    c->state_.Include(csReading);
    loaded_.push_back(c);
  }

  void SetRootName(const std::string& name) {
    if (vcl::SameIdent(root_->GetName(), name)) return;
    std::string candidate = name;
    for (int n = 1;; ++n) {
      TComponent* owner = root_->GetOwner();
      TComponent* other = owner ? owner->FindComponent(candidate) : nullptr;
      if (!other || other == root_) break;
      candidate = name + "_" + std::to_string(n);
    }
    root_->SetName(candidate);
  }

  void ReadBody(TComponent* comp, const ObjectNode& node) {
    for (const Property& p : node.props) {
      std::string where = Where(comp, p.path, p.line);
      try {
        Assign(comp, p.path, p.value, where);
      } catch (EReadError&) {
        throw;
      } catch (EClassNotFound&) {
        throw;
      } catch (Exception& e) {
        throw EReadError(where + ": " + e.Message());
      }
    }
    for (const ObjectNode& child : node.children) ReadChild(comp, child);
  }

  void ReadChild(TComponent* parent, const ObjectNode& node) {
    const TMetaClass* cls = root_->FindFieldClass(node.className);
    if (!cls) cls = GetClass(node.className);
    if (!cls)
      throw EClassNotFound("Class " + node.className + " not found (line " +
                           std::to_string(node.line) + ")");
    if (!cls->CanCreate())
      throw EClassNotFound("Class " + node.className + " cannot be created (line " +
                           std::to_string(node.line) + ")");
    TComponent* c = cls->Create(root_);
    Begin(c);
    try {
      if (!node.name.empty()) c->SetName(node.name);
      c->SetParentComponent(parent);
    } catch (Exception& e) {
      throw EReadError("Error reading " + node.name + " (line " + std::to_string(node.line) +
                       "): " + e.Message());
    }
    ReadBody(c, node);
  }

  static std::string Where(const TComponent* comp, const std::string& path, int line) {
    std::string name = comp->GetName().empty() ? comp->ClassName() : comp->GetName();
    return "Error reading " + name + "." + path + " (line " + std::to_string(line) + ")";
  }

  static std::vector<std::string> Split(const std::string& path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
      std::size_t dot = path.find('.', start);
      parts.push_back(path.substr(start, dot == std::string::npos ? std::string::npos : dot - start));
      if (dot == std::string::npos) break;
      start = dot + 1;
    }
    return parts;
  }

  void Assign(TPersistent* obj, const std::string& path, const Value& v, const std::string& where) {
    std::vector<std::string> parts = Split(path);
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
      const TPropInfo* p = obj->ClassType()->FindProperty(parts[i]);
      if (!p || p->Kind != TTypeKind::Class)
        throw EReadError(where + ": Property " + parts[i] + " does not exist");
      obj = p->Access->GetObject(obj);
      if (!obj) throw EReadError(where + ": Property " + parts[i] + " has no object");
    }
    const std::string& name = parts.back();
    const TPropInfo* p = obj->ClassType()->FindProperty(name);
    if (!p) {
      ReadFiler filer(name, v);
      obj->DefineProperties(filer);
      if (!filer.Handled()) throw EReadError(where + ": Property " + name + " does not exist");
      return;
    }
    SetValue(obj, p, v, where);
  }

  [[noreturn]] static void Bad(const std::string& where, const std::string& why) {
    throw EReadError(where + ": Invalid property value (" + why + ")");
  }

  void SetValue(TPersistent* obj, const TPropInfo* p, const Value& v, const std::string& where) {
    auto& access = *p->Access;
    switch (p->Kind) {
      case TTypeKind::Integer: {
        if (v.kind == Value::Int) {
          access.Set(obj, v.i);
        } else if (v.kind == Value::Ident && p->Idents) {
          int value;
          if (!p->Idents->ValueOf(v.s, value)) Bad(where, "unknown identifier " + v.s);
          access.Set(obj, static_cast<std::int64_t>(value));
        } else {
          Bad(where, "integer expected");
        }
        return;
      }
      case TTypeKind::Bool: {
        if (v.kind != Value::Ident) Bad(where, "True or False expected");
        if (SameIdent(v.s, "True"))
          access.Set(obj, true);
        else if (SameIdent(v.s, "False"))
          access.Set(obj, false);
        else
          Bad(where, "True or False expected");
        return;
      }
      case TTypeKind::Char: {
        if (v.kind == Value::String && v.s.size() == 1)
          access.Set(obj, static_cast<std::int64_t>(static_cast<unsigned char>(v.s[0])));
        else if (v.kind == Value::Int && v.i >= 0 && v.i <= 255)
          access.Set(obj, v.i);
        else
          Bad(where, "one character expected");
        return;
      }
      case TTypeKind::Enumeration: {
        if (v.kind == Value::Ident) {
          int value = p->Enum->ValueOf(v.s);
          if (value < 0) Bad(where, "unknown identifier " + v.s);
          access.Set(obj, static_cast<std::int64_t>(value));
        } else if (v.kind == Value::Int && v.i >= 0 && v.i < p->Enum->Count()) {
          access.Set(obj, v.i);
        } else {
          Bad(where, "identifier expected");
        }
        return;
      }
      case TTypeKind::Set: {
        if (v.kind != Value::Set) Bad(where, "set expected");
        std::uint64_t bits = 0;
        for (const std::string& e : v.set) {
          int value = p->Enum->ValueOf(e);
          if (value < 0) Bad(where, "unknown identifier " + e);
          bits |= std::uint64_t{1} << value;
        }
        access.Set(obj, TSetBits{bits});
        return;
      }
      case TTypeKind::Float: {
        if (v.kind == Value::Float)
          access.Set(obj, v.f);
        else if (v.kind == Value::Int)
          access.Set(obj, static_cast<double>(v.i));
        else
          Bad(where, "number expected");
        return;
      }
      case TTypeKind::String: {
        if (v.kind != Value::String) Bad(where, "string expected");
        access.Set(obj, v.s);
        return;
      }
      case TTypeKind::Color: {
        if (v.kind == Value::Int) {
          access.Set(obj, static_cast<std::int64_t>(static_cast<std::int32_t>(v.i)));
        } else if (v.kind == Value::Ident) {
          std::int32_t c;
          if (!IdentToColor(v.s, c)) Bad(where, "unknown colour " + v.s);
          access.Set(obj, static_cast<std::int64_t>(c));
        } else {
          Bad(where, "colour expected");
        }
        return;
      }
      case TTypeKind::Class: {
        TPersistent* sub = access.GetObject(obj);
        auto* coll = dynamic_cast<TCollection*>(sub);
        if (!coll || v.kind != Value::Collection) Bad(where, "a collection expected");
        coll->BeginUpdate();
        coll->Clear();
        for (const Item& item : v.items) {
          TCollectionItem* it = coll->Add();
          for (const auto& [path, value] : item.props)
            Assign(it, path, value, where + "[" + std::to_string(it->GetIndex()) + "]." + path);
        }
        coll->EndUpdate();
        return;
      }
      case TTypeKind::Reference: {
        if (v.kind != Value::Ident) Bad(where, "component name expected");
        if (SameIdent(v.s, "nil")) {
          access.SetReference(obj, nullptr);
          return;
        }
        fixups_.push_back(Fixup{obj, p, v.s, where});
        return;
      }
      case TTypeKind::Method: {
        if (v.kind != Value::Ident) Bad(where, "handler name expected");
        if (SameIdent(v.s, "nil")) {
          access.SetMethod(obj, std::any());
          return;
        }
        const std::any* handler = root_->FindMethod(v.s);
        if (!handler) Bad(where, "handler " + v.s + " is not bound by " + root_->ClassName());
        if (!access.SetMethod(obj, *handler))
          Bad(where, "handler " + v.s + " does not take the event's arguments");
        return;
      }
    }
  }

  void Resolve(const Fixup& f) {
    std::string name = f.target;
    // Form1.Edit1: a component of this root named after it.
    auto dot = name.find('.');
    if (dot != std::string::npos) {
      if (!SameIdent(name.substr(0, dot), root_->GetName()))
        throw EReadError(f.where + ": Unresolved reference to " + f.target);
      name = name.substr(dot + 1);
    }
    TComponent* target = SameIdent(name, root_->GetName()) ? root_ : root_->FindComponent(name);
    if (!target) throw EReadError(f.where + ": Unresolved reference to " + f.target);
    try {
      f.prop->Access->SetReference(f.obj, target);
    } catch (Exception& e) {
      throw EReadError(f.where + ": " + e.Message());
    }
  }

  TComponent* root_;
  std::vector<TComponent*> loaded_;
  std::vector<Fixup> fixups_;
};

// --- writer ------------------------------------------------------------------------------------

std::string QuoteString(const std::string& s) {
  if (s.empty()) return "''";
  std::string out;
  bool inQuote = false;
  for (char ch : s) {
    auto c = static_cast<unsigned char>(ch);
    if (c >= 32 && c < 127) {
      if (!inQuote) {
        out += '\'';
        inQuote = true;
      }
      if (c == '\'') out += '\'';
      out += ch;
    } else {
      if (inQuote) {
        out += '\'';
        inQuote = false;
      }
      out += '#';
      out += std::to_string(c);
    }
  }
  if (inQuote) out += '\'';
  return out;
}

class WriteFiler : public TFiler {
 public:
  struct Entry {
    std::string name;
    bool binary;
    std::vector<std::string> lines;
    std::vector<std::uint8_t> bytes;
  };
  void DefineStrings(const std::string& name, std::function<void(const std::vector<std::string>&)>,
                     std::function<std::vector<std::string>()> write, bool hasData) override {
    if (hasData) entries.push_back(Entry{name, false, write(), {}});
  }
  void DefineBinary(const std::string& name, std::function<void(const std::vector<std::uint8_t>&)>,
                    std::function<std::vector<std::uint8_t>()> write, bool hasData) override {
    if (hasData) entries.push_back(Entry{name, true, {}, write()});
  }
  std::vector<Entry> entries;
};

class FormWriter {
 public:
  explicit FormWriter(TComponent* root) : root_(root) {}

  std::string Write() {
    WriteObject(root_, 0);
    return out_;
  }

 private:
  void Line(int indent, const std::string& text) {
    out_.append(static_cast<std::size_t>(indent), ' ');
    out_ += text;
    out_ += "\n";
  }

  void WriteObject(TComponent* c, int indent) {
    if (c->GetName().empty())
      Line(indent, "object " + c->ClassName());
    else
      Line(indent, "object " + c->GetName() + ": " + c->ClassName());
    WriteProperties(c, "", indent + 2);
    c->GetChildren([&](TComponent* child) { WriteObject(child, indent + 2); }, root_);
    Line(indent, "end");
  }

  std::string ReferenceName(TComponent* target) {
    if (target == root_) return target->GetName();
    if (target->GetOwner() == root_) return target->GetName();
    if (target->GetOwner() && !target->GetOwner()->GetName().empty())
      return target->GetOwner()->GetName() + "." + target->GetName();
    return target->GetName();
  }

  std::string Format(const TPersistent* obj, const TPropInfo* p) {
    TValue v = p->Access->Get(obj);
    switch (p->Kind) {
      case TTypeKind::Integer: {
        auto i = std::get<std::int64_t>(v);
        if (p->Idents)
          if (const char* n = p->Idents->NameOf(static_cast<int>(i))) return n;
        return std::to_string(i);
      }
      case TTypeKind::Bool:
        return std::get<bool>(v) ? "True" : "False";
      case TTypeKind::Char:
        return QuoteString(std::string(1, static_cast<char>(std::get<std::int64_t>(v))));
      case TTypeKind::Enumeration:
        return p->Enum->Name(static_cast<int>(std::get<std::int64_t>(v)));
      case TTypeKind::Set: {
        std::uint64_t bits = std::get<TSetBits>(v).Bits;
        std::string s = "[";
        bool first = true;
        for (int i = 0; i < 64; ++i)
          if (bits & (std::uint64_t{1} << i)) {
            if (!first) s += ", ";
            s += p->Enum->Name(i);
            first = false;
          }
        return s + "]";
      }
      case TTypeKind::Float: {
        char buf[64];
        auto r = std::to_chars(buf, buf + sizeof buf, std::get<double>(v));
        std::string s(buf, r.ptr);
        if (s.find_first_of(".e") == std::string::npos) s += ".0";
        return s;
      }
      case TTypeKind::String:
        return QuoteString(std::get<std::string>(v));
      case TTypeKind::Color:
        return ColorToString(static_cast<TColor>(static_cast<std::int32_t>(std::get<std::int64_t>(v))));
      default:
        return {};
    }
  }

  void WriteDefined(TPersistent* obj, const std::string& prefix, int indent) {
    WriteFiler filer;
    obj->DefineProperties(filer);
    for (const auto& e : filer.entries) {
      if (e.binary) {
        Line(indent, prefix + e.name + " = {");
        std::string hex;
        static const char* digits = "0123456789ABCDEF";
        for (std::size_t i = 0; i < e.bytes.size(); ++i) {
          hex += digits[e.bytes[i] >> 4];
          hex += digits[e.bytes[i] & 15];
          if (hex.size() == 64 || i + 1 == e.bytes.size()) {
            if (i + 1 == e.bytes.size()) hex += '}';
            Line(indent + 2, hex);
            hex.clear();
          }
        }
        if (e.bytes.empty()) Line(indent + 2, "}");
      } else {
        Line(indent, prefix + e.name + " = (");
        for (std::size_t i = 0; i < e.lines.size(); ++i)
          Line(indent + 2, QuoteString(e.lines[i]) + (i + 1 == e.lines.size() ? ")" : ""));
      }
    }
  }

  void WriteProperties(TPersistent* obj, const std::string& prefix, int indent) {
    for (const TPropInfo* p : obj->ClassType()->Properties()) {
      if (!p->IsStored(obj)) continue;
      switch (p->Kind) {
        case TTypeKind::Class: {
          TPersistent* sub = p->Access->GetObject(obj);
          if (!sub) break;
          if (auto* coll = dynamic_cast<TCollection*>(sub)) {
            if (coll->GetCount() == 0) break;
            Line(indent, prefix + p->Name + " = <");
            for (int i = 0; i < coll->GetCount(); ++i) {
              Line(indent + 2, "item");
              WriteProperties(coll->GetItem(i), "", indent + 4);
              Line(indent + 2, i + 1 == coll->GetCount() ? "end>" : "end");
            }
          } else {
            WriteProperties(sub, prefix + p->Name + ".", indent);
          }
          break;
        }
        case TTypeKind::Reference: {
          auto* target = dynamic_cast<TComponent*>(p->Access->GetObject(obj));
          if (target && !target->GetName().empty())
            Line(indent, prefix + p->Name + " = " + ReferenceName(target));
          break;
        }
        case TTypeKind::Method: {
          if (p->IsDefault(obj)) break;
          Line(indent, prefix + p->Name + " = " + p->Access->MethodName(obj));
          break;
        }
        default:
          if (p->Access->ReadOnly() || p->IsDefault(obj)) break;
          Line(indent, prefix + p->Name + " = " + Format(obj, p));
          break;
      }
    }
    WriteDefined(obj, prefix, indent);
  }

  TComponent* root_;
  std::string out_;
};

}  // namespace vcl::detail

namespace vcl {

void ReadRootComponent(TComponent* root, std::string_view text) {
  detail::ObjectNode node = detail::Parser(text).ParseRoot();
  detail::FormReader(root).Read(node);
}

TComponent* ReadComponent(std::string_view text, TComponent* owner) {
  detail::ObjectNode node = detail::Parser(text).ParseRoot();
  TMetaClass* cls = FindClass(node.className);
  if (!cls->CanCreate()) throw EClassNotFound("Class " + node.className + " cannot be created");
  TComponent* c = cls->Create(owner);
  try {
    detail::FormReader(c).Read(node);
  } catch (...) {
    c->Free();
    throw;
  }
  return c;
}

std::string WriteComponent(TComponent* root) { return detail::FormWriter(root).Write(); }

}  // namespace vcl
