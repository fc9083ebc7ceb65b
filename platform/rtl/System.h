#pragma once
// Root of the class hierarchy: lists carry any object through it and events
// name their sender with it.
#include <cstdint>
#include <functional>

class TObject {
public:
  virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

// The runtime's uniform generator: a linear congruential sequence over
// RandSeed, so that setting the seed replays the same numbers. Main thread
// only, like the drawing that uses it.
extern uint32_t RandSeed;
// A number in 0..Range-1; 0 when Range is 0 or less. Every call advances the
// sequence.
int Random(int Range);
// Seeds the sequence from the clock.
void Randomize();
