// The test that leaves folders without shortcut files out of the document.
#include "converter/bookmark_converter.h"

bool CBookmarkConverter::IsFolderEmpty(size_t depth, std::string_view name) {
  CFolderPathStep step(m_strFolderPath, name);
  CFolder& parent = Level(depth);
  CFolder& folder = Level(depth + 1);
  if (!EnterFolder(folder, parent, name)) return true;

  // Every file of the folder is looked at before any subfolder is entered,
  // so a folder with a shortcut file of its own is decided at once.
  bool empty = true;
  while (empty && folder.Next()) {
    if (!folder.IsDirectory() && IsShortcutName(folder.GetFileName())) empty = false;
  }

  // Then the subfolders, depth first, up to the first one that is not empty.
  // The listing starts again from the same handle.
  if (empty && !folder.HasFailed() && folder.Rewind()) {
    while (empty && folder.Next()) {
      if (folder.IsDirectory() && !folder.IsDots()) {
        empty = IsFolderEmpty(depth + 1, folder.GetFileName());
        CloseLevel(depth + 2);
      }
    }
  }

  // A listing that failed leaves the answer to what was found before.
  if (folder.HasFailed()) ReportFailure("failure to read directory: ", m_strFolderPath);
  return empty;
}
