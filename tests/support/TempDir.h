#pragma once
// A fresh folder of the test's own under the system's temporary folder,
// removed with everything in it when the object goes away. Parallel-safe: each
// object gets a unique name.
#include <string>

class TTempDir {
public:
  TTempDir();
  ~TTempDir();
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;

  // The folder, without trailing '/'.
  const std::string& Path() const { return path_; }
  // Path() + "/" + name.
  std::string File(const std::string& name) const;
  // Writes bytes to File(name) (creating sub-folders) and returns its path.
  std::string Write(const std::string& name, const std::string& bytes) const;

private:
  std::string path_;
};

// The whole content of a file; "" when it cannot be read.
std::string ReadFileBytes(const std::string& path);
// The path of a page of the shared corpus (read-only; copy before changing).
std::string CorpusPage(const std::string& name);
