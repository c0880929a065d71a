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

TEST(FolderPath, JoinsWithOneSeparatorAndNeverNormalises) {
  const std::string sep(1, kPathSeparator);
  EXPECT_EQ(JoinPath("Fav", "News"), "Fav" + sep + "News");
  EXPECT_EQ(JoinPath("Fav" + sep, "News"), "Fav" + sep + sep + "News");
  EXPECT_EQ(JoinPath("", "x"), sep + "x");
}

}  // namespace
