// newsprobe detect, run as the tool it is.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "tests/engine/Newsprobe.h"
#include "tests/support/TempDir.h"

namespace {

TProbeRun RunDetect(const std::string& args) {
  return RunNewsprobe("detect " + args + " 2>/dev/null");
}

// The last line up to its timings, which vary; "" when they are missing.
std::string CountsOfLastLine(const std::string& out) {
  const size_t begin = out.rfind('\n', out.size() - 2);
  const std::string line = out.substr(begin == std::string::npos ? 0 : begin + 1);
  const size_t timings = line.find(",\"parse_ms\":");
  if (timings == std::string::npos || line.find(",\"detect_ms\":") == std::string::npos)
    return "";
  return line.substr(0, timings) + "}";
}

std::string Row(const std::string& date, const std::string& href, const std::string& title) {
  return "<tr><td>" + date + "</td><td><a href=\"" + href + "\">" + title + "</a></td></tr>\n";
}

TEST(NewsprobeDetect, PrintsCommittedItemsAndCounts) {
  TTempDir dir;
  // The seventh row's date is too short to count as one, so the row is
  // pruned at commit; a zero byte is a blank, as in a fetched page.
  std::string page = "<table>\n";
  for (int i = 1; i <= 6; ++i)
    page += Row(std::string("1") + std::to_string(i) + "/05/2003",
                std::string("story") + std::to_string(i) + ".html",
                std::string("Council news number ") + std::to_string(i) + std::string(1, '\0') +
                    "of the week");
  page += Row("5/11", "/today.html", "Council news of today, short date");
  page += "</table>\n";
  const std::string file = dir.Write("page.html", page);

  TProbeRun run = RunDetect(file + " --url http://127.0.0.1/news/index.html");
  EXPECT_EQ(run.ExitCode, 0);
  const std::string firstLine = run.Out.substr(0, run.Out.find('\n'));
  EXPECT_EQ(firstLine, "{\"date\":\"11/05/2003\",\"headline\":\"Council news number 1 of the "
                       "week\",\"link\":\"story1.html\",\"absolute\":\"http://127.0.0.1/news/"
                       "story1.html\"}");
  EXPECT_EQ(CountsOfLastLine(run.Out),
            "{\"candidates\":7,\"committed\":6,\"tokens\":58,\"nodes\":30}");
  EXPECT_EQ(run.Out.find("today"), std::string::npos);

  run = RunDetect(file + " --mode 0");
  EXPECT_EQ(run.ExitCode, 0);
  EXPECT_EQ(run.Out.find("\"date\""), std::string::npos);
  EXPECT_EQ(CountsOfLastLine(run.Out),
            "{\"candidates\":0,\"committed\":0,\"tokens\":58,\"nodes\":30}");

  EXPECT_EQ(RunDetect(file + " --mode x").ExitCode, 2);
  EXPECT_EQ(RunDetect("").ExitCode, 2);
  EXPECT_EQ(RunDetect(dir.File("missing.html")).ExitCode, 1);
}

// Headlines in German, typographic English, Spanish, French and Russian, in
// UTF-8 and as numeric references, print as the page wrote them (the page's
// headlines, one a line, beside it).
TEST(NewsprobeDetect, PrintsHeadlinesAsThePageWroteThem) {
  const std::string folder = WT_SOURCE_DIR "/tests/data/text/";
  const TProbeRun run = RunDetect("'" + folder + "headlines.html' --url http://127.0.0.1/h.html");
  ASSERT_EQ(run.ExitCode, 0);
  std::istringstream expected(ReadFileBytes(folder + "headlines.txt"));
  size_t line = 0;
  for (std::string headline; std::getline(expected, headline); ++line) {
    ASSERT_LT(line + 1, run.Lines.size()) << run.Out;
    EXPECT_NE(run.Lines[line].find("\"headline\":\"" + headline + "\""), std::string::npos)
        << run.Lines[line];
  }
  EXPECT_EQ(line, 7u);
  EXPECT_EQ(run.Lines.size(), line + 1) << run.Out;
}

} // namespace
