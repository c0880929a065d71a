// Reading one Internet Shortcut file into one bookmark line.
#include <cstddef>

#include "converter/bookmark_converter.h"

namespace {

// Lines that start this far into a file are no longer searched for the
// address. Real shortcut files are a few hundred bytes.
constexpr size_t kSearchLimit = 1 << 20;

bool IsBlank(int c) { return c == ' ' || c == '\t'; }

// Recognises section header lines, fed one character at a time: a line
// whose first non-blank character is '[' starts a section, and a line that
// is "[InternetShortcut]" in any case, with blanks around it, starts the
// section that holds the address.
class CSectionHeader {
 public:
  void Feed(int c) {
    if (m_state == kLeading) {
      if (IsBlank(c)) return;
      m_startsSection = c == '[';
      m_state = kName;
    }
    if (m_state == kName) {
      if (AsciiUpper(c) == kSectionName[m_matched]) {
        if (kSectionName[++m_matched] == '\0') m_state = kTrailing;
        return;
      }
      m_state = kOther;
    } else if (m_state == kTrailing && !IsBlank(c)) {
      m_state = kOther;
    }
  }
  // True once the rest of the line cannot change the answers.
  bool IsDecided() const { return m_state == kOther; }
  bool StartsSection() const { return m_startsSection; }
  bool IsShortcutSection() const { return m_state == kTrailing; }

 private:
  static constexpr const char* kSectionName = "[INTERNETSHORTCUT]";
  enum { kLeading, kName, kTrailing, kOther } m_state = kLeading;
  size_t m_matched = 0;
  bool m_startsSection = false;
};

}  // namespace

void ReadShortcutAddress(CTextReader& reader, std::string& address) {
  static const char kKey[] = "URL=";
  address.clear();
  bool inShortcutSection = false;
  for (size_t line = 0; reader.Offset() < kSearchLimit; ++line) {
    // The key is looked for where the address may stand: the second line,
    // and any line of the [InternetShortcut] section.
    bool mayBeKey = line == 1 || inShortcutSection;
    size_t matched = 0;
    CSectionHeader header;
    int c;
    while ((c = reader.Get()) != CTextReader::kEnd && c != '\n') {
      if (mayBeKey) {
        if (AsciiUpper(c) != kKey[matched]) {
          mayBeKey = false;
        } else if (++matched == 4) {
          reader.AppendLine(address);
          return;
        }
      }
      header.Feed(c);
      if (!mayBeKey && header.IsDecided()) {
        reader.SkipLine();
        c = '\n';
        break;
      }
    }
    if (c == CTextReader::kEnd) break;
    if (header.StartsSection()) inShortcutSection = header.IsShortcutSection();
  }
}

void CBookmarkConverter::WriteBookmark(CFolder& folder, std::string_view fileName) {
  // A file that could not be read gets an empty address, never part of one.
  bool readFailed = folder.GetKind() == CFolder::kUnknownFile;
  m_strAddress.clear();
  if (folder.GetKind() == CFolder::kRegularFile) {
    CInputFile file;
    readFailed = !file.Open(folder, fileName);
    if (!readFailed) {
      CTextReader reader(file);
      ReadShortcutAddress(reader, m_strAddress);
      readFailed = file.HasFailed();
    }
    if (readFailed) m_strAddress.clear();
  }
  // The bookmark name is the file name less its ".url".
  WriteBookmarkLine(m_strAddress,
                    fileName.substr(0, fileName.size() < 4 ? 0 : fileName.size() - 4));
  if (readFailed) {
    CFolderPathStep step(m_strFolderPath, fileName);
    ReportFailure("failure to read file: ", m_strFolderPath);
  }
}
