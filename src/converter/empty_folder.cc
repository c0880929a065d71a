// The test that leaves folders without shortcut files out of the document.
#include "converter/bookmark_converter.h"

bool CBookmarkConverter::IsFolderEmpty(std::string parent, std::string name) {
  const std::string folderPath = JoinPath(parent, name);
  if (!ChangeDirectory(folderPath)) return true;

  bool empty = true;
  CFileFind find;

  // Every file of the folder is looked at before any subfolder is entered,
  // so a folder with a shortcut file of its own is decided at once.
  bool more = find.FindFile();
  while (more && empty) {
    more = find.FindNextFile();
    if (!find.IsDirectory() && IsShortcutName(find.GetFileName())) empty = false;
  }

  // Then the subfolders, depth first, up to the first one that is not empty.
  if (empty) {
    more = find.FindFile();
    while (more && empty) {
      more = find.FindNextFile();
      if (find.IsDirectory() && !find.IsDots())
        empty = IsFolderEmpty(folderPath, find.GetFileName());
    }
  }

  if (!ChangeDirectory(parent)) return true;
  return empty;
}
