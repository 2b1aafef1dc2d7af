// Tests of CStdioFile's line reading and its positions.
#include <gtest/gtest.h>

#include <vector>

#include "platform/stdio_file.h"
#include "tests/platform/temp_files.h"

namespace kfio {
namespace {

TEST(CStdioFile, LinesAndPositions) {
  // The lines, and the position after each.
  const struct { std::string content; std::vector<std::string> lines; std::vector<uint64_t> after; } cases[] = {
      {"", {}, {}},                             {"a\nbc\n", {"a", "bc"}, {2, 5}},
      {"a\r\nbc\r\n", {"a", "bc"}, {3, 7}},       {"last", {"last"}, {4}}, {"\n\nx\n", {"", "", "x"}, {1, 2, 4}},
      {"a\rb\r\rc", {"a", "b", "", "c"}, {2, 4, 5, 6}}, {"mixed\r\n\nend\r", {"mixed", "", "end"}, {7, 8, 12}},
      // Line breaks split by the end of the read-ahead buffer (64 KiB).
      {std::string(65535, 'a') + "\r\nb", {std::string(65535, 'a'), "b"}, {65537, 65538}},
      {std::string(65535, 'a') + "\rb", {std::string(65535, 'a'), "b"}, {65536, 65537}},
  };
  const std::string path = test::TempPath();
  for (const auto& c : cases) {
    test::WriteFile(path, c.content);
    CStdioFile f;
    ASSERT_TRUE(f.Open(path.c_str(), CFile::modeRead | CFile::shareDenyNone | CFile::typeText));
    std::string line = "stale";
    for (std::size_t i = 0; i < c.lines.size(); ++i) {
      ASSERT_TRUE(f.ReadString(line)) << c.content;
      EXPECT_EQ(line, c.lines[i]);
      EXPECT_EQ(f.GetPosition(), c.after[i]) << c.content << " line " << i;
    }
    EXPECT_FALSE(f.ReadString(line)) << c.content;
    EXPECT_EQ(line, "");
  }
}

}  // namespace
}  // namespace kfio
