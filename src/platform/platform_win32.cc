// The operating-system seam on Windows. Only the ANSI ("A") calls are used,
// so names stay the byte strings the system lists, with no conversion.
// platform.h comes first: <windows.h> defines FindNextFile and other names
// of CFileFind's as macros.
// clang-format off
#include "platform/platform.h"

#include <windows.h>
// clang-format on

#include <cstdint>

const char kPathSeparator = '\\';
// SetCurrentDirectoryA checks the length itself; so does every step by name,
// since Windows limits the current directory as a whole.
const size_t kMaxPathLength = SIZE_MAX;

// Windows sets no small limit on open handles.
void RaiseOpenFileLimit() {}

namespace {

HANDLE Handle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

intptr_t Store(HANDLE handle) {
  return handle == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<intptr_t>(handle);
}

// True for "X:\..." and "\\server\..." paths, which name the same folder
// whatever the current directory is.
bool IsFullyQualified(const std::string& path) {
  const auto separator = [](char c) { return c == '\\' || c == '/'; };
  if (path.size() >= 3 && path[1] == ':' && separator(path[2])) return true;
  return path.size() >= 2 && separator(path[0]) && separator(path[1]);
}

}  // namespace

COutputFile::~COutputFile() {
  if (m_owned && IsOpen()) CloseHandle(Handle(m_handle));
}

bool COutputFile::Open(const char* path) {
  m_handle =
      Store(CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                        nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
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

CInputFile::~CInputFile() {
  if (m_handle != kNoHandle) CloseHandle(Handle(m_handle));
}

bool CInputFile::Open(const char* name) {
  // Other programs may go on reading, writing and even deleting the file.
  HANDLE file =
      CreateFileA(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  if (GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    return false;
  }
  m_handle = Store(file);
  return true;
}

size_t CInputFile::Read(char* buffer, size_t size) {
  DWORD got = 0;
  if (!ReadFile(Handle(m_handle), buffer, static_cast<DWORD>(size), &got, nullptr)) return 0;
  return got;
}

struct CCurrentDirectory::Start {
  std::string path;
};

CCurrentDirectory::CCurrentDirectory() : m_start(new Start) {
  const DWORD size = GetCurrentDirectoryA(0, nullptr);
  if (size == 0) return;
  m_start->path.resize(size);
  const DWORD length = GetCurrentDirectoryA(size, &m_start->path[0]);
  m_start->path.resize(length < size ? length : 0);
}

CCurrentDirectory::~CCurrentDirectory() { delete m_start; }

bool CCurrentDirectory::ChangeFromStart(const std::string& path) {
  // Relative paths, "\x" and drive-relative "C:x" among them, are resolved
  // from the starting directory, which is made current again first.
  if (!IsFullyQualified(path) && !m_start->path.empty() && !ChangeRelative(m_start->path.c_str())) {
    return false;
  }
  return ChangeRelative(path.c_str());
}

bool CCurrentDirectory::ChangeRelative(const char* path) { return SetCurrentDirectoryA(path) != 0; }

namespace {

// What a listing holds between reads: FindFirstFileA hands out the first
// entry together with the handle.
struct Listing {
  HANDLE find;
  WIN32_FIND_DATAA data;
  bool pending;
};

// False for a junction or a symbolic link to a directory, which the listing
// passes over.
bool IsListed(const WIN32_FIND_DATAA& data) {
  const DWORD directoryLink = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
  return (data.dwFileAttributes & directoryLink) != directoryLink;
}

}  // namespace

bool CFileFind::OpenListing() {
  Listing* listing = new Listing;
  listing->find = ::FindFirstFileA("*.*", &listing->data);
  if (listing->find == INVALID_HANDLE_VALUE) {
    delete listing;
    return false;
  }
  listing->pending = true;
  m_handle = listing;
  return true;
}

bool CFileFind::ReadEntry(Entry& entry) {
  Listing* listing = static_cast<Listing*>(m_handle);
  for (;;) {
    if (!listing->pending && !::FindNextFileA(listing->find, &listing->data)) return false;
    listing->pending = false;
    const WIN32_FIND_DATAA& data = listing->data;
    if (!IsListed(data)) continue;
    entry.kind =
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? kDirectory : kRegularFile;
    entry.name.assign(data.cFileName);
    return true;
  }
}

void CFileFind::CloseListing() {
  Listing* listing = static_cast<Listing*>(m_handle);
  FindClose(listing->find);
  delete listing;
}
