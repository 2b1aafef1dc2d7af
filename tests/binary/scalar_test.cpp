// One-value binary reads and writes through the FUM object, in both error
// modes: values, bytes on disk, Error and status.
#include <fstream>
#include <iterator>

#include "fum/fum_fixture.h"

namespace kfio::testing {
namespace {

std::string Bytes(std::initializer_list<int> b) {
  std::string s;
  for (int v : b) s.push_back(static_cast<char>(v));
  return s;
}

class Scalar : public FumTest {
 public:
  std::string Contents(const std::string& name) {
    std::ifstream in(Path(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  void Settings(int byteOrder, int isSigned) {
    host.SetNumber("BYTEORDER", byteOrder);
    host.SetNumber("SIGNED", isSigned);
  }
};

TEST_F(Scalar, ReadsUnderByteOrderAndSigned) {
  struct Case {
    std::string bytes;
    int byteOrder, isSigned;
    const char* method;
    const char* args;
    double value;
  } cases[] = {
      {Bytes({0x12, 0x34}), 1, 0, "READ", "2", 4660},
      {Bytes({0x12, 0x34}), 0, 0, "READ", "2", 0x3412},
      {Bytes({0x12, 0x34, 0x56, 0x78}), 1, 0, "READ", "4", 2018915346},
      {Bytes({0x12, 0x34, 0x56, 0x78}), 2, 0, "INTREAD", "4", 0x12345678},
      {Bytes({0xFF, 0xFF, 0xFE}), 2, 1, "READ", "3", -2},
      {Bytes({0xFF, 0xFF, 0xFE}), 2, 0, "READ", "3", 16777214},
      {Bytes({0xFE}), 0, 1, "INTEGERREAD", "1", -2},
      {Bytes({0xFF, 0xFF, 0xFF, 0xFF}), 0, 0, "READ", "4", 4294967295.0},
      {Bytes({0xFF, 0xFF, 0xFF, 0xFF}), 0, 1, "READ", "4", -1},
      {Bytes({0x00, 0x00, 0x80, 0x3F}), 0, 0, "FREAD", "", 1.0},
      {Bytes({0x3F, 0x80, 0x00, 0x00}), 2, 0, "FLOATREAD", "", 1.0},
      {Bytes({0x3F, 0x80, 0x00, 0x00}), 1, 0, "FREAD", "", 4.600602988224807e-41},
      {Bytes({0, 0, 0, 0, 0, 0, 0xF0, 0x3F}), 0, 0, "DREAD", "", 1.0},
      {Bytes({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}), 2, 0, "LDREAD", "", 1.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.method) + "(" + c.args + ")");
    double r = 0;
    host.Call("CLOSEALL", "", r);
    OpenFile(MakeFile("in.bin", c.bytes), 0);
    Settings(c.byteOrder, c.isSigned);
    const Outcome o = Invoke(c.method, c.args);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.error, 0);
    EXPECT_EQ(o.result, c.value);
  }
}

TEST_F(Scalar, WritesUnderByteOrderAndSigned) {
  struct Case {
    bool newMode;
    int byteOrder, isSigned;
    const char* method;
    const char* args;
    std::string bytes;
    double result;
    int error;
  } cases[] = {
      {false, 0, 0, "WRITE", "70000,2", Bytes({0x70, 0x11}), 2, 0},
      {false, 0, 1, "WRITE", "9000000,3", Bytes({0x40, 0x54, 0x89}), 3, 34},
      {false, 0, 1, "WRITE", "-8388608,3", Bytes({0x00, 0x00, 0x80}), 3, 0},
      {false, 0, 0, "WRITE", "16777216,3", Bytes({0, 0, 0}), 3, 34},
      {false, 0, 0, "WRITE", "-1,4", Bytes({0xFF, 0xFF, 0xFF, 0xFF}), 4, 0},
      {false, 0, 0, "WRITE", "4294967295,4", Bytes({0xFF, 0xFF, 0xFF, 0xFF}), 4, 0},
      {false, 2, 0, "WRITE", "300,2", Bytes({0x2C, 0x01}), 2, 0},
      {true, 2, 0, "WRITE", "300,2", Bytes({0x01, 0x2C}), 2, 0},
      {true, 1, 0, "INTWRITE", "300,2", Bytes({0x01, 0x2C}), 2, 0},
      {false, 2, 0, "WRITE", "258,4", Bytes({0, 0, 1, 2}), 4, 0},
      {false, 0, 0, "FWRITE", "1", Bytes({0x00, 0x00, 0x80, 0x3F}), 4, 0},
      {false, 2, 0, "FLOATWRITE", "1", Bytes({0x3F, 0x80, 0x00, 0x00}), 4, 0},
      {false, 0, 0, "DWRITE", "-2", Bytes({0, 0, 0, 0, 0, 0, 0, 0xC0}), 8, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.method) + "(" + c.args + ")" + (c.newMode ? " new" : ""));
    double r = 0;
    host.Call("CLOSEALL", "", r);
    std::filesystem::remove(Path("out.bin"));
    OpenFile(Path("out.bin"), 1);
    Settings(c.byteOrder, c.isSigned);
    NewMode(c.newMode);
    const Outcome o = Invoke(c.method, c.args);
    NewMode(false);
    host.Call("CLOSEALL", "", r);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.error, c.error);
    EXPECT_EQ(o.result, c.result);
    EXPECT_EQ(Contents("out.bin"), c.bytes);
  }
}

struct FailureCase {
  const char* label;
  std::string file;  // contents; opened read-only
  int openMode;
  const char* method;
  const char* args;
  std::function<void(FumTest&)> before;
  Expect byDefault;
  double defaultResult;
  Expect byNew;
  double newResult;
};

TEST_F(Scalar, FailuresInBothModes) {
  const double miss = kMissingValue;
  const FailureCase cases[] = {
      {"Read past the end", "", 0, "READ", "2", nullptr, {1158, 0, 2}, 0, {33, 0, 33}, miss},
      {"FRead two bytes short", "ab", 0, "FREAD", "", nullptr, {1157, 0, 2}, 0, {33, 0, 33}, miss},
      {"LDRead short", "abc", 0, "LDREAD", "", nullptr, {1157, 0, 2}, 0, {33, 0, 33}, miss},
      {"read fails", "abcd", 0, "READ", "2",
       [](FumTest&) { fault::Fail(fault::Call::readAt, EIO); }, {1157, 5, 2}, 0,
       {28, CFileException::hardIO, 28}, miss},
      {"width 8 by argument", "abcdefgh", 0, "READ", "8", nullptr, {2, 0, 2}, miss, {268, 0, 268}, miss},
      {"width 8 by property", "abcdefgh", 0, "READ", "",
       [](FumTest& t) { t.host.SetNumber("NBYTES", 8); }, {2, 0, 2}, miss, {12, 0, 12}, miss},
      {"Signed out of range", "ab", 0, "READ", "1",
       [](FumTest& t) { t.host.SetNumber("SIGNED", 2); }, {3, 0, 2}, -99, {12, 0, 12}, -99},
      {"ByteOrder out of range", "ab", 0, "FREAD", "",
       [](FumTest& t) { t.host.SetNumber("BYTEORDER", 7); }, {3, 0, 2}, -99, {12, 0, 12}, -99},
      {"Write without value", "", 1, "WRITE", "", nullptr, {65, 0, 2}, miss, {10, 0, 10}, 0},
      {"DWrite without value", "", 1, "DWRITE", "", nullptr, {65, 0, 2}, miss, {10, 0, 10}, 0},
      {"Write to a read-only file", "", 0, "WRITE", "1,1", nullptr, {1155, 13, 2}, miss,
       {29, CFileException::accessDenied, 29}, 0},
      {"FWrite to a read-only file", "", 0, "FWRITE", "1", nullptr, {1155, 13, 2}, miss,
       {29, CFileException::accessDenied, 29}, 0},
      {"80-bit value too large", Bytes({0, 0, 0, 0, 0, 0, 0, 0x80, 0x30, 0x53}), 0, "LDREAD", "",
       nullptr, {34, 0, 0}, miss, {34, 0, 0}, miss},
  };
  for (bool newMode : {false, true}) {
    for (const FailureCase& c : cases) {
      SCOPED_TRACE(std::string(c.label) + (newMode ? " (new mode)" : " (default mode)"));
      const Outcome o = FreshCall(newMode, [&] {
        OpenFile(MakeFile("f.bin", c.file), c.openMode);
        if (c.before) c.before(*this);
        return std::string(c.args);
      }, c.method);
      ExpectOutcome(o, newMode ? c.byNew : c.byDefault);
      EXPECT_EQ(o.result, newMode ? c.newResult : c.defaultResult);
    }
  }
}

TEST_F(Scalar, LDWriteRefusesAndWritesNothing) {
  OpenFile(Path("ld.bin"), 1);
  host.ClearOutput();
  double r = 7;
  EXPECT_EQ(host.Call("LDWRITE", "1", r), 2u);
  EXPECT_EQ(host.output, std::vector<std::string>{"file.LDWrite() is not supported in this version"});
  EXPECT_EQ(std::filesystem::file_size(Path("ld.bin")), 0u);
}

TEST_F(Scalar, RoundTripsAndHelp) {
  OpenFile(Path("rt.bin"), 2);
  Invoke("DWRITE", "-1.25e-300");
  Invoke("WRITE", "-12345,2");
  host.SetNumber("NBYTES", 3);
  Invoke("WRITE", "-70000");  // width from the property
  Invoke("REWIND", "");
  EXPECT_EQ(Invoke("DREAD", "").result, -1.25e-300);
  host.SetNumber("SIGNED", 1);
  EXPECT_EQ(Invoke("READ", "2").result, -12345);
  EXPECT_EQ(Invoke("READ", "").result, -70000);
  EXPECT_EQ(Invoke("GETPOS", "").result, 13);

  host.ClearOutput();
  Invoke("SYNTAX", "read");
  Invoke("SYNTAX", "dwrite");
  Invoke("SYNTAX", "aread");
  EXPECT_EQ(host.output, (std::vector<std::string>{
                             "fum.read([nBytes[,hFile]])\r\nNote: Affected by .ByteOrder and .Signed!",
                             "fum.dwrite(value[,hFile])\r\nNote: Affected by .ByteOrder and .Signed!",
                             "fum.aread(dataset$,start,end,binType[,hFile])\r\nNote: Affected by "
                             ".nBytes, .ByteOrder, .Signed and .Skip!"}));
}

}  // namespace
}  // namespace kfio::testing
