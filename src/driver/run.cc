#include "driver/run.h"

#include <cstring>

#include "converter/bookmark_converter.h"
#include "platform/line_writer.h"
#include "platform/platform.h"

namespace {

const char* const kUsage[] = {
    "Husage: ",
    "\t1.KESSAVINE ",
    "\t\tIE FAVORITE DIRECTORY : c:\\windows\\favorites",
    "\t\tNETSCAPE BOOKMARK FILE: bookmark.html",
    "",
    "\t2.KESSAVINE c:\\mybookmark.html",
    "\t\tIE FAVORITE DIRECTORY : c:\\windows\\favorites",
    "\t\tNETSCAPE BOOKMARK FILE: c:\\mybookmark.html",
    "",
    "\t3.KESSAVINE mybookmark.html c:\\win\\favorites",
    "\t\tIE FAVORITE DIRECTORY : c:\\win\\favorites",
    "\t\tNETSCAPE BOOKMARK FILE: mybookmark.html",
};

int Convert(const char* bookmarkFile, const char* favoritesDir) {
  CBookmarkConverter converter(bookmarkFile, favoritesDir);
  if (converter.m_bOpenFailed) return 1;
  converter.WriteHeader();
  converter.BeginList();
  converter.WalkFavorites(converter.GetFavoritesDir());
  converter.EndList();
  // Writes are not checked line by line; a failed one leaves the document
  // short, and the run says so once at the end, as it does when the system
  // reports at the close that written data could not be stored.
  if (!converter.m_file.Close()) {
    PrintMessage("failure to write file: ", converter.m_strBookmarkFile);
    return 1;
  }
  return converter.m_bFailed ? 1 : 0;
}

}  // namespace

void PrintUsage() {
  CLineWriter& out = StandardOutput();
  for (const char* line : kUsage) {
    out.Append(line);
    out.EndLine();
  }
}

int Run(int argc, char* argv[]) {
  const int words = argc - 1;
  // "--help" and "--version", as whole words, are the one exception to "a
  // single word is the document path": nobody wants a document of that name.
  if (words == 1 &&
      ((argv[1][0] == '/' && argv[1][1] == '?') || std::strcmp(argv[1], "--help") == 0)) {
    PrintUsage();
    return StandardOutput().HasFailed() ? 1 : 0;
  }
  if (words == 1 && std::strcmp(argv[1], "--version") == 0) {
    PrintMessage("kessavine " KESSAVINE_VERSION);
    return StandardOutput().HasFailed() ? 1 : 0;
  }
  if (words > 2) {
    PrintUsage();
    return 2;
  }
  try {
    return Convert(words >= 1 ? argv[1] : "bookmark.html",
                   words >= 2 ? argv[2] : "c:\\windows\\favorites");
  } catch (const CMemoryException&) {
    PrintMessage("failure to allocate memory");
    return 1;
  }
}
