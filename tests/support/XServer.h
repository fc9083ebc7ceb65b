#pragma once
// X servers of a test process's own. Each test that needs a real X server
// talks to a server that no other test reaches, so that two tests running
// side by side (in one ctest run or in two) never see, photograph or act on
// each other's windows, and a window found by its name is the test's own.
#include <string>
#include <sys/types.h>

// An Xvfb on a display it picked itself among the free ones. It ends with the
// object, and with the thread that started it, however that ends.
class TXvfb {
public:
  // screen as Xvfb takes it: WIDTHxHEIGHTxDEPTH.
  explicit TXvfb(const std::string& screen = "1280x1024x24");
  ~TXvfb();
  TXvfb(const TXvfb&) = delete;
  TXvfb& operator=(const TXvfb&) = delete;

  // ":N" once the server accepts clients; "" when it could not start.
  const std::string& Display() const { return display; }
  pid_t Pid() const { return pid; }

private:
  pid_t pid = -1;
  std::string display;
};

// The display of this process's own Xvfb, started at the first call (made on
// the main thread) and kept for the process's life; "" when it could not
// start.
const std::string& OwnXDisplay();
