// Running out of memory: the walk loses the one shortcut file whose reading
// failed, and nothing else; elsewhere the run ends with a message.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <string>
#include <utility>

#include "converter/bookmark_converter.h"
#include "driver/run.h"

namespace {
// Allocations of at least this many bytes fail while a test wants them to.
size_t g_failFrom = SIZE_MAX;
}  // namespace

void* operator new(size_t size) {
  if (size >= g_failFrom) throw std::bad_alloc();
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }

namespace {

namespace fs = std::filesystem;

struct FailLargeAllocations {
  explicit FailLargeAllocations(size_t from) { g_failFrom = from; }
  ~FailLargeAllocations() { g_failFrom = SIZE_MAX; }
};

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class MemoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / "kessavine-memory-test";
    fs::remove_all(root_);
    fs::create_directories(root_ / "fav");
  }
  void TearDown() override { fs::remove_all(root_); }

  // Runs the program with allocations of `failFrom` bytes or more failing;
  // returns the exit status and what it printed.
  std::pair<int, std::string> RunFailing(size_t failFrom, std::string favorites) {
    const std::string doc = (root_ / "doc.html").string();
    char name[] = "kessavine";
    char* argv[] = {name, const_cast<char*>(doc.c_str()), favorites.data(), nullptr};
    ::testing::internal::CaptureStdout();
    int status;
    {
      FailLargeAllocations fail(failFrom);
      status = ::Run(3, argv);
    }
    std::string out = ::testing::internal::GetCapturedStdout();
    // On Windows the capture reads its file back in text mode, which turns
    // CR LF into LF; the end-to-end tests pin the line end itself.
    out.erase(std::remove(out.begin(), out.end(), '\r'), out.end());
    return {status, out};
  }

  fs::path root_;
};

TEST_F(MemoryTest, OnlyTheShortcutWhoseReadingFailedIsLeftOutAndTheRunSaysSo) {
  const fs::path fav = root_ / "fav";
  WriteFile(fav / "small.url", "[InternetShortcut]\r\nURL=http://small.example/\r\n");
  // Reading this address needs a buffer larger than the limit below.
  WriteFile(fav / "huge.url",
            "[InternetShortcut]\r\nURL=http://" + std::string(200000, 'h') + "\r\n");
  WriteFile(fav / "other.url", "[InternetShortcut]\r\nURL=http://other.example/\r\n");
  EXPECT_EQ(RunFailing(100000, fav.string()),
            std::make_pair(1, std::string("failure to allocate memory\n")));
  const std::string tail =
      "\"ADD_DATE=\"882645605\" LAST_VISIT=\"886620180\" LAST_MODIFIED=\"882645585\">";
  const std::string small = "<DT><A HREF=\"http://small.example/" + tail + "small </A>\r\n";
  const std::string other = "<DT><A HREF=\"http://other.example/" + tail + "other </A>\r\n";
  // The two other lines, whole, in either order, and nothing of the third.
  const std::string written = ReadFile(root_ / "doc.html");
  const std::string header = written.substr(0, written.find("<DL><p>\r\n") + 9);
  EXPECT_TRUE(written == header + small + other + "</DL><p>\r\n" ||
              written == header + other + small + "</DL><p>\r\n")
      << written;
}

TEST_F(MemoryTest, ElsewhereTheRunEndsWithAMessage) {
  const std::string favorites = (root_ / "fav").string() + std::string(200000, '/');
  EXPECT_EQ(RunFailing(100000, favorites),
            std::make_pair(1, std::string("failure to allocate memory\n")));
}

}  // namespace
