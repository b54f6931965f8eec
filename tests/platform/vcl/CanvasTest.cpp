#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "platform/vcl/Forms.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/Testing.h"

namespace {

std::unique_ptr<TBitmap> Blank(int w, int h) {
  auto b = std::make_unique<TBitmap>();
  b->SetSize(w, h);
  return b;
}

// Row y of the bitmap from x0 to x1 (exclusive): '#' for the pen colour, 'o' for the brush
// colour, '.' for white, '?' for anything else.
std::string Row(TBitmap* b, int y, int x0, int x1, TColor pen = clBlack, TColor brush = clYellow) {
  std::string s;
  for (int x = x0; x < x1; ++x) {
    TColor c = b->GetCanvas()->GetPixel(x, y);
    s += c == pen ? '#' : c == brush ? 'o' : c == clWhite ? '.' : '?';
  }
  return s;
}

TEST(Canvas, LinesLeaveOutTheirEndPoint) {
  auto b = Blank(8, 8);
  TCanvas* c = b->GetCanvas();
  c->MoveTo(1, 1);
  c->LineTo(5, 1);
  EXPECT_EQ(Row(b.get(), 1, 0, 8), ".####...");
  EXPECT_EQ(c->GetPenPos(), Point(5, 1));
  c->MoveTo(6, 3);
  c->LineTo(2, 3);  // right to left: the start is drawn, the end is not
  EXPECT_EQ(Row(b.get(), 3, 0, 8), "...####.");
  c->MoveTo(7, 0);
  c->LineTo(7, 3);
  EXPECT_EQ(c->GetPixel(7, 0), clBlack);
  EXPECT_EQ(c->GetPixel(7, 2), clBlack);
  EXPECT_EQ(c->GetPixel(7, 3), clWhite);
  auto d = Blank(6, 6);
  d->GetCanvas()->GetPen()->SetWidth(0);  // width 0 is one pixel
  d->GetCanvas()->MoveTo(0, 0);
  d->GetCanvas()->LineTo(4, 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(d->GetCanvas()->GetPixel(i, i), clBlack) << i;
  EXPECT_EQ(d->GetCanvas()->GetPixel(4, 4), clWhite);
  EXPECT_EQ(d->GetCanvas()->GetPixel(1, 0), clWhite);
}

TEST(Canvas, ClearPenDrawsNothingButMoves) {
  auto b = Blank(6, 2);
  TCanvas* c = b->GetCanvas();
  c->GetPen()->SetStyle(psClear);
  c->MoveTo(0, 0);
  c->LineTo(5, 0);
  EXPECT_EQ(Row(b.get(), 0, 0, 6), "......");
  EXPECT_EQ(c->GetPenPos(), Point(5, 0));
}

TEST(Canvas, RectangleCoversX1ToX2MinusOne) {
  auto b = Blank(8, 7);
  TCanvas* c = b->GetCanvas();
  c->GetBrush()->SetColor(clYellow);
  c->Rectangle(1, 1, 6, 5);
  EXPECT_EQ(Row(b.get(), 0, 0, 8), "........");
  EXPECT_EQ(Row(b.get(), 1, 0, 8), ".#####..");
  EXPECT_EQ(Row(b.get(), 2, 0, 8), ".#ooo#..");
  EXPECT_EQ(Row(b.get(), 3, 0, 8), ".#ooo#..");
  EXPECT_EQ(Row(b.get(), 4, 0, 8), ".#####..");
  EXPECT_EQ(Row(b.get(), 5, 0, 8), "........");

  auto clear = Blank(8, 7);
  clear->GetCanvas()->GetBrush()->SetStyle(bsClear);
  clear->GetCanvas()->Rectangle(1, 1, 6, 5);
  EXPECT_EQ(Row(clear.get(), 2, 0, 8), ".#...#..");

  // Without a pen the filled area is one pixel smaller at the right and bottom.
  auto nopen = Blank(8, 7);
  nopen->GetCanvas()->GetPen()->SetStyle(psClear);
  nopen->GetCanvas()->GetBrush()->SetColor(clYellow);
  nopen->GetCanvas()->Rectangle(1, 1, 6, 5);
  EXPECT_EQ(Row(nopen.get(), 1, 0, 8), ".oooo...");
  EXPECT_EQ(Row(nopen.get(), 3, 0, 8), ".oooo...");
  EXPECT_EQ(Row(nopen.get(), 4, 0, 8), "........");
}

TEST(Canvas, RoundRectCutsItsCornersAndKeepsItsEdges) {
  auto b = Blank(22, 18);
  TCanvas* c = b->GetCanvas();
  c->GetBrush()->SetColor(clYellow);
  c->RoundRect(1, 1, 21, 17, 9, 9);
  // Corners outside the curve keep the background; the straight edges are drawn.
  for (auto [x, y] : {std::pair{1, 1}, {2, 1}, {1, 2}, {20, 1}, {1, 16}, {20, 16}, {19, 16}})
    EXPECT_EQ(c->GetPixel(x, y), clWhite) << x << "," << y;
  for (auto [x, y] : {std::pair{10, 1}, {1, 8}, {20, 8}, {10, 16}})
    EXPECT_EQ(c->GetPixel(x, y), clBlack) << x << "," << y;
  EXPECT_EQ(c->GetPixel(10, 8), clYellow);
  EXPECT_EQ(c->GetPixel(21, 8), clWhite);  // right and bottom exclusive
  EXPECT_EQ(c->GetPixel(10, 17), clWhite);
  // The outline is closed: every row has its outermost pixels in the pen colour.
  for (int y = 1; y < 17; ++y) {
    std::string row = Row(b.get(), y, 0, 22);
    auto first = row.find_first_not_of('.'), last = row.find_last_not_of('.');
    ASSERT_NE(first, std::string::npos) << y;
    EXPECT_EQ(row[first], '#') << y << " " << row;
    EXPECT_EQ(row[last], '#') << y << " " << row;
    EXPECT_EQ(first + last, 21u) << "symmetric " << y << " " << row;
  }
  // With a clear brush the inside stays as it was.
  auto h = Blank(22, 18);
  h->GetCanvas()->GetBrush()->SetStyle(bsClear);
  h->GetCanvas()->RoundRect(1, 1, 21, 17, 9, 9);
  EXPECT_EQ(h->GetCanvas()->GetPixel(10, 8), clWhite);
}

TEST(Canvas, BrushColourMakesAClearBrushSolidAgain) {
  auto b = Blank(6, 6);
  TCanvas* c = b->GetCanvas();
  c->GetBrush()->SetStyle(bsClear);
  c->FillRect(Rect(0, 0, 6, 6));
  EXPECT_EQ(c->GetPixel(2, 2), clWhite);
  c->GetBrush()->SetColor(clRed);
  EXPECT_EQ(c->GetBrush()->GetStyle(), bsSolid);
  c->FillRect(Rect(1, 1, 3, 3));
  EXPECT_EQ(Row(b.get(), 1, 0, 6, clRed), ".##...");
  EXPECT_EQ(Row(b.get(), 3, 0, 6, clRed), "......");
  auto f = Blank(6, 6);
  f->GetCanvas()->GetBrush()->SetColor(clBlue);
  f->GetCanvas()->FrameRect(Rect(0, 0, 6, 5));
  EXPECT_EQ(Row(f.get(), 2, 0, 6, clBlue), "#....#");
  EXPECT_EQ(Row(f.get(), 4, 0, 6, clBlue), "######");
  EXPECT_EQ(Row(f.get(), 5, 0, 6, clBlue), "......");
}

TEST(Canvas, TextIsPlacedByTheTopLeftOfItsCell) {
  auto b = Blank(60, 40);
  TCanvas* c = b->GetCanvas();
  c->GetFont()->SetName("Arial");
  c->GetFont()->SetHeight(-16);
  c->GetFont()->SetColor(clRed);
  c->GetBrush()->SetStyle(bsClear);
  int w = c->TextWidth("W"), h = c->TextHeight("W");
  EXPECT_GT(w, 5);
  EXPECT_GE(h, 16);
  EXPECT_EQ(c->TextWidth("WW"), 2 * w);
  c->TextOut(10, 5, "W");
  EXPECT_EQ(c->GetPenPos(), Point(10 + w, 5));
  int ink = 0;
  std::set<std::int32_t> colours;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 60; ++x) {
      TColor p = c->GetPixel(x, y);
      colours.insert(p);
      if (p == clRed) {
        ++ink;
        EXPECT_TRUE(x >= 10 && x < 10 + w && y >= 5 && y < 5 + h) << x << "," << y;
      }
    }
  EXPECT_GT(ink, 10);
  EXPECT_EQ(colours, (std::set<std::int32_t>{clRed, clWhite}));  // no antialiasing

  // A solid brush fills the text cell first.
  c->GetBrush()->SetColor(clYellow);
  c->TextOut(30, 5, "_");
  EXPECT_EQ(c->GetPixel(30, 5), clYellow);
  EXPECT_EQ(c->GetPixel(30 + c->TextWidth("_"), 5), clWhite);
  EXPECT_EQ(c->GetPixel(30, 4), clWhite);
}

TEST(Canvas, TextRectClipsAndFillsItsRectangle) {
  auto b = Blank(40, 30);
  TCanvas* c = b->GetCanvas();
  c->GetFont()->SetHeight(-14);
  c->GetBrush()->SetColor(clYellow);
  c->TextRect(Rect(2, 2, 12, 20), 2, 2, "WWWWWW");
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      bool inside = x >= 2 && x < 12 && y >= 2 && y < 20;
      TColor p = c->GetPixel(x, y);
      if (inside) {
        EXPECT_NE(p, clWhite) << x << "," << y;
      } else {
        EXPECT_EQ(p, clWhite) << x << "," << y;
      }
    }
}

TEST(Colours, SystemColoursResolveThroughOneTable) {
  EXPECT_EQ(ColorToRGB(clRed), 0x0000FF);
  EXPECT_EQ(ColorToRGB(clTeal), 0x808000);
  EXPECT_EQ(ColorToRGB(clBtnFace), RGB(236, 233, 216));
  EXPECT_EQ(ColorToRGB(clWindow), RGB(255, 255, 255));
  EXPECT_EQ(ColorToRGB(clWindowText), RGB(0, 0, 0));
  EXPECT_EQ(ColorToRGB(clInfoBk), RGB(255, 255, 225));
  EXPECT_EQ(ColorToRGB(clActiveCaption), RGB(0, 84, 227));
  for (TColor sys : {clBtnFace, clWindow, clWindowText, clActiveCaption, clGradientActiveCaption,
                     clCaptionText, clInactiveCaption, clInactiveCaptionText,
                     clGradientInactiveCaption, clInactiveBorder, clInfoBk, clInfoText, clBtnShadow,
                     clHighlight, clHighlightText, clGrayText}) {
    std::int32_t rgb = ColorToRGB(sys);
    EXPECT_GE(rgb, 0);
    EXPECT_LE(rgb, 0xFFFFFF);
    // Drawing with a system colour gives its table value, and its name reads back.
    auto b = Blank(2, 2);
    b->GetCanvas()->GetBrush()->SetColor(sys);
    b->GetCanvas()->FillRect(Rect(0, 0, 2, 2));
    EXPECT_EQ(b->GetCanvas()->GetPixel(1, 1), rgb);
    EXPECT_EQ(StringToColor(ColorToString(sys)), sys);
  }
  EXPECT_EQ(ColorToString(static_cast<TColor>(0x123456)), "$00123456");
  EXPECT_EQ(StringToColor("$00123456"), 0x123456);
}

TEST(Fonts, SizesArePointsAt96Dpi) {
  TFont f;
  EXPECT_EQ(f.GetHeight(), -11);
  EXPECT_EQ(f.GetSize(), 8);
  f.SetSize(10);
  EXPECT_EQ(f.GetHeight(), -13);
  f.SetSize(7);
  EXPECT_EQ(f.GetHeight(), -9);
  f.SetHeight(-24);
  EXPECT_EQ(f.GetSize(), 18);
}

// A self-painted control: a black line across its middle on its brush.
class TLineControl : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;

 protected:
  void Paint() override {
    GetCanvas()->MoveTo(0, GetHeight() / 2);
    GetCanvas()->LineTo(GetWidth(), GetHeight() / 2);
  }
};

// A windowless control that draws only one pixel: the rest shows its parent.
class TDot : public TGraphicControl {
 public:
  using TGraphicControl::TGraphicControl;

 protected:
  void Paint() override { GetCanvas()->SetPixel(1, 1, clRed); }
};

TEST(Controls, PaintOnTheirBrushAndRenderToABitmap) {
  TForm form(nullptr);
  form.SetColor(clAqua);
  auto* line = new TLineControl(&form);
  line->SetParent(&form);
  line->SetBounds(10, 10, 20, 9);
  line->SetColor(clYellow);
  auto* dot = new TDot(&form);
  dot->SetParent(&form);
  dot->SetBounds(40, 10, 4, 4);

  auto shot = vcl::testing::Render(&form);
  TCanvas* c = shot->GetCanvas();
  EXPECT_EQ(c->GetPixel(5, 5), clAqua);
  EXPECT_EQ(c->GetPixel(10, 10), clYellow);
  EXPECT_EQ(c->GetPixel(15, 14), clBlack);
  EXPECT_EQ(c->GetPixel(29, 14), clBlack);
  EXPECT_EQ(c->GetPixel(30, 14), clAqua);
  EXPECT_EQ(c->GetPixel(41, 11), clRed);
  EXPECT_EQ(c->GetPixel(40, 10), clAqua);  // transparent around the dot

  // A clear brush leaves the parent visible behind a self-painted control.
  line->GetBrush()->SetStyle(bsClear);
  shot = vcl::testing::Render(&form);
  EXPECT_EQ(shot->GetCanvas()->GetPixel(10, 10), clAqua);
  EXPECT_EQ(shot->GetCanvas()->GetPixel(15, 14), clBlack);

  // Drawing a bitmap copies its pixels.
  auto src = Blank(2, 2);
  src->GetCanvas()->SetPixel(1, 0, clLime);
  auto dst = Blank(5, 5);
  dst->GetCanvas()->Draw(3, 3, src.get());
  EXPECT_EQ(dst->GetCanvas()->GetPixel(4, 3), clLime);
  EXPECT_EQ(dst->GetCanvas()->GetPixel(3, 3), clWhite);
}

}  // namespace
