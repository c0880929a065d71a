// The steps by which the current directory follows a walk.
#include "platform/platform.h"

namespace {

// True when `path` is `parent`, a separator and one plain name: not empty,
// not "." or "..", and without a separator of its own.
bool IsChildOf(const std::string& path, const std::string& parent) {
  if (path.size() <= parent.size() + 1 || path[parent.size()] != kPathSeparator ||
      path.compare(0, parent.size(), parent) != 0) {
    return false;
  }
  const std::string::size_type start = parent.size() + 1;
  const std::string::size_type end = path.find_first_of("/\\", start);
  if (end != std::string::npos) return false;
  return path.compare(start, std::string::npos, ".") != 0 &&
         path.compare(start, std::string::npos, "..") != 0;
}

}  // namespace

bool CCurrentDirectory::ChangeTo(const std::string& path) {
  bool changed;
  if (path.size() > kMaxPathLength) {
    changed = false;
  } else if (m_known && IsChildOf(path, m_path)) {
    changed = ChangeRelative(path.c_str() + m_path.size() + 1);
  } else if (m_known && IsChildOf(m_path, path)) {
    changed = ChangeRelative("..");
  } else {
    changed = ChangeFromStart(path);
  }
  m_known = changed;
  if (changed) m_path = path;
  return changed;
}
