// The operating-system seam on POSIX systems.
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/platform.h"

const char kPathSeparator = '/';

void RaiseOpenFileLimit() {
  rlimit limit;
  if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
  }
}

namespace {

int Descriptor(intptr_t handle) { return static_cast<int>(handle); }

// A descriptor that names a directory without reading it, where the system
// has one, so that a starting directory without read permission still works.
#ifdef O_PATH
constexpr int kDirectoryReference = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
constexpr int kDirectoryReference = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif

}  // namespace

COutputFile::~COutputFile() {
  if (m_owned && IsOpen()) close(Descriptor(m_handle));
}

bool COutputFile::Open(const char* path) {
  const int fd = open(path, O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
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
    const ssize_t written = write(Descriptor(m_handle), data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

CInputFile::~CInputFile() {
  if (m_handle != kNoHandle) close(Descriptor(m_handle));
}

bool CInputFile::Open(const char* name) {
  // Non-blocking, so that a FIFO or device is refused instead of waiting for
  // a writer; without a controlling terminal, so that a terminal is harmless.
  const int fd = open(name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat status;
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    close(fd);
    return false;
  }
  m_handle = fd;
  return true;
}

size_t CInputFile::Read(char* buffer, size_t size) {
  for (;;) {
    const ssize_t got = read(Descriptor(m_handle), buffer, size);
    if (got >= 0) return static_cast<size_t>(got);
    if (errno != EINTR) return 0;
  }
}

struct CStartingDirectory::Start {
  int fd;
};

CStartingDirectory::CStartingDirectory() : m_start(new Start{open(".", kDirectoryReference)}) {}

CStartingDirectory::~CStartingDirectory() {
  if (m_start->fd >= 0) close(m_start->fd);
  delete m_start;
}

bool CStartingDirectory::ChangeTo(const std::string& path) const {
  const bool relative = !path.empty() && path[0] != '/';
  if (relative && m_start->fd >= 0 && fchdir(m_start->fd) != 0) return false;
  return chdir(path.c_str()) == 0;
}

namespace {

// Classifies a listed entry. False for a link that leads to a directory,
// which the listing passes over.
bool Classify(DIR* dir, const dirent* found, bool& isDirectory) {
  unsigned char type = found->d_type;
  if (type == DT_UNKNOWN || type == DT_LNK) {
    struct stat status;
    const int flags = type == DT_UNKNOWN ? AT_SYMLINK_NOFOLLOW : 0;
    if (fstatat(dirfd(dir), found->d_name, &status, flags) != 0) {
      isDirectory = false;  // A dangling link or a vanished entry: a file.
      return true;
    }
    if (type == DT_LNK && S_ISDIR(status.st_mode)) return false;
    isDirectory = type == DT_UNKNOWN && S_ISDIR(status.st_mode);
    return true;
  }
  isDirectory = type == DT_DIR;
  return true;
}

}  // namespace

bool CFileFind::OpenListing(Entry& first) {
  DIR* dir = opendir(".");
  if (dir == nullptr) return false;
  m_handle = dir;
  return ReadEntry(first);
}

bool CFileFind::ReadEntry(Entry& entry) {
  DIR* dir = static_cast<DIR*>(m_handle);
  while (const dirent* found = readdir(dir)) {
    if (Classify(dir, found, entry.isDirectory)) {
      entry.name.assign(found->d_name);
      return true;
    }
  }
  return false;
}

void CFileFind::CloseListing() { closedir(static_cast<DIR*>(m_handle)); }
