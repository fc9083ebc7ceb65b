#include "tests/support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

TTempDir::TTempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string templ = std::string(base && *base ? base : "/tmp") + "/wt-test-XXXXXX";
  if (!mkdtemp(templ.data()))
    throw std::runtime_error("cannot create a temporary folder");
  path_ = templ;
}

TTempDir::~TTempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TTempDir::File(const std::string& name) const {
  return path_ + "/" + name;
}

std::string TTempDir::Write(const std::string& name, const std::string& bytes) const {
  const std::string path = File(name);
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out)
    throw std::runtime_error("cannot write " + path);
  return path;
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string CorpusPage(const std::string& name) {
  return std::string(WT_CORPUS_DIR) + "/" + name;
}
