// Every way a running program is ended from outside (the window manager's
// close, a tool that destroys its window, SIGTERM, SIGINT) runs the main
// form's close query exactly once, ends the loop and exits 0: what the form
// saves on close is saved. The program is a real process on the test's own
// X server.
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

#include "tests/support/Command.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <xcb/xcb.h>

namespace {

// How long a start may take on a loaded machine; it only ends a wait for a
// program that will never answer.
constexpr int PatienceMs = 30000;

// The X window that carries the title, 0 when none shows in time.
xcb_window_t WindowNamed(const std::string& title) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(PatienceMs);
  do {
    const std::string found = RunCommand("xdotool search --name '^" + title + "$' 2>/dev/null");
    if (!found.empty())
      return static_cast<xcb_window_t>(std::stoul(found));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  } while (std::chrono::steady_clock::now() < deadline);
  return 0;
}

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
  xcb_intern_atom_reply_t* reply =
      xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr);
  const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  std::free(reply);
  return atom;
}

// What a window manager sends when the user presses a window's close button.
void AskToClose(xcb_window_t window) {
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  xcb_client_message_event_t event{};
  event.response_type = XCB_CLIENT_MESSAGE;
  event.format = 32;
  event.window = window;
  event.type = Atom(c, "WM_PROTOCOLS");
  event.data.data32[0] = Atom(c, "WM_DELETE_WINDOW");
  event.data.data32[1] = XCB_CURRENT_TIME;
  xcb_send_event(c, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
  xcb_flush(c);
  xcb_disconnect(c);
}

TEST(WaysOut, EachRunsTheCloseQueryOnceAndExitsNormally) {
  ASSERT_TRUE(UseXServer());
  setenv("QT_QPA_PLATFORM", "xcb", 1);
  struct Case {
    const char* name;
    std::function<void(pid_t, xcb_window_t)> end;
    // On a busy machine Xvfb and the toolkit at times never hand a client
    // message on (a bare toolkit program loses it as well); the request is
    // sent again, as a user presses the close button again. The close query
    // must still run once.
    bool repeated = false;
  };
  const Case cases[] = {
      {"SIGTERM", [](pid_t pid, xcb_window_t) { kill(pid, SIGTERM); }},
      {"SIGINT", [](pid_t pid, xcb_window_t) { kill(pid, SIGINT); }},
      {"window manager close", [](pid_t, xcb_window_t w) { AskToClose(w); }, true},
      {"window destroyed",
       [](pid_t, xcb_window_t w) { RunCommand("xdotool windowclose " + std::to_string(w)); }},
  };
  int n = 0;
  for (const auto& c : cases) {
    TTempDir dir;
    const std::string marker = dir.File("closed.txt");
    const std::string title = "ways-out-" + std::to_string(getpid()) + "-" + std::to_string(n++);
    TChildProcess program(WT_CLOSEQUERY_HELPER, {marker, title});
    ASSERT_EQ(program.Line(PatienceMs), "ready") << c.name;
    const xcb_window_t window = WindowNamed(title);
    ASSERT_NE(window, 0u) << c.name;
    c.end(program.Pid(), window);
    // A program that stays up is ended after twenty seconds, so that it
    // fails the test instead of hanging it. Only the signal comes from here:
    // the process is reaped by Wait alone.
    std::atomic<bool> ended{false};
    const pid_t pid = program.Pid();
    std::thread watchdog([&ended, &c, pid, window] {
      for (int i = 1; i <= 200 && !ended; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (c.repeated && i % 30 == 0 && !ended)
          c.end(pid, window);
      }
      if (!ended)
        kill(pid, SIGKILL);
    });
    const int status = program.Wait();
    ended = true;
    watchdog.join();
    EXPECT_EQ(status, 0) << c.name;
    EXPECT_EQ(ReadFileBytes(marker), "query\nend\n") << c.name;
  }
}

} // namespace
