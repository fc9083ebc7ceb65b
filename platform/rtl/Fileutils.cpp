#include "platform/rtl/Fileutils.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool StatIs(const AnsiString& path, mode_t type) {
  struct stat st;
  return !path.empty() && stat(path.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == type;
}

// Position just after the folder part of a path.
size_t NameStart(const AnsiString& fileName) {
  const size_t slash = fileName.rfind(PathDelim);
  return slash == AnsiString::npos ? 0 : slash + 1;
}

bool MaskAt(const char* name, const char* mask) {
  for (; *mask; ++mask, ++name) {
    if (*mask == '*') {
      while (mask[1] == '*')
        ++mask;
      for (const char* rest = name;; ++rest) {
        if (MaskAt(rest, mask + 1))
          return true;
        if (!*rest)
          return false;
      }
    }
    if (!*name)
      return false;
    if (*mask != '?' && std::tolower(static_cast<unsigned char>(*mask)) !=
                            std::tolower(static_cast<unsigned char>(*name)))
      return false;
  }
  return !*name;
}

} // namespace

bool FileExists(const AnsiString& fileName) {
  return StatIs(fileName, S_IFREG);
}

bool DirectoryExists(const AnsiString& folder) {
  return StatIs(folder, S_IFDIR);
}

bool DeleteFile(const AnsiString& fileName) {
  return !fileName.empty() && (unlink(fileName.c_str()) == 0 || errno == ENOENT) &&
         !FileExists(fileName);
}

bool RenameFile(const AnsiString& oldName, const AnsiString& newName) {
  return std::rename(oldName.c_str(), newName.c_str()) == 0;
}

namespace {

// The file a save replaces: a data file that is a symbolic link stays one and
// the file it leads to is replaced; a link that leads nowhere is replaced
// itself, so that a save never makes a file where a planted link points.
AnsiString ReplacedFile(const AnsiString& fileName) {
  struct stat st;
  if (lstat(fileName.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
    return fileName;
  char* resolved = realpath(fileName.c_str(), nullptr);
  if (resolved == nullptr)
    return fileName;
  const AnsiString target = resolved;
  std::free(resolved);
  return target;
}

// A new file beside target under a name nobody can tell beforehand, made
// exclusively: a file or link somebody put there first is never written
// through. The name stays short enough for any target's folder.
int CreateTemporaryBeside(const AnsiString& target, AnsiString& temporary) {
  constexpr size_t KeptNameLength = 200;
  const size_t start = NameStart(target);
  const AnsiString stem = target.substr(0, start + std::min(target.size() - start, KeptNameLength));
  std::random_device random;
  for (int attempt = 0; attempt < 16; ++attempt) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".tmp%08x%08x", static_cast<unsigned>(random()),
                  static_cast<unsigned>(random()));
    temporary = stem + suffix;
    const int fd =
        open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST)
      return fd;
  }
  return -1;
}

// The replaced file's permissions go to its successor; a new file keeps what
// the umask gave it.
bool KeepMode(int fd, const AnsiString& target) {
  struct stat st;
  return stat(target.c_str(), &st) != 0 || fchmod(fd, st.st_mode & 07777) == 0;
}

} // namespace

bool WriteFileSafely(const AnsiString& fileName, const std::function<void(FILE*)>& write) {
  const AnsiString target = ReplacedFile(fileName);
  AnsiString temporary;
  const int fd = CreateTemporaryBeside(target, temporary);
  if (fd < 0)
    return false;
  FILE* file = KeepMode(fd, target) ? fdopen(fd, "wb") : nullptr;
  if (file == nullptr) {
    close(fd);
    unlink(temporary.c_str());
    return false;
  }
  write(file);
  const bool written = std::fflush(file) == 0 && !std::ferror(file);
  const bool closed = std::fclose(file) == 0;
  if (written && closed && std::rename(temporary.c_str(), target.c_str()) == 0)
    return true;
  unlink(temporary.c_str());
  return false;
}

bool CreateDir(const AnsiString& folder) {
  return !folder.empty() && mkdir(folder.c_str(), 0777) == 0;
}

bool ForceDirectories(const AnsiString& folder) {
  const AnsiString dir = ExcludeTrailingPathDelimiter(folder);
  if (dir.empty())
    return false;
  if (DirectoryExists(dir))
    return true;
  const AnsiString parent = ExtractFileDir(dir);
  if (!parent.empty() && parent != dir && !ForceDirectories(parent))
    return false;
  return CreateDir(dir) || DirectoryExists(dir);
}

AnsiString GetCurrentDir() {
  char buf[PATH_MAX];
  return getcwd(buf, sizeof buf) ? AnsiString(buf) : AnsiString();
}

AnsiString ExtractFilePath(const AnsiString& fileName) {
  return fileName.substr(0, NameStart(fileName));
}

AnsiString ExtractFileDir(const AnsiString& fileName) {
  const size_t start = NameStart(fileName);
  if (start == 0)
    return "";
  return start == 1 ? fileName.substr(0, 1) : fileName.substr(0, start - 1);
}

AnsiString ExtractFileName(const AnsiString& fileName) {
  return fileName.substr(NameStart(fileName));
}

AnsiString ExtractFileExt(const AnsiString& fileName) {
  const size_t dot = fileName.rfind('.');
  if (dot == AnsiString::npos || dot < NameStart(fileName))
    return "";
  return fileName.substr(dot);
}

AnsiString ChangeFileExt(const AnsiString& fileName, const AnsiString& extension) {
  const size_t dot = fileName.rfind('.');
  if (dot == AnsiString::npos || dot < NameStart(fileName))
    return fileName + extension;
  return fileName.substr(0, dot) + extension;
}

AnsiString IncludeTrailingPathDelimiter(const AnsiString& folder) {
  if (!folder.empty() && folder.back() == PathDelim)
    return folder;
  return folder + PathDelim;
}

AnsiString ExcludeTrailingPathDelimiter(const AnsiString& folder) {
  if (folder.size() > 1 && folder.back() == PathDelim)
    return folder.substr(0, folder.size() - 1);
  return folder;
}

AnsiString ParamStr(int index) {
  if (index != 0)
    return "";
  char buf[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  return n > 0 ? AnsiString(buf, static_cast<size_t>(n)) : AnsiString();
}

namespace {

// In double quotes when it needs them; inside, a quote and the backslashes
// before a quote (or before the closing one) are escaped as the platform's
// programs split their command lines.
AnsiString QuotedArgument(const AnsiString& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == AnsiString::npos)
    return arg;
  AnsiString out = "\"";
  size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    out.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    out += c;
  }
  out.append(2 * backslashes, '\\');
  return out + "\"";
}

AnsiString ReadCommandLine() {
  FILE* file = std::fopen("/proc/self/cmdline", "rb");
  if (file == nullptr)
    return "";
  AnsiString raw;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
    raw.append(buffer, n);
  std::fclose(file);
  AnsiString line;
  for (size_t start = 0; start < raw.size();) {
    const size_t end = std::min(raw.find('\0', start), raw.size());
    if (!line.empty())
      line += ' ';
    line += QuotedArgument(raw.substr(start, end - start));
    start = end + 1;
  }
  return line;
}

} // namespace

const char* GetCommandLineA() {
  static const AnsiString line = ReadCommandLine();
  return line.c_str();
}

bool MatchesMask(const AnsiString& name, const AnsiString& mask) {
  return MaskAt(name.c_str(), mask.c_str());
}

std::vector<AnsiString> FindFiles(const AnsiString& folder, const AnsiString& mask,
                                  bool includeFolders) {
  std::vector<AnsiString> names;
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (!dir)
    return names;
  const AnsiString prefix = folder.empty() ? "" : IncludeTrailingPathDelimiter(folder);
  while (const dirent* entry = readdir(dir)) {
    const AnsiString name = entry->d_name;
    if (name == "." || name == ".." || !MatchesMask(name, mask))
      continue;
    const AnsiString path = prefix + name;
    if (FileExists(path) || (includeFolders && DirectoryExists(path)))
      names.push_back(name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}
