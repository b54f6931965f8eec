#pragma once
// Basic types of the GUI framework layer: TObject, sets, events, points and rectangles, colours,
// and the exception classes. Text is 8-bit code page 1252 in std::string.
// No Qt here: everything above platform/ includes these headers.
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using Cardinal = std::uint32_t;
using TDateTime = double;

class TMetaClass;

// Root of the class tree. Objects are not copyable; ClassType() names the registered class.
class TObject {
 public:
  TObject() = default;
  virtual ~TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;

  static TMetaClass* StaticClass();
  virtual TMetaClass* ClassType() const;
  std::string ClassName() const;
  bool InheritsFrom(const TMetaClass* cls) const;

  // Runs before the destructors (forms raise OnDestroy here). Free() calls it, then deletes.
  virtual void BeforeDestruction() {}
  void Free();
};

// A set of enumeration values (at most 64 members, values 0..63).
template <class E>
class TSet {
 public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> items) {
    for (E e : items) bits_ |= Bit(e);
  }
  static constexpr TSet FromBits(std::uint64_t bits) {
    TSet s;
    s.bits_ = bits;
    return s;
  }
  constexpr std::uint64_t Bits() const { return bits_; }
  constexpr bool Contains(E e) const { return (bits_ & Bit(e)) != 0; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr TSet& Include(E e) {
    bits_ |= Bit(e);
    return *this;
  }
  constexpr TSet& Exclude(E e) {
    bits_ &= ~Bit(e);
    return *this;
  }
  constexpr TSet& operator<<(E e) { return Include(e); }
  constexpr TSet& operator>>(E e) { return Exclude(e); }
  constexpr TSet operator+(TSet o) const { return FromBits(bits_ | o.bits_); }
  constexpr TSet operator-(TSet o) const { return FromBits(bits_ & ~o.bits_); }
  constexpr TSet operator*(TSet o) const { return FromBits(bits_ & o.bits_); }
  constexpr bool operator==(const TSet& o) const = default;

 private:
  static constexpr std::uint64_t Bit(E e) { return std::uint64_t{1} << static_cast<unsigned>(e); }
  std::uint64_t bits_ = 0;
};

// An event: an assignable callable whose first argument is the raising object. Handlers bound by
// name from a form file keep that name, so the form writer can store it again.
template <class... Args>
class TEvent {
 public:
  using Function = std::function<void(Args...)>;

  TEvent() = default;
  TEvent(std::nullptr_t) {}
  template <class F, class = std::enable_if_t<!std::is_same_v<std::decay_t<F>, TEvent> &&
                                              !std::is_same_v<std::decay_t<F>, std::nullptr_t> &&
                                              std::is_invocable_v<F&, Args...>>>
  TEvent(F f) : fn_(std::move(f)) {}
  TEvent(Function f, std::string methodName) : fn_(std::move(f)), name_(std::move(methodName)) {}

  explicit operator bool() const { return static_cast<bool>(fn_); }
  void operator()(Args... args) const { fn_(std::forward<Args>(args)...); }
  // The handler's method name when it was bound by name; empty for other callables.
  const std::string& MethodName() const { return name_; }

 private:
  Function fn_;
  std::string name_;
};

// An event bound to a member function, under the method's name (so a form file can store it).
template <class C, class... A>
TEvent<A...> MakeEvent(C* object, void (C::*method)(A...), std::string methodName = {}) {
  return TEvent<A...>([object, method](A... a) { (object->*method)(std::forward<A>(a)...); },
                      std::move(methodName));
}

using TNotifyEvent = TEvent<TObject*>;

struct TPoint {
  int X = 0;
  int Y = 0;
  constexpr bool operator==(const TPoint&) const = default;
};

struct TSize {
  int cx = 0;
  int cy = 0;
  constexpr bool operator==(const TSize&) const = default;
};

// Right and Bottom are exclusive, as everywhere in the framework.
struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  constexpr int Width() const { return Right - Left; }
  constexpr int Height() const { return Bottom - Top; }
  constexpr bool Contains(TPoint p) const {
    return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom;
  }
  constexpr bool operator==(const TRect&) const = default;
};

constexpr TPoint Point(int x, int y) { return TPoint{x, y}; }
constexpr TRect Rect(int left, int top, int right, int bottom) { return TRect{left, top, right, bottom}; }
constexpr TRect Bounds(int left, int top, int width, int height) {
  return TRect{left, top, left + width, top + height};
}

// Colours: 0x00BBGGRR, or a system colour (high bit set, low byte the system colour index).
enum TColor : std::int32_t {
  clSystemColor = -0x7FFFFFFF - 1,
  clScrollBar = clSystemColor | 0,
  clBackground = clSystemColor | 1,
  clActiveCaption = clSystemColor | 2,
  clInactiveCaption = clSystemColor | 3,
  clMenu = clSystemColor | 4,
  clWindow = clSystemColor | 5,
  clWindowFrame = clSystemColor | 6,
  clMenuText = clSystemColor | 7,
  clWindowText = clSystemColor | 8,
  clCaptionText = clSystemColor | 9,
  clActiveBorder = clSystemColor | 10,
  clInactiveBorder = clSystemColor | 11,
  clAppWorkSpace = clSystemColor | 12,
  clHighlight = clSystemColor | 13,
  clHighlightText = clSystemColor | 14,
  clBtnFace = clSystemColor | 15,
  clBtnShadow = clSystemColor | 16,
  clGrayText = clSystemColor | 17,
  clBtnText = clSystemColor | 18,
  clInactiveCaptionText = clSystemColor | 19,
  clBtnHighlight = clSystemColor | 20,
  cl3DDkShadow = clSystemColor | 21,
  cl3DLight = clSystemColor | 22,
  clInfoText = clSystemColor | 23,
  clInfoBk = clSystemColor | 24,
  clHotLight = clSystemColor | 26,
  clGradientActiveCaption = clSystemColor | 27,
  clGradientInactiveCaption = clSystemColor | 28,
  clMenuHighlight = clSystemColor | 29,
  clMenuBar = clSystemColor | 30,

  clBlack = 0x000000,
  clMaroon = 0x000080,
  clGreen = 0x008000,
  clOlive = 0x008080,
  clNavy = 0x800000,
  clPurple = 0x800080,
  clTeal = 0x808000,
  clGray = 0x808080,
  clSilver = 0xC0C0C0,
  clRed = 0x0000FF,
  clLime = 0x00FF00,
  clYellow = 0x00FFFF,
  clBlue = 0xFF0000,
  clFuchsia = 0xFF00FF,
  clAqua = 0xFFFF00,
  clLtGray = 0xC0C0C0,
  clDkGray = 0x808080,
  clWhite = 0xFFFFFF,
  clMoneyGreen = 0xC0DCC0,
  clSkyBlue = 0xF0CAA6,
  clCream = 0xF0FBFF,
  clMedGray = 0xA4A0A0,
  clNone = 0x1FFFFFFF,
  clDefault = 0x20000000,
};

// Exceptions. Exception carries a message in code page 1252; what() returns the same bytes.
class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const std::string& Message() const { return message_; }
  void SetMessage(std::string message) { message_ = std::move(message); }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

#define VCL_DECLARE_EXCEPTION(Name, Base) \
  class Name : public Base {              \
   public:                                \
    using Base::Base;                     \
  };

VCL_DECLARE_EXCEPTION(EAbort, Exception)
VCL_DECLARE_EXCEPTION(EConvertError, Exception)
VCL_DECLARE_EXCEPTION(EInvalidOperation, Exception)
VCL_DECLARE_EXCEPTION(EComponentError, Exception)
VCL_DECLARE_EXCEPTION(EListError, Exception)
VCL_DECLARE_EXCEPTION(EStringListError, Exception)
VCL_DECLARE_EXCEPTION(EFilerError, Exception)
VCL_DECLARE_EXCEPTION(EReadError, EFilerError)
VCL_DECLARE_EXCEPTION(EClassNotFound, EFilerError)
VCL_DECLARE_EXCEPTION(EParserError, Exception)
VCL_DECLARE_EXCEPTION(EInvalidGraphic, Exception)
VCL_DECLARE_EXCEPTION(EPropertyError, Exception)

// The silent exception: the message loop swallows it without showing a box.
[[noreturn]] void Abort();
