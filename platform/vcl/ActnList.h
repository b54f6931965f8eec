#pragma once
// Actions: TCustomAction / TAction carry a caption, enabled and visible state, hint, check state
// and image index to the controls linked to them (TControl::SetAction), and run OnExecute when a
// linked control is clicked. TActionList holds actions on a form.
#include <string>

#include "platform/vcl/Classes.h"

class TCustomActionList;

class TContainedAction : public TBasicAction {
  VCL_CLASS(TContainedAction, TBasicAction)
 public:
  explicit TContainedAction(TComponent* AOwner);
  ~TContainedAction() override;
  TCustomActionList* GetActionList() const { return actionList_; }
  void SetActionList(TCustomActionList* list);
  const std::string& GetCategory() const { return category_; }
  void SetCategory(const std::string& c) { category_ = c; }
  bool HasParent() const override { return actionList_ != nullptr; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* parent) override;

 private:
  TCustomActionList* actionList_ = nullptr;
  std::string category_;
};

class TCustomAction : public TContainedAction {
  VCL_CLASS(TCustomAction, TContainedAction)
 public:
  explicit TCustomAction(TComponent* AOwner);
  bool Execute() override;

  const std::string& GetCaption() const { return caption_; }
  void SetCaption(const std::string& v);
  bool GetChecked() const { return checked_; }
  void SetChecked(bool v);
  bool GetEnabled() const { return enabled_; }
  void SetEnabled(bool v);
  const std::string& GetHint() const { return hint_; }
  void SetHint(const std::string& v);
  int GetImageIndex() const { return imageIndex_; }
  void SetImageIndex(int v);
  bool GetVisible() const { return visible_; }
  void SetVisible(bool v);
  bool GetAutoCheck() const { return autoCheck_; }
  void SetAutoCheck(bool v) { autoCheck_ = v; }
  int GetGroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int v);

 private:
  std::string caption_;
  bool checked_ = false;
  bool enabled_ = true;
  std::string hint_;
  int imageIndex_ = -1;
  bool visible_ = true;
  bool autoCheck_ = false;
  int groupIndex_ = 0;
};

class TAction : public TCustomAction {
  VCL_CLASS(TAction, TCustomAction)
 public:
  explicit TAction(TComponent* AOwner) : TCustomAction(AOwner) {}
};

class TCustomActionList : public TComponent {
  VCL_CLASS(TCustomActionList, TComponent)
 public:
  explicit TCustomActionList(TComponent* AOwner);
  ~TCustomActionList() override;
  int GetActionCount() const { return static_cast<int>(actions_.size()); }
  TContainedAction* GetAction(int index) const;
  void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TContainedAction;
  std::vector<TContainedAction*> actions_;
};

class TActionList : public TCustomActionList {
  VCL_CLASS(TActionList, TCustomActionList)
 public:
  explicit TActionList(TComponent* AOwner) : TCustomActionList(AOwner) {}
};
