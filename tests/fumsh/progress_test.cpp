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
  f.line.Show("running a.fum: 1.0 s, line 4");
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

TEST(ProgressLine, WritesNothingWhenNotATerminal) {
  double now = 0.0;
  std::ostringstream err;
  ProgressLine line(err, false, [&] { return now; });
  now = 50.0;
  EXPECT_FALSE(line.Due(0.0));
  line.Show("x");
  line.Clear();
  {
    RowProgress rows(&line, "exporting p", 5000);
    for (int64_t r = 0; r < 5000; ++r) rows.Update(r);
  }
  EXPECT_EQ(err.str(), "");
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

TEST(ProgressLine, CutsALongLineToOneRow) {
  Fixture f;
  f.line.Show(std::string(79, 'a') + "bc");
  EXPECT_EQ(f.err.str(), "\r" + std::string(79, 'a'));
}

TEST(ClearingBuffer, BlanksTheLineBeforeOutput) {
  Fixture f;
  std::ostringstream out;
  ClearingBuffer buffer(out.rdbuf(), f.line);
  std::ostream through(&buffer);
  f.line.Show("abc");
  through << "x" << 'y';
  EXPECT_EQ(f.err.str(), "\rabc\r   \r");
  EXPECT_EQ(out.str(), "xy");
}

TEST(ScriptStatus, NamesTheScriptTimeAndLine) {
  EXPECT_EQ(ScriptStatus("long.fum", 12.34, 42), "running long.fum: 12.3 s, line 42");
}

}  // namespace
}  // namespace kfio::fumsh
