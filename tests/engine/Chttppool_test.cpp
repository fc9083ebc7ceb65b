// The pool of transactions and stopping them, also run under ThreadSanitizer.
#include "engine/Chttpthread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/rtl/Kernel.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/SilentServer.h"

namespace {

class TCountingListener : public CHttpCallback {
public:
  void OnHttpEvent(int, const char*, unsigned, const char*, unsigned) override { ++Calls; }
  int Calls = 0;
};

CHTTPTransaction* StartFetch(const std::string& url, CHttpCallback* listener,
                             int timeOutMs = 20000) {
  CHTTPTransaction* transaction = AcquireTransaction();
  if (!transaction)
    return nullptr;
  transaction->SetUrl(url.c_str());
  transaction->SetProxy("", nullptr);
  transaction->SetCallback(listener);
  transaction->SetTimeOut(timeOutMs);
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

// A stop reaches a worker in any state: waiting for a connect that is never
// answered, or for the rest of a response that trickles. Each waits far
// longer than the deadline here unless the stop wakes it.
TEST(HttpPool, StopReachesWorkersStuckInConnectAndInAReceive) {
  TSilentServer silent;
  ASSERT_TRUE(silent.ConnectStalls(200));
  TScriptedServer trickling;
  trickling.Add({.Bytes = "HTTP/1.0 200 OK\r\n\r\n", .DelayMs = 60000});
  TCountingListener listener;
  for (int i = 0; i < 3; ++i)
    ASSERT_NE(StartFetch(silent.Url("page.html"), &listener, 60000), nullptr);
  ASSERT_NE(StartFetch(trickling.Url("page.html"), &listener, 60000), nullptr);
  ASSERT_TRUE(trickling.WaitForConnections(1));
  Sleep(200);
  const auto start = std::chrono::steady_clock::now();
  StopAllTransactions();
  const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - start);
  std::printf("stop of workers in connect and in a receive: %lld ms\n",
              static_cast<long long>(spent.count()));
  EXPECT_LT(spent, std::chrono::seconds(20));
  EXPECT_EQ(listener.Calls, 0);
}

// A synchronous download on another thread, stuck in its connect, ends as
// soon as it is told to.
TEST(HttpPool, ADownloadStuckInConnectEndsWhenTerminated) {
  TSilentServer silent;
  std::mutex lock;
  CHTTPTransaction* running = nullptr;
  std::string text;
  AnsiString problem;
  bool whole = true;
  std::thread downloader([&] {
    whole = DownloadUrl(silent.Url("p.pac").c_str(), 60000, text, problem,
                        [&](CHTTPTransaction* transaction) {
                          std::lock_guard guard(lock);
                          running = transaction;
                        });
  });
  for (int i = 0; i < 500; ++i) {
    std::lock_guard guard(lock);
    if (running)
      break;
    Sleep(10);
  }
  Sleep(200);
  const auto start = std::chrono::steady_clock::now();
  {
    std::lock_guard guard(lock);
    ASSERT_NE(running, nullptr);
    running->Terminate();
  }
  downloader.join();
  const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - start);
  std::printf("terminated download: %lld ms\n", static_cast<long long>(spent.count()));
  EXPECT_LT(spent, std::chrono::seconds(20));
  EXPECT_FALSE(whole);
  EXPECT_EQ(problem, "stopped");
}
