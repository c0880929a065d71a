// The depth-first walk of the favorites tree through the current directory.
#include "converter/bookmark_converter.h"

std::string JoinPath(const std::string& parent, const std::string& name) {
  std::string path;
  path.reserve(parent.size() + 1 + name.size());
  path.append(parent).push_back(kPathSeparator);
  path.append(name);
  return path;
}

bool IsShortcutName(const std::string& name) {
  static const char kExtension[] = ".URL";
  if (name.size() < 4) return false;
  const char* tail = name.data() + name.size() - 4;
  for (int i = 0; i < 4; ++i) {
    if (AsciiUpper(static_cast<unsigned char>(tail[i])) != kExtension[i]) return false;
  }
  return true;
}

bool CBookmarkConverter::ChangeDirectory(const std::string& path) {
  if (m_currentDirectory.ChangeTo(path)) return true;
  PrintMessage("failure to change directory: ", path);
  return false;
}

void CBookmarkConverter::WalkFavorites(std::string favoritesDir) {
  WalkFolder(favoritesDir, std::string());
}

void CBookmarkConverter::WalkFolder(std::string parent, std::string name) {
  const std::string folderPath = name.empty() ? parent : JoinPath(parent, name);
  if (!ChangeDirectory(folderPath)) return;

  CFileFind find;
  bool more = find.FindFile();
  while (more) {
    more = find.FindNextFile();
    const std::string& entry = find.GetFileName();
    if (find.IsDirectory()) {
      if (!find.IsDots() && !IsFolderEmpty(folderPath, entry)) WriteFolder(folderPath, entry);
    } else if (IsShortcutName(entry)) {
      // Out of memory around one shortcut file costs that file's line only.
      try {
        WriteBookmark(entry, find.IsRegularFile());
      } catch (const CMemoryException&) {
      }
    }
  }
  ChangeDirectory(parent);
}

void CBookmarkConverter::WriteFolder(std::string parent, std::string name) {
  WriteFolderHeading(name);
  BeginList();
  WalkFolder(parent, name);
  EndList();
}
