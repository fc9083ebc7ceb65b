// The notebook: pages shown one at a time, kept as a list of captions, stored
// in layouts as children, transparent to the mouse, tiled with a wallpaper.
#include "skin/Epnote.h"

#include "platform/ui/Layout.h"
#include "platform/ui/Stdctrls.h"
#include "tests/platform/ui/FormFixture.h"

#include <memory>
#include <string>
#include <vector>

namespace {

class Notebook : public FormTest {
protected:
  TepNoteBook* MakeNotebook(std::vector<AnsiString> captions) {
    auto* book = Make<TepNoteBook>(10, 10, 120, 90);
    book->OnPageChanged = [this, book](TObject* sender) {
      EXPECT_EQ(sender, book);
      shown.push_back(book->PageIndex());
    };
    for (const auto& c : captions)
      book->Pages()->Add(c);
    shown.clear();
    return book;
  }
  static std::string Captions(TepNoteBook* book) {
    std::string s;
    for (int i = 0; i < book->Pages()->Count(); ++i)
      s += book->Pages()->Strings(i);
    return s;
  }
  // The captions of the pages that are visible.
  static std::string VisiblePages(TepNoteBook* book) {
    std::string s;
    for (int i = 0; i < book->Pages()->Count(); ++i)
      if (book->GetPage(i)->Visible())
        s += book->Pages()->Strings(i);
    return s;
  }

  std::vector<int> shown; // PageIndex at each OnPageChanged
};

} // namespace

TEST_F(Notebook, InsertingShowsTheNewPageAndDeletingAsksForPageZero) {
  TepNoteBook* book = MakeNotebook({});
  EXPECT_EQ(book->Width(), 120);
  EXPECT_EQ(book->PageIndex(), -1);
  EXPECT_EQ(book->ActivePage(), "");

  book->Pages()->Insert(0, "A");
  EXPECT_EQ(book->PageIndex(), 0);
  EXPECT_EQ(VisiblePages(book), "A");
  EXPECT_EQ(book->GetPage(0)->BoundsRect(), book->ClientRect());
  book->Pages()->Add("B");
  book->Pages()->Add("C");
  EXPECT_EQ(shown, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(VisiblePages(book), "C");
  EXPECT_EQ(book->ActivePage(), "C");
  EXPECT_EQ(book->Pages()->Objects(1), book->GetPage(1));

  book->Pages()->Delete(2); // the shown page: page 0 comes up
  EXPECT_EQ(book->PageIndex(), 0);
  EXPECT_EQ(VisiblePages(book), "A");
  shown.clear();
  book->Pages()->Delete(0); // the shown page goes: the new page 0 comes up
  EXPECT_EQ(book->PageIndex(), 0);
  EXPECT_EQ(Captions(book), "B");
  EXPECT_EQ(VisiblePages(book), "B");
  EXPECT_EQ(shown, std::vector<int>{0});
  book->Pages()->Delete(0); // nothing left to show
  EXPECT_EQ(book->PageIndex(), -1);
  EXPECT_EQ(book->ActivePage(), "");
  EXPECT_EQ(book->ComponentCount(), 0); // the pages were freed
  EXPECT_THROW(book->Pages()->Delete(0), EStringListError);
}

// Whatever the list operation, PageIndex names the one page that shows.
TEST_F(Notebook, TheIndexAndTheShownPageStayInStep) {
  TepNoteBook* book = MakeNotebook({"A", "B", "C"});
  book->SetPageIndex(1);
  const auto inStep = [&](const char* page) {
    EXPECT_EQ(VisiblePages(book), page);
    EXPECT_EQ(book->ActivePage(), page);
  };
  book->Pages()->Insert(1, "N"); // at the shown page's place
  EXPECT_EQ(book->PageIndex(), 1);
  inStep("N");
  book->Pages()->Insert(0, "M"); // before it
  EXPECT_EQ(book->PageIndex(), 0);
  inStep("M");
  EXPECT_EQ(Captions(book), "MANBC");

  book->SetPageIndex(2);
  book->Pages()->Move(2, 4); // the shown page moves, and the index with it
  EXPECT_EQ(Captions(book), "MACBN");
  EXPECT_EQ(book->PageIndex(), 4);
  inStep("N");
  book->Pages()->Move(0, 4); // another page comes to its place
  EXPECT_EQ(book->PageIndex(), 0);
  inStep("N");

  delete book->GetPage(4); // a page after the shown one freed on its own
  EXPECT_EQ(book->PageIndex(), 0);
  inStep("N");
  delete book->GetPage(0); // the shown page freed on its own
  EXPECT_EQ(book->PageIndex(), -1);
  inStep("");
  book->Pages()->Clear();
  EXPECT_EQ(book->PageIndex(), -1);
}

TEST_F(Notebook, PagesAreChosenByIndexCaptionOrControl) {
  TepNoteBook* book = MakeNotebook({"A", "B", "C"});
  book->SetPageIndex(0);
  shown.clear();
  book->SetPageIndex(0); // the current page: no event
  book->SetPageIndex(3); // out of range: ignored
  book->SetPageIndex(-1);
  book->SetActivePage("nowhere");
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ(book->PageIndex(), 0);

  book->SetActivePage("B");
  EXPECT_EQ(book->PageIndex(), 1);
  EXPECT_EQ(VisiblePages(book), "B");
  book->ShowControl(book->GetPage(2));
  EXPECT_EQ(VisiblePages(book), "C");
  EXPECT_EQ(shown, (std::vector<int>{1, 2}));

  // A notebook on a page of another: showing it brings up the outer page.
  TepNoteBook* outer = MakeNotebook({"X", "Y"});
  outer->SetPageIndex(0);
  TepNoteBook* inner = Make<TepNoteBook>(0, 0, 50, 50, outer->GetPage(1));
  inner->ShowControl(nullptr);
  EXPECT_EQ(outer->PageIndex(), 1);

  // Renaming, swapping, replacing.
  book->Pages()->SetStrings(1, "b");
  book->Pages()->Move(0, 2);
  EXPECT_EQ(Captions(book), "CbA");
  EXPECT_THROW(book->Pages()->Move(0, 3), EStringListError);
  TStringList fresh;
  fresh.Add("One");
  fresh.Add("Two");
  book->SetPages(&fresh);
  EXPECT_EQ(Captions(book), "OneTwo");
  EXPECT_EQ(book->ComponentCount(), 2);
  EXPECT_EQ(book->PageIndex(), 1);
  EXPECT_EQ(VisiblePages(book), "Two");
}

TEST_F(Notebook, ControlsOfAHiddenPageAreOutOfSightAndFocus) {
  TepNoteBook* book = MakeNotebook({"A", "B"});
  book->SetPageIndex(0);
  auto* onA = Make<TButton>(5, 5, 60, 22, book->GetPage(0));
  auto* onB = Make<TButton>(5, 5, 60, 22, book->GetPage(1));
  onA->SetTabStop(true);
  onB->SetTabStop(true);
  Pump();
  EXPECT_TRUE(onA->Showing());
  EXPECT_FALSE(onB->Showing());
  onA->SetFocus();
  book->SetPageIndex(1);
  EXPECT_TRUE(onB->Showing());
  EXPECT_FALSE(onA->Showing());
  EXPECT_EQ(form->ActiveControl(), onB);
}

TEST_F(Notebook, TheMouseGoesThroughAPage) {
  TepNoteBook* book = MakeNotebook({"A"});
  auto* button = Make<TButton>(5, 5, 60, 22, book->GetPage(0));
  std::vector<std::string> downs;
  book->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) {
    downs.push_back("book " + std::to_string(x) + "," + std::to_string(y));
  };
  book->GetPage(0)->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) {
    downs.push_back("page");
  };
  int clicks = 0;
  button->OnClick = [&](TObject*) { ++clicks; };
  Pump();
  ClickAt(book, 80, 60);
  ClickAt(button, 10, 10);
  Pump();
  EXPECT_EQ(downs, (std::vector<std::string>{"book 80,60"}));
  EXPECT_EQ(clicks, 1);
}

TEST_F(Notebook, TheWallpaperIsTiledToTheEdges) {
  TepNoteBook* book = MakeNotebook({"plain", "tiled"});
  TBitmap tile;
  tile.SetSize(7, 5);
  for (int x = 0; x < 7; ++x)
    for (int y = 0; y < 5; ++y)
      tile.Canvas()->SetPixels(x, y, RGB(x * 30, y * 40, 100));
  book->GetPage(1)->SetWallPaper(&tile);
  book->GetPage(0)->SetColor(RGB(1, 2, 3));
  book->SetBounds(10, 10, 20, 12);
  book->SetPageIndex(0);
  Pump();
  EXPECT_EQ(PixelAt(book->GetPage(0), 19, 11), RGB(1, 2, 3));
  book->SetPageIndex(1);
  Pump();
  for (const TPoint p : {Point(0, 0), Point(8, 6), Point(15, 11), Point(19, 4)})
    EXPECT_EQ(PixelAt(book->GetPage(1), p.X, p.Y), RGB((p.X % 7) * 30, (p.Y % 5) * 40, 100))
        << p.X << "," << p.Y;
}

TEST_F(Notebook, LayoutsStoreThePagesAsChildren) {
  TepNoteBook* book = MakeNotebook({"First", "Second", "Third"});
  form->SetName("frm");
  book->SetName("book");
  auto* button = Make<TButton>(5, 5, 60, 22, book->GetPage(1));
  button->SetName("go");
  book->SetPageIndex(1);
  const AnsiString text = WriteComponentLayout(form);

  TForm loaded(nullptr);
  ReadComponentLayout(&loaded, text, "book.lay");
  auto* again = dynamic_cast<TepNoteBook*>(loaded.FindComponent("book"));
  ASSERT_NE(again, nullptr) << text;
  EXPECT_EQ(Captions(again), "FirstSecondThird") << text;
  EXPECT_EQ(again->PageIndex(), 1);
  EXPECT_EQ(VisiblePages(again), "Second");
  auto* go = dynamic_cast<TButton*>(loaded.FindComponent("go"));
  ASSERT_NE(go, nullptr);
  EXPECT_EQ(go->Parent(), again->GetPage(1));
  // Written again, the notebook is the same (the fixture's form is shown).
  const auto notebookPart = [](const AnsiString& layout) {
    return layout.substr(layout.find("object book"));
  };
  EXPECT_EQ(notebookPart(WriteComponentLayout(&loaded)), notebookPart(text));

  // A stored index that names no page shows none.
  const AnsiString stray = "object frm: TForm\n"
                           "  object nb: TepNoteBook\n"
                           "    PageIndex = 5\n"
                           "    object TepPage\n"
                           "      Caption = 'only'\n"
                           "    end\n"
                           "  end\n"
                           "  object listed: TepNoteBook\n"
                           "    Pages = ('p' 'q')\n"
                           "  end\n"
                           "end\n";
  TForm other(nullptr);
  ReadComponentLayout(&other, stray, "stray.lay");
  auto* nb = dynamic_cast<TepNoteBook*>(other.FindComponent("nb"));
  ASSERT_NE(nb, nullptr);
  EXPECT_EQ(nb->PageIndex(), -1);
  EXPECT_EQ(Captions(nb), "only");
  EXPECT_EQ(VisiblePages(nb), "");
  // Pages named by the list property: the last one made is shown.
  auto* listed = dynamic_cast<TepNoteBook*>(other.FindComponent("listed"));
  ASSERT_NE(listed, nullptr);
  EXPECT_EQ(Captions(listed), "pq");
  EXPECT_EQ(VisiblePages(listed), "q");
}
