#include "platform/vcl/Graphics.h"

#include <QBuffer>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>

#include "platform/vcl/QtSupport.h"
#include "platform/vcl/SysUtils.h"

// --- colours ---------------------------------------------------------------------------------------

namespace {

// The system colours, indexed by the low byte of clXxx (the Windows XP default scheme).
constexpr std::int32_t kSystemColors[31] = {
    RGB(212, 208, 200),  // clScrollBar
    RGB(0, 78, 152),     // clBackground
    RGB(0, 84, 227),     // clActiveCaption
    RGB(122, 150, 223),  // clInactiveCaption
    RGB(255, 255, 255),  // clMenu
    RGB(255, 255, 255),  // clWindow
    RGB(0, 0, 0),        // clWindowFrame
    RGB(0, 0, 0),        // clMenuText
    RGB(0, 0, 0),        // clWindowText
    RGB(255, 255, 255),  // clCaptionText
    RGB(212, 208, 200),  // clActiveBorder
    RGB(212, 208, 200),  // clInactiveBorder
    RGB(128, 128, 128),  // clAppWorkSpace
    RGB(49, 106, 197),   // clHighlight
    RGB(255, 255, 255),  // clHighlightText
    RGB(236, 233, 216),  // clBtnFace
    RGB(172, 168, 153),  // clBtnShadow
    RGB(172, 168, 153),  // clGrayText
    RGB(0, 0, 0),        // clBtnText
    RGB(216, 228, 248),  // clInactiveCaptionText
    RGB(255, 255, 255),  // clBtnHighlight
    RGB(113, 111, 100),  // cl3DDkShadow
    RGB(241, 239, 226),  // cl3DLight
    RGB(0, 0, 0),        // clInfoText
    RGB(255, 255, 225),  // clInfoBk
    RGB(181, 181, 181),  // (button alternate face)
    RGB(0, 0, 128),      // clHotLight
    RGB(61, 149, 255),   // clGradientActiveCaption
    RGB(157, 185, 235),  // clGradientInactiveCaption
    RGB(49, 106, 197),   // clMenuHighlight
    RGB(236, 233, 216),  // clMenuBar
};

struct ColorName {
  std::int32_t value;
  const char* name;
};
constexpr ColorName kColorNames[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"},
    {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},
    {clMedGray, "clMedGray"},
    {clActiveBorder, "clActiveBorder"},
    {clActiveCaption, "clActiveCaption"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clBackground, "clBackground"},
    {clBtnFace, "clBtnFace"},
    {clBtnHighlight, "clBtnHighlight"},
    {clBtnShadow, "clBtnShadow"},
    {clBtnText, "clBtnText"},
    {clCaptionText, "clCaptionText"},
    {clDefault, "clDefault"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clGrayText, "clGrayText"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clHotLight, "clHotLight"},
    {clInactiveBorder, "clInactiveBorder"},
    {clInactiveCaption, "clInactiveCaption"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clInfoBk, "clInfoBk"},
    {clInfoText, "clInfoText"},
    {clMenu, "clMenu"},
    {clMenuBar, "clMenuBar"},
    {clMenuHighlight, "clMenuHighlight"},
    {clMenuText, "clMenuText"},
    {clNone, "clNone"},
    {clScrollBar, "clScrollBar"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clWindowText, "clWindowText"},
    {clLtGray, "clLtGray"},
    {clDkGray, "clDkGray"},
};

}  // namespace

std::int32_t ColorToRGB(TColor color) {
  std::int32_t v = color;
  if (v < 0) {
    int index = v & 0xFF;
    return index < static_cast<int>(std::size(kSystemColors)) ? kSystemColors[index] : 0;
  }
  return v;
}

bool ColorToIdent(std::int32_t color, std::string& ident) {
  for (const auto& c : kColorNames)
    if (c.value == color) {
      ident = c.name;
      return true;
    }
  return false;
}

bool IdentToColor(std::string_view ident, std::int32_t& color) {
  for (const auto& c : kColorNames)
    if (vcl::SameIdent(c.name, ident)) {
      color = c.value;
      return true;
    }
  return false;
}

std::string ColorToString(TColor color) {
  std::string ident;
  if (ColorToIdent(color, ident)) return ident;
  return "$" + IntToHex(static_cast<std::uint32_t>(color), 8);
}

TColor StringToColor(std::string_view text) {
  std::int32_t c;
  if (IdentToColor(text, c)) return static_cast<TColor>(c);
  return static_cast<TColor>(StrToInt(text));
}

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  long long prod = static_cast<long long>(a) * b;
  bool neg = (prod < 0) != (c < 0);
  long long ap = prod < 0 ? -prod : prod, ac = c < 0 ? -static_cast<long long>(c) : c;
  long long q = (ap + ac / 2) / ac;
  return static_cast<int>(neg ? -q : q);
}

// --- fonts, pens, brushes --------------------------------------------------------------------------

VCL_IMPLEMENT_CLASS(TGraphicsObject) {}

void TGraphicsObject::Changed() {
  if (OnChange) OnChange(this);
}

static const TIdentMap kCharsetIdents = {
    {ANSI_CHARSET, "ANSI_CHARSET"},     {DEFAULT_CHARSET, "DEFAULT_CHARSET"},
    {SYMBOL_CHARSET, "SYMBOL_CHARSET"}, {77, "MAC_CHARSET"},
    {128, "SHIFTJIS_CHARSET"},          {129, "HANGEUL_CHARSET"},
    {130, "JOHAB_CHARSET"},             {134, "GB2312_CHARSET"},
    {136, "CHINESEBIG5_CHARSET"},       {161, "GREEK_CHARSET"},
    {162, "TURKISH_CHARSET"},           {163, "VIETNAMESE_CHARSET"},
    {177, "HEBREW_CHARSET"},            {178, "ARABIC_CHARSET"},
    {186, "BALTIC_CHARSET"},            {204, "RUSSIAN_CHARSET"},
    {222, "THAI_CHARSET"},              {238, "EASTEUROPE_CHARSET"},
    {OEM_CHARSET, "OEM_CHARSET"},
};

VCL_IMPLEMENT_CLASS(TFont) {
  p.Published("Charset", &TFont::GetCharset, &TFont::SetCharset).Idents(kCharsetIdents);
  p.Published("Color", &TFont::GetColor, &TFont::SetColor);
  p.Published("Height", &TFont::GetHeight, &TFont::SetHeight);
  p.Published("Name", &TFont::GetName, &TFont::SetName).NoDefault();
  p.Published("Pitch", &TFont::GetPitch, &TFont::SetPitch).Default(fpDefault);
  p.Published("Size", &TFont::GetSize, &TFont::SetSize).Stored(false);
  p.Published("Style", &TFont::GetStyle, &TFont::SetStyle);
}

TFont::TFont() = default;

void TFont::Assign(const TPersistent* source) {
  if (auto* f = dynamic_cast<const TFont*>(source)) {
    if (Equals(f)) return;
    charset_ = f->charset_;
    color_ = f->color_;
    height_ = f->height_;
    name_ = f->name_;
    pitch_ = f->pitch_;
    style_ = f->style_;
    Changed();
    return;
  }
  TGraphicsObject::Assign(source);
}

bool TFont::Equals(const TFont* o) const {
  return o && charset_ == o->charset_ && color_ == o->color_ && height_ == o->height_ &&
         name_ == o->name_ && pitch_ == o->pitch_ && style_ == o->style_;
}

#define VCL_SETTER(field) \
  if (field == v) return;                \
  field = v;                             \
  Changed();

void TFont::SetCharset(TFontCharset v) { VCL_SETTER(charset_) }
void TFont::SetColor(TColor v) { VCL_SETTER(color_) }
void TFont::SetHeight(int v) { VCL_SETTER(height_) }
void TFont::SetName(const std::string& v) {
  if (v.empty()) return;
  VCL_SETTER(name_)
}
void TFont::SetPitch(TFontPitch v) { VCL_SETTER(pitch_) }
void TFont::SetStyle(TFontStyles v) { VCL_SETTER(style_) }

int TFont::GetSize() const {
  return height_ < 0 ? -MulDiv(height_, 72, 96) : MulDiv(height_, 72, 96);
}

void TFont::SetSize(int points) { SetHeight(-MulDiv(points, 96, 72)); }

VCL_IMPLEMENT_CLASS(TPen) {
  p.Published("Color", &TPen::GetColor, &TPen::SetColor).Default(clBlack);
  p.Published("Mode", &TPen::GetMode, &TPen::SetMode).Default(pmCopy);
  p.Published("Style", &TPen::GetStyle, &TPen::SetStyle).Default(psSolid);
  p.Published("Width", &TPen::GetWidth, &TPen::SetWidth).Default(1);
}

void TPen::Assign(const TPersistent* source) {
  if (auto* s = dynamic_cast<const TPen*>(source)) {
    color_ = s->color_;
    width_ = s->width_;
    style_ = s->style_;
    mode_ = s->mode_;
    Changed();
    return;
  }
  TGraphicsObject::Assign(source);
}

void TPen::SetColor(TColor v) { VCL_SETTER(color_) }
void TPen::SetWidth(int v) { VCL_SETTER(width_) }
void TPen::SetStyle(TPenStyle v) { VCL_SETTER(style_) }
void TPen::SetMode(TPenMode v) { VCL_SETTER(mode_) }

VCL_IMPLEMENT_CLASS(TBrush) {
  p.Published("Color", &TBrush::GetColor, &TBrush::SetColor).Default(clWhite);
  p.Published("Style", &TBrush::GetStyle, &TBrush::SetStyle).Default(bsSolid);
}

void TBrush::Assign(const TPersistent* source) {
  if (auto* s = dynamic_cast<const TBrush*>(source)) {
    color_ = s->color_;
    style_ = s->style_;
    Changed();
    return;
  }
  TGraphicsObject::Assign(source);
}

void TBrush::SetColor(TColor v) {
  if (color_ == v && style_ != bsClear) return;
  color_ = v;
  if (style_ == bsClear) style_ = bsSolid;
  Changed();
}

void TBrush::SetStyle(TBrushStyle v) { VCL_SETTER(style_) }

#undef VCL_SETTER

// --- canvas -------------------------------------------------------------------------------------

namespace {

QColor RgbOf(TColor c) { return vcl::ToQColor(c); }

QPainter::CompositionMode ModeOf(TPenMode m) {
  switch (m) {
    case pmNot: return QPainter::RasterOp_NotDestination;
    case pmXor: return QPainter::RasterOp_SourceXorDestination;
    case pmNotXor: return QPainter::RasterOp_NotSourceXorDestination;
    case pmMask: return QPainter::RasterOp_SourceAndDestination;
    case pmMerge: return QPainter::RasterOp_SourceOrDestination;
    case pmNotCopy: return QPainter::RasterOp_NotSource;
    case pmMaskPenNot: return QPainter::RasterOp_SourceAndNotDestination;
    case pmMaskNotPen: return QPainter::RasterOp_NotSourceAndDestination;
    case pmMergePenNot: return QPainter::RasterOp_SourceOrNotDestination;
    case pmMergeNotPen: return QPainter::RasterOp_NotSourceOrDestination;
    case pmNotMerge: return QPainter::RasterOp_NotSourceAndNotDestination;
    case pmNotMask: return QPainter::RasterOp_NotSourceOrNotDestination;
    default: return QPainter::CompositionMode_SourceOver;
  }
}

// One row of a shape, both ends included; empty when l > r.
struct Row {
  int l = 0, r = -1;
  bool Empty() const { return l > r; }
};

// The rows of a rectangle (ew, eh < 2) or a rounded rectangle with ew x eh corner ellipses.
std::vector<Row> ShapeRows(int x1, int y1, int x2, int y2, int ew, int eh) {
  int w = x2 - x1, h = y2 - y1;
  std::vector<Row> rows(static_cast<std::size_t>(std::max(0, h)));
  if (w <= 0 || h <= 0) return {};
  ew = std::min(ew, w);
  eh = std::min(eh, h);
  bool round = ew >= 2 && eh >= 2;
  double a = ew / 2.0, b = eh / 2.0;
  double cxl = x1 + a, cxr = x2 - a, cyt = y1 + b, cyb = y2 - b;
  for (int i = 0; i < h; ++i) {
    int y = y1 + i;
    Row row{x1, x2 - 1};
    double py = y + 0.5;
    double cy = py < cyt ? cyt : (py > cyb ? cyb : py);
    if (round && cy != py) {
      double dy = (py - cy) / b;
      double dx = dy * dy >= 1.0 ? 0.0 : a * std::sqrt(1.0 - dy * dy);
      row.l = std::max(x1, static_cast<int>(std::ceil(cxl - dx - 0.5 - 1e-9)));
      row.r = std::min(x2 - 1, static_cast<int>(std::floor(cxr + dx - 0.5 + 1e-9)));
    }
    rows[static_cast<std::size_t>(i)] = row;
  }
  return rows;
}

// The shape without its boundary pixels (a pixel stays when its four neighbours are inside).
std::vector<Row> Erode(const std::vector<Row>& s) {
  std::vector<Row> out(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (i == 0 || i + 1 == s.size() || s[i].Empty() || s[i - 1].Empty() || s[i + 1].Empty())
      continue;
    out[i].l = std::max({s[i].l + 1, s[i - 1].l, s[i + 1].l});
    out[i].r = std::min({s[i].r - 1, s[i - 1].r, s[i + 1].r});
  }
  return out;
}

}  // namespace

class TCanvas::Op {
 public:
  explicit Op(const TCanvas* c) {
    if (c->painter_) {
      p = c->painter_;
    } else if (c->image_ && !c->image_->isNull()) {
      own.emplace(c->image_);
      p = &*own;
    }
    if (p) {
      p->save();
      p->setRenderHint(QPainter::Antialiasing, false);
      p->setRenderHint(QPainter::TextAntialiasing, false);
      p->setRenderHint(QPainter::SmoothPixmapTransform, false);
      p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
  }
  ~Op() {
    if (p) p->restore();
  }
  Op(const Op&) = delete;
  Op& operator=(const Op&) = delete;

  QPainter* p = nullptr;
  std::optional<QPainter> own;
};

VCL_IMPLEMENT_CLASS(TCanvas) {}

TCanvas::TCanvas()
    : font_(std::make_unique<TFont>()),
      pen_(std::make_unique<TPen>()),
      brush_(std::make_unique<TBrush>()) {
  font_->SetColor(clBlack);
}

TCanvas::~TCanvas() = default;

void TCanvas::BeginPaint(QPainter* painter) { painter_ = painter; }
void TCanvas::EndPaint() { painter_ = nullptr; }
void TCanvas::AttachImage(QImage* image) { image_ = image; }
bool TCanvas::CanDraw() const { return painter_ || (image_ && !image_->isNull()); }

namespace {

// Pen and brush spans with the pen mode applied.
struct Spans {
  QPainter* p;
  TPenMode mode;
  void Fill(int x0, int x1, int y, const QBrush& brush) const {
    if (x1 < x0 || mode == pmNop) return;
    QRect r(x0, y, x1 - x0 + 1, 1);
    if (mode == pmBlack) {
      p->fillRect(r, Qt::black);
    } else if (mode == pmWhite) {
      p->fillRect(r, Qt::white);
    } else {
      p->setCompositionMode(ModeOf(mode));
      p->fillRect(r, brush);
      p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
  }
};

QBrush BrushOf(const TBrush& b) {
  QColor c = RgbOf(b.GetColor());
  switch (b.GetStyle()) {
    case bsHorizontal: return QBrush(c, Qt::HorPattern);
    case bsVertical: return QBrush(c, Qt::VerPattern);
    case bsFDiagonal: return QBrush(c, Qt::FDiagPattern);
    case bsBDiagonal: return QBrush(c, Qt::BDiagPattern);
    case bsCross: return QBrush(c, Qt::CrossPattern);
    case bsDiagCross: return QBrush(c, Qt::DiagCrossPattern);
    default: return QBrush(c);
  }
}

// Cosmetic dash patterns (on, off, on, off...), in pixels.
std::vector<int> DashOf(TPenStyle s) {
  switch (s) {
    case psDash: return {18, 6};
    case psDot: return {3, 3};
    case psDashDot: return {9, 6, 3, 6};
    case psDashDotDot: return {9, 3, 3, 3, 3, 3};
    default: return {};
  }
}

}  // namespace

void TCanvas::MoveTo(int x, int y) { penPos_ = {x, y}; }

void TCanvas::LineTo(int x, int y) {
  TPoint from = penPos_;
  penPos_ = {x, y};
  if (pen_->GetStyle() == psClear) return;
  Op op(this);
  if (!op.p) return;
  QBrush penBrush(RgbOf(pen_->GetColor()));
  if (pen_->GetWidth() > 1) {
    QPen qp(RgbOf(pen_->GetColor()), pen_->GetWidth(), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    op.p->setCompositionMode(ModeOf(pen_->GetMode()));
    op.p->setPen(qp);
    op.p->drawLine(from.X, from.Y, x, y);
    return;
  }
  Spans spans{op.p, pen_->GetMode()};
  std::vector<int> dash = DashOf(pen_->GetStyle());
  bool opaqueGaps = brush_->GetStyle() == bsSolid;
  QBrush gapBrush(RgbOf(brush_->GetColor()));
  if (dash.empty() && (from.Y == y || from.X == x)) {
    // Straight lines in one span; the end point is left out.
    if (from.Y == y && from.X != x) {
      int x0 = from.X < x ? from.X : x + 1, x1 = from.X < x ? x - 1 : from.X;
      spans.Fill(x0, x1, y, penBrush);
    } else if (from.X == x && from.Y != y) {
      int y0 = from.Y < y ? from.Y : y + 1, y1 = from.Y < y ? y - 1 : from.Y;
      for (int yy = y0; yy <= y1; ++yy) spans.Fill(x, x, yy, penBrush);
    }
    return;
  }
  int dx = std::abs(x - from.X), dy = -std::abs(y - from.Y);
  int sx = from.X < x ? 1 : -1, sy = from.Y < y ? 1 : -1;
  int err = dx + dy;
  int cx = from.X, cy = from.Y;
  std::size_t seg = 0;
  int left = dash.empty() ? 0 : dash[0];
  while (!(cx == x && cy == y)) {
    bool on = dash.empty() || seg % 2 == 0;
    if (on)
      spans.Fill(cx, cx, cy, penBrush);
    else if (opaqueGaps)
      spans.Fill(cx, cx, cy, gapBrush);
    if (!dash.empty() && --left == 0) {
      seg = (seg + 1) % dash.size();
      left = dash[seg];
    }
    int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      cx += sx;
    }
    if (e2 <= dx) {
      err += dx;
      cy += sy;
    }
  }
}

void TCanvas::Polyline(const std::vector<TPoint>& points) {
  if (points.empty()) return;
  MoveTo(points[0].X, points[0].Y);
  for (std::size_t i = 1; i < points.size(); ++i) LineTo(points[i].X, points[i].Y);
}

namespace {

void DrawShape(QPainter* p, const TPen& pen, const TBrush& brush, int x1, int y1, int x2, int y2,
               int ew, int eh) {
  if (x2 < x1) std::swap(x1, x2);
  if (y2 < y1) std::swap(y1, y2);
  Spans spans{p, pen.GetMode()};
  QBrush fill = BrushOf(brush);
  bool filled = brush.GetStyle() != bsClear;
  if (pen.GetStyle() == psClear) {
    if (!filled) return;
    std::vector<Row> rows = ShapeRows(x1, y1, x2 - 1, y2 - 1, ew, eh);
    for (std::size_t i = 0; i < rows.size(); ++i)
      if (!rows[i].Empty()) spans.Fill(rows[i].l, rows[i].r, y1 + static_cast<int>(i), fill);
    return;
  }
  std::vector<Row> outer = ShapeRows(x1, y1, x2, y2, ew, eh);
  std::vector<Row> inner = outer;
  for (int k = 0; k < std::max(1, pen.GetWidth()); ++k) inner = Erode(inner);
  QBrush penBrush(RgbOf(pen.GetColor()));
  for (std::size_t i = 0; i < outer.size(); ++i) {
    const Row& s = outer[i];
    const Row& in = inner[i];
    int y = y1 + static_cast<int>(i);
    if (s.Empty()) continue;
    if (in.Empty()) {
      spans.Fill(s.l, s.r, y, penBrush);
      continue;
    }
    spans.Fill(s.l, in.l - 1, y, penBrush);
    spans.Fill(in.r + 1, s.r, y, penBrush);
    if (filled) spans.Fill(in.l, in.r, y, fill);
  }
}

}  // namespace

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  Op op(this);
  if (op.p) DrawShape(op.p, *pen_, *brush_, x1, y1, x2, y2, 0, 0);
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int w, int h) {
  Op op(this);
  if (op.p) DrawShape(op.p, *pen_, *brush_, x1, y1, x2, y2, w, h);
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  Op op(this);
  if (op.p) DrawShape(op.p, *pen_, *brush_, x1, y1, x2, y2, std::abs(x2 - x1), std::abs(y2 - y1));
}

void TCanvas::FillRect(const TRect& r) {
  if (brush_->GetStyle() == bsClear || r.Width() <= 0 || r.Height() <= 0) return;
  Op op(this);
  if (op.p) op.p->fillRect(QRect(r.Left, r.Top, r.Width(), r.Height()), BrushOf(*brush_));
}

void TCanvas::FrameRect(const TRect& r) {
  if (r.Width() <= 0 || r.Height() <= 0) return;
  Op op(this);
  if (!op.p) return;
  QColor c = RgbOf(brush_->GetColor());
  op.p->fillRect(QRect(r.Left, r.Top, r.Width(), 1), c);
  op.p->fillRect(QRect(r.Left, r.Bottom - 1, r.Width(), 1), c);
  op.p->fillRect(QRect(r.Left, r.Top, 1, r.Height()), c);
  op.p->fillRect(QRect(r.Right - 1, r.Top, 1, r.Height()), c);
}

void TCanvas::DrawFocusRect(const TRect& r) {
  if (r.Width() <= 0 || r.Height() <= 0) return;
  Op op(this);
  if (!op.p) return;
  op.p->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  auto dot = [&](int x, int y) {
    if (((x + y) & 1) == 0) op.p->fillRect(QRect(x, y, 1, 1), Qt::white);
  };
  for (int x = r.Left; x < r.Right; ++x) {
    dot(x, r.Top);
    if (r.Bottom - 1 != r.Top) dot(x, r.Bottom - 1);
  }
  for (int y = r.Top + 1; y < r.Bottom - 1; ++y) {
    dot(r.Left, y);
    if (r.Right - 1 != r.Left) dot(r.Right - 1, y);
  }
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
  QFont f = vcl::ToQFont(*font_, true);
  QFontMetrics fm(f);
  QString s = vcl::ToQString(text);
  int w = fm.horizontalAdvance(s);
  Op op(this);
  if (op.p) {
    if (brush_->GetStyle() == bsSolid)
      op.p->fillRect(QRect(x, y, w, fm.ascent() + fm.descent()), RgbOf(brush_->GetColor()));
    op.p->setFont(f);
    op.p->setPen(RgbOf(font_->GetColor()));
    op.p->drawText(QPoint(x, y + fm.ascent()), s);
  }
  penPos_ = {x + w, y};
}

void TCanvas::TextRect(const TRect& r, int x, int y, const std::string& text) {
  Op op(this);
  if (!op.p) return;
  QRect clip(r.Left, r.Top, std::max(0, r.Width()), std::max(0, r.Height()));
  op.p->setClipRect(clip, op.p->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
  if (brush_->GetStyle() == bsSolid) op.p->fillRect(clip, RgbOf(brush_->GetColor()));
  QFont f = vcl::ToQFont(*font_, true);
  QFontMetrics fm(f);
  op.p->setFont(f);
  op.p->setPen(RgbOf(font_->GetColor()));
  op.p->drawText(QPoint(x, y + fm.ascent()), vcl::ToQString(text));
}

int TCanvas::TextWidth(const std::string& text) const { return TextExtent(text).cx; }

int TCanvas::TextHeight(const std::string& text) const { return TextExtent(text).cy; }

TSize TCanvas::TextExtent(const std::string& text) const {
  vcl::EnsureApplication();
  QFontMetrics fm(vcl::ToQFont(*font_, true));
  return TSize{fm.horizontalAdvance(vcl::ToQString(text)), fm.ascent() + fm.descent()};
}

void TCanvas::Draw(int x, int y, const TGraphic* graphic) {
  if (!graphic || graphic->GetEmpty()) return;
  graphic->Draw(this, Bounds(x, y, graphic->GetWidth(), graphic->GetHeight()));
}

void TCanvas::StretchDraw(const TRect& r, const TGraphic* graphic) {
  if (!graphic || graphic->GetEmpty()) return;
  graphic->Draw(this, r);
}

void TCanvas::DrawImage(const TRect& dest, const QImage& image) {
  Op op(this);
  if (op.p) op.p->drawImage(QRect(dest.Left, dest.Top, dest.Width(), dest.Height()), image);
}

void TCanvas::RenderWidget(QWidget* widget, int x, int y) {
  Op op(this);
  if (op.p) widget->render(op.p, QPoint(x, y), QRegion(), QWidget::DrawChildren);
}

TColor TCanvas::GetPixel(int x, int y) const {
  const QImage* img = image_;
  QPoint pt(x, y);
  if (painter_) {
    img = dynamic_cast<const QImage*>(painter_->device());
    pt = painter_->deviceTransform().map(pt);
  }
  if (!img || !img->valid(pt)) return static_cast<TColor>(-1);
  QRgb c = img->pixel(pt);
  return static_cast<TColor>(RGB(qRed(c), qGreen(c), qBlue(c)));
}

void TCanvas::SetPixel(int x, int y, TColor color) {
  Op op(this);
  if (op.p) op.p->fillRect(QRect(x, y, 1, 1), RgbOf(color));
}

TRect TCanvas::GetClipRect() const {
  QRect r;
  if (painter_) {
    r = painter_->hasClipping() ? painter_->clipBoundingRect().toAlignedRect()
                                : painter_->window();
  } else if (image_) {
    r = image_->rect();
  }
  return TRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

// --- graphics ----------------------------------------------------------------------------------

VCL_IMPLEMENT_CLASS(TGraphic) {}

void TGraphic::SetTransparent(bool v) {
  if (transparent_ == v) return;
  transparent_ = v;
  Changed();
}

void TGraphic::Changed() {
  if (OnChange) OnChange(this);
}

void TGraphic::Draw(TCanvas* canvas, const TRect& rect) const {
  if (const QImage* img = Image()) canvas->DrawImage(rect, *img);
}

static std::vector<std::uint8_t> ReadFileBytes(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) throw EFilerError("Cannot open file \"" + fileName + "\"");
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void TGraphic::LoadFromFile(const std::string& fileName) { LoadFromBytes(ReadFileBytes(fileName)); }

void TGraphic::SaveToFile(const std::string& fileName) const {
  std::vector<std::uint8_t> bytes = SaveToBytes();
  std::ofstream out(fileName, std::ios::binary);
  if (!out) throw EFilerError("Cannot create file \"" + fileName + "\"");
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

VCL_IMPLEMENT_CLASS(TBitmap) {}

TBitmap::TBitmap() : image_(std::make_unique<QImage>()) {}

TBitmap::~TBitmap() = default;

void TBitmap::Assign(const TPersistent* source) {
  if (!source) {
    SetSize(0, 0);
    return;
  }
  if (auto* g = dynamic_cast<const TGraphic*>(source)) {
    const QImage* img = g->Image();
    *image_ = img ? img->copy() : QImage();
    if (canvas_) canvas_->AttachImage(image_.get());
    SetTransparent(g->GetTransparent());
    Changed();
    return;
  }
  TGraphic::Assign(source);
}

int TBitmap::GetWidth() const { return image_->width(); }
int TBitmap::GetHeight() const { return image_->height(); }

void TBitmap::SetSize(int w, int h) {
  w = std::max(0, w);
  h = std::max(0, h);
  if (w == image_->width() && h == image_->height()) return;
  QImage next;
  if (w > 0 && h > 0) {
    QImage::Format fmt = image_->isNull() ? QImage::Format_RGB32 : image_->format();
    next = QImage(w, h, fmt);
    next.fill(Qt::white);
    if (!image_->isNull()) {
      QPainter p(&next);
      p.setCompositionMode(QPainter::CompositionMode_Source);
      p.drawImage(0, 0, *image_);
    }
  }
  *image_ = next;
  if (canvas_) canvas_->AttachImage(image_.get());
  Changed();
}

TCanvas* TBitmap::GetCanvas() {
  if (!canvas_) {
    canvas_ = std::make_unique<TCanvas>();
    canvas_->AttachImage(image_.get());
  }
  return canvas_.get();
}

TColor TBitmap::GetTransparentColor() const {
  if (transparentColor_ != clDefault) return transparentColor_;
  if (image_->isNull()) return clDefault;
  QRgb c = image_->pixel(0, image_->height() - 1);
  return static_cast<TColor>(RGB(qRed(c), qGreen(c), qBlue(c)));
}

void TBitmap::SetTransparentColor(TColor c) {
  transparentColor_ = c;
  Changed();
}

void TBitmap::Draw(TCanvas* canvas, const TRect& rect) const {
  if (image_->isNull()) return;
  if (!GetTransparent()) {
    canvas->DrawImage(rect, *image_);
    return;
  }
  QImage masked = image_->convertToFormat(QImage::Format_ARGB32);
  QRgb key = vcl::ToQColor(GetTransparentColor()).rgb() & 0xFFFFFF;
  for (int y = 0; y < masked.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(masked.scanLine(y));
    for (int x = 0; x < masked.width(); ++x)
      if ((line[x] & 0xFFFFFF) == key) line[x] = 0;
  }
  canvas->DrawImage(rect, masked);
}

void TBitmap::LoadFromBytes(const std::vector<std::uint8_t>& bytes) {
  vcl::EnsureApplication();
  QImage img;
  if (!img.loadFromData(bytes.data(), static_cast<int>(bytes.size())))
    throw EInvalidGraphic("Bitmap image is not valid");
  *image_ = img.hasAlphaChannel() ? img.convertToFormat(QImage::Format_ARGB32)
                                  : img.convertToFormat(QImage::Format_RGB32);
  if (canvas_) canvas_->AttachImage(image_.get());
  Changed();
}

std::vector<std::uint8_t> TBitmap::SaveToBytes() const {
  QByteArray data;
  QBuffer buf(&data);
  buf.open(QIODevice::WriteOnly);
  if (!image_->isNull()) image_->save(&buf, "BMP");
  return std::vector<std::uint8_t>(data.begin(), data.end());
}

void TBitmap::ReadData(const std::vector<std::uint8_t>& data) {
  if (data.size() >= 4) {
    std::uint32_t size = data[0] | (data[1] << 8) | (data[2] << 16) |
                         (static_cast<std::uint32_t>(data[3]) << 24);
    if (size == data.size() - 4) {
      LoadFromBytes(std::vector<std::uint8_t>(data.begin() + 4, data.end()));
      return;
    }
  }
  LoadFromBytes(data);
}

std::vector<std::uint8_t> TBitmap::WriteData() const {
  std::vector<std::uint8_t> bmp = SaveToBytes();
  auto n = static_cast<std::uint32_t>(bmp.size());
  std::vector<std::uint8_t> out = {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                                   static_cast<std::uint8_t>(n >> 16),
                                   static_cast<std::uint8_t>(n >> 24)};
  out.insert(out.end(), bmp.begin(), bmp.end());
  return out;
}

const QImage* TBitmap::Image() const { return image_->isNull() ? nullptr : image_.get(); }

QImage* TBitmap::MutableImage() { return image_.get(); }

namespace {

struct GraphicClass {
  std::string name;
  std::string extension;
  TGraphicFactory factory;
};

std::vector<GraphicClass>& GraphicClasses() {
  static std::vector<GraphicClass> list = {
      {"TBitmap", "bmp", [] { return static_cast<TGraphic*>(new TBitmap); }}};
  return list;
}

const GraphicClass* GraphicByName(std::string_view name) {
  for (const auto& g : GraphicClasses())
    if (vcl::SameIdent(g.name, name)) return &g;
  return nullptr;
}

const GraphicClass* GraphicByExtension(std::string_view ext) {
  for (const auto& g : GraphicClasses())
    if (vcl::SameIdent(g.extension, ext)) return &g;
  return nullptr;
}

}  // namespace

void RegisterGraphicClass(const std::string& className, const std::string& extension,
                          TGraphicFactory factory) {
  auto& list = GraphicClasses();
  for (auto& g : list)
    if (vcl::SameIdent(g.name, className)) {
      g.extension = extension;
      g.factory = std::move(factory);
      return;
    }
  list.push_back(GraphicClass{className, extension, std::move(factory)});
}

VCL_IMPLEMENT_CLASS(TPicture) {}

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Changed() {
  if (OnChange) OnChange(this);
}

void TPicture::Assign(const TPersistent* source) {
  if (!source) {
    graphic_.reset();
    Changed();
    return;
  }
  if (auto* p = dynamic_cast<const TPicture*>(source)) {
    SetGraphic(p->graphic_.get());
    return;
  }
  if (auto* g = dynamic_cast<const TGraphic*>(source)) {
    SetGraphic(g);
    return;
  }
  TPersistent::Assign(source);
}

void TPicture::SetGraphic(const TGraphic* graphic) {
  if (!graphic) {
    graphic_.reset();
    Changed();
    return;
  }
  const GraphicClass* cls = GraphicByName(graphic->ClassName());
  std::unique_ptr<TGraphic> copy(cls ? cls->factory() : new TBitmap);
  copy->Assign(graphic);
  SetGraphicOwned(std::move(copy));
}

void TPicture::SetGraphicOwned(std::unique_ptr<TGraphic> graphic) {
  graphic_ = std::move(graphic);
  if (graphic_) graphic_->OnChange = [this](TObject*) { Changed(); };
  Changed();
}

TBitmap* TPicture::GetBitmap() {
  if (auto* b = dynamic_cast<TBitmap*>(graphic_.get())) return b;
  SetGraphicOwned(std::make_unique<TBitmap>());
  return static_cast<TBitmap*>(graphic_.get());
}

int TPicture::GetWidth() const { return graphic_ ? graphic_->GetWidth() : 0; }
int TPicture::GetHeight() const { return graphic_ ? graphic_->GetHeight() : 0; }

static std::string ExtensionOf(const std::string& fileName) {
  auto dot = fileName.find_last_of('.');
  auto slash = fileName.find_last_of('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  return fileName.substr(dot + 1);
}

void TPicture::LoadFromFile(const std::string& fileName) {
  const GraphicClass* cls = GraphicByExtension(ExtensionOf(fileName));
  if (!cls) throw EInvalidGraphic("Unknown picture file extension (." + ExtensionOf(fileName) + ")");
  std::unique_ptr<TGraphic> g(cls->factory());
  g->LoadFromFile(fileName);
  SetGraphicOwned(std::move(g));
}

void TPicture::SaveToFile(const std::string& fileName) const {
  if (graphic_) graphic_->SaveToFile(fileName);
}

void TPicture::DefineProperties(TFiler& filer) {
  filer.DefineBinary(
      "Data",
      [this](const std::vector<std::uint8_t>& data) {
        if (data.empty()) {
          graphic_.reset();
          Changed();
          return;
        }
        std::size_t len = data[0];
        if (1 + len > data.size()) throw EReadError("Invalid picture data");
        std::string name(data.begin() + 1, data.begin() + 1 + static_cast<std::ptrdiff_t>(len));
        const GraphicClass* cls = GraphicByName(name);
        if (!cls) throw EClassNotFound("Class " + name + " not found");
        std::unique_ptr<TGraphic> g(cls->factory());
        g->ReadData(std::vector<std::uint8_t>(data.begin() + 1 + static_cast<std::ptrdiff_t>(len),
                                              data.end()));
        SetGraphicOwned(std::move(g));
      },
      [this] {
        std::vector<std::uint8_t> out;
        std::string name = graphic_->ClassName();
        out.push_back(static_cast<std::uint8_t>(name.size()));
        out.insert(out.end(), name.begin(), name.end());
        std::vector<std::uint8_t> data = graphic_->WriteData();
        out.insert(out.end(), data.begin(), data.end());
        return out;
      },
      graphic_ && !graphic_->GetEmpty());
}
