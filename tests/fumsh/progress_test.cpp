// The progress line of fumsh, run on a fake clock into a string.
#include <gtest/gtest.h>

#include <sstream>

#include "tools/fumsh/progress.h"

namespace kfio::fumsh {
namespace {

struct Fixture {
  double now = 100.0;
  std::ostringstream err;
  ProgressLine line{err, true, [this] { return now; }};
};

TEST(ProgressLine, WaitsASecondThenShowsAtMostTenTimesASecond) {
  Fixture f;
  EXPECT_FALSE(f.line.Due(100.0));
  f.now = 100.99;
  EXPECT_FALSE(f.line.Due(100.0));
  f.now = 101.0;
  ASSERT_TRUE(f.line.Due(100.0));
  f.line.Show(ScriptStatus("a.fum", 1.04, 4));
  f.now = 101.0625;
  EXPECT_FALSE(f.line.Due(100.0));
  f.now = 101.125;
  ASSERT_TRUE(f.line.Due(100.0));
  f.line.Show("short");
  f.line.Clear();
  f.line.Clear();  // nothing shown: nothing written
  EXPECT_EQ(f.err.str(),
            "\rrunning a.fum: 1.0 s, line 4"
            "\rshort                       "
            "\r                            \r");
}

TEST(RowProgress, ShowsRowsRateAndTimeLeftThenClears) {
  Fixture f;
  {
    RowProgress rows(&f.line, "exporting big", 10000);
    rows.Update(1024);  // before a second: nothing
    f.now = 102.0;
    rows.Update(1500);  // between two looks at the clock
    rows.Update(2048);
    f.now = 102.0625;
    rows.Update(3072);  // too soon after the last line
  }
  EXPECT_EQ(f.err.str(),
            "\rexporting big: 2048 of 10000 rows, 1024 rows/s, 8 s left"
            "\r                                                        \r");
}

// Output blanks the line first; a line wider than the terminal is cut to one row.
TEST(ClearingBuffer, BlanksTheLineBeforeOutput) {
  Fixture f;
  std::ostringstream out;
  ClearingBuffer buffer(out.rdbuf(), f.line);
  std::ostream through(&buffer);
  f.line.Show("abc");
  through << "x" << 'y';
  f.line.Show(std::string(79, 'a') + "bc");
  EXPECT_EQ(f.err.str(), "\rabc\r   \r\r" + std::string(79, 'a'));
  EXPECT_EQ(out.str(), "xy");
}

}  // namespace
}  // namespace kfio::fumsh
