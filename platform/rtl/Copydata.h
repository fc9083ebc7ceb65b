#pragma once
// Copy-data messages between the processes of one user: a receiver stands for
// a hidden window that other processes address by its 32-bit handle; a
// sender's call waits until the receiver has replied. Messages from other
// users are refused on both ends.
#include "platform/rtl/Classes.h"
#include "platform/rtl/Handles.h"

#include <cstdint>
#include <memory>

using LRESULT = intptr_t;
constexpr unsigned WM_COPYDATA = 0x004A;

struct COPYDATASTRUCT {
  uintptr_t dwData;
  DWORD cbData;
  void* lpData;
};

class TCopyDataListener;

class TCopyDataWindow {
public:
  // Runs on the main thread (through Synchronize) for each message: the
  // sender's handle and the data, valid during the call. Its result is the
  // reply unless ReplyMessage answered first.
  using THandler = std::function<LRESULT(DWORD sender, const COPYDATASTRUCT& data)>;

  explicit TCopyDataWindow(THandler handler);
  // Stops receiving; a message that is being delivered is answered with 0.
  ~TCopyDataWindow();
  TCopyDataWindow(const TCopyDataWindow&) = delete;
  TCopyDataWindow& operator=(const TCopyDataWindow&) = delete;

  // Never 0 while the window exists. 0 when no receiver could be made.
  DWORD Handle() const { return handle; }

private:
  DWORD handle = 0;
  std::unique_ptr<TCopyDataListener> listener;
};

// Sends data to the window target on behalf of sender and waits for the
// reply. 0 with GetLastError set when target cannot be reached.
LRESULT SendCopyData(DWORD target, DWORD sender, const COPYDATASTRUCT& data);

// Inside a handler: answers the sender at once, so that it stops waiting
// while the handler goes on. False when no message is being handled.
BOOL ReplyMessage(LRESULT result);
