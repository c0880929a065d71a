// CBookmarkConverter turns a favorites directory (a folder tree whose files
// ending in ".url" are Internet Shortcuts) into one bookmark document in the
// Netscape bookmark format.
//
// A run builds one converter, which opens the document, and then calls
// WriteHeader, BeginList, WalkFavorites and EndList in this order. Every line
// of the document ends in CR LF and is handed to the system when it ends.
// Failures are reported as one line on standard output, and the step that
// failed is skipped.
#ifndef KESSAVINE_CONVERTER_BOOKMARK_CONVERTER_H_
#define KESSAVINE_CONVERTER_BOOKMARK_CONVERTER_H_

#include <string>

#include "platform/line_writer.h"
#include "platform/platform.h"
#include "platform/text_reader.h"

class CBookmarkConverter {
 public:
  // Copies both paths and opens the bookmark document, creating it or
  // cutting it to length zero. When that fails, prints "failure to open
  // file: " and the path on standard output and sets m_bOpenFailed; no other
  // operation may then be called. Relative paths, the favorites directory's
  // included, are resolved against the current directory of this moment.
  CBookmarkConverter(const char* bookmarkFile, const char* favoritesDir);
  CBookmarkConverter(const CBookmarkConverter&) = delete;
  CBookmarkConverter& operator=(const CBookmarkConverter&) = delete;

  // A copy of the favorites directory path as given.
  std::string GetFavoritesDir() const;

  // Document writer: the eight header lines, and the lines that open and
  // close a list.
  void WriteHeader();
  void BeginList();
  void EndList();

  // Writes the entries of the whole favorites directory into the open list.
  void WalkFavorites(std::string favoritesDir);
  // Enters the folder `parent` + separator + `name` (`parent` alone when
  // `name` is empty) and writes a bookmark line for each shortcut file and a
  // folder block for each subfolder that holds a shortcut file at some depth,
  // in listing order. Changes back to `parent` at the end.
  void WalkFolder(std::string parent, std::string name);
  // Writes the folder block of the subfolder `name` of `parent`.
  void WriteFolder(std::string parent, std::string name);
  // True when the subfolder `name` of `parent` holds no shortcut file at any
  // depth, or cannot be examined. Returns with `parent` current again.
  bool IsFolderEmpty(std::string parent, std::string name);
  // Writes the bookmark line of the shortcut file `fileName` in the current
  // directory. Only a regular file is opened and read; anything else (a
  // FIFO, socket or device) gets the line of a file that cannot be opened,
  // with an empty address, so the run never waits on it. May raise
  // CMemoryException, before any of the line is written.
  void WriteBookmark(std::string fileName, bool isRegularFile);

  CLineWriter m_file;
  bool m_bOpenFailed;
  std::string m_strBookmarkFile;
  std::string m_strFavoritesDir;

 private:
  // Changes the current directory; on failure prints "failure to change
  // directory: " and the path, and returns false.
  bool ChangeDirectory(const std::string& path);

  // The two document lines that carry data.
  void WriteFolderHeading(const std::string& name);
  void WriteBookmarkLine(const std::string& urlText, const std::string& name);

  CCurrentDirectory m_currentDirectory;
};

// The folder path of entry `name` in the folder `parent`: the two joined by
// the path separator, never normalised.
std::string JoinPath(const std::string& parent, const std::string& name);

// `c` with the letters a to z made upper case, and every other byte as it is.
inline char AsciiUpper(int c) {
  return static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
}

// True when `name` ends in ".url", comparing the letters A to Z without
// regard to case and every other byte exactly.
bool IsShortcutName(const std::string& name);

// The address of an Internet Shortcut read from `reader`: the text after
// "URL=" on the address line, up to the line's end or a NUL byte, never
// truncated. The address line is the second line when it begins with "URL="
// (in any case), else the first such line inside the [InternetShortcut]
// section. Empty when the file has no address line.
std::string ReadShortcutAddress(CTextReader& reader);

#endif  // KESSAVINE_CONVERTER_BOOKMARK_CONVERTER_H_
