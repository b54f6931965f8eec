#pragma once
// Colours, fonts, pens, brushes, the canvas, bitmaps and pictures.
//
// Drawing follows the Windows GDI rules the system relies on, pixel for pixel, with antialiasing off:
// - LineTo draws from the pen position to (x, y) and leaves out the end point; a pen of width 0
//   or 1 is one pixel wide.
// - Rectangle, RoundRect and Ellipse from (x1, y1) to (x2, y2) cover x1..x2-1 and y1..y2-1; the
//   outline is drawn with the pen (inside the shape), the interior with the brush unless the
//   brush is clear. With a clear pen the filled area is one pixel smaller at the right and bottom.
//   RoundRect corners are quarter ellipses w wide and h high.
// - FillRect fills with the brush (nothing when it is clear); FrameRect draws a one-pixel frame
//   in the brush colour.
// - Text is placed by the top-left corner of its cell (TextHeight high); when the brush is solid the
//   cell is filled with the brush colour first, otherwise only the glyphs are drawn. TextRect clips
//   to its rectangle and, with a solid brush, fills the whole rectangle.
// - Assigning a brush colour makes a clear brush solid again.
// Font heights are in pixels (negative: character height without internal leading, as form files
// store them); Size is in points at 96 dpi. "MS Sans Serif", "Arial", "Tahoma" and "Verdana" draw
// with Liberation Sans, "Courier New" and "Courier" with Liberation Mono, "Times New Roman" with
// Liberation Serif.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/vcl/Classes.h"

class QPainter;
class QImage;
class QWidget;

// --- colours -----------------------------------------------------------------------------------

// The RGB value (0x00BBGGRR) of a colour; system colours resolve through one table.
std::int32_t ColorToRGB(TColor color);
constexpr std::int32_t RGB(int r, int g, int b) {
  return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16);
}
constexpr int GetRValue(std::int32_t rgb) { return rgb & 0xFF; }
constexpr int GetGValue(std::int32_t rgb) { return (rgb >> 8) & 0xFF; }
constexpr int GetBValue(std::int32_t rgb) { return (rgb >> 16) & 0xFF; }
// The colour identifiers of form files (clRed, clBtnFace...).
bool ColorToIdent(std::int32_t color, std::string& ident);
bool IdentToColor(std::string_view ident, std::int32_t& color);
std::string ColorToString(TColor color);      // an identifier or "$00BBGGRR"
TColor StringToColor(std::string_view text);  // throws EConvertError

// --- fonts, pens and brushes ---------------------------------------------------------------------

VCL_ENUM(TFontStyle, fsBold, fsItalic, fsUnderline, fsStrikeOut)
using TFontStyles = TSet<TFontStyle>;
VCL_ENUM(TFontPitch, fpDefault, fpVariable, fpFixed)
using TFontCharset = BYTE;
constexpr TFontCharset ANSI_CHARSET = 0;
constexpr TFontCharset DEFAULT_CHARSET = 1;
constexpr TFontCharset SYMBOL_CHARSET = 2;
constexpr TFontCharset OEM_CHARSET = 255;
VCL_ENUM(TPenStyle, psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame)
VCL_ENUM(TPenMode, pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
         pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor)
VCL_ENUM(TBrushStyle, bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal,
         bsCross, bsDiagCross)

// Rounds a*b/c half away from zero, as the Windows MulDiv does.
int MulDiv(int a, int b, int c);

class TGraphicsObject : public TPersistent {
  VCL_CLASS(TGraphicsObject, TPersistent)
 public:
  TNotifyEvent OnChange;

 protected:
  virtual void Changed();
};

class TFont : public TGraphicsObject {
  VCL_CLASS(TFont, TGraphicsObject)
 public:
  TFont();
  void Assign(const TPersistent* source) override;
  bool Equals(const TFont* other) const;

  TFontCharset GetCharset() const { return charset_; }
  void SetCharset(TFontCharset v);
  TColor GetColor() const { return color_; }
  void SetColor(TColor v);
  int GetHeight() const { return height_; }
  void SetHeight(int v);
  const std::string& GetName() const { return name_; }
  void SetName(const std::string& v);
  TFontPitch GetPitch() const { return pitch_; }
  void SetPitch(TFontPitch v);
  int GetSize() const;  // points at 96 dpi
  void SetSize(int points);
  TFontStyles GetStyle() const { return style_; }
  void SetStyle(TFontStyles v);
  int GetPixelsPerInch() const { return 96; }

 private:
  TFontCharset charset_ = DEFAULT_CHARSET;
  TColor color_ = clWindowText;
  int height_ = -11;
  std::string name_ = "MS Sans Serif";
  TFontPitch pitch_ = fpDefault;
  TFontStyles style_;
};

class TPen : public TGraphicsObject {
  VCL_CLASS(TPen, TGraphicsObject)
 public:
  TPen() = default;
  void Assign(const TPersistent* source) override;
  TColor GetColor() const { return color_; }
  void SetColor(TColor v);
  int GetWidth() const { return width_; }
  void SetWidth(int v);
  TPenStyle GetStyle() const { return style_; }
  void SetStyle(TPenStyle v);
  TPenMode GetMode() const { return mode_; }
  void SetMode(TPenMode v);

 private:
  TColor color_ = clBlack;
  int width_ = 1;
  TPenStyle style_ = psSolid;
  TPenMode mode_ = pmCopy;
};

class TBrush : public TGraphicsObject {
  VCL_CLASS(TBrush, TGraphicsObject)
 public:
  TBrush() = default;
  void Assign(const TPersistent* source) override;
  TColor GetColor() const { return color_; }
  void SetColor(TColor v);  // also makes a clear brush solid
  TBrushStyle GetStyle() const { return style_; }
  void SetStyle(TBrushStyle v);

 private:
  TColor color_ = clWhite;
  TBrushStyle style_ = bsSolid;
};

// --- canvas ----------------------------------------------------------------------------------------

class TGraphic;

class TCanvas : public TPersistent {
  VCL_CLASS(TCanvas, TPersistent)
 public:
  TCanvas();
  ~TCanvas() override;

  TFont* GetFont() const { return font_.get(); }
  void SetFont(const TFont* font) { font_->Assign(font); }
  TPen* GetPen() const { return pen_.get(); }
  void SetPen(const TPen* pen) { pen_->Assign(pen); }
  TBrush* GetBrush() const { return brush_.get(); }
  void SetBrush(const TBrush* brush) { brush_->Assign(brush); }
  TPoint GetPenPos() const { return penPos_; }
  void SetPenPos(TPoint p) { penPos_ = p; }

  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  void Polyline(const std::vector<TPoint>& points);
  void Rectangle(int x1, int y1, int x2, int y2);
  void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
  void RoundRect(int x1, int y1, int x2, int y2, int w, int h);
  void Ellipse(int x1, int y1, int x2, int y2);
  void FillRect(const TRect& r);
  void FrameRect(const TRect& r);
  void DrawFocusRect(const TRect& r);
  void TextOut(int x, int y, const std::string& text);
  void TextRect(const TRect& r, int x, int y, const std::string& text);
  int TextWidth(const std::string& text) const;
  int TextHeight(const std::string& text) const;
  TSize TextExtent(const std::string& text) const;
  void Draw(int x, int y, const TGraphic* graphic);
  void StretchDraw(const TRect& r, const TGraphic* graphic);
  // Reads back what was drawn (bitmaps, and controls rendered into a bitmap); -1 elsewhere.
  TColor GetPixel(int x, int y) const;
  void SetPixel(int x, int y, TColor color);
  TRect GetClipRect() const;
  // True while something can be drawn on (a control's paint, or a bitmap).
  bool CanDraw() const;

  // Platform side: controls attach their painter for a paint; bitmaps attach their image.
  void BeginPaint(QPainter* painter);
  void EndPaint();
  void AttachImage(QImage* image);
  void DrawImage(const TRect& dest, const QImage& image);
  // Renders a widget and its children with its top-left corner at (x, y).
  void RenderWidget(QWidget* widget, int x, int y);

 private:
  class Op;
  std::unique_ptr<TFont> font_;
  std::unique_ptr<TPen> pen_;
  std::unique_ptr<TBrush> brush_;
  TPoint penPos_;
  QPainter* painter_ = nullptr;
  QImage* image_ = nullptr;
};

// --- graphics ------------------------------------------------------------------------------------

// A picture of some format (bitmap, PNG...). The bytes a form file stores are the format's file
// bytes, unless a class says otherwise (ReadData/WriteData).
class TGraphic : public TPersistent {
  VCL_CLASS(TGraphic, TPersistent)
 public:
  virtual int GetWidth() const = 0;
  virtual int GetHeight() const = 0;
  virtual bool GetEmpty() const { return GetWidth() == 0 || GetHeight() == 0; }
  bool GetTransparent() const { return transparent_; }
  virtual void SetTransparent(bool v);
  // Draws into `rect` of the canvas (scaled when the sizes differ), blending any alpha.
  virtual void Draw(TCanvas* canvas, const TRect& rect) const;
  virtual void LoadFromBytes(const std::vector<std::uint8_t>& bytes) = 0;  // throws EInvalidGraphic
  virtual std::vector<std::uint8_t> SaveToBytes() const = 0;
  virtual void ReadData(const std::vector<std::uint8_t>& data) { LoadFromBytes(data); }
  virtual std::vector<std::uint8_t> WriteData() const { return SaveToBytes(); }
  void LoadFromFile(const std::string& fileName);
  void SaveToFile(const std::string& fileName) const;
  // Platform side: the picture as a Qt image (nullptr when empty).
  virtual const QImage* Image() const = 0;

  TNotifyEvent OnChange;

 protected:
  virtual void Changed();

 private:
  bool transparent_ = false;
};

class TBitmap : public TGraphic {
  VCL_CLASS(TBitmap, TGraphic)
 public:
  TBitmap();
  ~TBitmap() override;
  void Assign(const TPersistent* source) override;

  int GetWidth() const override;
  int GetHeight() const override;
  void SetWidth(int w) { SetSize(w, GetHeight()); }
  void SetHeight(int h) { SetSize(GetWidth(), h); }
  void SetSize(int w, int h);  // keeps the top-left content, new area white
  TCanvas* GetCanvas();
  // The colour treated as transparent when Transparent is set: by default the bottom-left pixel.
  TColor GetTransparentColor() const;
  void SetTransparentColor(TColor c);

  void Draw(TCanvas* canvas, const TRect& rect) const override;
  void LoadFromBytes(const std::vector<std::uint8_t>& bytes) override;  // BMP (or PNG) bytes
  std::vector<std::uint8_t> SaveToBytes() const override;              // a BMP file
  // Form files store a bitmap as a 4-byte little-endian size followed by the BMP file.
  void ReadData(const std::vector<std::uint8_t>& data) override;
  std::vector<std::uint8_t> WriteData() const override;
  const QImage* Image() const override;
  QImage* MutableImage();

 private:
  std::unique_ptr<QImage> image_;
  std::unique_ptr<TCanvas> canvas_;
  TColor transparentColor_ = clDefault;
};

using TGraphicFactory = std::function<TGraphic*()>;
// Makes a graphic class known to pictures: by class name (form data) and file extension.
void RegisterGraphicClass(const std::string& className, const std::string& extension,
                          TGraphicFactory factory);

// Holds one graphic of any registered class; form files store it as  Picture.Data = { ... }
// (the class name as a length-prefixed string, then the graphic's data).
class TPicture : public TPersistent {
  VCL_CLASS(TPicture, TPersistent)
 public:
  TPicture();
  ~TPicture() override;
  void Assign(const TPersistent* source) override;
  void DefineProperties(TFiler& filer) override;

  TGraphic* GetGraphic() const { return graphic_.get(); }
  void SetGraphic(const TGraphic* graphic);  // copies the graphic
  void SetGraphicOwned(std::unique_ptr<TGraphic> graphic);
  TBitmap* GetBitmap();  // replaces a graphic of another class by an empty bitmap
  int GetWidth() const;
  int GetHeight() const;
  void LoadFromFile(const std::string& fileName);  // by extension: .bmp, .png...
  void SaveToFile(const std::string& fileName) const;

  TNotifyEvent OnChange;

 private:
  void Changed();
  std::unique_ptr<TGraphic> graphic_;
};
