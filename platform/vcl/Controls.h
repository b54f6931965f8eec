#pragma once
// Controls: TControl (position, alignment, anchors, visibility, colours, fonts, text, mouse),
// TWinControl (children, focus, tab order, the key path, window creation), TGraphicControl and
// TCustomControl (self-painted through a Canvas).
//
// Each control owns a Qt widget; a stock control is a thin wrapper that passes its widget to the
// protected TWinControl(owner, widget) constructor and maps properties onto it.
//
// The key path of a windowed control, for every key the user presses while it has the focus:
//  1. Tab, arrows, Enter and Escape that the control does not want (GetDialogCode) are offered
//     to the form first: Tab moves the focus in tab order, arrows move it among siblings, and the
//     form's controls get DialogKey (default and cancel buttons take Enter and Escape there).
//  2. KeyDown(Key, Shift) with the Windows virtual key (VK_LEFT 37...); the form sees it first
//     when its KeyPreview is set. Setting Key to 0 stops the control's own handling of that key.
//  3. For a key that types a character: KeyPress(Key) with the code page 1252 character
//     (#8 Backspace, #13 Enter, #27 Escape, Ctrl+letter 1-26). It is raised whatever KeyDown did,
//     as in the framework. Setting Key to #0 drops the character; another character replaces it.
//  4. The control's own handling (the Qt widget's) of the possibly replaced character, or of the
//     key when no character is involved and KeyDown left it.
// Keys never travel on to parent controls.
//
// Focus: DoEnter / DoExit follow real focus changes inside a window, the way the framework sends
// them: leaving a control exits it and every container that no longer holds the focus; entering
// enters the containers down to the control. Window activation alone enters and exits nothing.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/vcl/Graphics.h"

class QWidget;
class QEvent;
class QKeyEvent;

// Virtual key codes.
constexpr WORD VK_LBUTTON = 1, VK_RBUTTON = 2, VK_CANCEL = 3, VK_MBUTTON = 4, VK_BACK = 8,
               VK_TAB = 9, VK_CLEAR = 12, VK_RETURN = 13, VK_SHIFT = 16, VK_CONTROL = 17,
               VK_MENU = 18, VK_PAUSE = 19, VK_CAPITAL = 20, VK_ESCAPE = 27, VK_SPACE = 32,
               VK_PRIOR = 33, VK_NEXT = 34, VK_END = 35, VK_HOME = 36, VK_LEFT = 37, VK_UP = 38,
               VK_RIGHT = 39, VK_DOWN = 40, VK_SELECT = 41, VK_PRINT = 42, VK_EXECUTE = 43,
               VK_SNAPSHOT = 44, VK_INSERT = 45, VK_DELETE = 46, VK_HELP = 47, VK_LWIN = 91,
               VK_RWIN = 92, VK_APPS = 93, VK_NUMPAD0 = 96, VK_NUMPAD1 = 97, VK_NUMPAD2 = 98,
               VK_NUMPAD3 = 99, VK_NUMPAD4 = 100, VK_NUMPAD5 = 101, VK_NUMPAD6 = 102,
               VK_NUMPAD7 = 103, VK_NUMPAD8 = 104, VK_NUMPAD9 = 105, VK_MULTIPLY = 106,
               VK_ADD = 107, VK_SEPARATOR = 108, VK_SUBTRACT = 109, VK_DECIMAL = 110,
               VK_DIVIDE = 111, VK_F1 = 112, VK_F2 = 113, VK_F3 = 114, VK_F4 = 115, VK_F5 = 116,
               VK_F6 = 117, VK_F7 = 118, VK_F8 = 119, VK_F9 = 120, VK_F10 = 121, VK_F11 = 122,
               VK_F12 = 123, VK_NUMLOCK = 144, VK_SCROLL = 145, VK_OEM_1 = 186,
               VK_OEM_PLUS = 187, VK_OEM_COMMA = 188, VK_OEM_MINUS = 189, VK_OEM_PERIOD = 190,
               VK_OEM_2 = 191, VK_OEM_3 = 192, VK_OEM_4 = 219, VK_OEM_5 = 220, VK_OEM_6 = 221,
               VK_OEM_7 = 222;

// What a control wants of the dialog keys (GetDialogCode).
constexpr int DLGC_WANTARROWS = 0x0001, DLGC_WANTTAB = 0x0002, DLGC_WANTALLKEYS = 0x0004,
              DLGC_WANTCHARS = 0x0080;

// Modal results.
using TModalResult = int;
constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4,
                       mrIgnore = 5, mrYes = 6, mrNo = 7, mrAll = 8, mrNoToAll = 9,
                       mrYesToAll = 10;

VCL_ENUM(TAlign, alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom)
VCL_ENUM(TAnchorKind, akLeft, akTop, akRight, akBottom)
using TAnchors = TSet<TAnchorKind>;
VCL_ENUM(TMouseButton, mbLeft, mbRight, mbMiddle)
VCL_ENUM(TBevelCut, bvNone, bvLowered, bvRaised, bvSpace)
VCL_ENUM(TBevelKind, bkNone, bkTile, bkSoft, bkFlat)
VCL_ENUM(TBevelEdge, beLeft, beTop, beRight, beBottom)
using TBevelEdges = TSet<TBevelEdge>;
VCL_ENUM(TBiDiMode, bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly)
// Controls use bsNone and bsSingle; forms use them all.
VCL_ENUM(TFormBorderStyle, bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin)
using TBorderStyle = TFormBorderStyle;
VCL_ENUM(TControlStyleItem, csAcceptsControls, csCaptureMouse, csDesignInteractive, csClickEvents,
         csFramed, csSetCaption, csOpaque, csDoubleClicks, csFixedWidth, csFixedHeight,
         csNoDesignVisible, csReplicatable, csNoStdEvents, csDisplayDragImage, csReflector,
         csActionClient, csMenuEvents)
using TControlStyle = TSet<TControlStyleItem>;
VCL_ENUM(TControlStateItem, csLButtonDown, csClicked, csPalette, csReadingState,
         csAlignmentNeeded, csFocusing, csCreating, csPaintCopy, csCustomPaint,
         csDestroyingHandle, csDocking, csAligning)
using TControlState = TSet<TControlStateItem>;

// Cursors (TCursor) with their form file identifiers.
using TCursor = int;
constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4,
                  crSizeNESW = -6, crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9,
                  crUpArrow = -10, crHourGlass = -11, crDrag = -12, crNoDrop = -13,
                  crHSplit = -14, crVSplit = -15, crMultiDrag = -16, crSQLWait = -17, crNo = -18,
                  crAppStart = -19, crHelp = -20, crHandPoint = -21, crSizeAll = -22,
                  crSize = -22;
const TIdentMap& CursorIdents();

using TMouseEvent = TEvent<TObject*, TMouseButton, TShiftState, int, int>;
using TMouseMoveEvent = TEvent<TObject*, TShiftState, int, int>;
using TKeyEvent = TEvent<TObject*, WORD&, TShiftState>;
using TKeyPressEvent = TEvent<TObject*, char&>;

// Window creation parameters (CreateParams): informational, with the framework's style bits.
constexpr DWORD WS_CHILD = 0x40000000, WS_VISIBLE = 0x10000000, WS_DISABLED = 0x08000000,
                WS_CLIPSIBLINGS = 0x04000000, WS_CLIPCHILDREN = 0x02000000, WS_BORDER = 0x00800000,
                WS_CAPTION = 0x00C00000, WS_TABSTOP = 0x00010000, WS_EX_CLIENTEDGE = 0x00000200;
struct TCreateParams {
  std::string Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
  class TWinControl* WndParent = nullptr;
  std::string WinClassName;
};

class TControl;

class TSizeConstraints : public TPersistent {
  VCL_CLASS(TSizeConstraints, TPersistent)
 public:
  explicit TSizeConstraints(TControl* control) : control_(control) {}
  int GetMaxHeight() const { return maxHeight_; }
  void SetMaxHeight(int v);
  int GetMaxWidth() const { return maxWidth_; }
  void SetMaxWidth(int v);
  int GetMinHeight() const { return minHeight_; }
  void SetMinHeight(int v);
  int GetMinWidth() const { return minWidth_; }
  void SetMinWidth(int v);
  void Assign(const TPersistent* source) override;
  TPersistent* GetOwner() const override;

 private:
  void Changed();
  TControl* control_;
  int maxHeight_ = 0, maxWidth_ = 0, minHeight_ = 0, minWidth_ = 0;
};

class TWinControl;
class TCustomForm;

namespace vcl::detail {
class ControlBridge;
class FocusTracker;
}  // namespace vcl::detail

class TControl : public TComponent {
  VCL_CLASS(TControl, TComponent)
 public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;

  TWinControl* GetParent() const { return parent_; }
  virtual void SetParent(TWinControl* parent);

  int GetLeft() const { return left_; }
  void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
  int GetTop() const { return top_; }
  void SetTop(int v) { SetBounds(left_, v, width_, height_); }
  int GetWidth() const { return width_; }
  void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
  int GetHeight() const { return height_; }
  void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  TRect GetBoundsRect() const { return Bounds(left_, top_, width_, height_); }
  void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
  virtual int GetClientWidth() const { return width_; }
  virtual int GetClientHeight() const { return height_; }
  void SetClientWidth(int v);
  void SetClientHeight(int v);
  TRect GetClientRect() const { return Rect(0, 0, GetClientWidth(), GetClientHeight()); }
  TPoint ClientToScreen(TPoint p) const;
  TPoint ScreenToClient(TPoint p) const;

  TAlign GetAlign() const { return align_; }
  void SetAlign(TAlign v);
  TAnchors GetAnchors() const { return anchors_; }
  void SetAnchors(TAnchors v);
  TSizeConstraints* GetConstraints() const { return constraints_.get(); }
  void SetConstraints(const TSizeConstraints* c) { constraints_->Assign(c); }

  bool GetVisible() const { return visible_; }
  virtual void SetVisible(bool v);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible, and every parent up to a shown window visible.
  bool Showing() const;
  bool GetEnabled() const { return enabled_; }
  // Called for every Enabled assignment, also one that does not change the state.
  virtual void SetEnabled(bool v);

  TFont* GetFont() const { return font_.get(); }
  void SetFont(const TFont* f) { font_->Assign(f); }
  bool GetParentFont() const { return parentFont_; }
  void SetParentFont(bool v);
  TColor GetColor() const { return color_; }
  void SetColor(TColor v);
  bool GetParentColor() const { return parentColor_; }
  void SetParentColor(bool v);
  TCursor GetCursor() const { return cursor_; }
  void SetCursor(TCursor v);
  const std::string& GetHint() const { return hint_; }
  void SetHint(const std::string& v);
  bool GetShowHint() const { return showHint_; }
  void SetShowHint(bool v);
  bool GetParentShowHint() const { return parentShowHint_; }
  void SetParentShowHint(bool v);
  TBiDiMode GetBiDiMode() const { return biDiMode_; }
  void SetBiDiMode(TBiDiMode v) { biDiMode_ = v; }

  // The control's text (Caption and Text are one value).
  std::string GetText() const { return RealGetText(); }
  void SetText(const std::string& text);
  std::string GetCaption() const { return RealGetText(); }
  void SetCaption(const std::string& text) { SetText(text); }

  TBasicAction* GetAction() const;
  void SetAction(TBasicAction* action);

  TControlStyle GetControlStyle() const { return controlStyle_; }
  void SetControlStyle(TControlStyle s) { controlStyle_ = s; }
  TControlState GetControlState() const { return controlState_; }

  void Invalidate();
  void Repaint();
  void Update();
  void Refresh() { Repaint(); }
  void BringToFront();
  void SendToBack();
  // Draws the control (and its children) into a canvas that has a target (a bitmap's).
  void PaintTo(TCanvas* canvas, int x, int y);

  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* parent) override;

  // Platform side.
  QWidget* Widget() const { return widget_; }

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TNotifyEvent OnResize;

 protected:
  // A control with its own widget (nullptr: a plain QWidget).
  TControl(TComponent* AOwner, QWidget* widget);

  virtual void Click();
  virtual void DblClick();
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  virtual void Resize();
  virtual void ActionChange(TObject* Sender, bool CheckDefaults);
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

  // Change notifications (the framework's CM_ messages).
  virtual void ColorChanged();
  virtual void FontChanged();
  virtual void TextChanged();
  virtual void VisibleChanged();
  virtual void EnabledChanged();
  virtual void ParentColorChanged();
  virtual void ParentFontChanged();
  virtual void ParentShowHintChanged();

  // Where the text lives (the widget for stock controls).
  virtual std::string RealGetText() const { return text_; }
  virtual void RealSetText(const std::string& text) { text_ = text; }

  // Platform side: every event of the widget comes here first; true eats it.
  virtual bool WidgetEvent(QEvent* event);
  // Pushes colours and font to the widget's palette and font.
  virtual void UpdateWidgetPalette();
  virtual void ApplyBounds();
  virtual void UpdateWidgetVisibility();
  void RequestAlign();
  void UpdateAnchorRules();
  // Paint support for TGraphicControl and TCustomControl (the canvas is created on demand).
  TCanvas* PaintCanvas();
  virtual void Paint() {}
  bool IsBeingDestroyed() const;
  void BeginDestroy();
  void SetControlStateFlag(TControlStateItem f, bool on);

  bool IsColorStored() const { return !parentColor_; }
  bool IsFontStored() const { return !parentFont_; }
  bool IsShowHintStored() const { return !parentShowHint_; }

 private:
  friend class TWinControl;
  friend class TCustomForm;
  friend class vcl::detail::ControlBridge;
  friend class vcl::detail::FocusTracker;
  void FontObjectChanged();
  void ApplyAnchorRules(int parentW, int parentH);

  QWidget* widget_ = nullptr;
  std::unique_ptr<vcl::detail::ControlBridge> bridge_;
  TWinControl* parent_ = nullptr;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  TAlign align_ = alNone;
  TAnchors anchors_{akLeft, akTop};
  struct AnchorRules {
    int parentW = 0, parentH = 0;
    TRect bounds;
  } anchorRules_;
  std::unique_ptr<TSizeConstraints> constraints_;
  bool visible_ = true;
  bool enabled_ = true;
  std::unique_ptr<TFont> font_;
  bool parentFont_ = true;
  bool fontFromParent_ = false;
  TColor color_ = clWindow;
  bool parentColor_ = true;
  TCursor cursor_ = crDefault;
  std::string hint_;
  bool showHint_ = false;
  bool parentShowHint_ = true;
  TBiDiMode biDiMode_ = bdLeftToRight;
  std::string text_;
  TControlStyle controlStyle_{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  TControlState controlState_;
  std::unique_ptr<TBasicActionLink> actionLink_;
  std::unique_ptr<TCanvas> canvas_;
  bool destroying_ = false;
};

class TWinControl : public TControl {
  VCL_CLASS(TWinControl, TControl)
 public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

  int GetControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* GetControl(int index) const;
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  bool ContainsControl(const TControl* control) const;  // itself or a descendant
  TControl* FindChildControl(std::string_view name) const;

  int GetClientWidth() const override;
  int GetClientHeight() const override;
  // Where children's coordinate origin lies in the widget (inside BorderWidth).
  virtual TPoint ClientOffset() const;

  int GetTabOrder() const;
  void SetTabOrder(int v);
  bool GetTabStop() const { return tabStop_; }
  void SetTabStop(bool v) { tabStop_ = v; }
  // Windowed descendants in tab order, depth first.
  void GetTabOrderList(std::vector<TWinControl*>& list) const;
  TWinControl* FindNextControl(TWinControl* current, bool goForward, bool checkTabStop,
                               bool checkParent) const;
  void SelectNext(TWinControl* current, bool goForward, bool checkTabStop);
  void SelectFirst();

  virtual bool CanFocus() const;
  // Throws EInvalidOperation when the control or its window cannot take the focus.
  virtual void SetFocus();
  virtual bool Focused() const;

  bool HandleAllocated() const { return handleAllocated_; }
  void HandleNeeded();
  void RecreateWnd();

  TBrush* GetBrush() const { return brush_.get(); }
  int GetBorderWidth() const { return borderWidth_; }
  void SetBorderWidth(int v);
  bool GetCtl3D() const { return ctl3D_; }
  void SetCtl3D(bool v);
  bool GetParentCtl3D() const { return parentCtl3D_; }
  void SetParentCtl3D(bool v);
  TBevelCut GetBevelInner() const { return bevelInner_; }
  void SetBevelInner(TBevelCut v);
  TBevelCut GetBevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TBevelCut v);
  TBevelKind GetBevelKind() const { return bevelKind_; }
  void SetBevelKind(TBevelKind v);
  int GetBevelWidth() const { return bevelWidth_; }
  void SetBevelWidth(int v);
  TBevelEdges GetBevelEdges() const { return bevelEdges_; }
  void SetBevelEdges(TBevelEdges v);
  bool GetDoubleBuffered() const { return doubleBuffered_; }
  void SetDoubleBuffered(bool v) { doubleBuffered_ = v; }

  void DisableAlign() { ++alignDisabled_; }
  void EnableAlign();
  void Realign();

  void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override;

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;
  TKeyEvent OnKeyUp;

 protected:
  // A stock control: `widget` is the Qt widget it wraps (and paints itself).
  TWinControl(TComponent* AOwner, QWidget* widget);

  virtual void DoEnter();
  virtual void DoExit();
  virtual void KeyDown(WORD& Key, TShiftState Shift);
  virtual void KeyPress(char& Key);
  virtual void KeyUp(WORD& Key, TShiftState Shift);
  virtual int GetDialogCode() const { return 0; }
  // A dialog key the focused control did not want; true when handled (default buttons...).
  virtual bool DialogKey(WORD Key, TShiftState Shift);

  virtual void CreateParams(TCreateParams& Params);
  // Window (re)creation: the framework's CreateWnd; descendants call the inherited one first.
  virtual void CreateWnd();
  virtual void DestroyWnd();
  // The area aligned children fill (client rectangle, adjusted by the control).
  virtual void AdjustClientRect(TRect& rect) const {}
  virtual void AlignControls(TControl* control, TRect& rect);
  virtual void Ctl3DChanged();
  virtual void ParentCtl3DChanged();

  void Loaded() override;
  bool WidgetEvent(QEvent* event) override;
  void ColorChanged() override;
  void ParentColorChanged() override;
  void ParentFontChanged() override;
  void ParentShowHintChanged() override;
  void VisibleChanged() override;
  void EnabledChanged() override;
  void UpdateWidgetVisibility() override;

  // Platform side of the key path.
  virtual bool HandleKeyPressEvent(QKeyEvent* event);
  virtual bool HandleKeyReleaseEvent(QKeyEvent* event);
  // Whether the widget's own handling may get this (possibly replaced) character; false drops it
  // after the key events ran (an edit at its MaxLength).
  virtual bool AcceptChar(char c) { return true; }
  // Hands a key event to the widget's own handling (the widget, or the one that has the focus
  // inside it), so that it does not travel on to parent controls.
  void DeliverToWidget(QKeyEvent* event);
  // True for a plain container the framework paints (background with the brush).
  bool PaintsOwnBackground() const { return ownPaint_; }
  bool IsAligning() const { return aligning_ > 0; }
  void CreateHandlesForShowing();

  bool IsCtl3DStored() const { return !parentCtl3D_; }

 private:
  friend class TControl;
  friend class TCustomForm;
  friend class vcl::detail::FocusTracker;
  void ChildrenResized();
  void FixupTabList();
  void BroadcastParentChange(void (TControl::*fn)());

  std::vector<TControl*> controls_;
  std::vector<TWinControl*> tabList_;
  int pendingTabOrder_ = -1;
  bool tabStop_ = false;
  bool handleAllocated_ = false;
  bool ownPaint_ = false;
  std::unique_ptr<TBrush> brush_;
  int borderWidth_ = 0;
  bool ctl3D_ = true;
  bool parentCtl3D_ = true;
  TBevelCut bevelInner_ = bvRaised;
  TBevelCut bevelOuter_ = bvLowered;
  TBevelKind bevelKind_ = bkNone;
  int bevelWidth_ = 1;
  TBevelEdges bevelEdges_{beLeft, beTop, beRight, beBottom};
  bool doubleBuffered_ = false;
  int alignDisabled_ = 0;
  int aligning_ = 0;
  TWinControl* enteredControl_ = nullptr;  // for a top-level control: the one that has entered
};

// A windowless control drawn over its parent (transparent unless it paints its background).
class TGraphicControl : public TControl {
  VCL_CLASS(TGraphicControl, TControl)
 public:
  explicit TGraphicControl(TComponent* AOwner);
  TCanvas* GetCanvas() { return PaintCanvas(); }
  void SetParent(TWinControl* parent) override;

 protected:
  bool WidgetEvent(QEvent* event) override;
};

// A windowed control that paints itself: the background is filled with the Brush (the control's
// colour) before each Paint unless the brush is clear.
class TCustomControl : public TWinControl {
  VCL_CLASS(TCustomControl, TWinControl)
 public:
  explicit TCustomControl(TComponent* AOwner);
  TCanvas* GetCanvas() { return PaintCanvas(); }

 protected:
  bool WidgetEvent(QEvent* event) override;
};

// The form a control lies on (nullptr when its top-level parent is not a form).
TCustomForm* GetParentForm(const TControl* control);
