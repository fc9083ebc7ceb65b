#include "platform/rtl/Filemapping.h"

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The block is a small file; its creator holds a write lock on it for as long
// as it lives. The lock belongs to the open file, so the kernel drops it when
// the creator ends however it ends, and a new creator takes the file over.
class TMappingHandle : public THandleObject {
public:
  TMappingHandle(int fd, std::size_t size, bool writable)
      : fd(fd), size(size), writable(writable) {}
  ~TMappingHandle() override { ::close(fd); }
  int fd;
  std::size_t size;
  bool writable;
};

// An open file whose exclusive lock lasts as long as the file stays open.
class TLockHandle : public THandleObject {
public:
  explicit TLockHandle(int fd) : fd(fd) {}
  ~TLockHandle() override { ::close(fd); }
  int fd;
};

std::mutex viewsLock;
std::map<const void*, std::size_t> views;

bool IsPrivateFolder(const AnsiString& folder) {
  struct stat st;
  return ::lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
         (st.st_mode & 077) == 0;
}

// The process's own private folder beside a runtime folder name that is
// taken, made once per name and kept for the process's life.
AnsiString FreshPrivateFolder(const AnsiString& taken) {
  static std::mutex lock;
  static std::map<AnsiString, AnsiString> made;
  std::lock_guard<std::mutex> guard(lock);
  AnsiString& folder = made[taken];
  if (!folder.empty() && IsPrivateFolder(folder))
    return folder;
  AnsiString name = taken + "-XXXXXX";
  folder = ::mkdtemp(name.data()) != nullptr && IsPrivateFolder(name) ? name : AnsiString();
  return folder;
}

// A file name for any marker: letters, digits and ". _ -" stay, every other
// byte is written as %XX; long names are cut and told apart by a hash.
AnsiString FileNameFor(const AnsiString& name) {
  AnsiString encoded;
  for (unsigned char c : name) {
    if (std::isalnum(c) || c == '.' || c == '_' || c == '-') {
      encoded += static_cast<char>(c);
      continue;
    }
    char hex[4];
    std::snprintf(hex, sizeof hex, "%%%02X", c);
    encoded += hex;
  }
  if (encoded.size() <= 180)
    return "map-" + encoded;
  uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : name)
    hash = (hash ^ c) * 1099511628211ull;
  char tail[20];
  std::snprintf(tail, sizeof tail, "%016llx", static_cast<unsigned long long>(hash));
  return "map-" + encoded.substr(encoded.size() - 150) + "-" + tail;
}

bool SetWriteLock(int fd) {
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

bool SomeoneHoldsLock(int fd) {
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  return ::fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
}

AnsiString PathFor(const char* name) {
  const AnsiString folder = UserRuntimeFolder();
  if (folder.empty() || name == nullptr || *name == '\0')
    return "";
  return folder + "/" + FileNameFor(name);
}

} // namespace

AnsiString UserRuntimeFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && *runtime == '/' && IsPrivateFolder(runtime))
    return runtime;
  const char* temporary = std::getenv("TMPDIR");
  const AnsiString base = temporary != nullptr && *temporary == '/' ? temporary : "/tmp";
  const AnsiString folder = base + "/wt-runtime-" + std::to_string(::getuid());
  ::mkdir(folder.c_str(), 0700);
  if (IsPrivateFolder(folder))
    return folder;
  return FreshPrivateFolder(folder);
}

HANDLE LockFileExclusively(const AnsiString& path) {
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd >= 0)
    ::fchmod(fd, 0644); // whatever the umask, others may open it to test the lock
  else if (errno == EEXIST)
    fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  struct stat st;
  if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    if (fd >= 0)
      ::close(fd);
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    SetLastError(errno == EWOULDBLOCK ? ERROR_LOCK_VIOLATION : ERROR_ACCESS_DENIED);
    ::close(fd);
    return nullptr;
  }
  SetLastError(ERROR_SUCCESS);
  return new TLockHandle(fd);
}

HANDLE CreateFileMappingA(HANDLE file, void*, DWORD protect, DWORD maximumSizeHigh,
                          DWORD maximumSizeLow, const char* name) {
  const std::size_t size = (std::size_t(maximumSizeHigh) << 32) | maximumSizeLow;
  const AnsiString path = PathFor(name);
  if (file != INVALID_HANDLE_VALUE || size == 0 || path.empty()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  const bool writable = (protect & 0xFF) == PAGE_READWRITE;
  if (!SetWriteLock(fd)) {
    struct stat st;
    const std::size_t existing = ::fstat(fd, &st) == 0 ? static_cast<std::size_t>(st.st_size) : 0;
    SetLastError(ERROR_ALREADY_EXISTS);
    return new TMappingHandle(fd, existing, writable);
  }
  // The first holder: whatever a crashed holder left is cleared.
  if (::ftruncate(fd, 0) != 0 || ::ftruncate(fd, static_cast<off_t>(size)) != 0) {
    ::close(fd);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  SetLastError(ERROR_SUCCESS);
  return new TMappingHandle(fd, size, writable);
}

HANDLE OpenFileMappingA(DWORD desiredAccess, BOOL, const char* name) {
  const AnsiString path = PathFor(name);
  const bool writable = (desiredAccess & FILE_MAP_WRITE) != 0;
  const int fd =
      path.empty() ? -1
                   : ::open(path.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0 || !SomeoneHoldsLock(fd)) {
    if (fd >= 0)
      ::close(fd);
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
  }
  struct stat st;
  ::fstat(fd, &st);
  SetLastError(ERROR_SUCCESS);
  return new TMappingHandle(fd, static_cast<std::size_t>(st.st_size), writable);
}

void* MapViewOfFile(HANDLE mapping, DWORD desiredAccess, DWORD fileOffsetHigh, DWORD fileOffsetLow,
                    std::size_t bytes) {
  auto* m = dynamic_cast<TMappingHandle*>(mapping);
  const std::size_t offset = (std::size_t(fileOffsetHigh) << 32) | fileOffsetLow;
  const bool write = (desiredAccess & FILE_MAP_WRITE) != 0;
  if (m == nullptr || offset % ::sysconf(_SC_PAGESIZE) != 0 || offset >= m->size ||
      (write && !m->writable)) {
    SetLastError(m == nullptr ? ERROR_INVALID_HANDLE : ERROR_ACCESS_DENIED);
    return nullptr;
  }
  const std::size_t length = bytes == 0 ? m->size - offset : bytes;
  if (length > m->size - offset) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  void* view = ::mmap(nullptr, length, PROT_READ | (write ? PROT_WRITE : 0), MAP_SHARED, m->fd,
                      static_cast<off_t>(offset));
  if (view == MAP_FAILED) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  std::lock_guard<std::mutex> guard(viewsLock);
  views[view] = length;
  return view;
}

BOOL UnmapViewOfFile(const void* baseAddress) {
  std::lock_guard<std::mutex> guard(viewsLock);
  const auto it = views.find(baseAddress);
  if (it == views.end()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  ::munmap(const_cast<void*>(it->first), it->second);
  views.erase(it);
  return 1;
}
