#include "platform/ui/Timers.h"

#include "platform/gfx/Backend.h"
#include "platform/ui/WindowImpl.h"

#include <QTimer>

struct TTimer::TImpl {
  QTimer* timer = nullptr;
  TTimer* owner = nullptr;
};

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner), impl(std::make_shared<TImpl>()) {
  GfxEnsureBackend();
  impl->owner = this;
  impl->timer = new QTimer();
  // The tick holds its own reference: the timer may be freed inside it.
  std::weak_ptr<TImpl> weak = impl;
  QObject::connect(impl->timer, &QTimer::timeout, [weak] {
    auto self = weak.lock();
    if (!self || self->owner == nullptr)
      return;
    try {
      self->owner->Timer();
    } catch (...) {
      HandleEventException();
    }
  });
}

TTimer::~TTimer() {
  Destroying();
  impl->owner = nullptr;
  impl->timer->stop();
  // Never delete it synchronously: this may run inside its own tick.
  impl->timer->deleteLater();
}

void TTimer::SetInterval(unsigned Value) {
  if (interval == Value)
    return;
  interval = Value;
  UpdateTimer();
}

void TTimer::SetEnabled(bool Value) {
  if (enabled == Value)
    return;
  enabled = Value;
  UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent Value) {
  onTimer = std::move(Value);
  UpdateTimer();
}

void TTimer::Loaded() {
  TComponent::Loaded();
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  impl->timer->stop();
  if (ComponentState().Contains(csLoading))
    return;
  if (interval != 0 && enabled && onTimer)
    impl->timer->start(static_cast<int>(interval));
}

void TTimer::Timer() {
  // A copy: the handler may replace itself or free the timer.
  TNotifyEvent handler = onTimer;
  if (handler)
    handler(this);
}

WT_PUBLISH(TTimer, TComponent) {
  p.Property("Enabled", &TTimer::Enabled, &TTimer::SetEnabled).Default(true);
  p.Property("Interval", &TTimer::Interval, &TTimer::SetInterval).Default(1000u);
  TPropInfo onTimer;
  onTimer.Name = "OnTimer";
  onTimer.Kind = pkEvent;
  onTimer.Set = [](TObject& o, const TLayoutValue& v, TLoadContext& ctx) {
    if (v.Kind != TLayoutValue::vkIdent)
      typinfo_detail::WrongKind(v, "a method name");
    static_cast<TTimer&>(o).SetOnTimer(
        std::any_cast<TNotifyEvent>(ctx.FindMethod(v.Text, typeid(TNotifyEvent))));
  };
  p.Custom(std::move(onTimer));
}
