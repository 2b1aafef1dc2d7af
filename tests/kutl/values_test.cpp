// Tests of trailing-number splitting, text to number and next token.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "bridge/host_blocks.h"
#include "kutl/kutl.h"
#include "kutl/names.h"

namespace kfio::kutl {
namespace {

TEST(SplitTrailingNumber, SplitsBaseAndNumberCutToTheOutBuffer) {
  const struct { const char* name; std::size_t outSize; const char* base; int number; } cases[] = {
      {"X12", 64, "X", 12}, {"X", 64, "X", 0}, {"X007", 64, "X", 7}, {"12", 64, "", 12},
      {"", 64, "", 0}, {nullptr, 64, "", 0}, {"X-3", 64, "X-", 3},
      {"X2147483647", 64, "X", 2147483647}, {"X2147483648", 64, "X2147483648", 0},
      {"X99999999999999999999999", 64, "X99999999999999999999999", 0},
      {"ABCDEF5", 4, "ABC", 5}, {"AB9", 1, "", 9}, {"AB9", 0, nullptr, 9},  // no buffer at all
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name ? c.name : "(null)");
    char out[65];
    std::fill(std::begin(out), std::end(out), '#');
    EXPECT_EQ(SplitTrailingNumber(c.outSize ? out : nullptr, c.outSize, c.name), c.number);
    if (c.base) {
      EXPECT_STREQ(out, c.base);
      EXPECT_EQ(out[c.outSize], '#');  // nothing past the buffer
    }
  }
}

TEST(TextToNumber, ReadsTheLeadingNumber) {
  const std::string tiny = "0." + std::string(500, '0') + "1";
  const std::string big = "1" + std::string(400, '0');
  const struct { const char* text; double expected; } cases[] = {
      {"12", 12.0}, {"  \t-3.5", -3.5}, {"+4", 4.0}, {"12abc", 12.0}, {"1e3", 1000.0}, {"1e", 1.0},
      {".5", 0.5}, {"0x1A", 0.0}, {"1,5", 1.0}, {"\r\n7", 7.0}, {"-0", -0.0},
      {"123456789012345678", 123456789012345678.0},
      {"", kMissingValue}, {"abc", kMissingValue}, {".", kMissingValue}, {"-", kMissingValue},
      {"+-1", kMissingValue}, {"nan", kMissingValue}, {"Nancy", kMissingValue},
      {nullptr, kMissingValue},
      {"1e999", HUGE_VAL}, {"-1e999", -HUGE_VAL}, {big.c_str(), HUGE_VAL},
      {"1e-999", 0.0}, {"-1e-999", -0.0}, {tiny.c_str(), 0.0},
  };
  for (const auto& c : cases) {
    const double got = TextToNumber(c.text);
    EXPECT_EQ(got, c.expected) << (c.text ? c.text : "(null)");
    EXPECT_EQ(std::signbit(got), std::signbit(c.expected)) << (c.text ? c.text : "(null)");
  }
}

TEST(NextToken, WalksBlankSeparatedTokensCutToTheOutBuffer) {
  const struct {
    const char* text;
    std::size_t outSize;
    std::vector<std::string> tokens;
    std::vector<std::size_t> lengths;
  } cases[] = {
      {"", 16, {}, {}}, {"  \t ", 16, {}, {}}, {"  a  ", 16, {"a"}, {1}},
      {"1 2.5\t-3", 16, {"1", "2.5", "-3"}, {1, 3, 2}}, {"x\r\ny\r", 16, {"x", "y"}, {1, 1}},
      // A long token is cut, but skipped whole and answered at its full length.
      {"abcdefghij next", 5, {"abcd", "next"}, {10, 4}},
      {"abcdefghij next", 1, {"", ""}, {10, 4}},
      {"abcdefghij next", 0, {}, {10, 4}},  // no out buffer at all
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "[" << c.text << "] out " << c.outSize);
    const char* position = c.text;
    char out[17];
    std::fill(std::begin(out), std::end(out), '#');
    char* buffer = c.outSize > 0 ? out : nullptr;
    std::vector<std::string> tokens;
    std::vector<std::size_t> lengths;
    while (std::size_t n = NextToken(&position, buffer, c.outSize)) {
      lengths.push_back(n);
      if (buffer) tokens.emplace_back(out);
      ASSERT_LE(lengths.size(), 10u);
    }
    EXPECT_EQ(tokens, c.tokens);
    EXPECT_EQ(lengths, c.lengths);
    EXPECT_STREQ(buffer ? out : "", "");  // the last call empties the buffer
    EXPECT_EQ(out[c.outSize], '#');  // nothing past the buffer
    EXPECT_EQ(*position, '\0');
  }
  const char* none = nullptr;
  char out[4];
  EXPECT_EQ(NextToken(&none, out, sizeof out), 0u);
  EXPECT_EQ(NextToken(nullptr, out, sizeof out), 0u);
}

}  // namespace
}  // namespace kfio::kutl

namespace kfio::kutl {
namespace {

TEST(EqualNoCase, AsciiLettersOnlyAndWholeNames) {
  const struct {
    const char* a;
    const char* b;
    bool equal;
  } cases[] = {
      {"NBYTES", "nBytes", true}, {"nbytes", "NBYTES", true}, {"A_1", "a_1", true},
      {"NBYTE", "NBYTES", false}, {"", "", true},             {"@", "`", false},
      {"[", "{", false},          {"\xC9", "\xE9", false},    {"Z", "z", true},
  };
  for (const auto& c : cases) EXPECT_EQ(EqualNoCase(c.a, c.b), c.equal) << c.a << " " << c.b;
}

}  // namespace
}  // namespace kfio::kutl
