// Tests of argument normalising, separator search, splitting and argument text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kutl/kutl.h"

namespace kfio::kutl {
namespace {

TEST(NormalizeArguments, TrimsPiecesOutsideQuotes) {
  struct Case { std::string in, out; };
  const Case cases[] = {
      {"", ""},
      {"   ", ""},
      {"A, 2", "A,2"},
      {" A ,\t2 ", "A,2"},
      {"a b , c\td", "a b,c\td"},
      {"a,,c", "a,,c"},
      {" , , ", ",,"},
      {"a,", "a,"},
      {"\" x , y \" , 3", "\" x , y \",3"},
      {"\"open , still ", "\"open , still "},
      {"\n a \n", "\n a \n"},
  };
  for (const Case& c : cases) {
    std::vector<char> buffer(c.in.begin(), c.in.end());
    buffer.push_back('\0');
    NormalizeArguments(buffer.data());
    EXPECT_EQ(std::string(buffer.data()), c.out) << "input [" << c.in << "]";
  }
  NormalizeArguments(nullptr);
}

TEST(NormalizeArguments, LongTextNeverGrows) {
  std::string in, expected;
  for (int i = 0; i < 2000; ++i) in += " x ,", expected += "x,";
  std::vector<char> buffer(in.begin(), in.end());
  buffer.push_back('\0');
  NormalizeArguments(buffer.data());
  EXPECT_EQ(std::string(buffer.data()), expected);
}

TEST(FindSeparator, SkipsQuotedSeparators) {
  struct Case { std::string text; char separator; long expected; };  // -1 = none
  const Case cases[] = {
      {"", ',', -1},
      {"abc", ',', -1},
      {",", ',', 0},
      {"ab,cd", ',', 2},
      {"\"a,b\",c", ',', 5},
      {"\"a,b", ',', -1},
      {"a.b.c", '.', 1},
      {"x\"y", '"', 1},
  };
  for (const Case& c : cases) {
    std::vector<char> buffer(c.text.begin(), c.text.end());
    buffer.push_back('\0');
    for (int option : {16, 1}) {
      char* found = FindSeparator(buffer.data(), c.separator, option);
      const long at = found == nullptr ? -1 : static_cast<long>(found - buffer.data());
      EXPECT_EQ(at, c.expected) << "text [" << c.text << "] option " << option;
    }
  }
  EXPECT_EQ(FindSeparator(nullptr, ',', 16), nullptr);
  char text[] = "a";
  EXPECT_EQ(FindSeparator(text, '\0', 16), nullptr);
}

TEST(NormalizePart, TrimsBothEnds) {
  struct Case { std::string in, out; };
  const Case cases[] = {
      {"", ""},
      {" \t ", ""},
      {"  abc  ", "abc"},
      {"\" a \" ", "\" a \""},
      {"\"open  ", "\"open  "},
      {"a  b", "a  b"},
  };
  for (const Case& c : cases) {
    std::vector<char> buffer(c.in.begin(), c.in.end());
    buffer.push_back('\0');
    char* part = NormalizePart(buffer.data());
    ASSERT_GE(part, buffer.data());
    ASSERT_LE(part, buffer.data() + c.in.size());
    EXPECT_EQ(std::string(part), c.out) << "input [" << c.in << "]";
  }
  EXPECT_EQ(NormalizePart(nullptr), nullptr);
}

TEST(SplitInPlace, SplitsIntoAtMostMaxParts) {
  struct Case { std::string text; char separator; int maxParts; std::vector<std::string> parts; };
  const Case cases[] = {
      {"", ',', 5, {}},
      {"a", ',', 5, {"a"}},
      {"a,b,c", ',', 5, {"a", "b", "c"}},
      {"a,,c,", ',', 5, {"a", "", "c", ""}},
      {"1,2,3,4,5,6,7", ',', 5, {"1", "2", "3", "4", "5,6,7"}},
      {"a,b", ',', 0, {}},
      {"\"x,y\",z", ',', 5, {"\"x,y\"", "z"}},
      {"FUM.READBLOCK.INCLUDE", '.', 10, {"FUM", "READBLOCK", "INCLUDE"}},
      {".a.", '.', 10, {"", "a", ""}},
  };
  for (const Case& c : cases) {
    std::vector<char> buffer(c.text.begin(), c.text.end());
    buffer.push_back('\0');
    char* parts[10] = {};
    const int n = SplitInPlace(buffer.data(), parts, c.separator, c.maxParts);
    ASSERT_EQ(n, static_cast<int>(c.parts.size())) << "text [" << c.text << "]";
    for (int i = 0; i < n; ++i) EXPECT_EQ(std::string(parts[i]), c.parts[i]) << c.text << " #" << i;
    for (int i = n; i < 10; ++i) EXPECT_EQ(parts[i], nullptr) << "wrote past the parts";
  }
  char* parts[2] = {};
  EXPECT_EQ(SplitInPlace(nullptr, parts, ',', 2), 0);
}

TEST(ArgumentText, StripsOnePairOfQuotes) {
  struct Case { const char* argument; const char* expected; };  // expected null = none
  const Case cases[] = {
      {nullptr, nullptr},
      {"", nullptr},
      {";", ";"},
      {"\";\"", ";"},
      {"\",\"", ","},
      {"\"\"", ""},
      {"\"", "\""},
      {"\"abc", "\"abc"},
      {"  \"x\"  ", "x"},
      {"   ", ""},
      {"\"\\t\"", "\t"},
      {"\"\\r\\n\\\"\\\\\"", "\r\n\"\\"},
      {"\"\\q\"", "\\q"},
      {"\"\\\"", "\\"},
  };
  for (const Case& c : cases) {
    char out[32];
    const char* got = ArgumentText(c.argument, out, sizeof out);
    if (c.expected == nullptr) {
      EXPECT_EQ(got, nullptr) << (c.argument ? c.argument : "(null)");
    } else {
      ASSERT_EQ(got, out) << c.argument;
      EXPECT_STREQ(got, c.expected) << c.argument;
    }
  }
}

TEST(ArgumentText, RespectsOutBufferBounds) {
  char out[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(ArgumentText("abc", out, 0), nullptr);
  EXPECT_EQ(out[0], 'x');
  EXPECT_STREQ(ArgumentText("\"abcdef\"", out, 4), "abc");
  EXPECT_STREQ(ArgumentText("abcdef", out, 1), "");
}

}  // namespace
}  // namespace kfio::kutl
