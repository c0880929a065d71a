// The operating-system seam on POSIX systems. Folders are held as directory
// descriptors and listed with Linux's getdents64; everything below a folder
// is opened relative to its descriptor, so the process's current directory is
// never changed.
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "platform/platform.h"

const char kPathSeparator = '/';
// PATH_MAX counts the terminating NUL.
const size_t kMaxPathLength = PATH_MAX - 1;

namespace {

// Raises the limit on open files as far as the system allows; false when it
// is there already. Every level of a walk keeps its folder open, so a deep
// tree may need more descriptors than the usual soft limit of 1024.
bool RaiseOpenFileLimit() {
  rlimit limit;
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= limit.rlim_max) return false;
  limit.rlim_cur = limit.rlim_max;
  return setrlimit(RLIMIT_NOFILE, &limit) == 0;
}

int Descriptor(intptr_t handle) { return static_cast<int>(handle); }

// Calls `call` until a signal does not interrupt it.
template <typename Call>
auto Uninterrupted(Call call) {
  for (;;) {
    const auto result = call();
    if (result >= 0 || errno != EINTR) return result;
  }
}

// Opens with `open`, retried on EINTR, and once more after raising the limit
// when the process has run out of descriptors; a run that needs no more than
// the usual limit never asks for it.
template <typename Open>
int OpenDescriptor(Open open) {
  const int fd = Uninterrupted(open);
  if (fd >= 0 || errno != EMFILE || !RaiseOpenFileLimit()) return fd;
  return Uninterrupted(open);
}

// A name as the system takes it: NUL-terminated. Longer names than any file
// system holds become the empty name, which no open accepts.
class CSystemName {
 public:
  explicit CSystemName(std::string_view name) {
    const size_t size = name.size() < sizeof m_name ? name.size() : 0;
    std::memcpy(m_name, name.data(), size);
    m_name[size] = '\0';
  }
  const char* c_str() const { return m_name; }

 private:
  char m_name[NAME_MAX + 1];
};

}  // namespace

COutputFile::~COutputFile() {
  if (m_owned && IsOpen()) close(Descriptor(m_handle));
}

bool COutputFile::Open(const char* path) {
  const int fd =
      OpenDescriptor([&] { return open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666); });
  if (fd < 0) return false;
  m_handle = fd;
  m_owned = true;
  return true;
}

void COutputFile::AttachStandardOutput() {
  m_handle = STDOUT_FILENO;
  m_owned = false;
}

bool COutputFile::WriteAll(const char* data, size_t size) {
  while (size > 0) {
    const ssize_t written = Uninterrupted([&] { return write(Descriptor(m_handle), data, size); });
    if (written <= 0) return false;
    data += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

bool COutputFile::Close() {
  if (!m_owned || !IsOpen()) return true;
  // Not repeated on EINTR: the descriptor is gone whatever close reports.
  const bool closed = close(Descriptor(m_handle)) == 0;
  m_handle = kNoHandle;
  return closed;
}

CInputFile::~CInputFile() {
  if (m_handle != kNoHandle) close(Descriptor(m_handle));
}

size_t CInputFile::Read(char* buffer, size_t size) {
  const ssize_t got = Uninterrupted([&] { return read(Descriptor(m_handle), buffer, size); });
  if (got < 0) m_failed = true;
  if (got < static_cast<ssize_t>(size)) m_atEnd = true;
  return got < 0 ? 0 : static_cast<size_t>(got);
}

struct CFolder::System {
  // Opens `path`, relative to `dirFd`, as the folder to list from its start.
  OpenResult Open(int dirFd, const char* path, int flags);

  int fd = -1;
  bool read = false;  // since it was opened or rewound
  size_t pos = 0;
  size_t end = 0;
  alignas(dirent64) char block[32 * 1024];
};

CFolder::CFolder() : m_system(new System) {}

CFolder::~CFolder() {
  Close();
  delete m_system;
}

bool CFolder::IsOpen() const { return m_system->fd >= 0; }

void CFolder::Close() {
  // Nothing was written through a directory descriptor, so its close cannot
  // lose anything.
  if (m_system->fd >= 0) close(m_system->fd);
  m_system->fd = -1;
  m_failed = false;
}

namespace {

constexpr int kListingFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

// An open that failed for want of permission, on a folder that the process
// may still search, is a folder that can be entered but not listed.
CFolder::OpenResult Refused(int dirFd, const char* path) {
  const bool searchable = errno == EACCES && Uninterrupted([&] {
                                               return faccessat(dirFd, path, X_OK, AT_EACCESS);
                                             }) == 0;
  return searchable ? CFolder::kNotListed : CFolder::kNotEntered;
}

}  // namespace

CFolder::OpenResult CFolder::System::Open(int dirFd, const char* path, int flags) {
  fd = OpenDescriptor([&] { return openat(dirFd, path, flags); });
  if (fd < 0) return Refused(dirFd, path);
  read = false;
  pos = end = 0;
  return kOpened;
}

CFolder::OpenResult CFolder::OpenRoot(const std::string& path) {
  Close();
  return m_system->Open(AT_FDCWD, path.c_str(), kListingFlags);
}

CFolder::OpenResult CFolder::OpenChild(CFolder& parent, std::string_view name) {
  Close();
  const CSystemName child(name);
  return m_system->Open(parent.m_system->fd, child.c_str(), kListingFlags | O_NOFOLLOW);
}

bool CFolder::Rewind() {
  m_failed = false;
  m_system->pos = m_system->end = 0;
  if (!m_system->read) return true;  // still at the start: no seek needed
  m_system->read = false;
  if (Uninterrupted([&] { return lseek(m_system->fd, 0, SEEK_SET); }) == 0) return true;
  m_failed = true;
  return false;
}

namespace {

CFolder::Kind KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return CFolder::kDirectory;
  return S_ISREG(mode) ? CFolder::kRegularFile : CFolder::kOtherFile;
}

enum Classified { kListed, kPassedOver, kUnclassified };

// Sets `kind` for the entry `name` of the directory `dirFd`, listed with
// `type`. A link to a directory is passed over, and so is an entry that
// vanished since it was listed. The system names the type; only where it
// cannot (some file systems) and for symbolic links, which are followed, is
// the entry looked up.
Classified Classify(int dirFd, const char* name, unsigned char type, CFolder::Kind& kind) {
  struct stat status;
  if (type == DT_UNKNOWN) {
    if (Uninterrupted([&] { return fstatat(dirFd, name, &status, AT_SYMLINK_NOFOLLOW); }) != 0) {
      return errno == ENOENT ? kPassedOver : kUnclassified;
    }
    if (!S_ISLNK(status.st_mode)) {
      kind = KindOf(status.st_mode);
      return kListed;
    }
    type = DT_LNK;
  }
  if (type == DT_LNK) {
    if (Uninterrupted([&] { return fstatat(dirFd, name, &status, 0); }) == 0) {
      kind = KindOf(status.st_mode);
      return kind == CFolder::kDirectory ? kPassedOver : kListed;
    }
    // A link that leads nowhere is a file that cannot be opened; one that
    // could not be followed for another reason may be anything.
    const bool dangling = errno == ENOENT || errno == ENOTDIR || errno == ELOOP;
    kind = dangling ? CFolder::kOtherFile : CFolder::kUnknownFile;
    return kListed;
  }
  kind = type == DT_DIR   ? CFolder::kDirectory
         : type == DT_REG ? CFolder::kRegularFile
                          : CFolder::kOtherFile;
  return kListed;
}

}  // namespace

bool CFolder::Next() {
  System& s = *m_system;
  for (;;) {
    if (s.pos == s.end) {
      s.read = true;
      const ssize_t got = Uninterrupted([&] { return getdents64(s.fd, s.block, sizeof s.block); });
      if (got <= 0) {
        m_failed = got < 0;
        return false;
      }
      s.pos = 0;
      s.end = static_cast<size_t>(got);
    }
    const auto* entry = reinterpret_cast<const dirent64*>(s.block + s.pos);
    s.pos += entry->d_reclen;
    switch (Classify(s.fd, entry->d_name, entry->d_type, m_kind)) {
      case kListed:
        m_name = entry->d_name;
        return true;
      case kPassedOver:
        continue;
      case kUnclassified:
        s.pos = s.end;
        m_failed = true;
        return false;
    }
  }
}

bool CInputFile::Open(CFolder& folder, std::string_view name) {
  const CSystemName file(name);
  const int dirFd = folder.m_system->fd;
  // Without a controlling terminal, so that even a terminal would be harmless.
  const int fd = Uninterrupted(
      [&] { return openat(dirFd, file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC); });
  if (fd < 0) return false;
  m_handle = fd;
  return true;
}
