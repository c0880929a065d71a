// The operating-system seam on Windows. Only the ANSI ("A") calls are used,
// so names stay the byte strings the system lists, with no conversion.
//
// Those calls take paths, not folder handles, so a folder is kept as its
// full path together with a handle on the folder itself, opened without
// delete sharing: while the walk holds it, Windows refuses to rename, move
// or remove that folder, so its path keeps naming the folder that was
// entered. The process's current directory is never changed.
//
// platform.h comes first: <windows.h> defines FindNextFile and other names
// as macros.
// clang-format off
#include "platform/platform.h"

#include <windows.h>
// clang-format on

#include <cstdint>

const char kPathSeparator = '\\';
// The system checks the length of every path it is given.
const size_t kMaxPathLength = SIZE_MAX;

namespace {

HANDLE Handle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

intptr_t Store(HANDLE handle) {
  return handle == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<intptr_t>(handle);
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

COutputFile::~COutputFile() {
  if (m_owned && IsOpen()) CloseHandle(Handle(m_handle));
}

bool COutputFile::Open(const char* path) {
  m_handle = Store(CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  m_owned = IsOpen();
  return m_owned;
}

void COutputFile::AttachStandardOutput() {
  // Bytes written to this handle reach the console or file unchanged; the
  // run-time library's own text mode is not involved.
  m_handle = Store(GetStdHandle(STD_OUTPUT_HANDLE));
  m_owned = false;
}

bool COutputFile::WriteAll(const char* data, size_t size) {
  while (size > 0) {
    const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(Handle(m_handle), data, chunk, &written, nullptr) || written == 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

bool COutputFile::Close() {
  if (!m_owned || !IsOpen()) return true;
  const bool closed = CloseHandle(Handle(m_handle)) != 0;
  m_handle = kNoHandle;
  return closed;
}

CInputFile::~CInputFile() {
  if (m_handle != kNoHandle) CloseHandle(Handle(m_handle));
}

size_t CInputFile::Read(char* buffer, size_t size) {
  DWORD got = 0;
  if (!ReadFile(Handle(m_handle), buffer, static_cast<DWORD>(size), &got, nullptr)) {
    m_failed = true;
    got = 0;
  }
  if (got < size) m_atEnd = true;
  return got;
}

struct CFolder::System {
  std::string path;  // full, without a separator at its end unless a root
  HANDLE folder = INVALID_HANDLE_VALUE;
  HANDLE find = INVALID_HANDLE_VALUE;
  bool started = false;  // the listing, since the folder was opened or rewound
  WIN32_FIND_DATAA data;
  std::string scratch;  // the path of an entry, reused

  // The full path of the entry `name`, or the pattern when `name` is "*.*".
  const char* PathOf(std::string_view name) {
    scratch.assign(path);
    if (scratch.empty() || !IsSeparator(scratch.back())) scratch.push_back('\\');
    scratch.append(name);
    return scratch.c_str();
  }
};

CFolder::CFolder() : m_system(new System) {}

CFolder::~CFolder() {
  Close();
  delete m_system;
}

bool CFolder::IsOpen() const { return m_system->folder != INVALID_HANDLE_VALUE; }

void CFolder::Close() {
  Rewind();
  if (IsOpen()) CloseHandle(m_system->folder);
  m_system->folder = INVALID_HANDLE_VALUE;
}

namespace {

// Opens the folder `path` so that it can be listed and cannot be renamed or
// removed while it is held. With `noLink`, a junction or symbolic link is
// not followed and not taken for a folder.
CFolder::OpenResult Pin(const char* path, bool noLink, HANDLE& folder) {
  const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (noLink ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
  folder = CreateFileA(path, FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, flags, nullptr);
  if (folder == INVALID_HANDLE_VALUE) {
    if (GetLastError() != ERROR_ACCESS_DENIED) return CFolder::kNotEntered;
    // A folder that may be passed through but not listed.
    HANDLE traverse = CreateFileA(path, FILE_TRAVERSE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, flags, nullptr);
    if (traverse == INVALID_HANDLE_VALUE) return CFolder::kNotEntered;
    CloseHandle(traverse);
    return CFolder::kNotListed;
  }
  // Wine tells a Unix symbolic link by its path only; the path is safe to ask
  // about once the handle pins what it names.
  BY_HANDLE_FILE_INFORMATION info;
  const DWORD byPath = noLink ? GetFileAttributesA(path) : 0;
  if (!GetFileInformationByHandle(folder, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
      (byPath & FILE_ATTRIBUTE_REPARSE_POINT) != 0 || byPath == INVALID_FILE_ATTRIBUTES) {
    CloseHandle(folder);
    folder = INVALID_HANDLE_VALUE;
    return CFolder::kNotEntered;
  }
  return CFolder::kOpened;
}

}  // namespace

CFolder::OpenResult CFolder::OpenRoot(const std::string& path) {
  Close();
  // Relative paths, "\x" and drive-relative "C:x" among them, are made full
  // once, from the current directory of this moment.
  std::string& full = m_system->path;
  const DWORD size = path.empty() ? 0 : GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return kNotEntered;
  full.resize(size);
  const DWORD length = GetFullPathNameA(path.c_str(), size, &full[0], nullptr);
  if (length == 0 || length >= size) return kNotEntered;
  full.resize(length);
  while (full.size() > 3 && IsSeparator(full.back())) full.pop_back();
  return Pin(full.c_str(), false, m_system->folder);
}

CFolder::OpenResult CFolder::OpenChild(CFolder& parent, std::string_view name) {
  Close();
  m_system->path.assign(parent.m_system->PathOf(name));
  return Pin(m_system->path.c_str(), true, m_system->folder);
}

bool CFolder::Rewind() {
  m_failed = false;
  if (m_system->find != INVALID_HANDLE_VALUE) FindClose(m_system->find);
  m_system->find = INVALID_HANDLE_VALUE;
  m_system->started = false;
  return true;
}

namespace {

// False for a junction or a symbolic link to a directory, which the listing
// passes over.
bool IsListed(const WIN32_FIND_DATAA& data) {
  const DWORD directoryLink = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
  return (data.dwFileAttributes & directoryLink) != directoryLink;
}

}  // namespace

bool CFolder::Next() {
  System& s = *m_system;
  bool found;
  if (!s.started) {
    s.started = true;
    s.find = ::FindFirstFileA(s.PathOf("*.*"), &s.data);
    found = s.find != INVALID_HANDLE_VALUE;
  } else {
    found = s.find != INVALID_HANDLE_VALUE && ::FindNextFileA(s.find, &s.data);
  }
  while (found && !IsListed(s.data)) found = ::FindNextFileA(s.find, &s.data);
  if (!found) {
    // The root of a drive lists nothing at all when it is empty.
    const DWORD error = GetLastError();
    m_failed = error != ERROR_NO_MORE_FILES && error != ERROR_FILE_NOT_FOUND;
    return false;
  }
  m_kind = (s.data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? kDirectory : kRegularFile;
  m_name = s.data.cFileName;
  return true;
}

bool CInputFile::Open(CFolder& folder, std::string_view name) {
  // Other programs may go on reading, writing and even deleting the file.
  HANDLE file = CreateFileA(folder.m_system->PathOf(name), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  if (GetFileType(file) != FILE_TYPE_DISK) {
    // A pipe or device: nothing is read from it, so nothing can wait.
    CloseHandle(file);
    m_atEnd = true;
    return true;
  }
  m_handle = Store(file);
  return true;
}
