#pragma once
// Root of the class hierarchy: lists carry any object through it and events
// name their sender with it.
#include <functional>

class TObject {
public:
  virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;
