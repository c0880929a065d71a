// The operating-system seam. Everything the converter needs of the system is
// declared here and implemented once per system: platform_posix.cc and
// platform_win32.cc. CMake compiles exactly one of them.
//
// Every call into the system that a signal can interrupt is repeated until
// it is not interrupted, so EINTR never reaches the program. Every level of a
// walk keeps its folder open: where the system limits open files, the limit
// is raised as far as it goes when a deep tree needs it.
#ifndef KESSAVINE_PLATFORM_PLATFORM_H_
#define KESSAVINE_PLATFORM_PLATFORM_H_

#include <cstddef>
#include <cstdint>
#include <new>
#include <string>
#include <string_view>

// Raised by every allocation that cannot get memory.
using CMemoryException = std::bad_alloc;

// The byte that joins a folder path and an entry name: '/' or '\'.
extern const char kPathSeparator;

// The longest folder path the system accepts for a folder to be entered.
extern const size_t kMaxPathLength;

// An output file written with raw bytes: the bookmark document or standard
// output. No translation happens here; see CLineWriter.
class COutputFile {
 public:
  COutputFile() = default;
  ~COutputFile();
  COutputFile(const COutputFile&) = delete;
  COutputFile& operator=(const COutputFile&) = delete;

  // Opens `path` for writing only, creating an ordinary writable file or
  // cutting an existing one to length zero. Takes no exclusive access, so
  // other programs may read the file meanwhile. A FIFO waits for its reader.
  // False when the system refuses (missing directory, a directory, a
  // read-only file, an empty path, ...); the file system is then left as it
  // was.
  bool Open(const char* path);

  // Writes to the process's standard output from now on. Never closed.
  void AttachStandardOutput();

  bool IsOpen() const { return m_handle != kNoHandle; }

  // Writes all `size` bytes; false when the system reports a failure or
  // accepts none of them.
  bool WriteAll(const char* data, size_t size);

  // Closes an opened file; false when the system reports that data written
  // earlier could not be stored. Standard output is left open.
  bool Close();

 private:
  static constexpr intptr_t kNoHandle = -1;
  intptr_t m_handle = kNoHandle;
  bool m_owned = false;
};

class CFolder;

// A shortcut file opened for reading raw bytes.
class CInputFile {
 public:
  CInputFile() = default;
  ~CInputFile();
  CInputFile(const CInputFile&) = delete;
  CInputFile& operator=(const CInputFile&) = delete;

  // Opens the file `name` of the open `folder` for reading only. Never
  // creates a file and never waits: callers open only what a listing showed
  // as a regular file, and should it have become a FIFO meanwhile, the open
  // still returns at once. Where the listing cannot tell (Windows), a pipe or
  // device opens as an empty file. Links to files are followed.
  bool Open(CFolder& folder, std::string_view name);

  // Reads up to `size` bytes; returns the count read. A count smaller than
  // `size` marks the end of the file, as it does for regular files, and so
  // does a failed read, which HasFailed then tells.
  size_t Read(char* buffer, size_t size);
  bool AtEnd() const { return m_atEnd; }
  bool HasFailed() const { return m_failed; }

 private:
  static constexpr intptr_t kNoHandle = -1;
  intptr_t m_handle = kNoHandle;
  bool m_atEnd = false;
  bool m_failed = false;
};

// One folder of the tree, held open while a walk is in it or below it, and
// listed from that handle. Holding it means that renaming or replacing the
// folder, or a folder above it in the walk, cannot move the walk elsewhere:
// its entries are listed and its files opened from the folder that was
// entered, and subfolders are entered from it without following a link.
//
// A listing returns every entry, hidden ones and the dot entries "." and ".."
// included, in the order the system returns them. Symbolic links and
// junctions that lead to directories are passed over, so a walk never follows
// them and a link cycle cannot trap it; links to files are files. Each
// listing reads the folder afresh from the system.
class CFolder {
 public:
  enum Kind {
    kDirectory,
    kRegularFile,  // also a link to one
    kOtherFile,    // FIFO, socket, device, or a link that leads nowhere
    kUnknownFile,  // a link that could not be followed: it may be any file
  };
  enum OpenResult {
    kOpened,
    kNotEntered,  // missing, not a directory, a link, no permission, ...
    kNotListed,   // could be entered, but not listed
  };

  CFolder();
  ~CFolder();
  CFolder(const CFolder&) = delete;
  CFolder& operator=(const CFolder&) = delete;

  // Opens the favorites directory `path`, a relative one resolved against
  // the current directory; a link given as the path itself is followed.
  // Closes what this object held before.
  OpenResult OpenRoot(const std::string& path);
  // Opens the subfolder `name` of the open folder `parent` (another object),
  // never following a link. Closes what this object held before.
  OpenResult OpenChild(CFolder& parent, std::string_view name);
  void Close();
  bool IsOpen() const;

  // Starts the listing (again) from the first entry. False when that fails;
  // HasFailed then tells so.
  bool Rewind();
  // Makes the next entry current; false at the end of the listing and when
  // reading it fails (HasFailed tells which).
  bool Next();
  bool HasFailed() const { return m_failed; }

  // The current entry. The name stays valid until the next call of Next,
  // Rewind or Close on this folder.
  std::string_view GetFileName() const { return m_name; }
  Kind GetKind() const { return m_kind; }
  bool IsDirectory() const { return m_kind == kDirectory; }
  bool IsDots() const { return IsDirectory() && (m_name == "." || m_name == ".."); }

 private:
  friend class CInputFile;
  struct System;  // What each system keeps of an open folder.
  System* m_system;
  std::string_view m_name;
  Kind m_kind = kOtherFile;
  bool m_failed = false;
};

#endif  // KESSAVINE_PLATFORM_PLATFORM_H_
