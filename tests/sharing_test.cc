// Files are opened without exclusive access: other programs may read the
// document while a run writes it, and may keep shortcut files open for
// writing while the run reads them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/line_writer.h"
#include "platform/platform.h"

namespace {

TEST(Sharing, OpenDocumentCanBeReadAndShortcutsHeldForWritingCanBeRead) {
  const std::string path =
      (std::filesystem::temp_directory_path() / "kessavine-sharing.html").string();
  {
    CLineWriter document;
    ASSERT_TRUE(document.Open(path.c_str()));
    document.Append("line");
    document.EndLine();
    // The document, open for writing, can be opened again for reading; and
    // a file held open for writing, as the document is, can be read.
    CInputFile reader;
    ASSERT_TRUE(reader.Open(path.c_str()));
    char buffer[16];
    EXPECT_EQ(reader.Read(buffer, sizeof buffer), 6u);
    EXPECT_EQ(std::string(buffer, 6), "line\r\n");
  }
  std::filesystem::remove(path);
}

TEST(Sharing, MissingFileIsNotCreatedByReading) {
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / "kessavine-never-created.url";
  std::filesystem::remove(path);
  CInputFile reader;
  EXPECT_FALSE(reader.Open(path.string().c_str()));
  EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
