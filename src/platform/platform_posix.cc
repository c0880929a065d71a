// The operating-system seam on POSIX systems.
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "platform/platform.h"

const char kPathSeparator = '/';
// PATH_MAX counts the terminating NUL.
const size_t kMaxPathLength = PATH_MAX - 1;

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
  // Without a controlling terminal, so that even a terminal would be harmless.
  const int fd = open(name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return false;
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

struct CCurrentDirectory::Start {
  int fd;
};

CCurrentDirectory::CCurrentDirectory() : m_start(new Start{open(".", kDirectoryReference)}) {}

CCurrentDirectory::~CCurrentDirectory() {
  if (m_start->fd >= 0) close(m_start->fd);
  delete m_start;
}

bool CCurrentDirectory::ChangeFromStart(const std::string& path) {
  const bool relative = !path.empty() && path[0] != '/';
  if (relative && m_start->fd >= 0 && fchdir(m_start->fd) != 0) return false;
  return ChangeRelative(path.c_str());
}

bool CCurrentDirectory::ChangeRelative(const char* path) { return chdir(path) == 0; }

namespace {

CFileFind::Kind KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return CFileFind::kDirectory;
  return S_ISREG(mode) ? CFileFind::kRegularFile : CFileFind::kOtherFile;
}

// Sets `kind` for the entry `name` of the directory `dirFd`, listed with
// `type`; false for a link to a directory, which the listing passes over.
// The system names the type; only where it cannot (some file systems) and
// for symbolic links, which are followed, is the entry looked up.
bool Classify(int dirFd, const char* name, unsigned char type, CFileFind::Kind& kind) {
  struct stat status;
  if (type == DT_UNKNOWN) {
    if (fstatat(dirFd, name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
      kind = CFileFind::kOtherFile;  // Vanished since it was listed.
      return true;
    }
    if (!S_ISLNK(status.st_mode)) {
      kind = KindOf(status.st_mode);
      return true;
    }
    type = DT_LNK;
  }
  if (type == DT_LNK) {
    // A link that leads nowhere is a file that cannot be opened.
    kind = fstatat(dirFd, name, &status, 0) == 0 ? KindOf(status.st_mode) : CFileFind::kOtherFile;
    return kind != CFileFind::kDirectory;
  }
  kind = type == DT_DIR   ? CFileFind::kDirectory
         : type == DT_REG ? CFileFind::kRegularFile
                          : CFileFind::kOtherFile;
  return true;
}

#ifdef __linux__
// Linux: the entries are read in large blocks straight from the system,
// which spares the status call that opendir makes on every directory.
struct Listing {
  int fd;
  size_t pos;
  size_t end;
  alignas(dirent64) char block[32 * 1024];
};

Listing* OpenDirectory() {
  Listing* listing = new Listing;
  listing->fd = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listing->fd < 0) {
    delete listing;
    return nullptr;
  }
  listing->pos = listing->end = 0;
  return listing;
}

const dirent64* NextEntry(Listing* listing) {
  if (listing->pos == listing->end) {
    const ssize_t got = getdents64(listing->fd, listing->block, sizeof listing->block);
    if (got <= 0) return nullptr;
    listing->pos = 0;
    listing->end = static_cast<size_t>(got);
  }
  const auto* entry = reinterpret_cast<const dirent64*>(listing->block + listing->pos);
  listing->pos += entry->d_reclen;
  return entry;
}

int DescriptorOf(Listing* listing) { return listing->fd; }

void CloseDirectory(Listing* listing) {
  close(listing->fd);
  delete listing;
}
#else
using Listing = DIR;
Listing* OpenDirectory() { return opendir("."); }
const dirent* NextEntry(Listing* listing) { return readdir(listing); }
int DescriptorOf(Listing* listing) { return dirfd(listing); }
void CloseDirectory(Listing* listing) { closedir(listing); }
#endif

}  // namespace

bool CFileFind::OpenListing() {
  m_handle = OpenDirectory();
  return m_handle != nullptr;
}

bool CFileFind::ReadEntry(Entry& entry) {
  Listing* listing = static_cast<Listing*>(m_handle);
  while (const auto* found = NextEntry(listing)) {
    if (Classify(DescriptorOf(listing), found->d_name, found->d_type, entry.kind)) {
      entry.name.assign(found->d_name);
      return true;
    }
  }
  return false;
}

void CFileFind::CloseListing() { CloseDirectory(static_cast<Listing*>(m_handle)); }
