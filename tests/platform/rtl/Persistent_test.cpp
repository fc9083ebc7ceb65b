#include "platform/rtl/Persistent.h"

#include <gtest/gtest.h>

namespace {

class TPoint2 : public TPersistent {
public:
  int X = 0;
};

// Knows how to copy itself into a TPoint2 but not the other way round.
class TPoint3 : public TPersistent {
public:
  int X = 0;

protected:
  void AssignTo(TPersistent* Dest) const override {
    if (auto* p = dynamic_cast<TPoint2*>(Dest)) {
      p->X = X;
      return;
    }
    TPersistent::AssignTo(Dest);
  }
};

TEST(Persistent, AssignFallsBackOnTheSourcesAssignTo) {
  TPoint3 source;
  source.X = 7;
  TPoint2 dest;
  dest.Assign(&source);
  EXPECT_EQ(dest.X, 7);
}

TEST(Persistent, UnknownPairsRaiseTheCannotAssignError) {
  struct Case {
    const TPersistent* Source;
    const char* Message;
  };
  TPoint2 two;
  TPoint3 three;
  const Case cases[] = {
      {&two, "Cannot assign a TPoint2 to a TPoint3"},
      {nullptr, "Cannot assign a nil to a TPoint3"},
  };
  for (const auto& c : cases) {
    try {
      three.Assign(c.Source);
      ADD_FAILURE() << c.Message;
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message, c.Message);
    }
  }
}

} // namespace
