// The clipboard: text and blocks under registered formats.
#include "platform/ui/Clipbrd.h"
#include "tests/platform/ui/FormFixture.h"

#include <cstring>

namespace {

std::string BlockText(uintptr_t handle) {
  auto block = reinterpret_cast<HGLOBAL>(handle);
  return std::string(static_cast<const char*>(GlobalLock(block)), GlobalSize(block));
}

uintptr_t Block(const std::string& bytes) {
  HGLOBAL block = GlobalAlloc(GHND, bytes.size());
  std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
  GlobalUnlock(block);
  return reinterpret_cast<uintptr_t>(block);
}

TEST(Clipboard, RegisteredFormatsAreFoundAgainByName) {
  const UINT gif = RegisterClipboardFormatA("GIF Image");
  EXPECT_GE(gif, 0xC000u);
  EXPECT_EQ(RegisterClipboardFormatA("gif image"), gif);
  EXPECT_NE(RegisterClipboardFormatA("Another"), gif);
  EXPECT_EQ(GetClipboardFormatName(gif), "GIF Image");
  EXPECT_EQ(RegisterClipboardFormatA(""), 0u);
  EXPECT_EQ(GetClipboardFormatName(CF_TEXT), "");
}

TEST(Clipboard, TextAndBlocksReplaceOrJoinAsTheyArePut) {
  Application->Initialize();
  const WORD format = static_cast<WORD>(RegisterClipboardFormatA("Test Block"));
  TClipboard* clip = Clipboard();
  clip->SetAsText("caf\xE9");
  EXPECT_EQ(clip->AsText(), "caf\xE9");
  EXPECT_EQ(BlockText(clip->GetAsHandle(CF_TEXT)), std::string("caf\xE9", 4) + '\0');
  // Put alone, a block replaces the text; put while open, they go together.
  clip->SetAsHandle(format, Block(std::string("\x00\x01GIF", 5)));
  EXPECT_FALSE(clip->HasFormat(CF_TEXT));
  EXPECT_EQ(BlockText(clip->GetAsHandle(format)), std::string("\x00\x01GIF", 5));
  clip->Open();
  clip->SetAsText("with a picture");
  clip->SetAsHandle(format, Block("data"));
  clip->Close();
  EXPECT_EQ(clip->AsText(), "with a picture");
  EXPECT_EQ(BlockText(clip->GetAsHandle(format)), "data");
  clip->Clear();
  EXPECT_FALSE(clip->HasFormat(format));
  EXPECT_EQ(clip->GetAsHandle(format), 0u);
}

// A graphic that puts itself on the clipboard twice, as a picture class with
// a format of its own does: its own block directly, and the block it answers.
class TTwoFormatGraphic : public TGraphic {
public:
  void Draw(TCanvas*, const TRect&) override {}
  bool GetEmpty() const override { return false; }
  int GetWidth() const override { return 1; }
  int GetHeight() const override { return 1; }
  void SetWidth(int) override {}
  void SetHeight(int) override {}
  void LoadFromStream(TStream*) override {}
  void SaveToStream(TStream*) override {}
  void SaveToClipboardFormat(WORD& Format, uintptr_t& Data, HPALETTE& Palette) override {
    HGLOBAL own = reinterpret_cast<HGLOBAL>(Block("own"));
    EXPECT_EQ(SetClipboardData(RegisterClipboardFormatA("Own Format"), own), own);
    Format = static_cast<WORD>(RegisterClipboardFormatA("Answered Format"));
    Data = Block("answered");
    Palette = nullptr;
  }
};

TEST(Clipboard, AGraphicPutsEveryFormatItKnowsAtOnce) {
  Application->Initialize();
  Clipboard()->SetAsText("old");
  TTwoFormatGraphic graphic;
  TPicture picture;
  picture.SetGraphic(nullptr);
  EXPECT_THROW(Clipboard()->Assign(&picture), EClipboardException);
  Clipboard()->Assign(&graphic);
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
  EXPECT_EQ(BlockText(reinterpret_cast<uintptr_t>(
                GetClipboardData(RegisterClipboardFormatA("Own Format")))),
            "own");
  EXPECT_EQ(BlockText(reinterpret_cast<uintptr_t>(
                GetClipboardData(RegisterClipboardFormatA("Answered Format")))),
            "answered");
  // A bitmap handle is no block: refused, and left to its owner.
  HGLOBAL refused = reinterpret_cast<HGLOBAL>(Block("x"));
  EXPECT_EQ(SetClipboardData(CF_BITMAP, refused), nullptr);
  EXPECT_EQ(GlobalSize(refused), 1u);
  GlobalFree(refused);
}

} // namespace
