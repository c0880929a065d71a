#include "converter/bookmark_converter.h"

CBookmarkConverter::CBookmarkConverter(const char* bookmarkFile, const char* favoritesDir)
    : m_strBookmarkFile(bookmarkFile), m_strFavoritesDir(favoritesDir) {
  m_bOpenFailed = false;
  if (!m_file.Open(bookmarkFile)) {
    PrintMessage("failure to open file: ", m_strBookmarkFile);
    m_bOpenFailed = true;
  }
}

std::string CBookmarkConverter::GetFavoritesDir() const { return m_strFavoritesDir; }
