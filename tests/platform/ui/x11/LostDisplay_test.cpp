// When the X server goes away under the program, what the main form saves on
// close must still be saved: the close path runs on the way out.
#include "platform/ui/Forms.h"
#include "platform/ui/Timers.h"
#include "tests/support/XServer.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

void RunUntilTheDisplayGoes(const std::string& marker) {
  // A server of its own, so that killing it harms no other test.
  const TXvfb server("640x480x24");
  if (server.Display().empty())
    std::exit(3);
  const pid_t xvfb = server.Pid();
  setenv("DISPLAY", server.Display().c_str(), 1);
  setenv("QT_QPA_PLATFORM", "xcb", 1);
  Application->Initialize();
  TForm* form = nullptr;
  Application->CreateForm(form);
  form->SetBounds(10, 10, 100, 80);
  form->OnCloseQuery = [&](TObject*, bool& can) {
    std::ofstream(marker, std::ios::app) << "query ";
    can = true;
  };
  form->OnClose = [&](TObject*, TCloseAction&) { std::ofstream(marker, std::ios::app) << "close"; };
  auto* killer = new TTimer(form);
  killer->SetInterval(300);
  killer->SetOnTimer([xvfb](TObject* sender) {
    static_cast<TTimer*>(sender)->SetEnabled(false);
    kill(xvfb, SIGKILL);
  });
  Application->Run();
  std::exit(4); // the loop must not end by itself here
}

TEST(LostDisplay, TheMainFormsClosePathRuns) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // The child runs this body again from the start: the name must not differ.
  const std::string marker = (std::filesystem::path(WT_BINARY_DIR) / "lost-display.txt").string();
  if (!testing::internal::InDeathTestChild())
    std::filesystem::remove(marker);
  EXPECT_EXIT(RunUntilTheDisplayGoes(marker), testing::ExitedWithCode(1), "");
  std::ifstream in(marker);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(), "query close");
  std::filesystem::remove(marker);
}

} // namespace
