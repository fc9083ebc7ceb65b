#include "platform/rtl/Stringlist.h"

#include "platform/rtl/Streams.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

TStringList Make(std::initializer_list<const char*> lines) {
  TStringList list;
  for (const char* s : lines)
    list.Add(s);
  return list;
}

std::vector<AnsiString> Lines(const TStrings& list) {
  std::vector<AnsiString> r;
  for (int i = 0; i < list.Count(); ++i)
    r.push_back(list.Strings(i));
  return r;
}

} // namespace

TEST(StringList, TextSplitsAtEveryKindOfLineBreak) {
  struct Case {
    const char* text;
    std::vector<AnsiString> lines;
  };
  const Case cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb\rc", {"a", "b", "c"}},
      {"\r\n\r\n", {"", ""}},
      {"a\n\rb", {"a", "", "b"}},
      {"caf\xE9\r\n", {"caf\xE9"}},
  };
  for (const auto& c : cases) {
    TStringList list;
    list.SetText(c.text);
    EXPECT_EQ(Lines(list), c.lines) << c.text;
  }
  EXPECT_EQ(Make({"x", "", "y"}).Text(), "x\r\n\r\ny\r\n");
}

TEST(StringList, CommaTextQuotesOnlyWhatNeedsIt) {
  struct Case {
    std::vector<const char*> items;
    const char* comma;
  };
  const Case cases[] = {
      {{"a", "b"}, "a,b"},  {{"two words", "x"}, "\"two words\",x"},
      {{"a,b"}, "\"a,b\""}, {{"say \"hi\""}, "\"say \"\"hi\"\"\""},
      {{""}, "\"\""},       {{"a", "", "c"}, "a,,c"},
  };
  for (const auto& c : cases) {
    TStringList list;
    for (const char* s : c.items)
      list.Add(s);
    EXPECT_EQ(list.CommaText(), c.comma);
    TStringList back;
    back.SetCommaText(c.comma);
    EXPECT_TRUE(back.Equals(list)) << c.comma << " read back as " << back.CommaText();
  }
}

TEST(StringList, CommaTextReadingSplitsAtBlanksAndKeepsTrailingEmpty) {
  struct Case {
    const char* comma;
    std::vector<AnsiString> lines;
  };
  const Case cases[] = {
      {"a b", {"a", "b"}},  {"  a , b  ", {"a", "b"}}, {"a,", {"a", ""}},
      {"\"open", {"open"}}, {"\"q\"x", {"q", "x"}},
  };
  for (const auto& c : cases) {
    TStringList list;
    list.SetCommaText(c.comma);
    EXPECT_EQ(Lines(list), c.lines) << c.comma;
  }
}

TEST(StringList, NamesAndValues) {
  TStringList list = Make({"Font=Arial", "plain", "Size=9", "Empty="});
  EXPECT_EQ(list.Names(0), "Font");
  EXPECT_EQ(list.Names(1), "");
  EXPECT_EQ(list.Values("font"), "Arial");
  EXPECT_EQ(list.Values("Empty"), "");
  EXPECT_EQ(list.Values("missing"), "");
  EXPECT_EQ(list.ValueFromIndex(2), "9");

  list.SetValues("SIZE", "12");
  EXPECT_EQ(list.Strings(2), "SIZE=12");
  list.SetValues("Color", "red");
  EXPECT_EQ(list.Strings(4), "Color=red");
  list.SetValues("Font", "");
  EXPECT_EQ(list.IndexOfName("Font"), -1);
  EXPECT_EQ(list.Count(), 4);
}

TEST(StringList, IndexOfIgnoresCaseUnlessAskedTo) {
  TStringList list = Make({"http://A.example/", "\xC9t\xE9"});
  EXPECT_EQ(list.IndexOf("HTTP://a.EXAMPLE/"), 0);
  EXPECT_EQ(list.IndexOf("\xE9T\xC9"), 1); // accented letters fold too
  EXPECT_EQ(list.IndexOf("http://a.example"), -1);
  list.SetCaseSensitive(true);
  EXPECT_EQ(list.IndexOf("HTTP://a.EXAMPLE/"), -1);
  EXPECT_EQ(list.IndexOf("http://A.example/"), 0);
}

TEST(StringList, SortedListKeepsOrderAndHonoursDuplicates) {
  struct Case {
    TDuplicates duplicates;
    std::vector<AnsiString> expected;
    bool throws;
  };
  const Case cases[] = {
      {dupIgnore, {"apple", "Banana", "cherry"}, false},
      {dupAccept, {"apple", "Banana", "Banana", "cherry"}, false},
      {dupError, {"apple", "Banana", "cherry"}, true},
  };
  for (const auto& c : cases) {
    TStringList list = Make({"cherry", "Banana", "apple"});
    list.SetSorted(true);
    list.SetDuplicates(c.duplicates);
    if (c.throws)
      EXPECT_THROW(list.Add("Banana"), EStringListError);
    else
      EXPECT_EQ(list.Strings(list.Add("Banana")), "Banana");
    EXPECT_EQ(Lines(list), c.expected) << c.duplicates;
    EXPECT_EQ(list.IndexOf("BANANA"), 1);
    int at = -1;
    EXPECT_FALSE(list.Find("b", at));
    EXPECT_EQ(at, 1);
  }
  TStringList sorted = Make({"b", "a"});
  sorted.SetSorted(true);
  EXPECT_THROW(sorted.Insert(0, "z"), EStringListError);
  EXPECT_THROW(sorted.SetStrings(0, "z"), EStringListError);
}

TEST(StringList, ObjectsTravelWithTheirStrings) {
  TObject one, two;
  TStringList list;
  list.AddObject("b", &two);
  list.AddObject("a", &one);
  list.SetSorted(true);
  EXPECT_EQ(list.Objects(0), &one);
  EXPECT_EQ(list.IndexOfObject(&two), 1);
  list.Delete(0);
  EXPECT_EQ(list.Objects(0), &two);

  TStringList copy;
  copy.Add("old");
  copy.Assign(&list);
  EXPECT_THROW(copy.Assign(nullptr), EConvertError);
  EXPECT_EQ(Lines(copy), std::vector<AnsiString>{"b"});
  EXPECT_EQ(copy.Objects(0), &two);
}

TEST(StringList, MoveAndExchange) {
  TStringList list = Make({"A", "B", "C", "D"});
  list.Move(0, 2);
  EXPECT_EQ(Lines(list), (std::vector<AnsiString>{"B", "C", "A", "D"}));
  list.Exchange(0, 3);
  EXPECT_EQ(Lines(list), (std::vector<AnsiString>{"D", "C", "A", "B"}));
}

TEST(StringList, BadIndexesRaise) {
  TStringList list = Make({"only"});
  const int bad[] = {-1, 1, 5};
  for (int i : bad) {
    EXPECT_THROW(list.Strings(i), EStringListError) << i;
    EXPECT_THROW(list.Delete(i), EStringListError) << i;
    EXPECT_THROW(list.SetObjects(i, nullptr), EStringListError) << i;
  }
  EXPECT_THROW(list.Insert(2, "x"), EStringListError);
  list.Insert(1, "end");
  EXPECT_EQ(list.Strings(1), "end");
  try {
    list.Strings(7);
  } catch (const EStringListError& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (7)");
  }
}

TEST(StringList, ChangeEventsAreHeldDuringAnUpdate) {
  TStringList list;
  int changes = 0, changing = 0;
  list.OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, &list);
    ++changes;
  };
  list.OnChanging = [&](TObject*) { ++changing; };
  list.Add("a");
  list.Add("b");
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(changing, 2);

  list.BeginUpdate();
  list.BeginUpdate();
  list.SetText("x\ny\nz");
  list.Delete(0);
  list.EndUpdate();
  EXPECT_EQ(changes, 2);
  list.EndUpdate();
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(changing, 3);
  EXPECT_EQ(Lines(list), (std::vector<AnsiString>{"y", "z"}));

  list.Clear();
  list.Clear(); // nothing left to change
  EXPECT_EQ(changes, 4);
}

TEST(StringList, FileRoundTripKeepsBytes) {
  const auto dir = std::filesystem::temp_directory_path() /
                   ("wt-strings-" + std::to_string(::getpid()) + "-" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
  std::filesystem::create_directories(dir);
  const AnsiString path = (dir / "list.txt").string();

  TStringList list = Make({"Source definition version 1.020b", "", "\x80uro caf\xE9"});
  list.SaveToFile(path);
  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(bytes, "Source definition version 1.020b\r\n\r\n\x80uro caf\xE9\r\n");

  TStringList back;
  back.Add("stale");
  back.LoadFromFile(path);
  EXPECT_TRUE(back.Equals(list));

  EXPECT_THROW(back.LoadFromFile((dir / "missing.txt").string()), EFOpenError);
  EXPECT_EQ(back.Count(), 3); // a failed load keeps the contents
  EXPECT_THROW(list.SaveToFile((dir / "no" / "such" / "x.txt").string()), EFCreateError);
  std::filesystem::remove_all(dir);
}

TEST(StringList, StreamsReadFromTheirPosition) {
  TMemoryStream stream;
  const std::string bytes = "skip|one\ntwo\r\n";
  stream.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
  stream.SetPosition(5);
  TStringList list;
  list.LoadFromStream(stream);
  EXPECT_EQ(Lines(list), (std::vector<AnsiString>{"one", "two"}));

  TMemoryStream out;
  list.SaveToStream(out);
  EXPECT_EQ(out.Size(), 10);
}
