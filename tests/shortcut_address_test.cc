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
    {"wide section before the shortcut section",
     "[InternetShortcut.W]\r\nIDList=\r\nURL=+AGgAdAB0AHA-\r\n[InternetShortcut]\r\n"
     "URL=http://best-fit.example/?\r\n",
     "http://best-fit.example/?"},
    {"section header with blanks and in any case",
     "[DEFAULT]\r\nBASEURL=b\r\n \t[internetSHORTCUT] \t\r\nURL=http://x/\r\n", "http://x/"},
    {"only the shortcut section counts",
     "[DEFAULT]\r\nBASEURL=b\r\nURL=http://default.example/\r\n", ""},
    {"section ends at the next header",
     "[InternetShortcut]\r\nIDList=\r\n  [DOC_x]\r\nURL=http://doc.example/\r\n", ""},
    {"key must start the line", "[InternetShortcut]\r\nIDList=\r\n URL=http://x/\r\n", ""},
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
