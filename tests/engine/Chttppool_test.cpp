// The pool of transactions and stopping them, also run under ThreadSanitizer.
#include "engine/Chttpthread.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/rtl/Kernel.h"
#include "tests/support/ScriptedServer.h"

namespace {

class TCountingListener : public CHttpCallback {
public:
  void OnHttpEvent(int, const char*, unsigned, const char*, unsigned) override { ++Calls; }
  int Calls = 0;
};

CHTTPTransaction* StartFetch(const std::string& url, CHttpCallback* listener) {
  CHTTPTransaction* transaction = AcquireTransaction();
  if (!transaction)
    return nullptr;
  transaction->SetUrl(url.c_str());
  transaction->SetProxy("", nullptr);
  transaction->SetCallback(listener);
  transaction->SetTimeOut(20000);
  transaction->Start();
  return transaction;
}

} // namespace

TEST(HttpPool, TenAtOnceThenRefusedThenSlotReused) {
  std::vector<std::unique_ptr<CHTTPTransaction>> taken;
  for (int i = 0; i < TransactionPoolSize; ++i) {
    taken.emplace_back(AcquireTransaction());
    ASSERT_NE(taken.back(), nullptr);
    EXPECT_EQ(taken.back()->PoolSlot(), i);
  }
  EXPECT_EQ(AcquireTransaction(), nullptr);
  taken[3].reset();
  std::unique_ptr<CHTTPTransaction> again(AcquireTransaction());
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->PoolSlot(), 3);
  EXPECT_EQ(AcquireTransaction(), nullptr);
}

TEST(HttpPool, RunningTransactionsHoldTheirSlotsUntilTheyEnd) {
  TScriptedServer server;
  server.Add({.Bytes = "HTTP/1.0 200 OK\r\n\r\nstalled", .HoldOpenMs = -1});
  TCountingListener listener;
  for (int i = 0; i < TransactionPoolSize; ++i)
    ASSERT_NE(StartFetch(server.Url(std::string("p") + std::to_string(i)), &listener), nullptr);
  ASSERT_TRUE(server.WaitForConnections(TransactionPoolSize));
  EXPECT_EQ(AcquireTransaction(), nullptr) << "an eleventh transaction must be refused";

  const DWORD start = GetTickCount();
  StopAllTransactions();
  // The server never ends them: a stop that waited for them would last until
  // their 20 s time-out.
  EXPECT_LT(GetTickCount() - start, 10000u) << "receiving transactions must stop at once";
  for (int i = 0; i < 50; ++i)
    CheckSynchronize(2);
  EXPECT_EQ(listener.Calls, 0);
  // Every slot is free again.
  std::vector<std::unique_ptr<CHTTPTransaction>> taken;
  for (int i = 0; i < TransactionPoolSize; ++i) {
    taken.emplace_back(AcquireTransaction());
    EXPECT_NE(taken.back(), nullptr);
  }
}

TEST(HttpPool, StopWhileWorkersWaitForTheMainThread) {
  TScriptedServer server;
  server.Add({.Bytes = "HTTP/1.0 200 OK\r\n\r\ndone"});
  TCountingListener listener;
  for (int i = 0; i < TransactionPoolSize; ++i)
    ASSERT_NE(StartFetch(server.Url("p"), &listener), nullptr);
  ASSERT_TRUE(server.WaitForConnections(TransactionPoolSize));
  // The workers finish and wait for a main thread that does not serve them.
  Sleep(300);
  StopAllTransactions();
  EXPECT_EQ(listener.Calls, 0);
  std::unique_ptr<CHTTPTransaction> slot(AcquireTransaction());
  EXPECT_NE(slot, nullptr);
  EXPECT_EQ(slot->PoolSlot(), 0);
}

TEST(HttpPool, ASlotFreedByAnEndedTransactionIsUsedAgain) {
  TScriptedServer server;
  server.Add({.Bytes = "HTTP/1.0 200 OK\r\n\r\nfirst"});
  TCountingListener listener;
  std::vector<std::unique_ptr<CHTTPTransaction>> held;
  for (int i = 0; i < TransactionPoolSize - 1; ++i)
    held.emplace_back(AcquireTransaction());
  ASSERT_NE(StartFetch(server.Url("p"), &listener), nullptr);
  EXPECT_EQ(AcquireTransaction(), nullptr);
  const DWORD start = GetTickCount();
  CHTTPTransaction* next = nullptr;
  while (!next && GetTickCount() - start < 5000) {
    CheckSynchronize(5);
    next = AcquireTransaction();
  }
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(next->PoolSlot(), TransactionPoolSize - 1);
  EXPECT_EQ(listener.Calls, 1);
  delete next;
}
