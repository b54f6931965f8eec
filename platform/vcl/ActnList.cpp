#include "platform/vcl/ActnList.h"

#include <algorithm>

VCL_IMPLEMENT_CLASS(TContainedAction) {
  p.Published("Category", &TContainedAction::GetCategory, &TContainedAction::SetCategory);
}

TContainedAction::TContainedAction(TComponent* AOwner) : TBasicAction(AOwner) {}

TContainedAction::~TContainedAction() { SetActionList(nullptr); }

void TContainedAction::SetActionList(TCustomActionList* list) {
  if (actionList_ == list) return;
  if (actionList_) {
    auto& v = actionList_->actions_;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
  }
  actionList_ = list;
  if (list) {
    list->actions_.push_back(this);
    list->FreeNotification(this);
  }
}

TComponent* TContainedAction::GetParentComponent() const { return actionList_; }

void TContainedAction::SetParentComponent(TComponent* parent) {
  if (auto* list = dynamic_cast<TCustomActionList*>(parent)) SetActionList(list);
}

VCL_IMPLEMENT_CLASS(TCustomAction) {
  p.Declare("AutoCheck", &TCustomAction::GetAutoCheck, &TCustomAction::SetAutoCheck).Default(false);
  p.Declare("Caption", &TCustomAction::GetCaption, &TCustomAction::SetCaption);
  p.Declare("Checked", &TCustomAction::GetChecked, &TCustomAction::SetChecked).Default(false);
  p.Declare("Enabled", &TCustomAction::GetEnabled, &TCustomAction::SetEnabled).Default(true);
  p.Declare("GroupIndex", &TCustomAction::GetGroupIndex, &TCustomAction::SetGroupIndex).Default(0);
  p.Declare("Hint", &TCustomAction::GetHint, &TCustomAction::SetHint);
  p.Declare("ImageIndex", &TCustomAction::GetImageIndex, &TCustomAction::SetImageIndex).Default(-1);
  p.Declare("Visible", &TCustomAction::GetVisible, &TCustomAction::SetVisible).Default(true);
}

TCustomAction::TCustomAction(TComponent* AOwner) : TContainedAction(AOwner) {}

bool TCustomAction::Execute() {
  if (!enabled_) return false;
  if (autoCheck_) SetChecked(!checked_);
  return TContainedAction::Execute();
}

void TCustomAction::SetCaption(const std::string& v) {
  if (caption_ == v) return;
  caption_ = v;
  Change();
}

void TCustomAction::SetChecked(bool v) {
  if (checked_ == v) return;
  checked_ = v;
  if (v && groupIndex_ > 0 && GetActionList()) {
    for (int i = 0; i < GetActionList()->GetActionCount(); ++i) {
      auto* other = dynamic_cast<TCustomAction*>(GetActionList()->GetAction(i));
      if (other && other != this && other->groupIndex_ == groupIndex_) other->SetChecked(false);
    }
  }
  Change();
}

void TCustomAction::SetEnabled(bool v) {
  if (enabled_ == v) return;
  enabled_ = v;
  Change();
}

void TCustomAction::SetHint(const std::string& v) {
  if (hint_ == v) return;
  hint_ = v;
  Change();
}

void TCustomAction::SetImageIndex(int v) {
  if (imageIndex_ == v) return;
  imageIndex_ = v;
  Change();
}

void TCustomAction::SetVisible(bool v) {
  if (visible_ == v) return;
  visible_ = v;
  Change();
}

void TCustomAction::SetGroupIndex(int v) {
  groupIndex_ = v;
  Change();
}

VCL_IMPLEMENT_CLASS(TAction) {
  p.Publish("AutoCheck");
  p.Publish("Caption");
  p.Publish("Checked");
  p.Publish("Enabled");
  p.Publish("GroupIndex");
  p.Publish("Hint");
  p.Publish("ImageIndex");
  p.Publish("Visible");
}

VCL_IMPLEMENT_CLASS(TCustomActionList) {}

TCustomActionList::TCustomActionList(TComponent* AOwner) : TComponent(AOwner) {}

TCustomActionList::~TCustomActionList() {
  for (TContainedAction* a : std::vector<TContainedAction*>(actions_)) a->SetActionList(nullptr);
}

TContainedAction* TCustomActionList::GetAction(int index) const {
  if (index < 0 || index >= GetActionCount()) throw EListError("List index out of bounds");
  return actions_[static_cast<std::size_t>(index)];
}

void TCustomActionList::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) {
  for (TContainedAction* a : std::vector<TContainedAction*>(actions_))
    if (a->GetOwner() == root) proc(a);
}

void TCustomActionList::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove) {
    auto it = std::find(actions_.begin(), actions_.end(), AComponent);
    if (it != actions_.end()) actions_.erase(it);
  }
}

VCL_IMPLEMENT_CLASS(TActionList) {}
