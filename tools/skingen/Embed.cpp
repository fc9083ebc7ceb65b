#include "tools/skingen/Embed.h"

#include "platform/ui/Extctrls.h"
#include "platform/ui/Layout.h"
#include "skin/Bmpctrls.h"
#include "skin/Bmslider.h"
#include "skin/Epctrls.h"
#include "skin/Epmorph.h"
#include "skin/Eputils.h"
#include "skin/Medialib.h"
#include "skin/Regions.h"
#include "skin/Wavctrl.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

WT_DECLARE_META(TImage)
WT_DECLARE_META(TepImagePanel)
WT_DECLARE_META(TepWavePlayer)

namespace fs = std::filesystem;

namespace {

// The classes whose pictures the windows hold; naming them here links their
// units into the program, which registers them with the layout reader.
[[maybe_unused]] const TMetaClass* const kKnownClasses[] = {
    &MetaOf<TepRegionForm>(),  &MetaOf<TepMorphButton>(), &MetaOf<TepBMPButton>(),
    &MetaOf<TepBMPCheckBox>(), &MetaOf<TepBMPSlider>(),   &MetaOf<TepBitmap>(),
    &MetaOf<TImage>(),         &MetaOf<TepImagePanel>(),  &MetaOf<TepWavePlayer>()};

const char* const kSliderImages[] = {"ImageHThumb", "ImageHRuler", "ImageVThumb", "ImageVRuler"};

std::string ReadText(const fs::path& Path) {
  std::ifstream in(Path, std::ios::binary);
  if (!in)
    throw std::runtime_error("cannot read " + Path.string());
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TLayoutObject* FindObject(TLayoutObject& Object, const std::string& Name) {
  if (AnsiSameText(Object.Name, Name))
    return &Object;
  for (TLayoutObject& child : Object.Children)
    if (TLayoutObject* found = FindObject(child, Name))
      return found;
  return nullptr;
}

TLayoutProperty& PropertyOf(TLayoutObject& Object, const std::string& Name) {
  for (TLayoutProperty& p : Object.Properties)
    if (AnsiSameText(p.Name, Name))
      return p;
  Object.Properties.push_back(TLayoutProperty{Name, {}, 0});
  return Object.Properties.back();
}

void SetBytes(TLayoutObject& Object, const std::string& Name, std::vector<uint8_t> Bytes) {
  TLayoutValue value;
  value.Kind = TLayoutValue::vkBinary;
  value.Bytes = std::move(Bytes);
  PropertyOf(Object, Name).Value = std::move(value);
}

std::vector<uint8_t> StreamBytes(TMemoryStream& Stream) {
  return std::vector<uint8_t>(Stream.Memory(), Stream.Memory() + Stream.Size());
}

// The property's stored data as its class writes it; empty when the class
// holds no picture or sound this step knows.
std::vector<uint8_t> StoredData(const TMetaClass& Class, const fs::path& File) {
  TMemoryStream stream;
  if (Class.InheritsFrom(MetaOf<TPicture>())) {
    TPicture picture;
    picture.LoadFromFile(File.string());
    picture.WriteData(&stream);
  } else if (Class.InheritsFrom(MetaOf<TBitmap>())) {
    TBitmap bitmap;
    bitmap.LoadFromFile(File.string());
    bitmap.WriteData(&stream);
  } else if (Class.ClassName == "TepWave") {
    TepWave wave;
    wave.LoadFromFile(File.string());
    wave.SaveToStream(stream);
  }
  return StreamBytes(stream);
}

// A shaped form reads its shape from the stored region, not from the mask:
// the region is made from the mask as the form itself makes it.
void StoreRegion(TLayoutObject& Object, const fs::path& MaskFile) {
  TBitmap mask;
  mask.LoadFromFile(MaskFile.string());
  std::unique_ptr<uint8_t[]> data;
  const int size = CreateRgnFromBmp(&mask, data);
  if (size < 1)
    throw std::runtime_error(MaskFile.string() + " has no black pixel to shape a window");
  std::vector<uint8_t> bytes;
  for (int i = 0; i < 4; ++i)
    bytes.push_back(static_cast<uint8_t>(static_cast<uint32_t>(size) >> (8 * i)));
  bytes.insert(bytes.end(), data.get(), data.get() + size);
  SetBytes(Object, "Region", std::move(bytes));
}

// A slider uses only the images its UserImages byte names.
void MarkSliderImage(TLayoutObject& Object, const std::string& Property) {
  const auto at = std::find(std::begin(kSliderImages), std::end(kSliderImages), Property);
  if (at == std::end(kSliderImages))
    return;
  TLayoutProperty& user = PropertyOf(Object, "UserImages");
  if (user.Value.Kind != TLayoutValue::vkBinary || user.Value.Bytes.size() != 1) {
    user.Value = TLayoutValue{};
    user.Value.Kind = TLayoutValue::vkBinary;
    user.Value.Bytes = {0};
  }
  user.Value.Bytes[0] |= static_cast<uint8_t>(1u << (at - std::begin(kSliderImages)));
}

void FillOne(TLayoutObject& Root, const fs::path& File, TEmbedReport& Report) {
  // <Component>.<Property>.<ext>
  const std::string stem = File.stem().string();
  const std::size_t dot = stem.find('.');
  const std::string name = File.filename().string();
  if (dot == std::string::npos)
    throw std::runtime_error(name + " is not named <Component>.<Property>.<ext>");
  const std::string component = stem.substr(0, dot), property = stem.substr(dot + 1);
  TLayoutObject* object = FindObject(Root, component);
  if (object == nullptr) {
    Report.Skipped.push_back(name + ": no component " + component + " in the layout");
    return;
  }
  const TMetaClass* meta = FindClass(object->ClassName);
  if (meta == nullptr) {
    Report.Skipped.push_back(name + ": " + object->ClassName +
                             " is not a class the embed step fills");
    return;
  }
  const TPropInfo* info = meta->FindProperty(property);
  std::vector<uint8_t> data;
  if (info != nullptr && info->Kind == pkObject && info->ObjectClass != nullptr)
    data = StoredData(*info->ObjectClass, File);
  if (data.empty()) {
    Report.Skipped.push_back(name + ": " + object->ClassName +
                             " has no picture or sound property " + property);
    return;
  }
  SetBytes(*object, property + ".Data", std::move(data));
  if (meta->InheritsFrom(MetaOf<TepRegionForm>()) && property == "Mask")
    StoreRegion(*object, File);
  if (meta->InheritsFrom(MetaOf<TepBMPSlider>()))
    MarkSliderImage(*object, property);
  ++Report.Filled;
}

} // namespace

TEmbedReport EmbedSkin(const std::string& LayoutPath, const std::string& SkinDir) {
  const fs::path layout(LayoutPath);
  const fs::path pictures = fs::path(SkinDir) / layout.stem();
  if (!fs::is_directory(pictures))
    throw std::runtime_error("no pictures for " + layout.stem().string() + " in " +
                             pictures.string());
  TLayoutObject root = ParseLayout(ReadText(layout), layout.filename().string());
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(pictures))
    if (entry.is_regular_file())
      files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  TEmbedReport report;
  for (const fs::path& file : files)
    FillOne(root, file, report);
  // Written aside and renamed, so that a failure leaves the old layout whole.
  const fs::path temporary = layout.string() + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << FormatLayout(root);
    if (!out.flush())
      throw std::runtime_error("cannot write " + temporary.string());
  }
  fs::rename(temporary, layout);
  return report;
}
