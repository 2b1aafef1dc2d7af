// One-value binary reads and writes: each method's width, the settings reaching the coder, bytes on disk, and the
// failures in both error modes. What each type makes of a value is in record_test.
#include <tuple>

#include "fum/fum_fixture.h"

namespace kfio::testing {
namespace {

using namespace std::string_literals;

class Scalar : public FumTest {
 public:
  // A fresh state with `file` open in `mode` under ByteOrder and Signed.
  void Prepare(const std::string& file, int mode, int byteOrder, int isSigned) {
    Fresh();
    std::filesystem::remove(Path("f.bin"));
    OpenFile(mode == 1 ? Path("f.bin") : MakeFile("f.bin", file), mode);
    host.SetNumber("BYTEORDER", byteOrder);
    host.SetNumber("SIGNED", isSigned);
  }
};

TEST_F(Scalar, ReadsUnderByteOrderAndSigned) {
  // file, ByteOrder, Signed, method, arguments, value
  const std::tuple<std::string, int, int, const char*, const char*, double> cases[] = {
      {"\x12\x34", 1, 0, "READ", "2", 4660}, {"\x12\x34\x56\x78", 2, 0, "INTREAD", "4", 0x12345678},
      {"\xFF\xFF\xFE", 2, 1, "READ", "3", -2}, {"\xFE", 0, 1, "INTEGERREAD", "1", -2},
      {"\xFF\xFF\xFF\xFF", 0, 0, "READ", "4", 4294967295.0}, {"\x3F\x80\x00\x00"s, 2, 0, "FLOATREAD", "", 1.0},
      {"\0\0\0\0\0\0\xF0\x3F"s, 0, 0, "DREAD", "", 1.0}, {"\0\0\0\0\0\0\0\x80\xFF\x3F"s, 2, 0, "LDREAD", "", 1.0},
  };
  for (const auto& [bytes, byteOrder, isSigned, method, args, value] : cases) {
    SCOPED_TRACE(std::string(method) + "(" + args + ")");
    Prepare(bytes, 0, byteOrder, isSigned);
    ExpectOutcome(Invoke(method, args), {0, 0, 0, value});
  }
}

TEST_F(Scalar, WritesUnderByteOrderAndSigned) {
  // new mode, ByteOrder, Signed, method, arguments, the bytes written, result, Error
  const std::tuple<bool, int, int, const char*, const char*, std::string, double, int> cases[] = {
      {false, 0, 0, "WRITE", "70000,2", "\x70\x11", 2, 0}, {false, 0, 1, "WRITE", "9000000,3", "\x40\x54\x89", 3, 34},
      {false, 2, 0, "WRITE", "300,2", "\x2C\x01", 2, 0}, {true, 2, 0, "WRITE", "300,2", "\x01\x2C", 2, 0},
      {true, 1, 0, "INTWRITE", "300,2", "\x01\x2C", 2, 0}, {false, 2, 0, "WRITE", "258,4", "\0\0\x01\x02"s, 4, 0},
      {false, 2, 0, "FLOATWRITE", "1", "\x3F\x80\0\0"s, 4, 0}, {false, 0, 0, "DWRITE", "-2", "\0\0\0\0\0\0\0\xC0"s, 8, 0},
  };
  for (const auto& [newMode, byteOrder, isSigned, method, args, bytes, result, error] : cases) {
    SCOPED_TRACE(std::string(method) + "(" + args + ")" + (newMode ? " new" : ""));
    Prepare("", 1, byteOrder, isSigned);
    NewMode(newMode);
    ExpectOutcome(Invoke(method, args), {error, -1, 0, result});
    Fresh();
    EXPECT_EQ(Contents("f.bin"), bytes);
  }
}

TEST_F(Scalar, FailuresInBothModes) {
  constexpr double miss = kMissingValue;
  using E = CFileException;
  // file: its contents; setting: set to `value`, or "fault": the read fails with errno `value`.
  const struct {
    const char* label; std::string file; int openMode; const char *method, *args; Expect byDefault, byNew;
    const char* setting = "";
    int value = 0;
  } cases[] = {
      {"Read past the end", "", 0, "READ", "2", {1158, 0, 2, 0}, {33, 0, 33, miss}},
      {"Read one byte short", "a", 0, "READ", "2", {1158, 0, 2, 0}, {33, 0, 33, miss}},
      {"FRead two bytes short", "ab", 0, "FREAD", "", {1157, 0, 2, 0}, {33, 0, 33, miss}},
      {"LDRead short", "abc", 0, "LDREAD", "", {1157, 0, 2, 0}, {33, 0, 33, miss}},
      {"read fails", "abcd", 0, "READ", "2", {1157, 5, 2, 0}, {28, E::hardIO, 28, miss}, "fault", EIO},
      {"width 8 by argument", "abcdefgh", 0, "READ", "8", {2, 0, 2, miss}, {268, 0, 268, miss}},
      {"width 8 by property", "abcdefgh", 0, "READ", "", {2, 0, 2, miss}, {12, 0, 12, miss}, "NBYTES", 8},
      {"Signed out of range", "ab", 0, "READ", "1", {3, 0, 2, -99}, {12, 0, 12, -99}, "SIGNED", 2},
      {"ByteOrder out of range", "ab", 0, "FREAD", "", {3, 0, 2, -99}, {12, 0, 12, -99}, "BYTEORDER", 7},
      {"Write without value", "", 1, "WRITE", "", {65, 0, 2, miss}, {10, 0, 10, 0}},
      {"DWrite without value", "", 1, "DWRITE", "", {65, 0, 2, miss}, {10, 0, 10, 0}},
      {"Write to a read-only file", "", 0, "WRITE", "1,1", {1155, 13, 2, miss}, {29, E::accessDenied, 29, 0}},
      {"FWrite to a read-only file", "", 0, "FWRITE", "1", {1155, 13, 2, miss}, {29, E::accessDenied, 29, 0}},
      {"80-bit value too large", "\0\0\0\0\0\0\0\x80\x30\x53"s, 0, "LDREAD", "", {34, 0, 0, miss}, {34, 0, 0, miss}},
  };
  for (const auto& c : cases) {
    BothModes(c.label, c.method, [&] {
      OpenFile(MakeFile("f.bin", c.file), c.openMode);
      if (c.setting == std::string("fault"))
        fault::Fail(fault::Call::readAt, c.value);
      else if (*c.setting)
        host.SetNumber(c.setting, c.value);
      return std::string(c.args);
    }, c.byDefault, c.byNew);
  }
}

}  // namespace
}  // namespace kfio::testing
