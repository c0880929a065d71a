// The look-ahead of the directory listing, written once over the system's
// open, read and close of a listing.
#include "platform/platform.h"

bool CFileFind::FindFile() {
  Close();
  m_hasNext = OpenListing() && ReadEntry(m_next);
  return m_hasNext;
}

bool CFileFind::FindNextFile() {
  if (!m_hasNext) return false;
  // Swapping keeps both names' storage, so a listing reuses its memory.
  m_current.name.swap(m_next.name);
  m_current.kind = m_next.kind;
  m_hasNext = ReadEntry(m_next);
  return m_hasNext;
}

bool CFileFind::IsDots() const {
  const std::string& name = m_current.name;
  return IsDirectory() && (name == "." || name == "..");
}

void CFileFind::Close() {
  if (m_handle != nullptr) CloseListing();
  m_handle = nullptr;
  m_hasNext = false;
}
