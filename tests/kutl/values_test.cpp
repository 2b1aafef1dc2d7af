// Tests of trailing-number splitting, text to number and next token.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "bridge/host_blocks.h"
#include "kutl/kutl.h"

namespace kfio::kutl {
namespace {

TEST(SplitTrailingNumber, SplitsBaseAndNumber) {
  struct Case { const char* name; const char* base; int number; };
  const Case cases[] = {
      {"X12", "X", 12},
      {"X", "X", 0},
      {"X007", "X", 7},
      {"12", "", 12},
      {"", "", 0},
      {"X-3", "X-", 3},
      {"X2147483647", "X", 2147483647},
      {"X2147483648", "X2147483648", 0},
      {"X99999999999999999999999", "X99999999999999999999999", 0},
      {nullptr, "", 0},
  };
  for (const Case& c : cases) {
    char out[64];
    std::fill(std::begin(out), std::end(out), '#');
    EXPECT_EQ(SplitTrailingNumber(out, sizeof out, c.name), c.number) << (c.name ? c.name : "(null)");
    EXPECT_STREQ(out, c.base) << (c.name ? c.name : "(null)");
  }
}

TEST(SplitTrailingNumber, CutsBaseToOutBuffer) {
  char out[4] = {'#', '#', '#', '#'};
  EXPECT_EQ(SplitTrailingNumber(out, 4, "ABCDEF5"), 5);
  EXPECT_STREQ(out, "ABC");
  EXPECT_EQ(SplitTrailingNumber(out, 1, "AB9"), 9);
  EXPECT_STREQ(out, "");
  EXPECT_EQ(SplitTrailingNumber(nullptr, 0, "AB9"), 9);
}

TEST(TextToNumber, ReadsTheLeadingNumber) {
  struct Case { const char* text; double expected; };
  const Case cases[] = {
      {"12", 12.0},
      {"  \t-3.5", -3.5},
      {"+4", 4.0},
      {"12abc", 12.0},
      {"1e3", 1000.0},
      {"1e", 1.0},
      {".5", 0.5},
      {"0x1A", 0.0},
      {"1,5", 1.0},
      {"\r\n7", 7.0},
      {"", kMissingValue},
      {"abc", kMissingValue},
      {".", kMissingValue},
      {"-", kMissingValue},
      {"+-1", kMissingValue},
      {"nan", kMissingValue},
      {"Nancy", kMissingValue},
      {nullptr, kMissingValue},
      {"1e999", HUGE_VAL},
      {"-1e999", -HUGE_VAL},
      {"1e-999", 0.0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TextToNumber(c.text), c.expected) << (c.text ? c.text : "(null)");
  }
  EXPECT_TRUE(std::signbit(TextToNumber("-1e-999")));
  EXPECT_TRUE(std::signbit(TextToNumber("-0")));
  EXPECT_EQ(TextToNumber("123456789012345678"), 123456789012345678.0);
  const std::string huge = "0." + std::string(500, '0') + "1";
  EXPECT_EQ(TextToNumber(huge.c_str()), 0.0);
  const std::string big = "1" + std::string(400, '0');
  EXPECT_EQ(TextToNumber(big.c_str()), HUGE_VAL);
}

TEST(NextToken, WalksBlankSeparatedTokens) {
  struct Case { const char* text; std::vector<std::string> tokens; };
  const Case cases[] = {
      {"", {}},
      {"  \t ", {}},
      {"1 2.5\t-3", {"1", "2.5", "-3"}},
      {"  a  ", {"a"}},
      {"x\r\ny\r", {"x", "y"}},
  };
  for (const Case& c : cases) {
    const char* position = c.text;
    std::vector<std::string> got;
    char out[16];
    while (std::size_t n = NextToken(&position, out, sizeof out)) {
      EXPECT_EQ(n, std::strlen(out)) << c.text;
      got.emplace_back(out);
      ASSERT_LE(got.size(), 10u);
    }
    EXPECT_EQ(got, c.tokens) << c.text;
    EXPECT_STREQ(out, "");
    EXPECT_EQ(*position, '\0') << c.text;
  }
}

TEST(NextToken, LongTokenIsCutButSkippedWhole) {
  const std::string text = "abcdefghij next";
  const char* position = text.c_str();
  char out[5] = {'#', '#', '#', '#', '#'};
  EXPECT_EQ(NextToken(&position, out, sizeof out), 10u);
  EXPECT_STREQ(out, "abcd");
  EXPECT_EQ(position, text.c_str() + 10);
  EXPECT_EQ(NextToken(&position, out, sizeof out), 4u);
  EXPECT_STREQ(out, "next");

  position = text.c_str();
  EXPECT_EQ(NextToken(&position, nullptr, 0), 10u);
  char one[1] = {'#'};
  EXPECT_EQ(NextToken(&position, one, 1), 4u);
  EXPECT_EQ(one[0], '\0');

  const char* none = nullptr;
  EXPECT_EQ(NextToken(&none, out, sizeof out), 0u);
  EXPECT_EQ(NextToken(nullptr, out, sizeof out), 0u);
}

}  // namespace
}  // namespace kfio::kutl
