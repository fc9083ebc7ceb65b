// Binary data in layouts as the skinned controls store it: a picture's
// "Picture.Data", a window region's "Region" (a 4-byte count, then the region
// data) and a one-byte set ("UserImages").
#include "platform/ui/Layout.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

class TSkin : public TComponent {
public:
  explicit TSkin(TComponent* AOwner) : TComponent(AOwner) {}
  ~TSkin() override { DeleteObject(Region); }

  TPicture Picture;
  HRGN Region = nullptr;
  uint8_t UserImages = 0;
  TPicture* GetPicture() { return &Picture; }

  void DefineProperties(TFiler& Filer) override {
    Filer.DefineBinaryProperty(
        "Region", [this](TStream& s) { ReadRegion(s); }, [this](TStream& s) { WriteRegion(s); },
        true);
    Filer.DefineBinaryProperty(
        "UserImages", [this](TStream& s) { s.ReadBuffer(&UserImages, 1); },
        [this](TStream& s) { s.WriteBuffer(&UserImages, 1); }, UserImages != 0);
  }

private:
  void ReadRegion(TStream& s) {
    uint32_t n = 0;
    s.ReadBuffer(&n, 4);
    DeleteObject(Region);
    Region = nullptr;
    if (n == 0)
      return;
    std::vector<uint8_t> data(n);
    s.ReadBuffer(data.data(), static_cast<int>(n));
    Region = ExtCreateRegion(nullptr, n, reinterpret_cast<const RGNDATA*>(data.data()));
    if (Region == nullptr)
      throw EReadError("Invalid region data");
  }
  void WriteRegion(TStream& s) {
    const uint32_t n = Region != nullptr ? GetRegionData(Region, 0, nullptr) : 0;
    std::vector<uint8_t> data(n);
    if (n != 0)
      GetRegionData(Region, n, reinterpret_cast<RGNDATA*>(data.data()));
    s.WriteBuffer(&n, 4);
    s.WriteBuffer(data.data(), static_cast<int>(n));
  }
};

class TSkinForm : public TComponent {
public:
  explicit TSkinForm(TComponent* AOwner) : TComponent(AOwner) {}
  TSkin* skin = nullptr;
};

} // namespace

WT_DECLARE_META(TSkin)
WT_DECLARE_META(TSkinForm)

WT_PUBLISH(TSkin, TComponent) {
  p.Object("Picture", &TSkin::GetPicture);
}

WT_PUBLISH(TSkinForm, TComponent) {
  p.Field("skin", &TSkinForm::skin);
}

namespace {

AnsiString Hex(const std::vector<uint8_t>& bytes) {
  AnsiString out;
  char two[3];
  for (uint8_t b : bytes) {
    std::snprintf(two, sizeof two, "%02X", b);
    out += two;
  }
  return out;
}

std::vector<uint8_t> Bytes(TMemoryStream& s) {
  std::vector<uint8_t> out(static_cast<size_t>(s.Size()));
  s.SetPosition(0);
  s.ReadBuffer(out.data(), static_cast<int>(out.size()));
  return out;
}

TEST(LayoutData, PictureRegionAndOneByteSetLoadAndWriteBack) {
  // A 2 x 1 bitmap as "Picture.Data": class name, length, BMP file.
  TPicture source;
  source.Bitmap()->SetSize(2, 1);
  source.Bitmap()->Canvas()->SetPixels(0, 0, clRed);
  source.Bitmap()->Canvas()->SetPixels(1, 0, clBlue);
  TMemoryStream picture;
  source.WriteData(&picture);
  // An L-shaped region: two rectangles.
  HRGN shape = CreateRectRgn(0, 0, 10, 2);
  HRGN foot = CreateRectRgn(0, 2, 3, 6);
  CombineRgn(shape, shape, foot, RGN_OR);
  const uint32_t n = GetRegionData(shape, 0, nullptr);
  std::vector<uint8_t> region(4 + n);
  std::memcpy(region.data(), &n, 4);
  GetRegionData(shape, n, reinterpret_cast<RGNDATA*>(region.data() + 4));
  DeleteObject(foot);

  const AnsiString layout = "object F: TSkinForm\n  object skin: TSkin\n    Picture.Data = {" +
                            Hex(Bytes(picture)) + "}\n    Region = {" + Hex(region) +
                            "}\n    UserImages = {03}\n  end\nend\n";
  TSkinForm form(nullptr);
  ReadComponentLayout(&form, layout, "skin.lay");
  ASSERT_NE(form.skin, nullptr);
  TSkin& skin = *form.skin;
  ASSERT_NE(skin.Picture.Graphic(), nullptr);
  EXPECT_EQ(skin.Picture.Graphic()->ClassName(), "TBitmap");
  EXPECT_EQ(skin.Picture.Bitmap()->Canvas()->Pixels(1, 0), clBlue);
  ASSERT_NE(skin.Region, nullptr);
  EXPECT_TRUE(EqualRgn(skin.Region, shape));
  EXPECT_TRUE(PtInRegion(skin.Region, 2, 5));
  EXPECT_FALSE(PtInRegion(skin.Region, 5, 5));
  EXPECT_EQ(skin.UserImages, 3);
  DeleteObject(shape);

  // Written back: the same region and set; without a region exactly a zero
  // count, and an empty set is not written at all.
  TSkinForm copy(nullptr);
  ReadComponentLayout(&copy, WriteComponentLayout(&form), "written.lay");
  EXPECT_TRUE(EqualRgn(copy.skin->Region, skin.Region));
  EXPECT_EQ(copy.skin->UserImages, 3);
  EXPECT_EQ(copy.skin->Picture.Bitmap()->Canvas()->Pixels(0, 0), clRed);
  DeleteObject(skin.Region);
  skin.Region = nullptr;
  skin.UserImages = 0;
  const AnsiString bare = WriteComponentLayout(&form);
  EXPECT_NE(bare.find("Region = {\n      00000000}"), AnsiString::npos) << bare;
  EXPECT_EQ(bare.find("UserImages"), AnsiString::npos) << bare;

  // Damaged data is refused with the file, line and property, whatever
  // raised the error.
  region[4] = 31; // header size
  const struct {
    AnsiString Value;
    const char* Message;
  } damaged[] = {
      {"Region = {" + Hex(region) + "}", "skin.lay(3): skin.Region: Invalid region data"},
      {"Region = {0800}", "skin.lay(3): skin.Region: Stream read error"},
      {"UserImages = {}", "skin.lay(3): skin.UserImages: Stream read error"},
  };
  for (const auto& d : damaged) {
    TSkinForm other(nullptr);
    try {
      ReadComponentLayout(
          &other, "object F: TSkinForm\n  object skin: TSkin\n    " + d.Value + "\n  end\nend\n",
          "skin.lay");
      ADD_FAILURE() << "loaded " << d.Value;
    } catch (const EReadError& e) {
      EXPECT_EQ(e.Message, d.Message);
    }
    EXPECT_EQ(other.ComponentCount(), 0);
  }
}

} // namespace
