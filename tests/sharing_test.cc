// Files are opened without exclusive access: other programs may read the
// document while a run writes it, and may keep shortcut files open for
// writing while the run reads them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/line_writer.h"
#include "platform/platform.h"

namespace {

namespace fs = std::filesystem;

class Sharing : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    ASSERT_EQ(folder_.OpenRoot(dir_.string()), CFolder::kOpened);
  }
  void TearDown() override {
    folder_.Close();
    fs::remove_all(dir_);
  }
  const fs::path dir_ = fs::temp_directory_path() / "kessavine-sharing";
  CFolder folder_;
};

TEST_F(Sharing, OpenDocumentCanBeReadAndShortcutsHeldForWritingCanBeRead) {
  CLineWriter document;
  ASSERT_TRUE(document.Open((dir_ / "doc.url").string().c_str()));
  document.Append("line");
  document.EndLine();
  // Another program can read the document while it is open for writing.
  std::ifstream other(dir_ / "doc.url", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(other), {}), "line\r\n");
  // And a file held open for writing, as the document is, can be read.
  CInputFile reader;
  ASSERT_TRUE(reader.Open(folder_, "doc.url"));
  char buffer[16];
  EXPECT_EQ(reader.Read(buffer, sizeof buffer), 6u);
  EXPECT_EQ(std::string(buffer, 6), "line\r\n");
  EXPECT_TRUE(reader.AtEnd());
  EXPECT_FALSE(reader.HasFailed());
  EXPECT_TRUE(document.Close());
}

TEST_F(Sharing, MissingFileIsNotCreatedByReading) {
  CInputFile reader;
  EXPECT_FALSE(reader.Open(folder_, "never-created.url"));
  EXPECT_FALSE(fs::exists(dir_ / "never-created.url"));
}

}  // namespace
