#pragma once
// TTimer: raises OnTimer every Interval milliseconds while Enabled, Interval > 0 and a handler is
// assigned; it keeps firing inside modal loops. An exception from the handler goes to the
// application's exception box and the timer goes on.
#include <memory>

#include "platform/vcl/Controls.h"

class QTimer;

class TTimer : public TComponent {
  VCL_CLASS(TTimer, TComponent)
 public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;

  bool GetEnabled() const { return enabled_; }
  void SetEnabled(bool v);
  Cardinal GetInterval() const { return interval_; }
  void SetInterval(Cardinal v);
  void SetOnTimer(TNotifyEvent handler);
  const TNotifyEvent& GetOnTimer() const { return onTimer_; }

 protected:
  virtual void Timer();

 private:
  void UpdateTimer();
  bool enabled_ = true;
  Cardinal interval_ = 1000;
  TNotifyEvent onTimer_;
  std::unique_ptr<QTimer> timer_;
};
