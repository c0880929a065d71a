// The depth-first walk of the favorites tree, one open folder per level.
#include "converter/bookmark_converter.h"

CFolderPathStep::CFolderPathStep(std::string& path, std::string_view name)
    : m_path(path), m_size(path.size()) {
  m_path.push_back(kPathSeparator);
  m_path.append(name);
}

bool IsShortcutName(std::string_view name) {
  static const char kExtension[] = ".URL";
  if (name.size() < 4) return false;
  const char* tail = name.data() + name.size() - 4;
  for (int i = 0; i < 4; ++i) {
    if (AsciiUpper(static_cast<unsigned char>(tail[i])) != kExtension[i]) return false;
  }
  return true;
}

void CBookmarkConverter::ReportFailure(const char* text, std::string_view path) {
  m_bFailed = true;
  PrintMessage(text, path);
}

CFolder& CBookmarkConverter::Level(size_t depth) {
  // Folders, and their listing buffers, are made once per depth and reused.
  while (m_levels.size() <= depth) m_levels.push_back(std::make_unique<CFolder>());
  return *m_levels[depth];
}

void CBookmarkConverter::CloseLevel(size_t depth) {
  if (depth < m_levels.size()) m_levels[depth]->Close();
}

bool CBookmarkConverter::Entered(CFolder::OpenResult result) {
  if (result == CFolder::kOpened) return true;
  ReportFailure(result == CFolder::kNotListed ? "failure to read directory: "
                                              : "failure to change directory: ",
                m_strFolderPath);
  return false;
}

bool CBookmarkConverter::EnterFolder(CFolder& folder, CFolder& parent, std::string_view name) {
  // A step by name would go deeper than the system lets a path reach; such
  // folders are left out, as they would be anywhere else.
  if (m_strFolderPath.size() > kMaxPathLength) return Entered(CFolder::kNotEntered);
  return Entered(folder.OpenChild(parent, name));
}

void CBookmarkConverter::WalkFavorites(const std::string& favoritesDir) {
  m_strFolderPath = favoritesDir;
  if (Entered(Level(0).OpenRoot(favoritesDir))) WalkFolder(0);
  CloseLevel(0);
}

void CBookmarkConverter::WalkFolder(size_t depth) {
  CFolder& folder = Level(depth);
  if (folder.Rewind()) {
    while (folder.Next()) {
      const std::string_view name = folder.GetFileName();
      if (folder.IsDirectory()) {
        if (!folder.IsDots() && !IsFolderEmpty(depth, name)) WriteFolder(depth, name);
        CloseLevel(depth + 1);
      } else if (IsShortcutName(name)) {
        // Out of memory around one shortcut file costs that file's line only.
        try {
          WriteBookmark(folder, name);
        } catch (const CMemoryException&) {
          ReportFailure("failure to allocate memory", {});
        }
      }
    }
  }
  // What was listed before a failure stays in the document.
  if (folder.HasFailed()) ReportFailure("failure to read directory: ", m_strFolderPath);
}

void CBookmarkConverter::WriteFolder(size_t depth, std::string_view name) {
  WriteFolderHeading(name);
  BeginList();
  {
    CFolderPathStep step(m_strFolderPath, name);
    WalkFolder(depth + 1);
  }
  EndList();
}
