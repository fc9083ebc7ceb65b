#pragma once
// Every picture and sound of the three windows, made afresh each run. A file
// is stored as <Layout>/<Component>.<Property>.<ext>; the embed step puts it
// into property <Property> of component <Component> of layout <Layout>.
#include "tools/skingen/Skinpaint.h"

#include <memory>
#include <string>
#include <vector>

struct TSkinFile {
  std::string Layout;
  std::string Component;
  std::string Class; // the component's class the picture is made for
  std::string Property;
  std::string Use;
  TSkinCanvas Picture;
  std::shared_ptr<TBitmap> Mask; // a one-bit picture instead of Picture
  std::vector<uint8_t> Sound;    // a wave instead of a picture

  std::string Path() const;
  std::vector<uint8_t> Bytes() const;
  // "615 x 224" for a picture, the sound's length for a wave.
  std::string Size() const;
};

// Where a component sits, for the mock of a window.
struct TPlacement {
  std::string Component;
  std::string Class; // the component's class the picture is made for
  int Left, Top, Width, Height;
};

struct TWindowMock {
  std::string Layout;
  TSkinCanvas Picture;
};

std::vector<TSkinFile> MakeSkinFiles();
// Each window as its skin and pictures would put it together, with the
// places of the controls that draw themselves outlined.
std::vector<TWindowMock> MakeWindowMocks(const std::vector<TSkinFile>& Files);
