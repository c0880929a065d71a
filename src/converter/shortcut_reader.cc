// Reading one Internet Shortcut file into one bookmark line.
#include <cstddef>

#include "converter/bookmark_converter.h"

namespace {

// Lines that start this far into a file's text are no longer searched for
// the address. Real shortcut files are a few hundred bytes.
constexpr size_t kSearchLimit = 1 << 20;

bool IsBlank(int c) { return c == ' ' || c == '\t'; }

// What a line is, as far as the address is concerned.
enum class Line {
  kShortcutSection,  // "[InternetShortcut]": holds the address
  kWideSection,      // "[InternetShortcut.W]": holds it in UTF-7
  kOtherSection,     // any other line whose first non-blank character is '['
  kUrlKey,           // the key URL and '=', with blanks before and between
  kOther,
};

// Consumes the characters of `reader` for as long as they spell `text` in
// any case; `c` is the first of them and ends as the first that does not.
bool Spells(CTextReader& reader, int& c, const char* text) {
  for (; *text != '\0'; ++text, c = reader.Get()) {
    if (AsciiUpper(c) != *text) return false;
  }
  return true;
}

int SkipBlanks(CTextReader& reader, int c) {
  while (IsBlank(c)) c = reader.Get();
  return c;
}

// Reads a line as far as needed to tell what it is. For a URL key the
// reader stands at the value after '='; otherwise the line is consumed.
Line ReadLineStart(CTextReader& reader) {
  int c = SkipBlanks(reader, reader.Get());
  Line line = Line::kOther;
  if (c == '[') {
    line = Line::kOtherSection;
    c = reader.Get();
    if (Spells(reader, c, "INTERNETSHORTCUT")) {
      const bool wide = c == '.' && Spells(reader, c, ".W");
      if (c == ']') {
        c = SkipBlanks(reader, reader.Get());
        if (c == '\n' || c == CTextReader::kEnd) {
          return wide ? Line::kWideSection : Line::kShortcutSection;
        }
      }
    }
  } else if (Spells(reader, c, "URL") && (c = SkipBlanks(reader, c)) == '=') {
    return Line::kUrlKey;
  }
  if (c != '\n' && c != CTextReader::kEnd) reader.SkipLine();
  return line;
}

int Base64Digit(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  return c == '/' ? 63 : -1;
}

void AppendUtf8(std::string& out, unsigned long c) {
  char bytes[4];
  out.append(bytes, EncodeUtf8(c, bytes));
}

// Collects UTF-16 code units into UTF-8. Refuses what a bookmark line cannot
// carry: a surrogate without its other half, NUL and LF.
class CUtf16Collector {
 public:
  explicit CUtf16Collector(std::string& out) : m_out(out) {}
  bool Put(unsigned unit) {
    const bool low = unit >= 0xDC00 && unit < 0xE000;
    if (m_high != 0) {
      if (!low) return false;
      AppendUtf8(m_out, 0x10000 + ((m_high - 0xD800UL) << 10) + (unit - 0xDC00));
      m_high = 0;
      return true;
    }
    if (unit >= 0xD800 && unit < 0xDC00) {
      m_high = unit;
      return true;
    }
    if (low || unit == 0 || unit == '\n') return false;
    AppendUtf8(m_out, unit);
    return true;
  }
  bool IsWhole() const { return m_high == 0; }

 private:
  std::string& m_out;
  unsigned m_high = 0;
};

// Decodes `value`, UTF-7 as Windows writes it (RFC 2152, every base64 run
// ended by '-'), into the UTF-8 of `out`. False when it is not such UTF-7,
// decodes to nothing, or holds a code point that cannot be written.
bool DecodeUtf7(const std::string& value, std::string& out) {
  out.clear();
  CUtf16Collector text(out);
  for (size_t i = 0; i < value.size();) {
    const char c = value[i++];
    if (c != '+') {
      if (static_cast<unsigned char>(c) >= 0x80 || !text.Put(static_cast<unsigned char>(c))) {
        return false;
      }
      continue;
    }
    if (i < value.size() && value[i] == '-') {  // "+-" is a plus sign
      if (!text.Put('+')) return false;
      ++i;
      continue;
    }
    unsigned long bits = 0;
    int count = 0;
    const size_t start = i;
    for (int digit; i < value.size() && (digit = Base64Digit(value[i])) >= 0; ++i) {
      bits = (bits << 6 | static_cast<unsigned long>(digit)) & 0x3FFFFF;
      count += 6;
      if (count >= 16) {
        count -= 16;
        if (!text.Put(static_cast<unsigned>(bits >> count & 0xFFFF))) return false;
      }
    }
    // The run must end in '-' and leave fewer than six bits, all zero.
    if (i == start || i == value.size() || value[i] != '-') return false;
    if (count >= 6 || (bits & ((1UL << count) - 1)) != 0) return false;
    ++i;
  }
  return text.IsWhole() && !out.empty();
}

}  // namespace

bool ReadShortcutAddress(CTextReader& reader, std::string& address) {
  address.clear();
  bool haveAddress = false;  // by the rule of the plain sections
  bool wideTried = false;
  Line section = Line::kOther;
  std::string wide;
  for (size_t line = 0; reader.Offset() < kSearchLimit && !reader.AtEnd(); ++line) {
    const Line kind = ReadLineStart(reader);
    if (kind != Line::kUrlKey) {
      if (kind != Line::kOther) section = kind;
      continue;
    }
    // The address stands on the second line, or in the [InternetShortcut]
    // section; the wide section's copy, when it decodes, is the real one.
    const bool plain = !haveAddress && (line == 1 || section == Line::kShortcutSection);
    if (section == Line::kWideSection && !wideTried) {
      wideTried = true;
      std::string value;
      reader.AppendLine(value);
      if (DecodeUtf7(value, wide)) {
        address.swap(wide);
        return true;
      }
      if (plain) address.swap(value);
    } else if (plain) {
      reader.AppendLine(address);
    } else {
      reader.SkipLine();
    }
    haveAddress = haveAddress || plain;
  }
  return false;
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
