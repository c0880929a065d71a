// Folders held open by the walk: listing, and trees that change while the
// walk is inside them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "platform/platform.h"

namespace {

namespace fs = std::filesystem;

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// The content of the file `name` of `folder`, read through the folder.
std::string ReadThrough(CFolder& folder, const char* name) {
  CInputFile file;
  if (!file.Open(folder, name)) return "(cannot be opened)";
  char buffer[64];
  return std::string(buffer, file.Read(buffer, sizeof buffer));
}

// The names of a listing from its start, sorted, with their kinds.
std::vector<std::string> List(CFolder& folder) {
  std::vector<std::string> names;
  EXPECT_TRUE(folder.Rewind());
  while (folder.Next()) {
    const char* kinds[] = {"dir ", "file ", "other ", "unknown "};
    names.push_back(kinds[folder.GetKind()] + std::string(folder.GetFileName()));
  }
  EXPECT_FALSE(folder.HasFailed());
  std::sort(names.begin(), names.end());
  return names;
}

// A rename that the system may refuse while the walk holds the folder.
bool Renamed(const fs::path& from, const fs::path& to) {
  std::error_code error;
  fs::rename(from, to, error);
  return !error;
}

class FolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::remove_all(root_);
    fs::create_directories(root_ / "A");
    WriteFile(root_ / "A" / "a.url", "first A");
    ASSERT_EQ(top_.OpenRoot(root_.string()), CFolder::kOpened);
  }
  void TearDown() override {
    child_.Close();
    top_.Close();
    fs::remove_all(root_);
  }
  const fs::path root_ = fs::temp_directory_path() / "kessavine-folder-test";
  CFolder top_;
  CFolder child_;
};

TEST_F(FolderTest, ListsEveryEntryAfreshFromTheStartAtEachRewind) {
  WriteFile(root_ / ".hidden.url", "");
  EXPECT_EQ(List(top_), (std::vector<std::string>{"dir .", "dir ..", "dir A", "file .hidden.url"}));
  WriteFile(root_ / "late.url", "");
  EXPECT_EQ(List(top_), (std::vector<std::string>{"dir .", "dir ..", "dir A", "file .hidden.url",
                                                  "file late.url"}));
}

TEST_F(FolderTest, FilesAreOpenedFromTheFolderThatWasEnteredAfterItIsRenamed) {
  ASSERT_EQ(child_.OpenChild(top_, "A"), CFolder::kOpened);
  // Windows refuses to rename a folder that is held open; elsewhere the
  // folder moves, and the walk must move with it.
  if (Renamed(root_ / "A", root_ / "A2")) {
    fs::create_directory(root_ / "A");
    WriteFile(root_ / "A" / "a.url", "another A");
    WriteFile(root_ / "A" / "b.url", "");
  }
  EXPECT_EQ(ReadThrough(child_, "a.url"), "first A");
  EXPECT_EQ(List(child_), (std::vector<std::string>{"dir .", "dir ..", "file a.url"}));
}

TEST_F(FolderTest, ReturningToTheEnclosingFolderLandsInTheFolderThatWasLeft) {
  // The walk is in top/A/C when top/A is moved out of the tree and another
  // folder takes its name; the walk then goes on with A's listing.
  fs::create_directory(root_ / "A" / "C");
  CFolder a;
  ASSERT_EQ(a.OpenChild(top_, "A"), CFolder::kOpened);
  ASSERT_EQ(child_.OpenChild(a, "C"), CFolder::kOpened);
  if (Renamed(root_ / "A", fs::temp_directory_path() / "kessavine-folder-test-moved")) {
    fs::create_directory(root_ / "A");
    WriteFile(root_ / "A" / "a.url", "another A");
  }
  child_.Close();
  EXPECT_EQ(ReadThrough(a, "a.url"), "first A");
  EXPECT_EQ(List(a), (std::vector<std::string>{"dir .", "dir ..", "dir C", "file a.url"}));
  fs::remove_all(fs::temp_directory_path() / "kessavine-folder-test-moved");
}

TEST_F(FolderTest, OnlyRealFoldersAreEntered) {
  WriteFile(root_ / "x.url", "");
  EXPECT_EQ(child_.OpenChild(top_, "x.url"), CFolder::kNotEntered);
  EXPECT_EQ(child_.OpenChild(top_, "missing"), CFolder::kNotEntered);
  EXPECT_FALSE(child_.IsOpen());
  EXPECT_EQ(child_.OpenChild(top_, "A"), CFolder::kOpened);
}

TEST_F(FolderTest, FolderSwappedForALinkAfterItWasListedIsNotEntered) {
  EXPECT_EQ(List(top_), (std::vector<std::string>{"dir .", "dir ..", "dir A"}));
  std::error_code error;
  fs::rename(root_ / "A", root_ / "elsewhere", error);
  if (!error) fs::create_directory_symlink(root_ / "elsewhere", root_ / "A", error);
  if (error) GTEST_SKIP() << "cannot link to a directory here: " << error.message();
  EXPECT_EQ(child_.OpenChild(top_, "A"), CFolder::kNotEntered);
}

}  // namespace
