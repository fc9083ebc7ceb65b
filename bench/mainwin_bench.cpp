// The main window's costs with 100 sources and 10,000 news items in its files:
// building it from its files, one grid refresh (filter, counters, sort, row
// count), painting the grid's visible rows, and, with an X server named by
// WT_X_DISPLAY, the real program from process start to its window on the
// screen. `mainwin_bench --watch SECONDS` then lets the window watch 100 corpus
// pages on a local nginx and prints the longest time its main thread was busy
// at once and the heap after each round of requests.
#include "app/Umain.h"
#include "bench/x11/PaintWatch.h"
#include "engine/Chttpthread.h"
#include "engine/Newsextractor.h"
#include "platform/rtl/Fileutils.h"
#include "tests/support/NginxServer.h"
#include "tests/support/TempDir.h"

#include <malloc.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int SourceCount = 100;
constexpr int ItemCount = 10000;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Mean and worst of runs of fn, in milliseconds.
void Time(const char* what, int runs, const std::function<void()>& fn) {
  double total = 0, worst = 0;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    fn();
    const double ms = MsSince(start);
    total += ms;
    worst = std::max(worst, ms);
  }
  std::printf("%-44s mean %7.3f ms, worst %7.3f ms (%d runs)\n", what, total / runs, worst, runs);
}

std::string SourcesText(const std::vector<std::string>& urls) {
  std::string text = "Source definition version 1.020b\r\n1.020b\r\n\r\n\r\n";
  for (size_t i = 0; i < urls.size(); ++i)
    text += "----\r\n" + urls[i] + "\r\nsource " + std::to_string(i) +
            "\r\n\r\ntrue\r\ntrue\r\ntrue\r\nfalse\r\ntrue\r\ntrue\r\ntrue\r\n3\r\n0\r\n";
  return text;
}

// 10,000 items received over the last 40 hours, spread over the sources.
std::string NewsText() {
  std::string text;
  const double now = Now();
  for (int i = 0; i < ItemCount; ++i) {
    char received[64];
    std::snprintf(received, sizeof received, "%lf", now - (i * 14.0) / 86400.0);
    text += "source " + std::to_string(i % SourceCount) + "\r\n" + received +
            "\r\nHeadline number " + std::to_string((i * 7919) % ItemCount) +
            " about the council and its budget\r\n/news/" + std::to_string(i) + ".html\r\n" +
            std::to_string(i % 10 == 0 ? 1 : 0) + "\r\n" + std::to_string(1 + i % 28) +
            "/11/2026\r\n";
  }
  return text;
}

void WriteFiles(const TTempDir& dir, const std::vector<std::string>& urls) {
  dir.Write("welkatidor.NSC", SourcesText(urls));
  dir.Write("welkatidor.NDT", NewsText());
  dir.Write("welkatidor.INI", "[ColWidth.News]\nDate=86\nSource=84\nHeader=231\n");
}

std::vector<std::string> ClosedPortUrls() {
  std::vector<std::string> urls;
  for (int i = 0; i < SourceCount; ++i)
    urls.push_back("http://127.0.0.1:9/" + std::to_string(i) + ".html");
  return urls;
}

void WindowCosts() {
  TTempDir dir;
  WriteFiles(dir, ClosedPortUrls());
  TfrmMain* form = nullptr;
  Time("construction from the files", 1, [&] {
    form = new TfrmMain(nullptr, dir.File("welkatidor"));
    form->tmrRequester->SetEnabled(false);
  });
  std::printf("  %zu items received, %zu shown\n", form->AllItems().size(),
              form->ShownItems().size());
  Time("RefreshNewsGrid over every item", 50, [&] { form->RefreshNewsGrid(); });
  form->Show();
  Application->ProcessMessages();
  Time("painting the grid's visible rows", 50, [&] { form->sgNews->Repaint(); });
  delete form;
}

// Process start to the grid painted on the X server.
void StartUp(const char* display) {
  TTempDir dir;
  WriteFiles(dir, ClosedPortUrls());
  const std::filesystem::path exe = dir.File("welkatidor");
  std::filesystem::copy_file(std::filesystem::path(WT_BINARY_DIR) / "app/welkatidor", exe);
  TPaintWatch watch(display);
  if (!watch.Ok()) {
    std::fprintf(stderr, "mainwin_bench: cannot open display %s\n", display);
    return;
  }
  std::vector<double> times;
  for (int run = 0; run < 5; ++run) {
    pid_t pid = -1;
    // Right in the source column, beside the short names: aqua once painted.
    times.push_back(watch.MsUntilPainted(
        [&] {
          pid = fork();
          if (pid == 0) {
            setenv("DISPLAY", display, 1);
            setenv("QT_QPA_PLATFORM", "xcb", 1);
            std::freopen("/dev/null", "w", stderr);
            execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
            _exit(127);
          }
        },
        175, 120, 0x00FFFF));
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
  }
  std::sort(times.begin(), times.end());
  std::printf("%-44s median %7.1f ms, worst %7.1f ms (5 runs)\n",
              "process start to the grid painted on screen", times[2], times[4]);
}

// The window watching the corpus: the longest single pass of the event loop.
void Watch(int seconds) {
  TNginxOptions options;
  options.DocumentRoot = WT_CORPUS_DIR;
  TNginxServer nginx(options);
  std::vector<AnsiString> pages = FindFiles(WT_CORPUS_DIR, "*.html");
  std::sort(pages.begin(), pages.end());
  std::vector<std::string> urls;
  for (int i = 0; i < SourceCount && i < static_cast<int>(pages.size()); ++i)
    urls.push_back(nginx.Url(ExtractFileName(pages[i])));
  TTempDir dir;
  dir.Write("welkatidor.NSC", SourcesText(urls));
  dir.Write("welkatidor.INI", "[Request]\nTimeOut=0\nMaxRequest=10\n[Misc]\nBip=0\n");
  auto* form = new TfrmMain(nullptr, dir.File("welkatidor"));
  form->Show();
  // The first passes show and paint the window for the first time.
  Application->ProcessMessages();
  Application->ProcessMessages();
  double worst = 0, worstAt = 0;
  int round = 0;
  const auto start = Clock::now();
  while (MsSince(start) < seconds * 1000.0) {
    const auto pass = Clock::now();
    Application->ProcessMessages();
    if (MsSince(pass) > worst) {
      worst = MsSince(pass);
      worstAt = MsSince(start) / 1000;
    }
    if (MsSince(start) >= (round + 1) * 100000.0) {
      ++round;
      std::printf("round %d (%d requests so far): heap in use %.1f KiB, longest pass %.1f ms\n",
                  round, round * 100, mallinfo2().uordblks / 1024.0, worst);
      std::fflush(stdout);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  std::printf("watching %d s: the longest event-loop pass took %.1f ms, %.0f s in; %zu items "
              "received\n",
              seconds, worst, worstAt, form->AllItems().size());
  delete form;
  StopAllTransactions();
}

} // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--watch") {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Watch(std::atoi(argv[2]));
    return 0;
  }
  if (const char* display = std::getenv("WT_X_DISPLAY"))
    StartUp(display);
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  WindowCosts();
  return 0;
}
