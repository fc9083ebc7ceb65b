#pragma once
// Worker threads with main-thread synchronisation, in the class library's
// model: a thread object is created suspended, runs its Execute once after
// Start, and may free itself when Execute returns.
//
// Main-thread synchronisation: a worker's Synchronize(method) queues the call,
// wakes the main thread through the installed wake-up hook and blocks until the
// main thread has run it inside CheckSynchronize. The main thread is the thread
// that initialised this library (the thread running main()). Called on the main
// thread, Synchronize runs the method at once. An exception thrown by the
// method is handed back to the worker and rethrown there.
//
// The main loop must call CheckSynchronize whenever the hook fires, and may call
// it as often as it likes: with nothing queued it returns at once without
// taking a lock.
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

using TThreadMethod = std::function<void()>;

class TThread {
public:
  // Always created suspended: a derived Execute cannot run before the derived
  // constructor has finished, so the creator calls Start when it is ready.
  TThread();
  // A thread that does not free itself is deleted once it has finished
  // (Terminate, then WaitFor): the derived parts are gone before this base
  // destructor could wait, so a derived class that may be deleted while running
  // calls Terminate and WaitFor in its own destructor.
  virtual ~TThread();
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  // Starts Execute on a thread of its own; only the first call has an effect.
  void Start();
  // Starts a thread created suspended, or ends a Suspend.
  void Resume();
  // Pauses a running thread at its next WaitWhileSuspended: a thread is never
  // stopped from outside, so Execute calls WaitWhileSuspended where a pause is
  // safe.
  void Suspend();
  bool Suspended();
  // Sets the terminate flag that Execute checks (and ends a Suspend); the
  // thread is not stopped.
  void Terminate();
  bool Terminated() const { return terminated_.load(); }
  bool Finished() const { return finished_.load(); }
  // Waits until Execute and DoTerminate have returned; returns ReturnValue.
  // Must not be used on a thread that frees itself (the object is gone then).
  int WaitFor();
  // Runs method on the main thread while this thread waits.
  void Synchronize(const TThreadMethod& method);

  // When set before Start, the object deletes itself after DoTerminate.
  bool FreeOnTerminate = false;
  int ReturnValue = 0;
  // Called on the main thread (through Synchronize) when Execute has returned.
  std::function<void(TThread* sender)> OnTerminate;

protected:
  virtual void Execute() = 0;
  // Runs on the thread after Execute; the default reports OnTerminate.
  virtual void DoTerminate();
  // Blocks while the thread is suspended; returns at once when it is not, or
  // when it has been told to terminate.
  void WaitWhileSuspended();

private:
  void Run();

  std::atomic<bool> terminated_{false};
  std::atomic<bool> finished_{false};
  bool started_ = false;
  bool suspended_ = false;
  std::mutex mutex_;
  std::condition_variable finishedSignal_;
  std::condition_variable resumeSignal_;
  std::thread thread_;
};

// Serves the calls that workers queued with Synchronize; only the main thread
// may call it. Waits up to timeoutMs for a first call when none is queued.
// Returns true when at least one call was run.
bool CheckSynchronize(int timeoutMs = 0);

// Called (on the worker) each time a call is queued, so that an event loop
// sleeping in its own wait can wake up and call CheckSynchronize. Null removes
// the hook. The hook must be cheap and must not block.
using TWakeMainThreadHook = void (*)();
void SetWakeMainThreadHook(TWakeMainThreadHook hook);

bool IsMainThread();
