#pragma once
// TTimer: a component that calls OnTimer every Interval milliseconds on the
// main thread while Enabled. A handler may be swapped, and the timer freed,
// from inside its own tick.
#include "platform/ui/Classes.h"
#include "platform/ui/Typinfo.h"

#include <memory>

class TTimer : public TComponent {
public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;

  unsigned Interval() const { return interval; }
  void SetInterval(unsigned Value);
  bool Enabled() const { return enabled; }
  void SetEnabled(bool Value);
  const TNotifyEvent& OnTimer() const { return onTimer; }
  void SetOnTimer(TNotifyEvent Value);

protected:
  void Loaded() override;
  virtual void Timer();

private:
  void UpdateTimer();

  unsigned interval = 1000;
  bool enabled = true;
  TNotifyEvent onTimer;
  struct TImpl;
  std::shared_ptr<TImpl> impl;
};

WT_DECLARE_META(TTimer)
