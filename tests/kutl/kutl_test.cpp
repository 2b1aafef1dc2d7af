// Tests of the host utility routines: argument normalising, separator search, splitting, argument text,
// trailing-number splitting, text to number, next token and names without regard to case.
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

// A writable, terminated copy of `text`.
std::vector<char> Buffer(const std::string& text) {
  std::vector<char> b(text.begin(), text.end());
  b.push_back('\0');
  return b;
}

// NormalizeArguments trims the pieces between commas outside quotes; NormalizePart trims both ends.
TEST(Normalize, TrimsOutsideQuotes) {
  std::string longIn, longOut;  // a long text never grows
  for (int i = 0; i < 2000; ++i) longIn += " x ,", longOut += "x,";
  const struct { bool part; std::string in, out; } cases[] = {
      {false, "", ""}, {false, "   ", ""}, {false, "\n a \n", "\n a \n"}, {false, " A ,\t2 ", "A,2"},
      {false, "a b , c\td", "a b,c\td"}, {false, "a,,c", "a,,c"}, {false, " , , ", ",,"}, {false, longIn, longOut},
      {false, "\" x , y \" , 3", "\" x , y \",3"}, {false, "\"open , still ", "\"open , still "},
      {true, " \t ", ""}, {true, "  abc  ", "abc"}, {true, "a  b", "a  b"}, {true, "\" a \" ", "\" a \""},
      {true, "\"open  ", "\"open  "}};
  for (const auto& c : cases) {
    std::vector<char> buffer = Buffer(c.in);
    const char* out = buffer.data();
    if (c.part) {
      out = NormalizePart(buffer.data());
      ASSERT_TRUE(out >= buffer.data() && out <= buffer.data() + c.in.size());
    } else {
      NormalizeArguments(buffer.data());
    }
    EXPECT_EQ(std::string(out), c.out) << "input [" << c.in << "]";
  }
  NormalizeArguments(nullptr);
  EXPECT_EQ(NormalizePart(nullptr), nullptr);
}

TEST(SplitInPlace, SplitsIntoAtMostMaxPartsOutsideQuotes) {
  const struct { std::string text; char separator; int maxParts; std::vector<std::string> parts; } cases[] = {
      {"", ',', 5, {}}, {"a,b", ',', 0, {}}, {"a", ',', 5, {"a"}}, {"a,,c,", ',', 5, {"a", "", "c", ""}},
      {"1,2,3,4,5,6,7", ',', 5, {"1", "2", "3", "4", "5,6,7"}}, {"\"x,y\",z", ',', 5, {"\"x,y\"", "z"}},
      {"\"a,b", ',', 5, {"\"a,b"}}, {".a.", '.', 10, {"", "a", ""}}, {"x\"y", '"', 10, {"x", "y"}},
      {"FUM.READBLOCK.INCLUDE", '.', 10, {"FUM", "READBLOCK", "INCLUDE"}}};
  for (const auto& c : cases) {
    std::vector<char> buffer = Buffer(c.text);
    char* parts[10] = {};
    const int n = SplitInPlace(buffer.data(), parts, c.separator, c.maxParts);
    EXPECT_EQ(std::vector<std::string>(parts, parts + n), c.parts) << "text [" << c.text << "]";
    for (int i = n; i < 10; ++i) EXPECT_EQ(parts[i], nullptr) << "wrote past the parts";
  }
  char* parts[2] = {};
  EXPECT_EQ(SplitInPlace(nullptr, parts, ',', 2), 0);
  std::vector<char> buffer = Buffer("\"a,b\",c");
  for (int option : {16, 1}) EXPECT_EQ(FindSeparator(buffer.data(), ',', option), buffer.data() + 5) << option;
  EXPECT_EQ(FindSeparator(buffer.data(), '\0', 16), nullptr);
  EXPECT_EQ(FindSeparator(nullptr, ',', 16), nullptr);
}

TEST(ArgumentText, StripsOnePairOfQuotesWithinTheOutBuffer) {
  const struct { const char* argument; std::size_t outSize; const char* expected; } cases[] = {
      {nullptr, 32, nullptr}, {"", 32, nullptr}, {"abc", 0, nullptr},  // expected null = none
      {";", 32, ";"}, {"\";\"", 32, ";"}, {"\",\"", 32, ","}, {"\"\"", 32, ""}, {"   ", 32, ""},
      {"\"", 32, "\""}, {"\"abc", 32, "\"abc"}, {"  \"x\"  ", 32, "x"},
      {"\"\\t\"", 32, "\t"}, {"\"\\r\\n\\\"\\\\\"", 32, "\r\n\"\\"}, {"\"\\q\"", 32, "\\q"}, {"\"\\\"", 32, "\\"},
      {"\"abcdef\"", 4, "abc"}, {"abcdef", 1, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.argument ? c.argument : "(null)");
    char out[33];  // 32 for the routine, one to see that nothing went past
    std::fill(std::begin(out), std::end(out), 'x');
    const char* got = ArgumentText(c.argument, out, c.outSize);
    if (c.expected == nullptr) {
      EXPECT_EQ(got, nullptr);
      EXPECT_EQ(out[0], 'x');
    } else {
      ASSERT_EQ(got, out);
      EXPECT_STREQ(got, c.expected);
      EXPECT_EQ(out[c.outSize], 'x');  // nothing past the buffer
    }
  }
}

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
      {"+-1", kMissingValue}, {"nan", kMissingValue}, {"Nancy", kMissingValue}, {nullptr, kMissingValue},
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
  // Each token as the out buffer holds it, and its full length.
  const struct { const char* text; std::size_t outSize; const char* walk; } cases[] = {
      {"", 16, ""}, {"  \t ", 16, ""}, {"  a  ", 16, "a/1"}, {"1 2.5\t-3", 16, "1/1 2.5/3 -3/2"},
      {"x\r\ny\r", 16, "x/1 y/1"},
      // A long token is cut, but skipped whole and answered at its full length.
      {"abcdefghij next", 5, "abcd/10 next/4"}, {"abcdefghij next", 1, "/10 /4"},
      {"abcdefghij next", 0, "/10 /4"}};  // no out buffer at all
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "[" << c.text << "] out " << c.outSize);
    const char* position = c.text;
    char out[17];
    std::fill(std::begin(out), std::end(out), '#');
    char* buffer = c.outSize > 0 ? out : nullptr;
    std::string walk;
    for (std::size_t n, i = 0; i < 10 && (n = NextToken(&position, buffer, c.outSize)) != 0; ++i)
      walk += (walk.empty() ? "" : " ") + std::string(buffer ? out : "") + "/" + std::to_string(n);
    EXPECT_EQ(walk, c.walk);
    EXPECT_STREQ(buffer ? out : "", "");  // the last call empties the buffer
    EXPECT_EQ(out[c.outSize], '#');  // nothing past the buffer
    EXPECT_EQ(*position, '\0');
  }
  const char* none = nullptr;
  char out[4];
  EXPECT_EQ(NextToken(&none, out, sizeof out), 0u);
  EXPECT_EQ(NextToken(nullptr, out, sizeof out), 0u);
}

TEST(EqualNoCase, AsciiLettersOnlyAndWholeNames) {
  const struct { const char *a, *b; bool equal; } cases[] = {
      {"NBYTES", "nBytes", true}, {"nbytes", "NBYTES", true}, {"A_1", "a_1", true},
      {"NBYTE", "NBYTES", false}, {"", "", true},             {"@", "`", false},
      {"[", "{", false},          {"\xC9", "\xE9", false},    {"Z", "z", true},
  };
  for (const auto& c : cases) EXPECT_EQ(EqualNoCase(c.a, c.b), c.equal) << c.a << " " << c.b;
}

}  // namespace
}  // namespace kfio::kutl
