#include "platform/vcl/Controls.h"

#include <QApplication>
#include <QCursor>
#include <QHash>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QWidget>

#include <algorithm>
#include <unordered_set>

#include "platform/vcl/ActnList.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Keys.h"
#include "platform/vcl/QtSupport.h"

namespace vcl::detail {

std::unordered_set<const TControl*>& LiveControls() {
  static std::unordered_set<const TControl*> set;
  return set;
}

QHash<const QWidget*, TControl*>& WidgetMap() {
  static QHash<const QWidget*, TControl*> map;
  return map;
}

bool IsAlive(const TControl* c) { return c && LiveControls().count(c) != 0; }

// A key event being handed to a widget's own handling: its target handles it, ancestors eat it.
struct Delivery {
  QEvent* event = nullptr;
  QObject* target = nullptr;
};
Delivery g_delivery;

class ControlBridge : public QObject {
 public:
  explicit ControlBridge(TControl* control) : control_(control) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (g_delivery.event == event) return watched != g_delivery.target;
    if (control_->destroying_) return false;
    bool eaten = false;
    try {
      eaten = control_->WidgetEvent(event);
    } catch (...) {
      Application->HandleException(nullptr);
      eaten = true;
    }
    return eaten;
  }

 private:
  TControl* control_;
};

class FocusTracker {
 public:
  static void Install() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    QObject::connect(qApp, &QApplication::focusChanged, qApp,
                     [](QWidget*, QWidget* now) { Changed(now); });
  }

  static TWinControl* TopOf(TControl* c) {
    TControl* t = c;
    while (t->GetParent()) t = t->GetParent();
    return static_cast<TWinControl*>(t);
  }

  static void Changed(QWidget* now) {
    if (!now) return;
    TControl* tc = ControlOf(now);
    while (tc && !dynamic_cast<TWinControl*>(tc)) tc = tc->GetParent();
    auto* c = static_cast<TWinControl*>(tc);
    if (!c || c->IsBeingDestroyed()) return;
    TWinControl* top = TopOf(c);
    TWinControl* prev = top->enteredControl_;
    if (prev == c) return;
    if (prev && (!IsAlive(prev) || TopOf(prev) != top)) prev = nullptr;
    SetEntered(top, c);
    // Exit the old control and each container that does not hold the new one.
    std::vector<TWinControl*> exits;
    TWinControl* common = top;
    for (TWinControl* x = prev; x && x != top; x = x->GetParent()) {
      if (x->ContainsControl(c)) {
        common = x;
        break;
      }
      exits.push_back(x);
    }
    std::vector<TWinControl*> enters;
    for (TWinControl* x = c; x && x != common && x != top; x = x->GetParent()) enters.push_back(x);
    std::reverse(enters.begin(), enters.end());
    for (TWinControl* x : exits) {
      if (!IsAlive(x) || x->IsBeingDestroyed()) continue;
      Dispatch([x] { x->DoExit(); });
      if (!IsAlive(c) || top->enteredControl_ != c) return;
    }
    for (TWinControl* x : enters) {
      if (!IsAlive(x) || x->IsBeingDestroyed()) continue;
      Dispatch([x] { x->DoEnter(); });
      if (!IsAlive(c) || top->enteredControl_ != c) return;
    }
  }

  static void SetEntered(TWinControl* top, TWinControl* c) {
    top->enteredControl_ = c;
    if (auto* form = dynamic_cast<TCustomForm*>(top)) form->activeControl_ = c == top ? nullptr : c;
  }

  // A control leaves its window (destroyed or removed): forget it without exiting it.
  static void Forget(TControl* c) {
    TWinControl* top = TopOf(c);
    auto* wc = dynamic_cast<TWinControl*>(c);
    auto inside = [&](TWinControl* x) { return x && (x == c || (wc && wc->ContainsControl(x))); };
    if (inside(top->enteredControl_)) SetEntered(top, nullptr);
    // A form's active control may be one that has not had the focus yet.
    if (auto* form = dynamic_cast<TCustomForm*>(top); form && inside(form->activeControl_))
      form->activeControl_ = nullptr;
  }
};

}  // namespace vcl::detail

using vcl::detail::FocusTracker;
using vcl::detail::IsAlive;

namespace vcl {

QWidget* WidgetOf(const TControl* control) { return control ? control->Widget() : nullptr; }

TControl* ControlOf(const QWidget* widget) {
  auto& map = detail::WidgetMap();
  for (const QWidget* w = widget; w; w = w->parentWidget()) {
    auto it = map.constFind(w);
    if (it != map.constEnd()) return it.value();
  }
  return nullptr;
}

}  // namespace vcl

const TIdentMap& CursorIdents() {
  static const TIdentMap map = {
      {crDefault, "crDefault"},     {crNone, "crNone"},         {crArrow, "crArrow"},
      {crCross, "crCross"},         {crIBeam, "crIBeam"},       {crSizeNESW, "crSizeNESW"},
      {crSizeNS, "crSizeNS"},       {crSizeNWSE, "crSizeNWSE"}, {crSizeWE, "crSizeWE"},
      {crUpArrow, "crUpArrow"},     {crHourGlass, "crHourGlass"}, {crDrag, "crDrag"},
      {crNoDrop, "crNoDrop"},       {crHSplit, "crHSplit"},     {crVSplit, "crVSplit"},
      {crMultiDrag, "crMultiDrag"}, {crSQLWait, "crSQLWait"},   {crNo, "crNo"},
      {crAppStart, "crAppStart"},   {crHelp, "crHelp"},         {crHandPoint, "crHandPoint"},
      {crSizeAll, "crSizeAll"},
  };
  return map;
}

namespace vcl {
Qt::CursorShape CursorShapeOf(TCursor c) {
  switch (c) {
    case crNone: return Qt::BlankCursor;
    case crCross: return Qt::CrossCursor;
    case crIBeam: return Qt::IBeamCursor;
    case crSizeNESW: return Qt::SizeBDiagCursor;
    case crSizeNS: return Qt::SizeVerCursor;
    case crSizeNWSE: return Qt::SizeFDiagCursor;
    case crSizeWE: return Qt::SizeHorCursor;
    case crUpArrow: return Qt::UpArrowCursor;
    case crHourGlass:
    case crSQLWait: return Qt::WaitCursor;
    case crDrag:
    case crMultiDrag: return Qt::DragCopyCursor;
    case crNoDrop:
    case crNo: return Qt::ForbiddenCursor;
    case crHSplit: return Qt::SplitHCursor;
    case crVSplit: return Qt::SplitVCursor;
    case crAppStart: return Qt::BusyCursor;
    case crHelp: return Qt::WhatsThisCursor;
    case crHandPoint: return Qt::PointingHandCursor;
    case crSizeAll: return Qt::SizeAllCursor;
    default: return Qt::ArrowCursor;
  }
}
}  // namespace vcl

// --- TSizeConstraints ------------------------------------------------------------------------------

VCL_IMPLEMENT_CLASS(TSizeConstraints) {
  p.Published("MaxHeight", &TSizeConstraints::GetMaxHeight, &TSizeConstraints::SetMaxHeight).Default(0);
  p.Published("MaxWidth", &TSizeConstraints::GetMaxWidth, &TSizeConstraints::SetMaxWidth).Default(0);
  p.Published("MinHeight", &TSizeConstraints::GetMinHeight, &TSizeConstraints::SetMinHeight).Default(0);
  p.Published("MinWidth", &TSizeConstraints::GetMinWidth, &TSizeConstraints::SetMinWidth).Default(0);
}

void TSizeConstraints::SetMaxHeight(int v) { maxHeight_ = std::max(0, v); Changed(); }
void TSizeConstraints::SetMaxWidth(int v) { maxWidth_ = std::max(0, v); Changed(); }
void TSizeConstraints::SetMinHeight(int v) { minHeight_ = std::max(0, v); Changed(); }
void TSizeConstraints::SetMinWidth(int v) { minWidth_ = std::max(0, v); Changed(); }

void TSizeConstraints::Assign(const TPersistent* source) {
  if (auto* s = dynamic_cast<const TSizeConstraints*>(source)) {
    maxHeight_ = s->maxHeight_;
    maxWidth_ = s->maxWidth_;
    minHeight_ = s->minHeight_;
    minWidth_ = s->minWidth_;
    Changed();
    return;
  }
  TPersistent::Assign(source);
}

TPersistent* TSizeConstraints::GetOwner() const { return control_; }

void TSizeConstraints::Changed() {
  if (control_) control_->SetBounds(control_->GetLeft(), control_->GetTop(), control_->GetWidth(),
                                    control_->GetHeight());
}

// --- TControl -----------------------------------------------------------------------------------

VCL_IMPLEMENT_CLASS(TControl) {
  p.Published("Left", &TControl::GetLeft, &TControl::SetLeft);
  p.Published("Top", &TControl::GetTop, &TControl::SetTop);
  p.Published("Width", &TControl::GetWidth, &TControl::SetWidth);
  p.Published("Height", &TControl::GetHeight, &TControl::SetHeight);
  p.Published("Cursor", &TControl::GetCursor, &TControl::SetCursor)
      .Default(crDefault)
      .Idents(CursorIdents());
  p.Published("Hint", &TControl::GetHint, &TControl::SetHint);

  p.Declare("Action", &TControl::GetAction, &TControl::SetAction);
  p.Declare("Align", &TControl::GetAlign, &TControl::SetAlign).Default(alNone);
  p.Declare("Anchors", &TControl::GetAnchors, &TControl::SetAnchors)
      .Default(TAnchors{akLeft, akTop});
  p.Declare("BiDiMode", &TControl::GetBiDiMode, &TControl::SetBiDiMode).Default(bdLeftToRight);
  p.Declare("Caption", &TControl::GetCaption, &TControl::SetCaption);
  p.Declare("ClientHeight", &TControl::GetClientHeight, &TControl::SetClientHeight).Stored(false);
  p.Declare("ClientWidth", &TControl::GetClientWidth, &TControl::SetClientWidth).Stored(false);
  p.Declare("Color", &TControl::GetColor, &TControl::SetColor)
      .Default(clWindow)
      .Stored(&TControl::IsColorStored);
  p.Declare("Constraints", &TControl::GetConstraints, &TControl::SetConstraints);
  p.Declare("Enabled", &TControl::GetEnabled, &TControl::SetEnabled).Default(true);
  p.Declare("Font", &TControl::GetFont, &TControl::SetFont).Stored(&TControl::IsFontStored);
  p.Declare("ParentColor", &TControl::GetParentColor, &TControl::SetParentColor).Default(true);
  p.Declare("ParentFont", &TControl::GetParentFont, &TControl::SetParentFont).Default(true);
  p.Declare("ParentShowHint", &TControl::GetParentShowHint, &TControl::SetParentShowHint)
      .Default(true);
  p.Declare("ShowHint", &TControl::GetShowHint, &TControl::SetShowHint)
      .Stored(&TControl::IsShowHintStored);
  p.Declare("Text", &TControl::GetText, &TControl::SetText);
  p.Declare("Visible", &TControl::GetVisible, &TControl::SetVisible).Default(true);
  p.Declare("OnClick", &TControl::OnClick);
  p.Declare("OnDblClick", &TControl::OnDblClick);
  p.Declare("OnMouseDown", &TControl::OnMouseDown);
  p.Declare("OnMouseMove", &TControl::OnMouseMove);
  p.Declare("OnMouseUp", &TControl::OnMouseUp);
  p.Declare("OnResize", &TControl::OnResize);
}

TControl::TControl(TComponent* AOwner) : TControl(AOwner, nullptr) {}

TControl::TControl(TComponent* AOwner, QWidget* widget)
    : TComponent(AOwner),
      constraints_(std::make_unique<TSizeConstraints>(this)),
      font_(std::make_unique<TFont>()) {
  vcl::EnsureApplication();
  FocusTracker::Install();
  widget_ = widget ? widget : new QWidget;
  widget_->hide();
  widget_->setMouseTracking(true);
  bridge_ = std::make_unique<vcl::detail::ControlBridge>(this);
  widget_->installEventFilter(bridge_.get());
  vcl::detail::LiveControls().insert(this);
  vcl::detail::WidgetMap().insert(widget_, this);
  font_->OnChange = [this](TObject*) { FontObjectChanged(); };
  widget_->setFont(vcl::ToQFont(*font_, false));
  UpdateWidgetPalette();
}

TControl::~TControl() {
  BeginDestroy();
  if (parent_) parent_->RemoveControl(this);
  actionLink_.reset();
  if (widget_) {
    widget_->removeEventFilter(bridge_.get());
    delete widget_;
    widget_ = nullptr;
  }
}

void TControl::BeginDestroy() {
  if (destroying_) return;
  destroying_ = true;
  Destroying();
  FocusTracker::Forget(this);
  vcl::detail::LiveControls().erase(this);
  vcl::detail::WidgetMap().remove(widget_);
  if (widget_) widget_->blockSignals(true);
}

bool TControl::IsBeingDestroyed() const {
  for (const TControl* c = this; c; c = c->parent_)
    if (c->destroying_) return true;
  return false;
}

void TControl::SetControlStateFlag(TControlStateItem f, bool on) {
  if (on)
    controlState_.Include(f);
  else
    controlState_.Exclude(f);
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  if (parent == this) throw EInvalidOperation("A control cannot have itself as its parent");
  if (auto* self = dynamic_cast<TWinControl*>(this); self && parent && self->ContainsControl(parent))
    throw EInvalidOperation("A control cannot have one of its children as its parent");
  if (parent_) parent_->RemoveControl(this);
  if (parent) parent->InsertControl(this);
}

TComponent* TControl::GetParentComponent() const { return parent_; }

void TControl::SetParentComponent(TComponent* parent) {
  if (auto* w = dynamic_cast<TWinControl*>(parent)) SetParent(w);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  const TSizeConstraints* c = constraints_.get();
  if (c->GetMaxWidth() > 0) AWidth = std::min(AWidth, c->GetMaxWidth());
  if (c->GetMinWidth() > 0) AWidth = std::max(AWidth, c->GetMinWidth());
  if (c->GetMaxHeight() > 0) AHeight = std::min(AHeight, c->GetMaxHeight());
  if (c->GetMinHeight() > 0) AHeight = std::max(AHeight, c->GetMinHeight());
  AWidth = std::max(0, AWidth);
  AHeight = std::max(0, AHeight);
  if (ALeft == left_ && ATop == top_ && AWidth == width_ && AHeight == height_) return;
  bool resized = AWidth != width_ || AHeight != height_;
  left_ = ALeft;
  top_ = ATop;
  width_ = AWidth;
  height_ = AHeight;
  ApplyBounds();
  if (!controlState_.Contains(csAligning)) UpdateAnchorRules();
  if (align_ != alNone) RequestAlign();
  if (resized && !destroying_) Resize();
}

void TControl::ApplyBounds() {
  if (parent_) {
    TPoint off = parent_->ClientOffset();
    widget_->setGeometry(left_ + off.X, top_ + off.Y, width_, height_);
  } else {
    widget_->resize(width_, height_);
  }
}

void TControl::SetClientWidth(int v) { SetWidth(v + (width_ - GetClientWidth())); }
void TControl::SetClientHeight(int v) { SetHeight(v + (height_ - GetClientHeight())); }

TPoint TControl::ClientToScreen(TPoint p) const {
  QPoint g = widget_->mapToGlobal(QPoint(p.X, p.Y));
  return {g.x(), g.y()};
}

TPoint TControl::ScreenToClient(TPoint p) const {
  QPoint l = widget_->mapFromGlobal(QPoint(p.X, p.Y));
  return {l.x(), l.y()};
}

void TControl::SetAlign(TAlign v) {
  if (align_ == v) return;
  TAlign old = align_;
  align_ = v;
  if (old != alNone || v != alNone) RequestAlign();
  if (v == alNone) UpdateAnchorRules();
}

void TControl::SetAnchors(TAnchors v) {
  if (anchors_ == v) return;
  anchors_ = v;
  UpdateAnchorRules();
}

void TControl::UpdateAnchorRules() {
  if (!parent_) return;
  anchorRules_.parentW = parent_->GetClientWidth();
  anchorRules_.parentH = parent_->GetClientHeight();
  anchorRules_.bounds = GetBoundsRect();
}

void TControl::ApplyAnchorRules(int parentW, int parentH) {
  if (align_ != alNone || anchors_ == TAnchors{akLeft, akTop}) return;
  const AnchorRules& r = anchorRules_;
  int l = r.bounds.Left, t = r.bounds.Top, w = r.bounds.Width(), h = r.bounds.Height();
  if (r.parentW > 0) {
    int dw = parentW - r.parentW;
    bool left = anchors_.Contains(akLeft), right = anchors_.Contains(akRight);
    if (left && right)
      w += dw;
    else if (right)
      l += dw;
    else if (!left)
      l = MulDiv(l + w / 2, parentW, r.parentW) - w / 2;
  }
  if (r.parentH > 0) {
    int dh = parentH - r.parentH;
    bool top = anchors_.Contains(akTop), bottom = anchors_.Contains(akBottom);
    if (top && bottom)
      h += dh;
    else if (bottom)
      t += dh;
    else if (!top)
      t = MulDiv(t + h / 2, parentH, r.parentH) - h / 2;
  }
  SetControlStateFlag(csAligning, true);
  SetBounds(l, t, w, h);
  SetControlStateFlag(csAligning, false);
}

void TControl::RequestAlign() {
  if (parent_ && !parent_->IsAligning()) parent_->Realign();
}

void TControl::SetVisible(bool v) {
  if (visible_ == v) return;
  visible_ = v;
  VisibleChanged();
}

void TControl::VisibleChanged() {
  UpdateWidgetVisibility();
  if (align_ != alNone) RequestAlign();
}

void TControl::UpdateWidgetVisibility() {
  if (parent_)
    widget_->setVisible(visible_);
  else
    widget_->hide();
}

bool TControl::Showing() const {
  if (!visible_) return false;
  const TControl* c = this;
  while (c->parent_) {
    c = c->parent_;
    if (!c->visible_) return false;
  }
  return c->widget_->isVisible();
}

void TControl::SetEnabled(bool v) {
  if (enabled_ == v) return;
  enabled_ = v;
  EnabledChanged();
}

void TControl::EnabledChanged() {
  widget_->setEnabled(enabled_);
  Invalidate();
}

void TControl::SetParentFont(bool v) {
  if (parentFont_ == v) return;
  parentFont_ = v;
  if (v && parent_) ParentFontChanged();
}

void TControl::ParentFontChanged() {
  if (!parentFont_ || !parent_) return;
  fontFromParent_ = true;
  font_->Assign(parent_->GetFont());
  fontFromParent_ = false;
}

void TControl::FontObjectChanged() {
  if (!fontFromParent_) parentFont_ = false;
  FontChanged();
  if (auto* w = dynamic_cast<TWinControl*>(this)) w->BroadcastParentChange(&TControl::ParentFontChanged);
}

void TControl::FontChanged() {
  widget_->setFont(vcl::ToQFont(*font_, false));
  UpdateWidgetPalette();
  Invalidate();
}

void TControl::SetColor(TColor v) {
  if (color_ == v && !parentColor_) return;
  color_ = v;
  parentColor_ = false;
  ColorChanged();
}

void TControl::SetParentColor(bool v) {
  if (parentColor_ == v) return;
  parentColor_ = v;
  if (v && parent_) ParentColorChanged();
}

void TControl::ParentColorChanged() {
  if (!parentColor_ || !parent_) return;
  color_ = parent_->GetColor();
  ColorChanged();
}

void TControl::ColorChanged() {
  UpdateWidgetPalette();
  Invalidate();
}

void TControl::UpdateWidgetPalette() {
  QPalette pal = widget_->palette();
  QColor bg = vcl::ToQColor(color_), fg = vcl::ToQColor(font_->GetColor());
  for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    pal.setColor(group, QPalette::Window, bg);
    pal.setColor(group, QPalette::Button, bg);
    if (group != QPalette::Disabled) {
      pal.setColor(group, QPalette::WindowText, fg);
      pal.setColor(group, QPalette::ButtonText, fg);
      pal.setColor(group, QPalette::Text, fg);
    }
  }
  widget_->setPalette(pal);
}

void TControl::SetCursor(TCursor v) {
  cursor_ = v;
  if (v == crDefault)
    widget_->unsetCursor();
  else
    widget_->setCursor(QCursor(vcl::CursorShapeOf(v)));
}

void TControl::SetHint(const std::string& v) {
  hint_ = v;
  ParentShowHintChanged();
}

void TControl::SetShowHint(bool v) {
  showHint_ = v;
  parentShowHint_ = false;
  ParentShowHintChanged();
}

void TControl::SetParentShowHint(bool v) {
  if (parentShowHint_ == v) return;
  parentShowHint_ = v;
  ParentShowHintChanged();
}

void TControl::ParentShowHintChanged() {
  if (parentShowHint_ && parent_) showHint_ = parent_->GetShowHint();
  std::string shortHint = hint_.substr(0, hint_.find('|'));
  widget_->setToolTip(showHint_ ? vcl::ToQString(shortHint) : QString());
}

void TControl::SetText(const std::string& text) {
  if (RealGetText() == text) return;
  RealSetText(text);
  TextChanged();
}

void TControl::TextChanged() { Invalidate(); }

TBasicAction* TControl::GetAction() const {
  return actionLink_ ? actionLink_->GetAction() : nullptr;
}

void TControl::SetAction(TBasicAction* action) {
  if (!action) {
    actionLink_.reset();
    return;
  }
  if (!actionLink_) {
    actionLink_ = std::make_unique<TBasicActionLink>();
    actionLink_->OnChange = [this](TBasicAction* a) {
      if (a) ActionChange(a, false);
    };
  }
  actionLink_->SetAction(action);
  action->FreeNotification(this);
  ActionChange(action, IsLoading());
}

void TControl::ActionChange(TObject* Sender, bool CheckDefaults) {
  auto* a = dynamic_cast<TCustomAction*>(Sender);
  if (!a) return;
  if (!CheckDefaults || GetCaption().empty() || GetCaption() == GetName())
    SetCaption(a->GetCaption());
  if (!CheckDefaults || GetEnabled()) SetEnabled(a->GetEnabled());
  if (!CheckDefaults || hint_.empty()) SetHint(a->GetHint());
  if (!CheckDefaults || GetVisible()) SetVisible(a->GetVisible());
}

void TControl::Click() {
  if (OnClick) {
    OnClick(this);
  } else if (actionLink_ && actionLink_->GetAction() && !GetComponentState().Contains(csDesigning)) {
    actionLink_->Execute(this);
  }
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

void TControl::Loaded() {
  TComponent::Loaded();
  UpdateAnchorRules();
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent && actionLink_ && AComponent == actionLink_->GetAction())
    actionLink_.reset();
}

void TControl::Invalidate() {
  if (widget_) widget_->update();
}

void TControl::Repaint() {
  if (widget_) widget_->repaint();
}

void TControl::Update() {
  if (widget_) widget_->repaint();
}

void TControl::BringToFront() { widget_->raise(); }
void TControl::SendToBack() { widget_->lower(); }

void TControl::PaintTo(TCanvas* canvas, int x, int y) {
  if (auto* w = dynamic_cast<TWinControl*>(this)) w->HandleNeeded();
  canvas->RenderWidget(widget_, x, y);
}

TCanvas* TControl::PaintCanvas() {
  if (!canvas_) canvas_ = std::make_unique<TCanvas>();
  return canvas_.get();
}

static TMouseButton ButtonOf(Qt::MouseButton b) {
  switch (b) {
    case Qt::RightButton: return mbRight;
    case Qt::MiddleButton: return mbMiddle;
    default: return mbLeft;
  }
}

bool TControl::WidgetEvent(QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      auto* me = static_cast<QMouseEvent*>(event);
      TMouseButton b = ButtonOf(me->button());
      TShiftState shift = vcl::ShiftStateOf(me->modifiers(), me->buttons());
      QPoint pos = me->position().toPoint();
      if (b == mbLeft) {
        SetControlStateFlag(csLButtonDown, true);
        SetControlStateFlag(csClicked, controlStyle_.Contains(csClickEvents));
      }
      MouseDown(b, shift, pos.x(), pos.y());
      return false;
    }
    case QEvent::MouseButtonRelease: {
      auto* me = static_cast<QMouseEvent*>(event);
      TMouseButton b = ButtonOf(me->button());
      TShiftState shift = vcl::ShiftStateOf(me->modifiers(), me->buttons());
      QPoint pos = me->position().toPoint();
      bool click = false;
      if (b == mbLeft) {
        click = controlState_.Contains(csClicked) && widget_->rect().contains(pos);
        SetControlStateFlag(csClicked, false);
        SetControlStateFlag(csLButtonDown, false);
      }
      if (click) {
        Click();
        if (!IsAlive(this)) return true;
      }
      MouseUp(b, shift, pos.x(), pos.y());
      return false;
    }
    case QEvent::MouseButtonDblClick: {
      auto* me = static_cast<QMouseEvent*>(event);
      TMouseButton b = ButtonOf(me->button());
      TShiftState shift = vcl::ShiftStateOf(me->modifiers(), me->buttons());
      QPoint pos = me->position().toPoint();
      if (b == mbLeft) {
        // The second release of a double click is no click of its own.
        SetControlStateFlag(csLButtonDown, true);
        if (controlStyle_.Contains(csDoubleClicks)) {
          DblClick();
          if (!IsAlive(this)) return true;
        }
      }
      MouseDown(b, shift << ssDouble, pos.x(), pos.y());
      return false;
    }
    case QEvent::MouseMove: {
      auto* me = static_cast<QMouseEvent*>(event);
      QPoint pos = me->position().toPoint();
      MouseMove(vcl::ShiftStateOf(me->modifiers(), me->buttons()), pos.x(), pos.y());
      return false;
    }
    default:
      return false;
  }
}

// --- TWinControl ----------------------------------------------------------------------------------

VCL_IMPLEMENT_CLASS(TWinControl) {
  p.Declare("BevelEdges", &TWinControl::GetBevelEdges, &TWinControl::SetBevelEdges)
      .Default(TBevelEdges{beLeft, beTop, beRight, beBottom});
  p.Declare("BevelInner", &TWinControl::GetBevelInner, &TWinControl::SetBevelInner).Default(bvRaised);
  p.Declare("BevelKind", &TWinControl::GetBevelKind, &TWinControl::SetBevelKind).Default(bkNone);
  p.Declare("BevelOuter", &TWinControl::GetBevelOuter, &TWinControl::SetBevelOuter).Default(bvLowered);
  p.Declare("BevelWidth", &TWinControl::GetBevelWidth, &TWinControl::SetBevelWidth).Default(1);
  p.Declare("BorderWidth", &TWinControl::GetBorderWidth, &TWinControl::SetBorderWidth).Default(0);
  p.Declare("Brush", &TWinControl::GetBrush);
  p.Declare("Ctl3D", &TWinControl::GetCtl3D, &TWinControl::SetCtl3D)
      .Stored(&TWinControl::IsCtl3DStored);
  p.Declare("DoubleBuffered", &TWinControl::GetDoubleBuffered, &TWinControl::SetDoubleBuffered)
      .Default(false);
  p.Declare("ParentCtl3D", &TWinControl::GetParentCtl3D, &TWinControl::SetParentCtl3D).Default(true);
  p.Declare("TabOrder", &TWinControl::GetTabOrder, &TWinControl::SetTabOrder).Default(-1);
  p.Declare("TabStop", &TWinControl::GetTabStop, &TWinControl::SetTabStop).Default(false);
  p.Declare("OnEnter", &TWinControl::OnEnter);
  p.Declare("OnExit", &TWinControl::OnExit);
  p.Declare("OnKeyDown", &TWinControl::OnKeyDown);
  p.Declare("OnKeyPress", &TWinControl::OnKeyPress);
  p.Declare("OnKeyUp", &TWinControl::OnKeyUp);
}

TWinControl::TWinControl(TComponent* AOwner) : TWinControl(AOwner, nullptr) {}

TWinControl::TWinControl(TComponent* AOwner, QWidget* widget)
    : TControl(AOwner, widget), ownPaint_(widget == nullptr), brush_(std::make_unique<TBrush>()) {
  brush_->SetColor(GetColor());
  brush_->OnChange = [this](TObject*) { Invalidate(); };
  if (ownPaint_) Widget()->setFocusPolicy(Qt::NoFocus);
}

TWinControl::~TWinControl() {
  BeginDestroy();
  for (TControl* c : controls_) c->BeginDestroy();
  while (!controls_.empty()) {
    TControl* c = controls_.back();
    c->BeforeDestruction();
    delete c;
    if (!controls_.empty() && controls_.back() == c) controls_.pop_back();
  }
}

TControl* TWinControl::GetControl(int index) const {
  if (index < 0 || index >= GetControlCount())
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  return controls_[static_cast<std::size_t>(index)];
}

void TWinControl::InsertControl(TControl* control) {
  if (!control || control->parent_ == this) return;
  if (control->parent_) control->parent_->RemoveControl(control);
  control->parent_ = this;
  controls_.push_back(control);
  auto* wc = dynamic_cast<TWinControl*>(control);
  if (wc) tabList_.push_back(wc);
  control->widget_->setParent(Widget());
  control->ApplyBounds();
  control->UpdateWidgetVisibility();
  if (control->parentFont_) control->ParentFontChanged();
  if (control->parentColor_) control->ParentColorChanged();
  if (control->parentShowHint_) control->ParentShowHintChanged();
  if (wc && wc->parentCtl3D_) wc->ParentCtl3DChanged();
  control->UpdateAnchorRules();
  if (control->align_ != alNone) Realign();
  if (wc && wc->GetVisible() && handleAllocated_ && Showing()) {
    wc->HandleNeeded();
    wc->CreateHandlesForShowing();
  }
}

void TWinControl::RemoveControl(TControl* control) {
  if (!control || control->parent_ != this) return;
  FocusTracker::Forget(control);
  controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
  tabList_.erase(std::remove(tabList_.begin(), tabList_.end(), control), tabList_.end());
  control->parent_ = nullptr;
  if (control->widget_) {
    control->widget_->hide();
    control->widget_->setParent(nullptr);
  }
  if (control->align_ != alNone && !destroying_) Realign();
}

bool TWinControl::ContainsControl(const TControl* control) const {
  for (const TControl* c = control; c; c = c->parent_)
    if (c == this) return true;
  return false;
}

TControl* TWinControl::FindChildControl(std::string_view name) const {
  for (TControl* c : controls_)
    if (vcl::SameIdent(c->GetName(), name)) return c;
  return nullptr;
}

int TWinControl::GetClientWidth() const { return std::max(0, GetWidth() - 2 * borderWidth_); }
int TWinControl::GetClientHeight() const { return std::max(0, GetHeight() - 2 * borderWidth_); }
TPoint TWinControl::ClientOffset() const { return {borderWidth_, borderWidth_}; }

void TWinControl::SetBorderWidth(int v) {
  v = std::max(0, v);
  if (borderWidth_ == v) return;
  borderWidth_ = v;
  for (TControl* c : controls_) c->ApplyBounds();
  ChildrenResized();
  Invalidate();
}

int TWinControl::GetTabOrder() const {
  TWinControl* p = GetParent();
  if (!p) return -1;
  auto it = std::find(p->tabList_.begin(), p->tabList_.end(), this);
  return it == p->tabList_.end() ? -1 : static_cast<int>(it - p->tabList_.begin());
}

void TWinControl::SetTabOrder(int v) {
  if (IsLoading()) {
    pendingTabOrder_ = v;
    return;
  }
  TWinControl* p = GetParent();
  if (!p) return;
  auto& list = p->tabList_;
  int count = static_cast<int>(list.size());
  int cur = GetTabOrder();
  if (v < 0 || v >= count) v = count - 1;
  if (cur == v || cur < 0) return;
  list.erase(list.begin() + cur);
  list.insert(list.begin() + v, this);
}

void TWinControl::FixupTabList() {
  int count = static_cast<int>(tabList_.size());
  std::vector<TWinControl*> placed(static_cast<std::size_t>(count), nullptr);
  std::vector<TWinControl*> rest;
  for (TWinControl* c : tabList_) {
    int want = c->pendingTabOrder_;
    c->pendingTabOrder_ = -1;
    if (want >= 0 && want < count && !placed[static_cast<std::size_t>(want)])
      placed[static_cast<std::size_t>(want)] = c;
    else
      rest.push_back(c);
  }
  std::size_t r = 0;
  for (auto& slot : placed)
    if (!slot) slot = rest[r++];
  tabList_ = placed;
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const {
  for (TWinControl* c : tabList_) {
    list.push_back(c);
    c->GetTabOrderList(list);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool goForward, bool checkTabStop,
                                          bool checkParent) const {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  int n = static_cast<int>(list.size());
  int start = -1;
  for (int i = 0; i < n; ++i)
    if (list[static_cast<std::size_t>(i)] == current) start = i;
  if (start < 0) start = goForward ? n - 1 : 0;
  int i = start;
  for (int step = 0; step < n; ++step) {
    i = goForward ? (i + 1) % n : (i - 1 + n) % n;
    TWinControl* c = list[static_cast<std::size_t>(i)];
    if (c == current && step + 1 < n) continue;
    if ((!checkTabStop || c->tabStop_) && (!checkParent || c->GetParent() == this) && c->CanFocus())
      return c;
  }
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool goForward, bool checkTabStop) {
  TWinControl* next = FindNextControl(current, goForward, checkTabStop, !checkTabStop);
  if (next) next->SetFocus();
}

void TWinControl::SelectFirst() {
  TWinControl* first = FindNextControl(nullptr, true, true, false);
  if (!first) first = FindNextControl(nullptr, true, false, false);
  if (first) first->SetFocus();
}

bool TWinControl::CanFocus() const {
  for (const TControl* c = this; c; c = c->GetParent())
    if (!c->GetVisible() || !c->GetEnabled()) return false;
  return true;
}

void TWinControl::SetFocus() {
  if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  QWidget* top = Widget()->window();
  if (!top->isVisible()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  HandleNeeded();
  if (!top->isActiveWindow()) {
    top->activateWindow();
    QApplication::setActiveWindow(top);
  }
  Widget()->setFocus(Qt::OtherFocusReason);
}

bool TWinControl::Focused() const { return Widget()->hasFocus(); }

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

void TWinControl::KeyDown(WORD& Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyPress(char& Key) {
  if (OnKeyPress) OnKeyPress(this, Key);
}

void TWinControl::KeyUp(WORD& Key, TShiftState Shift) {
  if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

bool TWinControl::DialogKey(WORD Key, TShiftState Shift) {
  for (TControl* c : std::vector<TControl*>(controls_)) {
    auto* w = dynamic_cast<TWinControl*>(c);
    if (w && IsAlive(w) && w->DialogKey(Key, Shift)) return true;
  }
  return false;
}

void TWinControl::CreateParams(TCreateParams& Params) {
  Params.Caption = GetText();
  Params.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (GetVisible()) Params.Style |= WS_VISIBLE;
  if (!GetEnabled()) Params.Style |= WS_DISABLED;
  if (tabStop_) Params.Style |= WS_TABSTOP;
  Params.X = GetLeft();
  Params.Y = GetTop();
  Params.Width = GetWidth();
  Params.Height = GetHeight();
  Params.WndParent = GetParent();
  Params.WinClassName = ClassName();
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  handleAllocated_ = true;
}

void TWinControl::DestroyWnd() { handleAllocated_ = false; }

void TWinControl::HandleNeeded() {
  if (handleAllocated_) return;
  if (GetParent()) GetParent()->HandleNeeded();
  if (!handleAllocated_) CreateWnd();
}

void TWinControl::RecreateWnd() {
  if (!handleAllocated_) return;
  DestroyWnd();
  CreateWnd();
}

void TWinControl::CreateHandlesForShowing() {
  for (TControl* c : std::vector<TControl*>(controls_)) {
    auto* w = dynamic_cast<TWinControl*>(c);
    if (!w || !w->GetVisible() || !IsAlive(w)) continue;
    w->HandleNeeded();
    w->CreateHandlesForShowing();
  }
}

void TWinControl::SetCtl3D(bool v) {
  if (ctl3D_ == v && !parentCtl3D_) return;
  ctl3D_ = v;
  parentCtl3D_ = false;
  Ctl3DChanged();
}

void TWinControl::SetParentCtl3D(bool v) {
  if (parentCtl3D_ == v) return;
  parentCtl3D_ = v;
  if (v) ParentCtl3DChanged();
}

void TWinControl::ParentCtl3DChanged() {
  if (!parentCtl3D_ || !GetParent()) return;
  ctl3D_ = GetParent()->GetCtl3D();
  Ctl3DChanged();
}

void TWinControl::Ctl3DChanged() {
  Invalidate();
  BroadcastParentChange(nullptr);
}

void TWinControl::BroadcastParentChange(void (TControl::*fn)()) {
  for (TControl* c : std::vector<TControl*>(controls_)) {
    if (!IsAlive(c)) continue;
    if (fn) {
      (c->*fn)();
    } else if (auto* w = dynamic_cast<TWinControl*>(c)) {
      w->ParentCtl3DChanged();
    }
  }
}

void TWinControl::ColorChanged() {
  brush_->SetColor(GetColor());
  TControl::ColorChanged();
  BroadcastParentChange(&TControl::ParentColorChanged);
}

void TWinControl::ParentColorChanged() {
  if (!GetParentColor() || !GetParent()) return;
  TControl::ParentColorChanged();
}

void TWinControl::ParentFontChanged() { TControl::ParentFontChanged(); }

void TWinControl::ParentShowHintChanged() {
  TControl::ParentShowHintChanged();
  BroadcastParentChange(&TControl::ParentShowHintChanged);
}

void TWinControl::SetBevelInner(TBevelCut v) { bevelInner_ = v; Invalidate(); }
void TWinControl::SetBevelOuter(TBevelCut v) { bevelOuter_ = v; Invalidate(); }
void TWinControl::SetBevelKind(TBevelKind v) { bevelKind_ = v; Invalidate(); }
void TWinControl::SetBevelWidth(int v) { bevelWidth_ = std::max(1, v); Invalidate(); }
void TWinControl::SetBevelEdges(TBevelEdges v) { bevelEdges_ = v; Invalidate(); }

void TWinControl::VisibleChanged() {
  TControl::VisibleChanged();
  if (GetVisible() && GetParent() && GetParent()->HandleAllocated() && Showing()) {
    HandleNeeded();
    CreateHandlesForShowing();
  }
}

void TWinControl::EnabledChanged() { TControl::EnabledChanged(); }

void TWinControl::UpdateWidgetVisibility() { TControl::UpdateWidgetVisibility(); }

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  int oldCW = GetClientWidth(), oldCH = GetClientHeight();
  TControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (GetClientWidth() != oldCW || GetClientHeight() != oldCH) ChildrenResized();
}

void TWinControl::ChildrenResized() {
  if (destroying_) return;
  ++aligning_;
  int w = GetClientWidth(), h = GetClientHeight();
  for (TControl* c : std::vector<TControl*>(controls_))
    if (IsAlive(c)) c->ApplyAnchorRules(w, h);
  --aligning_;
  Realign();
}

void TWinControl::EnableAlign() {
  if (alignDisabled_ > 0 && --alignDisabled_ == 0) Realign();
}

void TWinControl::Realign() {
  if (alignDisabled_ > 0 || aligning_ > 0 || destroying_) return;
  TRect rect = GetClientRect();
  AdjustClientRect(rect);
  ++aligning_;
  AlignControls(nullptr, rect);
  --aligning_;
}

void TWinControl::AlignControls(TControl* control, TRect& rect) {
  auto place = [&](TAlign kind) {
    std::vector<TControl*> list;
    for (TControl* c : controls_)
      if (c->align_ == kind && c->GetVisible()) list.push_back(c);
    auto key = [kind](const TControl* c) {
      switch (kind) {
        case alTop: return c->top_;
        case alBottom: return -(c->top_ + c->height_);
        case alLeft: return c->left_;
        case alRight: return -(c->left_ + c->width_);
        default: return 0;
      }
    };
    std::stable_sort(list.begin(), list.end(),
                     [&](const TControl* a, const TControl* b) { return key(a) < key(b); });
    for (TControl* c : list) {
      int l = rect.Left, t = rect.Top, w = rect.Width(), h = rect.Height();
      switch (kind) {
        case alTop: h = c->height_; break;
        case alBottom: h = c->height_; t = rect.Bottom - h; break;
        case alLeft: w = c->width_; break;
        case alRight: w = c->width_; l = rect.Right - w; break;
        default: break;
      }
      c->SetControlStateFlag(csAligning, true);
      c->SetBounds(l, t, std::max(0, w), std::max(0, h));
      c->SetControlStateFlag(csAligning, false);
      switch (kind) {
        case alTop: rect.Top += c->height_; break;
        case alBottom: rect.Bottom -= c->height_; break;
        case alLeft: rect.Left += c->width_; break;
        case alRight: rect.Right -= c->width_; break;
        default: break;
      }
    }
  };
  place(alTop);
  place(alBottom);
  place(alLeft);
  place(alRight);
  place(alClient);
}

void TWinControl::Loaded() {
  TControl::Loaded();
  FixupTabList();
  Realign();
}

void TWinControl::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) {
  for (TControl* c : std::vector<TControl*>(controls_))
    if (c->GetOwner() == root) proc(c);
  if (root == this) TComponent::GetChildren(proc, root);
}

void TWinControl::DeliverToWidget(QKeyEvent* event) {
  QWidget* target = Widget();
  QWidget* fw = QApplication::focusWidget();
  if (fw && Widget()->isAncestorOf(fw) && vcl::ControlOf(fw) == this) target = fw;
  vcl::detail::Delivery saved = vcl::detail::g_delivery;
  vcl::detail::g_delivery = {event, target};
  QCoreApplication::sendEvent(target, event);
  vcl::detail::g_delivery = saved;
}

namespace {

// The dialog-key mask of a key (what a control must want to get it before the form).
int DialogMaskOf(WORD key) {
  switch (key) {
    case VK_TAB: return DLGC_WANTTAB;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN: return DLGC_WANTARROWS;
    case VK_RETURN:
    case VK_EXECUTE:
    case VK_ESCAPE:
    case VK_CANCEL: return DLGC_WANTALLKEYS;
    default: return 0;
  }
}

}  // namespace

bool TWinControl::HandleKeyPressEvent(QKeyEvent* event) {
  WORD vk = vcl::VirtualKeyOf(event->key(), event->modifiers());
  TShiftState shift = vcl::ShiftStateOf(event->modifiers());
  TCustomForm* form = GetParentForm(this);
  TWinControl* root = FocusTracker::TopOf(this);

  // 1. Dialog keys the control does not want go to its window first.
  int mask = DialogMaskOf(vk);
  if (mask && !(GetDialogCode() & mask) && !shift.Contains(ssAlt)) {
    if (vk == VK_TAB && !shift.Contains(ssCtrl)) {
      root->SelectNext(this, !shift.Contains(ssShift), true);
      return true;
    }
    if (mask == DLGC_WANTARROWS) {
      if (GetParent()) GetParent()->SelectNext(this, vk == VK_RIGHT || vk == VK_DOWN, false);
      return true;
    }
    if (root->DialogKey(vk, shift)) return true;
    if (!IsAlive(this)) return true;
  }

  // 2. KeyDown, the form's first when it previews keys.
  WORD key = vk;
  if (vk) {
    if (form && form != this && form->GetKeyPreview()) static_cast<TWinControl*>(form)->KeyDown(key, shift);
    if (!IsAlive(this)) return true;
    if (key) KeyDown(key, shift);
    if (!IsAlive(this)) return true;
  }

  // 3. KeyPress for a typed character, whatever KeyDown did.
  char ch = 0;
  if (vcl::CharOfKeyEvent(event, ch)) {
    char c = ch;
    if (form && form != this && form->GetKeyPreview()) static_cast<TWinControl*>(form)->KeyPress(c);
    if (!IsAlive(this)) return true;
    if (c) KeyPress(c);
    if (!IsAlive(this)) return true;
    if (c == 0 || !AcceptChar(c)) return true;
    if (c != ch) {
      int qtKey;
      Qt::KeyboardModifiers mods;
      vcl::KeyOfChar(c, qtKey, mods);
      QKeyEvent replaced(QEvent::KeyPress, qtKey, mods, QString(vcl::ToQChar(c)));
      DeliverToWidget(&replaced);
      return true;
    }
    DeliverToWidget(event);
    return true;
  }

  // 4. The widget's own handling of the key.
  if (vk && key == 0) return true;
  if (vk && key != vk) {
    bool keypad = false;
    int qtKey = vcl::QtKeyOf(key, &keypad);
    Qt::KeyboardModifiers mods = event->modifiers();
    if (keypad) mods |= Qt::KeypadModifier;
    QKeyEvent replaced(QEvent::KeyPress, qtKey, mods);
    DeliverToWidget(&replaced);
    return true;
  }
  DeliverToWidget(event);
  return true;
}

bool TWinControl::HandleKeyReleaseEvent(QKeyEvent* event) {
  WORD vk = vcl::VirtualKeyOf(event->key(), event->modifiers());
  TShiftState shift = vcl::ShiftStateOf(event->modifiers());
  TCustomForm* form = GetParentForm(this);
  WORD key = vk;
  if (vk) {
    if (form && form != this && form->GetKeyPreview()) static_cast<TWinControl*>(form)->KeyUp(key, shift);
    if (!IsAlive(this)) return true;
    if (key) KeyUp(key, shift);
    if (!IsAlive(this)) return true;
    if (key == 0) return true;
  }
  DeliverToWidget(event);
  return true;
}

bool TWinControl::WidgetEvent(QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
      return HandleKeyPressEvent(static_cast<QKeyEvent*>(event));
    case QEvent::KeyRelease:
      return HandleKeyReleaseEvent(static_cast<QKeyEvent*>(event));
    case QEvent::Paint:
      if (ownPaint_) {
        if (brush_->GetStyle() != bsClear) {
          QPainter p(Widget());
          p.fillRect(Widget()->rect(), vcl::ToQColor(brush_->GetColor()));
        }
        return true;
      }
      return false;
    default:
      return TControl::WidgetEvent(event);
  }
}

// --- TGraphicControl and TCustomControl -------------------------------------------------------------

VCL_IMPLEMENT_CLASS(TGraphicControl) {}

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner) {
  Widget()->setFocusPolicy(Qt::NoFocus);
}

void TGraphicControl::SetParent(TWinControl* parent) {
  TControl::SetParent(parent);
  if (!parent) return;
  // Windowless controls lie below their windowed siblings.
  for (int i = 0; i < parent->GetControlCount(); ++i) {
    TControl* c = parent->GetControl(i);
    if (c != this && dynamic_cast<TWinControl*>(c)) {
      Widget()->stackUnder(c->Widget());
      break;
    }
  }
}

bool TGraphicControl::WidgetEvent(QEvent* event) {
  if (event->type() == QEvent::Paint) {
    QPainter painter(Widget());
    TCanvas* canvas = PaintCanvas();
    canvas->BeginPaint(&painter);
    vcl::Dispatch([this] { Paint(); });
    canvas->EndPaint();
    return true;
  }
  return TControl::WidgetEvent(event);
}

VCL_IMPLEMENT_CLASS(TCustomControl) {}

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner) {}

bool TCustomControl::WidgetEvent(QEvent* event) {
  if (event->type() == QEvent::Paint) {
    QPainter painter(Widget());
    if (GetBrush()->GetStyle() != bsClear)
      painter.fillRect(Widget()->rect(), vcl::ToQColor(GetBrush()->GetColor()));
    TCanvas* canvas = PaintCanvas();
    canvas->BeginPaint(&painter);
    vcl::Dispatch([this] { Paint(); });
    canvas->EndPaint();
    return true;
  }
  return TWinControl::WidgetEvent(event);
}

TCustomForm* GetParentForm(const TControl* control) {
  if (!control) return nullptr;
  const TControl* c = control;
  while (c->GetParent()) c = c->GetParent();
  return dynamic_cast<TCustomForm*>(const_cast<TControl*>(c));
}
