// How fast the program ends while its requests are stuck: for each stuck
// state, the real program on the X server named by WT_X_DISPLAY is closed by
// the window manager's close, and the bench prints the time from the close
// to the window gone and to the process end (each the best and the worst of
// a few rounds).
#include "tests/app/x11/ProgramProcess.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/SilentServer.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using namespace program_process;

struct TStuckState {
  const char* Name;
  std::function<void(const TTempDir& folder)> Place;
};

void WriteSources(const TTempDir& folder, const std::vector<std::string>& urls) {
  folder.Write("welkatidor.NSC", NumberedSourcesFile(urls));
}

long long MsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start)
      .count();
}

// One close of the program in a stuck state: {to window gone, to process end}.
std::pair<long long, long long> CloseOnce(const std::string& display, const TStuckState& state) {
  TTempDir folder;
  PlaceProgram(folder);
  state.Place(folder);
  TProgram program(folder.File("welkatidor"), display);
  const unsigned long window = VisibleWindow(display, "Welka Tidor");
  if (window == 0)
    return {-1, -1};
  // Requests start on the 4th second, one a second.
  std::this_thread::sleep_for(7s);
  const auto closing = std::chrono::steady_clock::now();
  Shell("DISPLAY=" + display + " " + (fs::path(WT_BINARY_DIR) / "tests/app/x11/wm_close").string() +
        " " + std::to_string(window));
  long long gone = -1;
  while (MsSince(closing) < 90000 && gone < 0)
    if (Shell("DISPLAY=" + display + " xdotool search --onlyvisible --name '^Welka Tidor$'")
            .empty())
      gone = MsSince(closing);
  program.Wait(90s);
  return {gone, MsSince(closing)};
}

} // namespace

int main() {
  const std::string display = XDisplay();
  if (display.empty()) {
    std::fprintf(stderr, "ending_bench: WT_X_DISPLAY names no X server\n");
    return 1;
  }
  TSilentServer silent;
  TScriptedServer trickling;
  for (int i = 0; i < 40; ++i)
    trickling.Add({.Bytes = "HTTP/1.0 200 OK\r\n\r\n", .DelayMs = 60000});
  const TStuckState states[] = {
      {"every source stuck in connect",
       [&](const TTempDir& folder) {
         WriteSources(folder, {silent.Url("a.html"), silent.Url("b.html"), silent.Url("c.html")});
         WriteFirstRunSettings(folder, "");
       }},
      {"every source in a slow read",
       [&](const TTempDir& folder) {
         WriteSources(folder, {trickling.Url("a.html"), trickling.Url("b.html")});
         WriteFirstRunSettings(folder, "");
       }},
      {"proxy script download stuck in connect",
       [&](const TTempDir& folder) {
         WriteSources(folder, {trickling.Url("a.html")});
         WriteFirstRunSettings(folder, "[Connection]\nUseProxyScript=1\nProxyScript=" +
                                           silent.Url("proxy.pac") + "\n");
       }},
  };
  constexpr int Rounds = 3;
  std::printf("%-40s %22s %22s\n", "stuck state", "close to window gone", "close to process end");
  for (const TStuckState& state : states) {
    std::vector<long long> gone, ended;
    for (int round = 0; round < Rounds; ++round) {
      const auto [window, process] = CloseOnce(display, state);
      gone.push_back(window);
      ended.push_back(process);
    }
    std::sort(gone.begin(), gone.end());
    std::sort(ended.begin(), ended.end());
    std::printf("%-40s %10lld..%6lld ms %10lld..%6lld ms\n", state.Name, gone.front(), gone.back(),
                ended.front(), ended.back());
  }
  return 0;
}
