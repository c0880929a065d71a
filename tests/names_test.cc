#include <gtest/gtest.h>

#include <string>

#include "converter/bookmark_converter.h"

namespace {

TEST(ShortcutName, EndsInDotUrlFoldingOnlyAsciiLetters) {
  const struct {
    const char* name;
    bool isShortcut;
  } kCases[] = {
      {"News.url", true},  {"NEWS.URL", true},      {"News.uRl", true},  {".url", true},
      {".URL", true},      {"A.b.URL", true},       {"url", false},      {"a.u", false},
      {"", false},         {"News.url.bak", false}, {"News.lnk", false}, {"desktop.ini", false},
      {"Newsurl", false},  {"News.ur", false},      {"News,url", false}, {"News.url ", false},
      {"x.\xd5rl", false}, {"x.\xf5RL", false},
  };
  for (const auto& c : kCases) EXPECT_EQ(IsShortcutName(c.name), c.isShortcut) << c.name;
}

TEST(FolderPath, StepsJoinWithOneSeparatorNeverNormaliseAndEndWithTheirScope) {
  const std::string sep(1, kPathSeparator);
  std::string path = "Fav" + sep;
  {
    CFolderPathStep news(path, "News");
    EXPECT_EQ(path, "Fav" + sep + sep + "News");
    {
      CFolderPathStep dots(path, "..");
      EXPECT_EQ(path, "Fav" + sep + sep + "News" + sep + "..");
    }
    EXPECT_EQ(path, "Fav" + sep + sep + "News");
  }
  EXPECT_EQ(path, "Fav" + sep);
  std::string empty;
  CFolderPathStep x(empty, "x");
  EXPECT_EQ(empty, sep + "x");
}

}  // namespace
