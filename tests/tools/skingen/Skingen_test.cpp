// The picture generator as the developer runs it: its files against the
// committed ones, the manifest against the files, and layouts it fills read
// back by the real controls.
#include "platform/ui/Extctrls.h"
#include "platform/ui/Layout.h"
#include "platform/ui/Stdctrls.h"
#include "skin/Bmpctrls.h"
#include "skin/Bmslider.h"
#include "skin/Epmorph.h"
#include "skin/Medialib.h"
#include "skin/Regions.h"
#include "skin/Wavctrl.h"
#include "tests/platform/ui/FormFixture.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>

WT_DECLARE_META(TImage)
WT_DECLARE_META(TLabel)
WT_DECLARE_META(TepWavePlayer)

namespace fs = std::filesystem;

namespace {

const std::string kSkinDir = std::string(WT_SOURCE_DIR) + "/resources/skin";

// The classes of the test layouts, named so that the reader knows them.
[[maybe_unused]] const TMetaClass* const kClasses[] = {
    &MetaOf<TepRegionForm>(),  &MetaOf<TepMorphButton>(), &MetaOf<TepBMPButton>(),
    &MetaOf<TepBMPCheckBox>(), &MetaOf<TepBMPSlider>(),   &MetaOf<TepBitmap>(),
    &MetaOf<TImage>(),         &MetaOf<TLabel>(),         &MetaOf<TepWavePlayer>()};

struct TRun {
  int Status = -1;
  std::string Output;
};

TRun Skingen(const std::string& Args) {
  TRun run;
  FILE* pipe = popen((std::string(WT_SKINGEN) + " " + Args + " 2>&1").c_str(), "r");
  if (pipe == nullptr)
    return run;
  char buffer[4096];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
    run.Output += buffer;
  const int status = pclose(pipe);
  run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

// Relative path -> bytes, every file under Folder.
std::map<std::string, std::string> FilesUnder(const std::string& Folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(Folder))
    if (entry.is_regular_file())
      files[fs::relative(entry.path(), Folder).string()] = ReadFileBytes(entry.path().string());
  return files;
}

struct TManifestRow {
  std::string Path, Layout, Component, Property;
  int Width = 0, Height = 0; // 0 for a sound
};

// The rows of the file table: "| frmMain/btnPlay.UpGlyph.bmp | 22 x 22 | ...".
std::vector<TManifestRow> Manifest() {
  std::vector<TManifestRow> rows;
  std::istringstream text(ReadFileBytes(kSkinDir + "/MANIFEST.md"));
  for (std::string line; std::getline(text, line);) {
    if (line.rfind("| frm", 0) != 0)
      continue;
    TManifestRow row;
    std::istringstream cells(line.substr(2));
    std::getline(cells, row.Path, ' ');
    std::string size;
    cells.ignore(2);
    std::getline(cells, size, '|');
    if (std::sscanf(size.c_str(), "%d x %d", &row.Width, &row.Height) != 2)
      row.Width = row.Height = 0;
    const fs::path path(row.Path);
    row.Layout = path.parent_path().string();
    const std::string stem = path.stem().string();
    row.Component = stem.substr(0, stem.find('.'));
    row.Property = stem.substr(stem.find('.') + 1);
    rows.push_back(row);
  }
  return rows;
}

int SampleAt(const std::string& Wave, std::size_t Index) {
  const auto* p = reinterpret_cast<const uint8_t*>(Wave.data() + 44 + 2 * Index);
  return static_cast<int16_t>(p[0] | p[1] << 8);
}

uint32_t Le(const std::string& Bytes, std::size_t At, int Count) {
  uint32_t v = 0;
  for (int i = Count - 1; i >= 0; --i)
    v = v << 8 | static_cast<uint8_t>(Bytes[At + i]);
  return v;
}

// <build>/screenshots/<Name>.png of what the surface in Dc shows.
void SaveScreenshot(HDC Dc, int Width, int Height, const std::string& Name) {
  TBitmap shot;
  shot.SetPixelFormat(pf24bit);
  shot.SetSize(Width, Height);
  BitBlt(shot.Canvas()->Handle(), 0, 0, Width, Height, Dc, 0, 0, SRCCOPY);
  const fs::path dir = fs::path(WT_BINARY_DIR) / "screenshots";
  fs::create_directories(dir);
  const std::string bmp = (dir / (Name + ".bmp")).string();
  shot.SaveToFile(bmp);
  ASSERT_EQ(
      std::system(("convert '" + bmp + "' '" + (dir / (Name + ".png")).string() + "'").c_str()), 0);
  fs::remove(bmp);
}

} // namespace

TEST(SkinGenerator, RemakesTheCommittedFilesByteForByte) {
  TTempDir out;
  ASSERT_EQ(Skingen("--out " + out.Path()).Status, 0);
  const auto made = FilesUnder(out.Path());
  auto committed = FilesUnder(kSkinDir);
  committed.erase("README.md");
  ASSERT_GT(made.size(), 100u);
  for (const auto& [path, bytes] : made) {
    ASSERT_TRUE(committed.count(path)) << path << " is made but not committed";
    EXPECT_TRUE(bytes == committed[path]) << path << " differs from the committed file";
  }
  for (const auto& [path, bytes] : committed)
    EXPECT_TRUE(made.count(path)) << path << " is committed but no longer made";
}

TEST(SkinGenerator, TheManifestListsEveryFileAtTheSizeItDecodesTo) {
  const std::vector<TManifestRow> rows = Manifest();
  auto files = FilesUnder(kSkinDir);
  files.erase("README.md");
  files.erase("MANIFEST.md");
  ASSERT_EQ(rows.size(), files.size());
  for (const TManifestRow& row : rows) {
    ASSERT_TRUE(files.count(row.Path)) << row.Path;
    if (fs::path(row.Path).extension() != ".bmp")
      continue;
    TBitmap picture;
    picture.LoadFromFile(kSkinDir + "/" + row.Path);
    EXPECT_EQ(picture.Width(), row.Width) << row.Path;
    EXPECT_EQ(picture.Height(), row.Height) << row.Path;
  }
}

TEST(SkinGenerator, WindowMasksAreOneBitRoundedRectangles) {
  for (const auto& [layout, width, height] :
       {std::tuple{"frmMain", 615, 224}, std::tuple{"frmWizard", 600, 420}}) {
    TBitmap mask;
    mask.LoadFromFile(kSkinDir + "/" + layout + "/epRegionForm1.Mask.bmp");
    EXPECT_EQ(mask.PixelFormat(), pf1bit) << layout;
    ASSERT_EQ(mask.Width(), width);
    ASSERT_EQ(mask.Height(), height);
    TCanvas* c = mask.Canvas();
    struct Case {
      int x, y;
      TColor colour;
    } cases[] = {{0, 0, clWhite},
                 {width - 1, 0, clWhite},
                 {0, height - 1, clWhite},
                 {width - 1, height - 1, clWhite},
                 {2, 2, clWhite},
                 {3, 3, clBlack},
                 {width / 2, 0, clBlack},
                 {0, height / 2, clBlack},
                 {width - 1, height / 2, clBlack},
                 {width / 2, height - 1, clBlack},
                 {width / 2, height / 2, clBlack}};
    for (const Case& k : cases)
      EXPECT_EQ(c->Pixels(k.x, k.y), k.colour) << layout << " at " << k.x << "," << k.y;
  }
}

TEST(SkinGenerator, TheBeepIsAShortSoftMonoWave) {
  const std::string wave = ReadFileBytes(kSkinDir + "/frmMain/bipPlayer.Wave.wav");
  ASSERT_GT(wave.size(), 44u);
  EXPECT_EQ(wave.substr(0, 4), "RIFF");
  EXPECT_EQ(wave.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(Le(wave, 4, 4), wave.size() - 8);
  EXPECT_EQ(Le(wave, 20, 2), 1u);     // PCM
  EXPECT_EQ(Le(wave, 22, 2), 1u);     // mono
  EXPECT_EQ(Le(wave, 24, 4), 22050u); // samples a second
  EXPECT_EQ(Le(wave, 34, 2), 16u);    // bits a sample
  EXPECT_EQ(wave.substr(36, 4), "data");
  const std::size_t count = Le(wave, 40, 4) / 2;
  ASSERT_EQ(44 + 2 * count, wave.size());
  EXPECT_EQ(count, 22050u * 120 / 1000);
  int peak = 0;
  for (std::size_t i = 0; i < count; ++i)
    peak = std::max(peak, std::abs(SampleAt(wave, i)));
  EXPECT_GT(peak, 32767 / 5) << "loud enough to hear";
  EXPECT_LT(peak, 32767 * 9 / 10) << "never clipped";
  // Soft edges: no click at the start or the end.
  EXPECT_LT(std::abs(SampleAt(wave, 0)), 300);
  for (std::size_t i = count - 20; i < count; ++i)
    EXPECT_LT(std::abs(SampleAt(wave, i)), 300) << "sample " << i;
}

namespace {

class EmbedStep : public FormTest {
protected:
  // A copy of a test layout in a folder of its own, beside the committed
  // pictures as resources/ has them.
  std::string Prepare(const std::string& Name) {
    fs::create_directory_symlink(kSkinDir, dir.File("skin"));
    return dir.Write(Name + ".lay",
                     ReadFileBytes(std::string(WT_TEST_DATA_DIR) + "/" + Name + ".lay"));
  }

  // Checks every manifest picture of Layout whose component the form has
  // against the manifest size; returns how many it checked.
  int CheckPictures(const std::string& Layout) {
    int checked = 0;
    for (const TManifestRow& row : Manifest()) {
      TComponent* component = row.Layout == Layout ? form->FindComponent(row.Component) : nullptr;
      const TPropInfo* info =
          component != nullptr ? MetaClassOf(*component)->FindProperty(row.Property) : nullptr;
      if (info == nullptr || !info->SubObject)
        continue;
      TObject* held = info->SubObject(*component);
      ++checked;
      if (auto* wave = dynamic_cast<TepWave*>(held)) {
        TMemoryStream bytes;
        wave->SaveToStream(bytes);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.Memory()), bytes.Size()),
                  ReadFileBytes(kSkinDir + "/" + row.Path));
        continue;
      }
      int width = -1, height = -1;
      if (auto* bitmap = dynamic_cast<TBitmap*>(held)) {
        width = bitmap->Width();
        height = bitmap->Height();
      } else if (auto* picture = dynamic_cast<TPicture*>(held)) {
        width = picture->Width();
        height = picture->Height();
      }
      EXPECT_EQ(width, row.Width) << row.Path;
      EXPECT_EQ(height, row.Height) << row.Path;
    }
    return checked;
  }

  TTempDir dir;
};

} // namespace

TEST_F(EmbedStep, FillsThePicturesThatTheControlsReadBackAtTheirSizes) {
  const std::string layout = Prepare("frmMain");
  const TRun run = Skingen("--embed " + layout);
  ASSERT_EQ(run.Status, 0) << run.Output;
  EXPECT_NE(run.Output.find("skipped btnHelp.UpGlyph.bmp: no component btnHelp"), std::string::npos)
      << run.Output;
  const std::string text = ReadFileBytes(layout);
  ReadComponentLayout(form, text, "frmMain.lay");

  // btnPlay and btnClose (whose empty picture is replaced) three each, the
  // arrow, the hint wallpaper, the beep, the mask and the skin.
  EXPECT_EQ(CheckPictures("frmMain"), 11);
  EXPECT_EQ(static_cast<TLabel*>(form->FindComponent("lblTimer"))->Caption(), "kept as written");

  // The window as the controls paint it: the skin, with each picture where
  // its control stands (the label paints its own face).
  form->Repaint();
  Pump();
  TBitmap skin, expected;
  skin.LoadFromFile(kSkinDir + "/frmMain/epRegionForm1.Picture.bmp");
  expected.SetPixelFormat(pf24bit);
  expected.SetSize(615, 224);
  expected.Canvas()->Draw(0, 0, &skin);
  for (const auto& [file, x, y] :
       {std::tuple{"btnPlay.UpGlyph.bmp", 421, 4}, std::tuple{"btnClose.UpGlyph.bmp", 585, 4},
        std::tuple{"bmpUp.Picture.bmp", 0, 0}}) {
    TBitmap picture;
    picture.LoadFromFile(kSkinDir + "/frmMain/" + file);
    expected.Canvas()->Draw(x, y, &picture);
  }
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, form->Impl()->Surface());
  SaveScreenshot(dc, 615, 224, "embed-frmMain");
  int differing = 0;
  for (int y = 0; y < 224; ++y)
    for (int x = 0; x < 615; ++x)
      if (!(x >= 120 && x < 210 && y >= 8 && y < 22) &&
          GetPixel(dc, x, y) != static_cast<COLORREF>(expected.Canvas()->Pixels(x, y)))
        ++differing;
  SelectObject(dc, old);
  DeleteDC(dc);
  EXPECT_EQ(differing, 0);

  // The window takes the mask's shape from the stored region.
  auto* shaped = static_cast<TepRegionForm*>(form->FindComponent("epRegionForm1"));
  ASSERT_NE(shaped->WindowRegion(), nullptr);
  struct Case {
    int x, y;
    bool inside;
  } cases[] = {{307, 112, true}, {0, 112, true},    {614, 112, true}, {307, 0, true},
               {0, 0, false},    {614, 223, false}, {2, 2, false},    {615, 112, false}};
  for (const Case& c : cases)
    EXPECT_EQ(PtInRegion(shaped->WindowRegion(), c.x, c.y) != 0, c.inside) << c.x << "," << c.y;

  // Filling again changes nothing.
  ASSERT_EQ(Skingen("--embed " + layout).Status, 0);
  EXPECT_TRUE(ReadFileBytes(layout) == text);
}

TEST_F(EmbedStep, SlidersUseTheirPicturesAndOtherClassesAreLeftAlone) {
  const std::string layout = Prepare("frmWizard");
  const TRun run = Skingen("--embed " + layout);
  ASSERT_EQ(run.Status, 0) << run.Output;
  EXPECT_NE(run.Output.find(
                "skipped cbxSilent.CheckGlyph.bmp: TLabel is not a class the embed step fills"),
            std::string::npos)
      << run.Output;
  ReadComponentLayout(form, ReadFileBytes(layout), "frmWizard.lay");
  // Mask and skin, thumb and ruler, the check strip, four button faces.
  EXPECT_EQ(CheckPictures("frmWizard"), 9);
  auto* slider = static_cast<TepBMPSlider*>(form->FindComponent("sliderTimeout"));
  EXPECT_TRUE(slider->UserImages().Contains(siHThumb));
  EXPECT_TRUE(slider->UserImages().Contains(siHRuler));
  EXPECT_FALSE(slider->UserImages().Contains(siVThumb));
  EXPECT_EQ(slider->GetImage(siHThumb)->Width(), 24);
}

TEST_F(EmbedStep, ABrokenPictureOrAMissingFolderLeavesTheLayoutAsItWas) {
  const std::string good = ReadFileBytes(kSkinDir + "/frmMain/bmpUp.Picture.bmp");
  dir.Write("skin/frmMain/bmpUp.Picture.bmp", good.substr(0, good.size() / 2));
  const std::string layout =
      dir.Write("frmMain.lay", ReadFileBytes(std::string(WT_TEST_DATA_DIR) + "/frmMain.lay"));
  const std::string before = ReadFileBytes(layout);
  EXPECT_NE(Skingen("--embed " + layout).Status, 0);
  EXPECT_TRUE(ReadFileBytes(layout) == before);

  const std::string other = dir.Write("frmOther.lay", before);
  const TRun run = Skingen("--embed " + other);
  EXPECT_NE(run.Status, 0);
  EXPECT_NE(run.Output.find("no pictures for frmOther"), std::string::npos) << run.Output;
  EXPECT_TRUE(ReadFileBytes(other) == before);
}

// The windows' own layouts, once they stand: each must hold the current
// pictures, as the embed step would fill them now, and every picture it
// holds must decode to the manifest's size.
namespace {

const TLayoutObject* FindObject(const TLayoutObject& Object, const std::string& Name) {
  if (Object.Name == Name)
    return &Object;
  for (const TLayoutObject& child : Object.Children)
    if (const TLayoutObject* found = FindObject(child, Name))
      return found;
  return nullptr;
}

// The stored picture's size; {-1, -1} when the property holds none.
std::pair<int, int> StoredSize(const TLayoutObject& Object, const std::string& Property) {
  const TMetaClass* meta = FindClass(Object.ClassName);
  const TPropInfo* info = meta != nullptr ? meta->FindProperty(Property) : nullptr;
  for (const TLayoutProperty& p : Object.Properties) {
    if (p.Name != Property + ".Data" || info == nullptr || info->ObjectClass == nullptr)
      continue;
    TMemoryStream stream;
    stream.WriteBuffer(p.Value.Bytes.data(), static_cast<int>(p.Value.Bytes.size()));
    stream.SetPosition(0);
    if (info->ObjectClass->ClassName == "TPicture") {
      TPicture picture;
      picture.ReadData(&stream);
      return {picture.Width(), picture.Height()};
    }
    TBitmap bitmap;
    bitmap.ReadData(&stream);
    return {bitmap.Width(), bitmap.Height()};
  }
  return {-1, -1};
}

} // namespace

TEST(CommittedLayouts, HoldTheCurrentPicturesAtTheManifestSizes) {
  const fs::path resources = fs::path(WT_SOURCE_DIR) / "resources";
  int layouts = 0;
  for (const std::string name : {"frmMain", "frmSmallView", "frmWizard"}) {
    const fs::path layout = resources / (name + ".lay");
    if (!fs::exists(layout))
      continue;
    ++layouts;
    TTempDir dir;
    fs::create_directory_symlink(kSkinDir, dir.File("skin"));
    const std::string committed = ReadFileBytes(layout.string());
    const std::string copy = dir.Write(name + ".lay", committed);
    ASSERT_EQ(Skingen("--embed " + copy).Status, 0) << name;
    EXPECT_TRUE(ReadFileBytes(copy) == committed)
        << name << ".lay does not hold the current pictures: run skingen --embed on it";

    const TLayoutObject tree = ParseLayout(committed, name + ".lay");
    for (const TManifestRow& row : Manifest()) {
      const TLayoutObject* object = row.Layout == name ? FindObject(tree, row.Component) : nullptr;
      if (object == nullptr || row.Width == 0)
        continue;
      const auto [width, height] = StoredSize(*object, row.Property);
      if (width < 0)
        continue; // a class without that picture: the embed step left it out
      EXPECT_EQ(width, row.Width) << row.Path;
      EXPECT_EQ(height, row.Height) << row.Path;
    }
  }
  if (layouts == 0)
    GTEST_SKIP() << "no window layout under resources/ yet";
}
