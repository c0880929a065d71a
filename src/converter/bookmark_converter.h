// CBookmarkConverter turns a favorites directory (a folder tree whose files
// ending in ".url" are Internet Shortcuts) into one bookmark document in the
// Netscape bookmark format.
//
// A run builds one converter, which opens the document, and then calls
// WriteHeader, BeginList, WalkFavorites and EndList in this order. Every line
// of the document ends in CR LF and is handed to the system when it ends.
// Failures are reported as one line on standard output, the step that failed
// is skipped, and m_bFailed tells the run that the document is not the whole
// tree.
#ifndef KESSAVINE_CONVERTER_BOOKMARK_CONVERTER_H_
#define KESSAVINE_CONVERTER_BOOKMARK_CONVERTER_H_

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/line_writer.h"
#include "platform/platform.h"
#include "platform/text_reader.h"

class CBookmarkConverter {
 public:
  // Copies both paths and opens the bookmark document, creating it or
  // cutting it to length zero. When that fails, prints "failure to open
  // file: " and the path on standard output and sets m_bOpenFailed; no other
  // operation may then be called.
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

  // Writes the entries of the whole favorites directory into the open list:
  // a bookmark line for each shortcut file and a folder block for each
  // subfolder that holds a shortcut file at some depth, in listing order. A
  // relative path is resolved against the current directory.
  void WalkFavorites(const std::string& favoritesDir);

  CLineWriter m_file;
  bool m_bOpenFailed;
  // Set when a failure line was printed during the walk: a folder could not
  // be entered or listed, a shortcut file could not be read, memory ran out.
  bool m_bFailed = false;
  std::string m_strBookmarkFile;
  std::string m_strFavoritesDir;

 private:
  // The walk keeps one open folder per depth, the favorites directory at
  // depth 0; m_strFolderPath is the folder path of the folder being handled,
  // and each step into a subfolder appends its name for as long as the step
  // lasts. Names are those of the listing that is being read.

  // Writes the entries of the open folder at `depth`.
  void WalkFolder(size_t depth);
  // Writes the folder block of the subfolder `name` of the folder at
  // `depth`, which IsFolderEmpty has left open at depth + 1.
  void WriteFolder(size_t depth, std::string_view name);
  // True when the subfolder `name` of the folder at `depth` holds no
  // shortcut file at any depth, or cannot be examined. Leaves the subfolder
  // open at depth + 1, so that the walk can list it from the same handle.
  bool IsFolderEmpty(size_t depth, std::string_view name);
  // Writes the bookmark line of `fileName`, the current entry of `folder`.
  // Only a regular file is opened and read; anything else (a FIFO, socket or
  // device) gets an empty address, so the run never waits on it. May raise
  // CMemoryException, before any of the line is written.
  void WriteBookmark(CFolder& folder, std::string_view fileName);

  CFolder& Level(size_t depth);
  void CloseLevel(size_t depth);
  // Opens the subfolder `name` of `parent` as `folder`, after m_strFolderPath
  // was made its folder path. Reports the failure and returns false when it
  // cannot be opened.
  bool EnterFolder(CFolder& folder, CFolder& parent, std::string_view name);
  bool Entered(CFolder::OpenResult result);
  // Prints `text` and `path` as one line and marks the run as failed.
  void ReportFailure(const char* text, std::string_view path);

  // The two document lines that carry data.
  void WriteFolderHeading(std::string_view name);
  void WriteBookmarkLine(std::string_view urlText, std::string_view name);

  std::string m_strFolderPath;
  std::vector<std::unique_ptr<CFolder>> m_levels;
  std::string m_strAddress;  // reused from shortcut to shortcut
};

// Appends the path separator and `name` to a folder path for as long as the
// object lives.
class CFolderPathStep {
 public:
  CFolderPathStep(std::string& path, std::string_view name);
  ~CFolderPathStep() { m_path.resize(m_size); }
  CFolderPathStep(const CFolderPathStep&) = delete;
  CFolderPathStep& operator=(const CFolderPathStep&) = delete;

 private:
  std::string& m_path;
  size_t m_size;
};

// `c` with the letters a to z made upper case, and every other byte as it is.
inline char AsciiUpper(int c) {
  return static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
}

// True when `name` ends in ".url", comparing the letters A to Z without
// regard to case and every other byte exactly.
bool IsShortcutName(std::string_view name);

// Replaces `address` by the address of an Internet Shortcut read from
// `reader`, and tells whether it came from the wide section.
//
// Internet Explorer writes an address that holds characters outside the
// code page a second time, in UTF-7, as the URL key of the section
// [InternetShortcut.W]; when that copy decodes, its UTF-8 is the address.
// Otherwise the address is the text after "URL=" on the address line, up to
// the line's end or a NUL byte, never truncated: the second line when it
// holds the key, else the first line of the [InternetShortcut] section that
// does. Blanks before the key and before its '=' do not count; section names
// and the key are compared without regard to case. Empty when the file has
// no address line.
bool ReadShortcutAddress(CTextReader& reader, std::string& address);

#endif  // KESSAVINE_CONVERTER_BOOKMARK_CONVERTER_H_
