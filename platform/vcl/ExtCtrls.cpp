#include "platform/vcl/ExtCtrls.h"

#include <QTimer>

#include "platform/vcl/QtSupport.h"

VCL_IMPLEMENT_CLASS(TTimer) {
  p.Published("Enabled", &TTimer::GetEnabled, &TTimer::SetEnabled).Default(true);
  p.Published("Interval", &TTimer::GetInterval, &TTimer::SetInterval).Default(1000);
  p.Published("OnTimer", &TTimer::GetOnTimer, &TTimer::SetOnTimer);
}

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {
  vcl::EnsureApplication();
  timer_ = std::make_unique<QTimer>();
  timer_->setTimerType(Qt::PreciseTimer);
  QObject::connect(timer_.get(), &QTimer::timeout, [this] {
    if (IsDestroying()) return;
    vcl::Dispatch([this] { Timer(); });
  });
}

TTimer::~TTimer() { timer_->stop(); }

void TTimer::SetEnabled(bool v) {
  if (enabled_ == v) return;
  enabled_ = v;
  UpdateTimer();
}

void TTimer::SetInterval(Cardinal v) {
  if (interval_ == v) return;
  interval_ = v;
  UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent handler) {
  onTimer_ = std::move(handler);
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  timer_->stop();
  if (enabled_ && interval_ > 0 && onTimer_) timer_->start(static_cast<int>(interval_));
}

void TTimer::Timer() {
  if (onTimer_) onTimer_(this);
}
