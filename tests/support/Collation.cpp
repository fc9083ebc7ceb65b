#include "tests/support/Collation.h"

#include <gtest/gtest.h>

#include <clocale>

TCollationLocale::TCollationLocale(const char* name) {
  previous_ = std::setlocale(LC_COLLATE, nullptr);
  active_ = std::setlocale(LC_COLLATE, name) != nullptr;
  if (!active_)
    ADD_FAILURE() << "the locale " << name
                  << " is missing on this machine: scripts/install-deps.sh generates it";
}

TCollationLocale::~TCollationLocale() {
  std::setlocale(LC_COLLATE, previous_.c_str());
}
