// The operating-system seam. Everything the converter needs of the system is
// declared here and implemented once per system: platform_posix.cc and
// platform_win32.cc. CMake compiles exactly one of them.
#ifndef KESSAVINE_PLATFORM_PLATFORM_H_
#define KESSAVINE_PLATFORM_PLATFORM_H_

#include <cstddef>
#include <cstdint>
#include <new>
#include <string>

// Raised by every allocation that cannot get memory.
using CMemoryException = std::bad_alloc;

// The byte that joins a folder path and an entry name: '/' or '\'.
extern const char kPathSeparator;

// The longest path the system accepts for a change of directory.
extern const size_t kMaxPathLength;

// Raises the limit on open files as far as the system allows: every folder
// level of a walk keeps one listing open, and the empty-folder test nests a
// second chain of them, so a deep tree needs two handles per level.
void RaiseOpenFileLimit();

// An output file written with raw bytes: the bookmark document or standard
// output. No translation happens here; see CLineWriter.
class COutputFile {
 public:
  COutputFile() = default;
  ~COutputFile();
  COutputFile(const COutputFile&) = delete;
  COutputFile& operator=(const COutputFile&) = delete;

  // Opens `path` for reading and writing, creating an ordinary writable file
  // or cutting an existing one to length zero. Takes no exclusive access, so
  // other programs may read the file meanwhile. False when the system refuses
  // (missing directory, a directory, a read-only file, an empty path, ...);
  // the file system is then left as it was.
  bool Open(const char* path);

  // Writes to the process's standard output from now on. Never closed.
  void AttachStandardOutput();

  bool IsOpen() const { return m_handle != kNoHandle; }

  // Writes all `size` bytes; false when the system reports a failure.
  bool WriteAll(const char* data, size_t size);

 private:
  static constexpr intptr_t kNoHandle = -1;
  intptr_t m_handle = kNoHandle;
  bool m_owned = false;
};

// A shortcut file opened for reading raw bytes.
class CInputFile {
 public:
  CInputFile() = default;
  ~CInputFile();
  CInputFile(const CInputFile&) = delete;
  CInputFile& operator=(const CInputFile&) = delete;

  // Opens `name`, resolved against the current directory, for reading only.
  // Never creates a file and never waits: callers open only what a listing
  // showed as a regular file, and should it have become a FIFO meanwhile,
  // the open still returns at once.
  bool Open(const char* name);

  // Reads up to `size` bytes. Returns the count read; 0 at end of file and
  // also when the read fails, which a reader treats alike.
  size_t Read(char* buffer, size_t size);

 private:
  static constexpr intptr_t kNoHandle = -1;
  intptr_t m_handle = kNoHandle;
};

// Changes the process's current directory. Relative paths are resolved
// against the directory that was current when this object was made, not
// against wherever an earlier change went, so a walk can enter every folder
// of a relative tree by its path as formed.
//
// It remembers the path it last changed to, and a change to a subfolder of
// that path, or back to its parent, goes one step by the bare name or "..",
// so that the system need not walk the whole path again at every level.
class CCurrentDirectory {
 public:
  CCurrentDirectory();
  ~CCurrentDirectory();
  CCurrentDirectory(const CCurrentDirectory&) = delete;
  CCurrentDirectory& operator=(const CCurrentDirectory&) = delete;

  // False when the system refuses the change (missing, not a directory, no
  // permission) or `path` is longer than kMaxPathLength, even where a step
  // by name could go deeper; the current directory may then be anywhere.
  bool ChangeTo(const std::string& path);

 private:
  // The system's part: change to `path` as given, a relative one resolved
  // against the starting directory; change by a path relative to the
  // current directory.
  bool ChangeFromStart(const std::string& path);
  static bool ChangeRelative(const char* path);

  struct Start;  // What each system keeps of the starting directory.
  Start* m_start;
  std::string m_path;  // where the last change went, as it was asked for
  bool m_known = false;
};

// Lists the current directory: every entry, hidden ones and the dot entries
// "." and ".." included, in the order the system returns them. Symbolic links
// and junctions that lead to directories are passed over, so a walk never
// follows them and a link cycle cannot trap it; links to files are files.
//
// The listing looks one entry ahead: FindNextFile makes the next entry
// current and tells whether yet another one follows.
class CFileFind {
 public:
  enum Kind { kDirectory, kRegularFile, kOtherFile };

  CFileFind() = default;
  ~CFileFind() { Close(); }
  CFileFind(const CFileFind&) = delete;
  CFileFind& operator=(const CFileFind&) = delete;

  // Starts (or restarts) the listing of the current directory with the
  // pattern "*.*", which matches every name. True when there is an entry.
  // False, with nothing to list, when the directory cannot be read.
  bool FindFile();

  // Makes the next entry current; true when another entry follows it.
  bool FindNextFile();

  const std::string& GetFileName() const { return m_current.name; }
  bool IsDirectory() const { return m_current.kind == kDirectory; }
  // A regular file, after following a symbolic link. Not a directory, a
  // FIFO, socket or device, nor a link that leads nowhere.
  bool IsRegularFile() const { return m_current.kind == kRegularFile; }
  bool IsDots() const;

  void Close();

 private:
  struct Entry {
    std::string name;
    Kind kind = kOtherFile;
  };

  // The system's part: open the listing of the current directory; read its
  // next entry, passing over links to directories; close it.
  bool OpenListing();
  bool ReadEntry(Entry& entry);
  void CloseListing();

  void* m_handle = nullptr;
  Entry m_current;
  Entry m_next;
  bool m_hasNext = false;
};

#endif  // KESSAVINE_PLATFORM_PLATFORM_H_
