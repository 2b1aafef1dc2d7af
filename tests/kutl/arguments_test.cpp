// Tests of argument normalising, separator search, splitting and argument text.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "kutl/kutl.h"

namespace kfio::kutl {
namespace {

// A writable, terminated copy of `text`.
std::vector<char> Buffer(const std::string& text) {
  std::vector<char> b(text.begin(), text.end());
  b.push_back('\0');
  return b;
}

TEST(NormalizeArguments, TrimsPiecesOutsideQuotes) {
  std::string longIn, longOut;  // a long text never grows
  for (int i = 0; i < 2000; ++i) longIn += " x ,", longOut += "x,";
  const struct { std::string in, out; } cases[] = {
      {"", ""}, {"   ", ""}, {"\n a \n", "\n a \n"},
      {"A, 2", "A,2"}, {" A ,\t2 ", "A,2"}, {"a b , c\td", "a b,c\td"},
      {"a,,c", "a,,c"}, {" , , ", ",,"}, {"a,", "a,"}, {longIn, longOut},
      {"\" x , y \" , 3", "\" x , y \",3"}, {"\"open , still ", "\"open , still "},
  };
  for (const auto& c : cases) {
    std::vector<char> buffer = Buffer(c.in);
    NormalizeArguments(buffer.data());
    EXPECT_EQ(std::string(buffer.data()), c.out) << "input [" << c.in << "]";
  }
  NormalizeArguments(nullptr);
}

TEST(FindSeparator, SkipsQuotedSeparators) {
  const struct { std::string text; char separator; long expected; } cases[] = {  // -1 = none
      {"", ',', -1}, {"abc", ',', -1}, {"a", '\0', -1}, {",", ',', 0}, {"ab,cd", ',', 2},
      {"\"a,b\",c", ',', 5}, {"\"a,b", ',', -1}, {"a.b.c", '.', 1}, {"x\"y", '"', 1},
  };
  for (const auto& c : cases) {
    std::vector<char> buffer = Buffer(c.text);
    for (int option : {16, 1}) {
      char* found = FindSeparator(buffer.data(), c.separator, option);
      EXPECT_EQ(found == nullptr ? -1 : found - buffer.data(), c.expected)
          << "text [" << c.text << "] option " << option;
    }
  }
  EXPECT_EQ(FindSeparator(nullptr, ',', 16), nullptr);
}

TEST(NormalizePart, TrimsBothEnds) {
  const struct { std::string in, out; } cases[] = {
      {"", ""}, {" \t ", ""}, {"  abc  ", "abc"}, {"a  b", "a  b"},
      {"\" a \" ", "\" a \""}, {"\"open  ", "\"open  "},
  };
  for (const auto& c : cases) {
    std::vector<char> buffer = Buffer(c.in);
    char* part = NormalizePart(buffer.data());
    ASSERT_TRUE(part >= buffer.data() && part <= buffer.data() + c.in.size());
    EXPECT_EQ(std::string(part), c.out) << "input [" << c.in << "]";
  }
  EXPECT_EQ(NormalizePart(nullptr), nullptr);
}

TEST(SplitInPlace, SplitsIntoAtMostMaxParts) {
  const struct {
    std::string text;
    char separator;
    int maxParts;
    std::vector<std::string> parts;
  } cases[] = {
      {"", ',', 5, {}}, {"a,b", ',', 0, {}}, {"a", ',', 5, {"a"}},
      {"a,b,c", ',', 5, {"a", "b", "c"}}, {"a,,c,", ',', 5, {"a", "", "c", ""}},
      {"1,2,3,4,5,6,7", ',', 5, {"1", "2", "3", "4", "5,6,7"}},
      {"\"x,y\",z", ',', 5, {"\"x,y\"", "z"}}, {".a.", '.', 10, {"", "a", ""}},
      {"FUM.READBLOCK.INCLUDE", '.', 10, {"FUM", "READBLOCK", "INCLUDE"}},
  };
  for (const auto& c : cases) {
    std::vector<char> buffer = Buffer(c.text);
    char* parts[10] = {};
    const int n = SplitInPlace(buffer.data(), parts, c.separator, c.maxParts);
    std::vector<std::string> got(parts, parts + n);
    EXPECT_EQ(got, c.parts) << "text [" << c.text << "]";
    for (int i = n; i < 10; ++i) EXPECT_EQ(parts[i], nullptr) << "wrote past the parts";
  }
  char* parts[2] = {};
  EXPECT_EQ(SplitInPlace(nullptr, parts, ',', 2), 0);
}

TEST(ArgumentText, StripsOnePairOfQuotesWithinTheOutBuffer) {
  const struct { const char* argument; std::size_t outSize; const char* expected; } cases[] = {
      {nullptr, 32, nullptr}, {"", 32, nullptr}, {"abc", 0, nullptr},  // expected null = none
      {";", 32, ";"}, {"\";\"", 32, ";"}, {"\",\"", 32, ","}, {"\"\"", 32, ""}, {"   ", 32, ""},
      {"\"", 32, "\""}, {"\"abc", 32, "\"abc"}, {"  \"x\"  ", 32, "x"},
      {"\"\\t\"", 32, "\t"}, {"\"\\r\\n\\\"\\\\\"", 32, "\r\n\"\\"},
      {"\"\\q\"", 32, "\\q"}, {"\"\\\"", 32, "\\"},
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

}  // namespace
}  // namespace kfio::kutl
