#include "platform/line_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class LineWriterTest : public ::testing::Test {
 protected:
  std::filesystem::path path_ =
      std::filesystem::temp_directory_path() /
      (std::string("kessavine-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
  void TearDown() override { std::filesystem::remove(path_); }
};

TEST_F(LineWriterTest, EveryLineFeedBecomesCarriageReturnLineFeed) {
  CLineWriter out;
  ASSERT_TRUE(out.Open(path_.string().c_str()));
  out.Append("a\nb\r");
  out.EndLine();
  out.EndLine();
  out.Append(std::string("c\0d", 3));  // A piece ends at its first NUL.
  out.Append("e\n\n", 3);
  out.EndLine();
  EXPECT_EQ(ReadBytes(path_), "a\r\nb\r\r\n\r\nce\r\n\r\n\r\n");
  EXPECT_FALSE(out.HasFailed());
}

TEST_F(LineWriterTest, EachLineReachesTheFileWhenItEnds) {
  CLineWriter out;
  ASSERT_TRUE(out.Open(path_.string().c_str()));
  out.Append("one");
  out.EndLine();
  out.Append("two, not yet ended");
  EXPECT_EQ(ReadBytes(path_), "one\r\n");
}

TEST_F(LineWriterTest, LongLinesAreWrittenWholeAcrossTheBuffer) {
  // Line feeds at every offset around the buffer's end must still double.
  std::string piece;
  std::string expected;
  for (int i = 0; i < 20000; ++i) {
    const char c = i % 7 == 0 ? '\n' : static_cast<char>('a' + i % 26);
    piece.push_back(c);
    if (c == '\n') expected.push_back('\r');
    expected.push_back(c);
  }
  CLineWriter out;
  ASSERT_TRUE(out.Open(path_.string().c_str()));
  out.Append(piece);
  out.EndLine();
  EXPECT_EQ(ReadBytes(path_), expected + "\r\n");
}

TEST_F(LineWriterTest, OpenCutsAnExistingFileToLengthZero) {
  std::ofstream(path_, std::ios::binary) << "old content";
  CLineWriter out;
  ASSERT_TRUE(out.Open(path_.string().c_str()));
  EXPECT_EQ(std::filesystem::file_size(path_), 0u);
}

}  // namespace
