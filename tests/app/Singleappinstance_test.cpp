#include "app/Singleappinstance.h"
#include "platform/shell/Shellapi.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>

namespace {

const std::string kHelper = WT_BINARY_DIR "/tests/app/single_instance_helper";

// The instances' shared blocks live in a runtime folder of the test's own, so
// that parallel runs do not meet.
class SingleInstanceTest : public ::testing::Test {
protected:
  void SetUp() override {
    const char* old = std::getenv("XDG_RUNTIME_DIR");
    saved = old != nullptr ? old : "";
    ::setenv("XDG_RUNTIME_DIR", dir.Path().c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  }
  void TearDown() override {
    saved.empty() ? ::unsetenv("XDG_RUNTIME_DIR") : ::setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
  }

  static std::unique_ptr<TChildProcess> Start(const std::vector<std::string>& args = {},
                                              const std::string& program = kHelper) {
    return std::make_unique<TChildProcess>(program, args);
  }

  TTempDir dir;
  std::string saved;
  const std::string marker = "first " + TSingleAppInstance::MarkerForPath(kHelper);
};

} // namespace

TEST(SingleInstance, MarkersAreThePathWithoutDelimiters) {
  EXPECT_EQ(TSingleAppInstance::TranslateSlashes("/opt/welka tidor/bin/welkatidor"),
            "_opt_welka tidor_bin_welkatidor");
  EXPECT_TRUE(TSingleAppInstance::IsValidMarkerText("_opt_welkatidor"));
  EXPECT_FALSE(TSingleAppInstance::IsValidMarkerText("opt/welkatidor"));

  TSingleAppInstance instance(nullptr);
  instance.SetMarker("news_watch");
  try {
    instance.SetMarker("news/watch");
    ADD_FAILURE() << "a marker with a delimiter was taken";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "A marker may not contain the '/' character");
  }
  EXPECT_EQ(instance.Marker(), "news_watch");
}

// No two program paths share a marker, however their names mix delimiters,
// "_" and "%"; a path without those two keeps the plain translated form.
TEST(SingleInstance, MarkersAreOneToOneWithThePath) {
  EXPECT_EQ(TSingleAppInstance::MarkerForPath("/opt/welka tidor/bin/welkatidor"),
            "_opt_welka tidor_bin_welkatidor");
  const char* const paths[] = {"/x/a_b/welkatidor",   "/x/a/b/welkatidor",  "/x/a%5Fb/welkatidor",
                               "/x/a%2Fb/welkatidor", "/x/a%/b/welkatidor", "/x/a_/b/welkatidor",
                               "/x/a/_b/welkatidor"};
  std::set<std::string> markers;
  for (const char* path : paths) {
    const AnsiString marker = TSingleAppInstance::MarkerForPath(path);
    EXPECT_TRUE(TSingleAppInstance::IsValidMarkerText(marker)) << path;
    EXPECT_TRUE(markers.insert(marker).second) << path << " shares " << marker;
  }
}

TEST(SingleInstance, OnlyAComponentMadeByALayoutStartsEnabled) {
  TComponent loading(nullptr);
  loading.SetLoading(true);
  TSingleAppInstance fromLayout(&loading);
  EXPECT_TRUE(fromLayout.Enabled());
  TSingleAppInstance byHand(nullptr);
  EXPECT_FALSE(byHand.Enabled());
  EXPECT_TRUE(byHand.PassCommandLine);
  // Switching it off again checks nothing and so fills in no marker.
  fromLayout.SetEnabled(false);
  EXPECT_FALSE(fromLayout.Enabled());
  EXPECT_EQ(fromLayout.Marker(), "");
}

TEST_F(SingleInstanceTest, TheSecondEndsAlsoAfterTheFirstWasKilled) {
  auto first = Start();
  ASSERT_EQ(first->Line(), marker);

  auto second = Start();
  EXPECT_EQ(second->Line(), "second instance");
  EXPECT_EQ(second->Line(), "ends");
  EXPECT_EQ(second->Wait(), 0);

  // A crash frees the marker: the next start is the first again.
  first->Kill();
  auto third = Start();
  ASSERT_EQ(third->Line(), marker);
  auto fourth = Start();
  EXPECT_EQ(fourth->Line(), "second instance");
  EXPECT_EQ(fourth->Line(), "ends");

  // The second sent nothing: the next line the third prints is what a
  // passing instance sends.
  auto passing = Start({"--pass"});
  EXPECT_EQ(passing->Line(), "second instance");
  EXPECT_EQ(third->Line(), "received " + kHelper + " --pass");
}

TEST_F(SingleInstanceTest, AnotherPathIsAnotherProgram) {
  auto first = Start();
  ASSERT_EQ(first->Line(), marker);
  const std::string copy = dir.File("other place/single_instance_helper");
  std::filesystem::create_directories(dir.File("other place"));
  std::filesystem::copy_file(kHelper, copy);
  std::filesystem::permissions(copy, std::filesystem::perms::owner_all);
  auto other = Start({}, copy);
  EXPECT_EQ(other->Line(), "first " + TSingleAppInstance::MarkerForPath(copy));
}

TEST_F(SingleInstanceTest, TheFirstReceivesTheWholeCommandLine) {
  auto first = Start();
  ASSERT_EQ(first->Line(), marker);
  const std::vector<std::string> args{"--pass", "two words", "say \"hi\"", "back\\", ""};
  auto second = Start(args);
  EXPECT_EQ(second->Line(), "second instance");
  EXPECT_EQ(second->Line(), "ends");
  const std::string line = first->Line();
  ASSERT_EQ(line.rfind("received ", 0), 0u) << line;
  std::vector<AnsiString> expected{kHelper};
  expected.insert(expected.end(), args.begin(), args.end());
  EXPECT_EQ(CommandLineToArgv(line.substr(9)), expected) << line;
}

TEST_F(SingleInstanceTest, AHandlerCanKeepTheSecondAndASecondComponentStaysInert) {
  auto first = Start({"--two"});
  EXPECT_EQ(first->Line(), "second component disabled");
  EXPECT_EQ(first->Line(), marker);
  auto second = Start({"--stay"});
  EXPECT_EQ(second->Line(), "second instance");
  EXPECT_EQ(second->Line(), "runs " + TSingleAppInstance::MarkerForPath(kHelper));
}

// Copies whose paths differ only where one has "_" and the other a delimiter
// are two programs with files of their own: both run.
TEST_F(SingleInstanceTest, CopiesWhosePathsDifferOnlyByDelimitersBothRun) {
  std::vector<std::unique_ptr<TChildProcess>> running;
  for (const char* folder : {"x/a_b", "x/a/b"}) {
    const std::string copy = dir.File(folder) + "/single_instance_helper";
    std::filesystem::create_directories(dir.File(folder));
    std::filesystem::copy_file(kHelper, copy);
    running.push_back(Start({}, copy));
    EXPECT_EQ(running.back()->Line(), "first " + TSingleAppInstance::MarkerForPath(copy));
  }
}

// The files beside the executable belong to one instance, whoever starts the
// next: a start in another session (a runtime folder of its own, where the
// first's block is out of reach) and a start by another user both end, and
// the one that would pass its command line has nobody to pass it to. Once the
// first has ended, another user's start is the first.
TEST_F(SingleInstanceTest, AStartFromAnotherSessionOrUserIsASecondInstance) {
  auto first = Start();
  ASSERT_EQ(first->Line(), marker);

  TTempDir otherSession;
  ::setenv("XDG_RUNTIME_DIR", otherSession.Path().c_str(), 1);
  auto fromElsewhere = Start({"--pass"});
  EXPECT_EQ(fromElsewhere->Line(), "second instance");
  EXPECT_EQ(fromElsewhere->Line(), "ends");
  EXPECT_EQ(fromElsewhere->Wait(), 0);

  // Nobody has no runtime folder of root's to share.
  const std::vector<std::string> asNobody{"--reuid=65534", "--regid=65534", "--clear-groups",
                                          kHelper};
  auto otherUser = Start(asNobody, "/usr/bin/setpriv");
  EXPECT_EQ(otherUser->Line(), "second instance");
  EXPECT_EQ(otherUser->Line(), "ends");
  EXPECT_EQ(otherUser->Wait(), 0);
  EXPECT_EQ(first->Line(200), "") << "a command line reached the first";

  first->Kill();
  auto later = Start(asNobody, "/usr/bin/setpriv");
  EXPECT_EQ(later->Line(), marker);
}
