#include <gtest/gtest.h>

#include <string>

#include "converter/bookmark_converter.h"
#include "platform/text_reader.h"

namespace {

std::string AddressOf(const std::string& content, size_t block) {
  CTextReader reader(content.data(), content.size(), block);
  std::string address = "left from an earlier file";
  ReadShortcutAddress(reader, address);
  return address;
}

std::string Repeat(char c, size_t n) { return std::string(n, c); }

// `text` (UTF-8) as UTF-16 with a leading byte-order mark.
std::string Utf16(const std::string& text, bool bigEndian) {
  std::u16string units = u"\uFEFF";
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const int tail = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
    unsigned long point = tail == 0 ? c : c & (0x3F >> tail);
    for (int k = 1; k <= tail; ++k) point = point << 6 | (text[i + k] & 0x3F);
    i += 1 + tail;
    if (point >= 0x10000) {
      units.push_back(static_cast<char16_t>(0xD800 + ((point - 0x10000) >> 10)));
      point = 0xDC00 + ((point - 0x10000) & 0x3FF);
    }
    units.push_back(static_cast<char16_t>(point));
  }
  std::string bytes;
  for (const char16_t unit : units) {
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    bytes += bigEndian ? std::string{high, low} : std::string{low, high};
  }
  return bytes;
}

// A shortcut file as Internet Explorer writes one for an address outside
// the code page: the ANSI copy twice, then the UTF-7 copy.
std::string Wide(const std::string& ansi, const std::string& utf7) {
  return "[InternetShortcut]\r\nURL=" + ansi + "\r\n[InternetShortcut.A]\r\nURL=" + ansi +
         "\r\n[InternetShortcut.W]\r\nURL=" + utf7 + "\r\n";
}

const std::string kLongAddress = "http://example.com/?q=" + Repeat('a', 1500 - 22);

const struct {
  const char* what;
  std::string content;
  std::string address;
} kCases[] = {
    {"CR LF line ends", "[InternetShortcut]\r\nURL=http://altavista.example/\r\n",
     "http://altavista.example/"},
    {"LF line ends", "[InternetShortcut]\nURL=http://altavista.example/\n",
     "http://altavista.example/"},
    {"no final line end", "[InternetShortcut]\r\nURL=http://x.example/", "http://x.example/"},
    {"key in any case", "[InternetShortcut]\r\nuRl=http://x.example/\r\n", "http://x.example/"},
    {"later keys ignored",
     "[InternetShortcut]\r\nURL=http://www.example.com/redir?prd=ie&pver=6\r\n"
     "Modified=30499ED7ABABC6010B\r\n",
     "http://www.example.com/redir?prd=ie&pver=6"},
    {"empty address", "[InternetShortcut]\r\nURL=\r\n", ""},
    {"address of 1500 characters", "[InternetShortcut]\r\nURL=" + kLongAddress + "\r\n",
     kLongAddress},
    {"blanks kept", "[InternetShortcut]\r\nURL= http://x.example/ \t\r\n", " http://x.example/ \t"},
    {"lone CR kept", "[InternetShortcut]\r\nURL=a\rb\r\r\n", "a\rb\r"},
    {"CR as the last byte", "[InternetShortcut]\r\nURL=ab\r", "ab\r"},
    {"NUL ends the address", std::string("[InternetShortcut]\r\nURL=ab\0cd\r\n", 29), "ab"},
    {"0x1A ends the file",
     "[InternetShortcut]\r\nURL=ab\x1A"
     "cd\r\n",
     "ab"},
    {"bytes above 127 kept", "[InternetShortcut]\r\nURL=http://x/\xE5\xFF\x80\r\n",
     "http://x/\xE5\xFF\x80"},
    {"second line is the address whatever the first", "[Other]\r\nURL=http://second.example/\r\n",
     "http://second.example/"},
    {"DEFAULT section first",
     "[DEFAULT]\r\nBASEURL=http://www.example.se/gbg/index.aspx\r\n[InternetShortcut]\r\n"
     "URL=http://www.example.se/gbg/index.aspx\r\nModified=30BAFFBF81DFC501CE\r\n",
     "http://www.example.se/gbg/index.aspx"},
    {"property section first, IDList before URL",
     "[{000214A0-0000-0000-C000-000000000046}]\r\nProp3=19,2\r\n[InternetShortcut]\r\n"
     "IDList=\r\nURL=http://go.example.com/fwlink/p/?LinkId=255142\r\nIconIndex=0\r\n",
     "http://go.example.com/fwlink/p/?LinkId=255142"},
    {"IDList before URL in the first section",
     "[InternetShortcut]\r\nIDList=\r\nURL=http://www.example.com/\r\n", "http://www.example.com/"},

    {"section header with blanks and in any case",
     "[DEFAULT]\r\nBASEURL=b\r\n \t[internetSHORTCUT] \t\r\nURL=http://x/\r\n", "http://x/"},
    {"only the shortcut section counts",
     "[DEFAULT]\r\nBASEURL=b\r\nURL=http://default.example/\r\n", ""},
    {"section ends at the next header",
     "[InternetShortcut]\r\nIDList=\r\n  [DOC_x]\r\nURL=http://doc.example/\r\n", ""},
    {"indented keys", "[InternetShortcut] \r\n            URL=http://www.example.com/\r\n",
     "http://www.example.com/"},
    {"indented key in the section", "[InternetShortcut]\r\nIDList=\r\n \tURL=http://x/\r\n",
     "http://x/"},
    {"blanks between key and equals sign", "[InternetShortcut]\r\nURL \t= http://x/ \r\n",
     " http://x/ "},
    {"indented key on the second line, whatever the first", "[Other]\r\n  url=http://x/\r\n",
     "http://x/"},
    {"no other key counts", "[InternetShortcut]\r\nURLS=http://x/\r\nBASEURL=http://y/\r\n", ""},
    {"first line of 999 characters", Repeat('x', 999) + "\r\nURL=http://x/\r\n", "http://x/"},
    {"first line of 1000 characters", Repeat('x', 1000) + "\r\nURL=http://x/\r\n", "http://x/"},
    {"first line of 1500 characters", Repeat('x', 1500) + "\nURL=http://x/\n", "http://x/"},
    {"empty file", "", ""},
    {"one line", "[InternetShortcut]\r\n", ""},
    {"one line without line end", "[InternetShortcut]", ""},
    {"short second line", "[InternetShortcut]\r\nURL\r\n", ""},
    {"0x1A in the first line",
     "[Intern\x1A"
     "etShortcut]\r\nURL=http://x/\r\n",
     ""},
    {"no URL at all", "[InternetShortcut]\r\nIconIndex=1\r\nIconFile=C:\\x.ico\r\n", ""},
    {"no shortcut section", "[{000214A0-0000-0000-C000-000000000046}]\r\nProp3=19,2\r\n", ""},

    // Byte-order marks: UTF-8 is passed over, UTF-16 decoded; only a leading
    // one counts.
    {"UTF-8 mark before a first-line section header, IDList before URL",
     "\xEF\xBB\xBF[InternetShortcut]\r\nIDList=\r\nURL=http://onenote.example/\r\n",
     "http://onenote.example/"},
    {"UTF-8 mark in the middle is text", "[InternetShortcut]\r\nURL=\xEF\xBB\xBFhttp://x/\r\n",
     "\xEF\xBB\xBFhttp://x/"},
    {"UTF-16 little endian",
     Utf16("[InternetShortcut]\r\nURL=http://installer.example/\r\nIconIndex=0\r\n", false),
     "http://installer.example/"},
    {"UTF-16 big endian", Utf16("[InternetShortcut]\nURL=http://be.example/\n", true),
     "http://be.example/"},
    {"UTF-16 text beyond ASCII, a pair and a lone surrogate",
     Utf16("[InternetShortcut]\r\nURL=http://x/\u00e9\u65e5", false) +
         std::string("\x3D\xD8\x00\xDE\x00\xD8\x21\x00\r\x00\n\x00", 12),
     "http://x/\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80\xEF\xBF\xBD!"},
    {"UTF-16 NUL ends the address, a lone CR stays",
     Utf16("[InternetShortcut]\r\nURL=a\rb", false) + std::string("\0\0c\0\r\0\n\0", 8), "a\rb"},
    {"UTF-16 Ctrl-Z ends the file",
     Utf16("[InternetShortcut]\r\nURL=ab\x1A"
           "cd\r\n",
           false),
     "ab"},
    {"UTF-16 with an odd last byte", Utf16("[InternetShortcut]\r\nURL=ab", false) + "c", "ab"},
    {"UTF-16 mark in the middle of a file is text",
     "[InternetShortcut]\r\nURL=\xFF\xFEhttp://x/\r\n", "\xFF\xFEhttp://x/"},
    {"UTF-16 mark in the middle of a UTF-16 file is text",
     Utf16("[InternetShortcut]\r\nURL=\uFEFFhttp://x/\r\n", true), "\xEF\xBB\xBFhttp://x/"},
    {"UTF-16 without a mark is not decoded",
     Utf16("[InternetShortcut]\r\nURL=http://x/\r\n", false).substr(2), ""},

    // The wide copy of an address, in UTF-7, after the ANSI copies.
    {"wide section with a Cyrillic host",
     "[{000214A0-0000-0000-C000-000000000046}]\r\nProp3=19,2\r\n[InternetShortcut]\r\n"
     "URL=http://\xf0\xe5\xf8\xe5\xed\xee.\xf0\xf4/node/241\r\nIDList=\r\n"
     "[InternetShortcut.A]\r\nURL=http://\xf0\xe5\xf8\xe5\xed\xee.\xf0\xf4/node/241\r\n"
     "[InternetShortcut.W]\r\nURL=http://+BEAENQRIBDUEPQQ+-.+BEAERA-/node/241\r\n",
     "http://\xd1\x80\xd0\xb5\xd1\x88\xd0\xb5\xd0\xbd\xd0\xbe.\xd1\x80\xd1\x84/node/241"},
    {"wide section with an em dash",
     Wide("http://x.example/a\x97"
          "b",
          "http://x.example/a+IBQ-b"),
     "http://x.example/a\xe2\x80\x94"
     "b"},
    {"wide plus sign and a pair", Wide("http://x/?q=a+b?", "http://x/?q=a+-b+2D3eAA-"),
     "http://x/?q=a+b\xF0\x9F\x98\x80"},
    {"wide section first",
     "[InternetShortcut.W]\r\n URL =http://+ZeVnLIqe-.example/\r\n[InternetShortcut]\r\n"
     "URL=http://???.example/\r\n",
     "http://\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e.example/"},
    {"wide section name in any case, blanks around",
     "[InternetShortcut]\r\nURL=a\r\n  [internetshortcut.w] \r\nURL=+AGI-\r\n", "b"},
    {"wide section without URL",
     "[InternetShortcut]\r\nURL=http://x/?\r\n[InternetShortcut.W]\r\nIDList=\r\n", "http://x/?"},
    {"only the wide section's first URL counts",
     Wide("http://x/?", "http://+2DQ-") + "URL=http://later/\r\n", "http://x/?"},
    {"other wide sections do not count",
     "[InternetShortcut]\r\nURL=a\r\n[DEFAULT.W]\r\nURL=b\r\n[InternetShortcut.Wx]\r\nURL=c\r\n",
     "a"},
    {"wide value on the second line that does not decode", "[InternetShortcut.W]\r\nURL=+AGg\r\n",
     "+AGg"},
};

// Wide values that are not UTF-7 as Windows writes it, or that decode to
// nothing a line can carry, leave the address to the plain sections.
const char* const kNotUtf7[] = {
    "",                  // nothing
    "http://x/+BEAENQ",  // a run without its closing '-' at the line end
    "http://x/+BEAE-",   // eight bits left over
    "http://x/+AGF-",    // bits left over that are not zero
    "http://x/+2DQ-",    // a high surrogate alone
    "http://x/+3AA-",    // a low surrogate alone
    "http://x/+2DQ-a",   // a high surrogate followed by a plain character
    "http://x/+AAA-",    // NUL
    "http://x/+AAo-",    // LF
    "http://x/+.",       // '+' followed by nothing of base64
    "http://x/+AGE.",    // a run ended by another character than '-'
    "http://x/\xe9",     // a byte outside ASCII
};

TEST(ShortcutAddress, TableOfFileContents) {
  // Each block size puts the block boundaries, and so the CR LF pairs that
  // fall across them, somewhere else.
  for (const size_t block : {1, 2, 3, 5, 4096}) {
    for (const auto& c : kCases) {
      EXPECT_EQ(AddressOf(c.content, block), c.address) << c.what << ", blocks of " << block;
    }
  }
}

TEST(ShortcutAddress, WideValuesThatDoNotDecodeLeaveTheAnsiCopy) {
  for (const char* value : kNotUtf7) {
    for (const size_t block : {1, 4096}) {
      EXPECT_EQ(AddressOf(Wide("http://ansi/", value), block), "http://ansi/") << value;
    }
  }
}

TEST(ShortcutAddress, SearchEndsAMebibyteIntoTheFile) {
  const std::string padding = "[InternetShortcut]\r\nIDList=" + Repeat('x', 1 << 20) + "\r\n";
  EXPECT_EQ(AddressOf(padding + "URL=http://late.example/\r\n", 4096), "");
  const std::string shorter = "[InternetShortcut]\r\nIDList=" + Repeat('x', 1000) + "\r\n";
  EXPECT_EQ(AddressOf(shorter + "URL=http://late.example/\r\n", 4096), "http://late.example/");
}

TEST(TextReader, TranslatesLikeATextModeStream) {
  const std::string bytes(
      "a\r\nb\rc\r\r\n\0\xFF\x1A"
      "after",
      14);
  for (const size_t block : {1, 2, 4096}) {
    CTextReader reader(bytes.data(), bytes.size(), block);
    std::string got;
    for (int c; (c = reader.Get()) != CTextReader::kEnd;) got.push_back(static_cast<char>(c));
    EXPECT_EQ(got, std::string("a\nb\rc\r\n\0\xFF", 9)) << "blocks of " << block;
    EXPECT_EQ(reader.Get(), CTextReader::kEnd);
  }
}

}  // namespace
