// One-value reads and writes and records: what each binary type makes of a value in each byte order, on disk and
// back; each method's width and the settings reaching the coder; record runs; bad input in both error modes.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <tuple>

#include "binary/binary_fixture.h"

namespace kfio::testing {
namespace {

using namespace std::string_literals;

using Scalar = BinaryTest;
using Records = BinaryTest;

TEST_F(Scalar, ReadsAndWritesUnderByteOrderAndSigned) {
  // new mode, ByteOrder, Signed, method, arguments, the bytes read or written, the result, Error
  const std::tuple<bool, int, int, const char*, const char*, std::string, double, int> cases[] = {
      {false, 1, 0, "READ", "2", "\x12\x34", 4660, 0}, {false, 2, 0, "INTREAD", "4", "\x12\x34\x56\x78", 0x12345678, 0},
      {false, 2, 1, "READ", "3", "\xFF\xFF\xFE", -2, 0}, {false, 0, 1, "INTEGERREAD", "1", "\xFE", -2, 0},
      {false, 0, 0, "READ", "4", "\xFF\xFF\xFF\xFF", 4294967295.0, 0},
      {false, 2, 0, "FLOATREAD", "", Hex("3F 80 00 00"), 1, 0},
      {false, 0, 0, "DREAD", "", Hex("00 00 00 00 00 00 F0 3F"), 1, 0},
      {false, 2, 0, "LDREAD", "", Hex("00 00 00 00 00 00 00 80 FF 3F"), 1, 0},
      {false, 0, 0, "WRITE", "70000,2", "\x70\x11", 2, 0}, {false, 0, 1, "WRITE", "9000000,3", "\x40\x54\x89", 3, 34},
      {true, 1, 0, "INTWRITE", "300,2", "\x01\x2C", 2, 0}, {false, 2, 0, "WRITE", "258,4", "\0\0\x01\x02"s, 4, 0},
      {false, 2, 0, "FLOATWRITE", "1", Hex("3F 80 00 00"), 4, 0},
      {false, 0, 0, "DWRITE", "-2", Hex("00 00 00 00 00 00 00 C0"), 8, 0},
  };
  for (const auto& [newMode, byteOrder, isSigned, method, args, bytes, result, error] : cases) {
    SCOPED_TRACE(std::string(method) + "(" + args + ")" + (newMode ? " new" : ""));
    const bool writing = std::string(method).find("WRITE") != std::string::npos;
    Fresh();
    OpenFile(MakeFile("f.bin", writing ? "" : bytes), writing);
    host.SetNumber("BYTEORDER", byteOrder);
    host.SetNumber("SIGNED", isSigned);
    NewMode(newMode);
    ExpectOutcome(Invoke(method, args), {error, 0, 0, result});
    Fresh();
    EXPECT_EQ(Contents("f.bin"), bytes);
  }
}

// Records of one field show what each type makes of a value, through the array coders (the per-value coders agree
// with them: see coders_test); records of several, how fields and records follow each other.
TEST_F(Records, EveryTypeInEveryByteOrderOnDiskAndBack) {
  const double inf = HUGE_VAL, nan = std::nan("");
  // readBack: when it differs from the values.
  const struct {
    const char* layout; int byteOrder; bool newMode; Columns values; std::string bytes; Columns readBack = {};
    int writeError = 0; int records = 1;
  } cases[] = {
      // 16 bits: reversed on writing in the new mode only, on reading in both
      {"SH", 2, false, {{300}}, "2C 01", {{11265}}}, {"SH", 2, true, {{300}}, "01 2C"},
      {"SH", 0, true, {{300}}, "2C 01"},
      // integers: truncated, the low bytes of what does not fit, saturated past 32 bits; 24 bits range-checked
      {"SH", 0, false, {{70000}}, "70 11", {{4464}}}, {"-SH", 0, false, {{-2.9}}, "FE FF", {{-2}}},
      {"-SH", 0, false, {{1e30}}, "FF FF", {{-1}}}, {"BY", 2, true, {{2.9}}, "02", {{2}}},
      {"BY", 0, false, {{nan}}, "00", {{0}}}, {"LO", 0, false, {{-1}}, "FF FF FF FF", {{4294967295.0}}},
      {"LO", 0, false, {{inf}}, "FF FF FF FF", {{4294967295.0}}},
      {"-LO", 0, false, {{4294967295.0}}, "FF FF FF 7F", {{2147483647}}},
      {"-LO", 0, false, {{-inf}}, "00 00 00 80", {{-2147483648.0}}},
      {"LO", 1, false, {{0x12345678}}, "78 56 34 12"}, {"-T", 0, false, {{-8388608}}, "00 00 80"},
      {"-T", 0, false, {{8388607}}, "FF FF 7F"}, {"-T", 0, false, {{8388608}}, "00 00 80", {{-8388608}}, 34},
      {"-T", 0, false, {{-8388609}}, "FF FF 7F", {{8388607}}, 34}, {"T", 0, false, {{16777215}}, "FF FF FF"},
      {"T", 0, false, {{-1}}, "FF FF FF", {{16777215}}, 34}, {"T", 0, false, {{4294967301.0}}, "05 00 00", {{5}}, 34},
      {"T", 1, true, {{0x123456}}, "56 34 12"},  // order 1 leaves 24 bits alone
      // floating point: rounded to the nearest, ties to even
      {"F", 1, true, {{1.0 + 0x1p-24}}, "00 00 80 3F", {{1}}},
      {"F", 0, false, {{1.0 + 3 * 0x1p-24}}, "02 00 80 3F", {{1.0 + 0x1p-22}}},
      {"F", 0, false, {{1e300}}, "00 00 80 7F", {{inf}}},
      // 80 bits and BCD, whatever the byte order
      {"LD", 0, false, {{-2.5}}, "00 00 00 00 00 00 00 A0 00 C0"},
      {"LD", 0, false, {{-0.0}}, "00 00 00 00 00 00 00 80 00 BC"},
      {"LD", 0, false, {{0x1p-1022}}, "00 00 00 00 00 00 00 80 01 3C"},
      {"LD", 0, false, {{0x1p-1074}}, "00 08 00 00 00 00 00 80 00 3C"},
      {"LD", 2, false, {{-inf}}, "00 00 00 00 00 00 00 80 FF C3"},  // the double's exponent rebased
      {"BC", 2, false, {{0}}, "00 00 00 00 00 00 00 00 00 00"}, {"BC", 2, true, {{1}}, "01 00 00 00 00 00 00 00 00 00"},
      {"-BC", 0, false, {{-1}}, "01 00 00 00 00 00 00 00 00 80"},
      {"BC", 0, false, {{-12.7}}, "12 00 00 00 00 00 00 00 00 80", {{-12}}},
      {"BC", 0, false, {{-0.5}}, "00 00 00 00 00 00 00 00 00 00", {{0}}},
      {"BC", 0, false, {{123456789012345678.0}}, "80 56 34 12 90 78 56 34 12 00"},
      {"BC", 0, false, {{1e18}}, "99 99 99 99 99 99 99 99 99 00", {{1e18}}, 34},
      {"BC", 0, false, {{-inf}}, "99 99 99 99 99 99 99 99 99 80", {{-1e18}}, 34},
      {"BC", 0, false, {{nan}}, "00 00 00 00 00 00 00 00 00 00", {{0}}, 34},
      // several fields, signed by their own sign
      {"-BY|BY|-SH|SH|-T|T|-LO|LO", 0, false, {{-1}, {255}, {-2}, {65535}, {-2}, {16777214}, {-2}, {4294967294}},
       "FF FF FE FF FF FF FE FF FF FE FF FF FE FF FF FF FE FF FF FF"},
      // order 2: every 2- to 8-byte value reversed
      {"-SH|T|LO|F|D|BY|LD|BC", 2, true, {{-2}, {0x123456}, {0x12345678}, {1.5}, {-0.25}, {7}, {1.0}, {-4321}},
       "FF FE 12 34 56 12 34 56 78 3F C0 00 00 BF D0 00 00 00 00 00 00 07 "
       "00 00 00 00 00 00 00 80 FF 3F 21 43 00 00 00 00 00 00 00 80"},
      // order 1: 16-bit values reversed only
      {"-SH|LO|F|D", 1, true, {{-2}, {0x12345678}, {1.5}, {-0.25}},
       "FF FE 78 56 34 12 00 00 C0 3F 00 00 00 00 00 00 D0 BF"},
      // the default mode writes 16 bits as stored, reads them reversed
      {"-SH|T", 2, false, {{-2}, {0x123456}}, "FE FF 12 34 56", {{-257}, {0x123456}}},
      // skips are zeros, none after the last record
      {"BY|2|BY|3", 0, false, {{1, 2}, {3, 4}}, "01 00 00 03 00 00 00 02 00 00 04", {}, 0, 2},
      // rows a column lacks: the missing value
      {"BY|-SH", 0, false, {{5, 6}, {-3}}, "05 FD FF 06 00 00", {{5, 6}, {-3, 0}}, 0, 2},
      // a 24-bit value out of range: recorded, written, and Error stays through the values after it
      {"T|BY", 0, false, {{16777216}, {9}}, "00 00 00 09", {{0}, {9}}, 34},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.layout << " order " << c.byteOrder << (c.newMode ? " new mode " : " ")
                                      << ::testing::PrintToString(c.values));
    Fresh();
    OpenFile(MakeFile("out.bin", ""), 1);
    const std::string source = NewPage(c.values);
    host.SetNumber("BYTEORDER", c.byteOrder);
    NewMode(c.newMode);
    const std::string run = "," + std::to_string(c.records) + "," + c.layout;
    ExpectOutcome(Invoke("WRITERECORD", source + run), {c.writeError, 0, 0, 0.0});
    Call("CLOSEALL");
    EXPECT_EQ(Contents("out.bin"), Hex(c.bytes));

    OpenFile(Path("out.bin"), 0);
    const std::string target = NewPage({{}});
    ExpectOutcome(Invoke("READRECORD", target + run), {0, 0, 0, static_cast<double>(c.records)});
    EXPECT_EQ(PageValues(target), c.readBack.empty() ? c.values : c.readBack);
    EXPECT_EQ(Position(), static_cast<double>(Contents("out.bin").size()));
  }
}

TEST_F(Records, ReadRuns) {
  const double miss = kMissingValue;
  // args: after the page name.
  const struct {
    std::string file; const char* args; Columns stored; int error; double result; int position;
  } cases[] = {
      // records one after another
      {Counting(20), "3,BY|SH|2|BY", {{0, 6, 12}, {513, 2055, 3597}, {5, 11, 17}}, 0, 3, 18},
      {Counting(20), "5,SH|2", {{256, 1284, 2312, 3340, 4368}}, 0, 5, 18},  // the skip after the last is not read
      // a file that ends inside a record: the whole records before it
      {Counting(14), "3,BY|SH|2|BY", {{0, 6}, {513, 2055}, {5, 11}}, 33, 3, 14},
      {Counting(10), "3,SH|2", {{256, 1284, 2312}}, 0, 3, 10},  // the last record's skip may be missing
      {Counting(9), "3,SH|2", {{256, 1284}}, 33, 3, 9},         // but not its values
      {"", "2,BY3", {{}}, 33, 2, 0},                            // at the end of the file: no column added
      {Counting(4), "0,BY", {{}}, 0, 0, 0},                     // no records: nothing moves
      {Hex("FF FF"), "1,-BY|BY", {{-1}, {255}}, 0, 1, 2},       // the field's sign, not the Signed setting
      {Hex("80"), "1,-BY", {{-128}}, 0, 1, 1}, {Hex("01 00 00 00"), "1,F", {{0x1p-149}}, 0, 1, 4},
      // 80 bits: the low 11 fraction bits dropped; exponents a double cannot hold give the missing value and Error
      {Hex("00 00 00 00 00 00 00 80 FF BF"), "1,LD", {{-1}}, 0, 1, 10},
      {Hex("FF 07 00 00 00 00 00 80 FF 3F"), "1,LD", {{1}}, 0, 1, 10},
      {Hex("FF FF FF FF FF FF FF FF FE 43"), "1,LD", {{DBL_MAX}}, 0, 1, 10},
      {Hex("00 00 00 00 00 00 00 80 FF 43"), "1,LD", {{HUGE_VAL}}, 0, 1, 10},
      {Hex("00 00 00 00 00 00 00 80 FF 3B"), "1,LD", {{miss}}, 34, 1, 10},
      {Hex("00 00 00 00 00 00 00 80 00 44"), "1,LD", {{miss}}, 34, 1, 10},
      {Hex("01 00 00 00 00 00 00 00 00 00"), "1,LD", {{miss}}, 34, 1, 10},
      {Hex("00 00 00 00 00 00 00 80 FF 7F"), "1,LD", {{miss}}, 34, 1, 10},
      {Hex("00 00 00 00 00 00 00 80 30 53 07"), "1,LD|BY", {{miss}, {7}}, 34, 1, 11},  // and the run goes on
      // BCD: only bit 7 of the sign byte counts; a nibble above 9 stores nothing, what comes before it stays
      {Hex("07 00 00 00 00 00 00 00 00 FF"), "1,BC", {{-7}}, 0, 1, 10},
      {Hex("0A 00 00 00 00 00 00 00 00 00"), "1,BC", {{}}, 32, 1, 10},
      {Hex("00 00 00 00 00 00 00 00 A0 00"), "1,BC", {{}}, 32, 1, 10},
      {Hex("01 05 00 00 00 00 00 00 00 00 00 02 03 0A 00 00 00 00 00 00 00 00 00 04"), "2,BY|BC|BY",
       {{1, 3}, {5}, {2}}, 32, 2, 24},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    Fresh();
    OpenFile(MakeFile("in.bin", c.file));
    host.SetNumber("SIGNED", 1);
    const std::string page = NewPage({{}});
    ExpectOutcome(Invoke("RREAD", page + "," + c.args), {c.error, 0, 0, c.result});
    EXPECT_EQ(PageValues(page), c.stored);
    EXPECT_EQ(Position(), c.position);
  }
}

TEST_F(Records, ColumnsAddedOneByOneAndRowsFromTheFirst) {
  OpenFile(MakeFile("in.bin", Counting(16)));
  const std::string page = NewPage({{}});
  host.ClearCalls();
  ExpectOutcome(Invoke("RECORDREAD", page + ",3,BY4"), {0, 0, 0, 3.0});
  EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), op::kAddColumn), 3);
  EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), op::kResize), 4);  // each column once
  EXPECT_EQ(host.elementCalls, 12u);

  // A second run lands in row 1 again and adds nothing.
  host.ClearCalls();
  ExpectOutcome(Invoke("READRECORD", page + ",1,BY2"), {0, 0, 0, 1.0});
  EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), op::kAddColumn), 0);
  EXPECT_EQ(PageValues(page), (Columns{{12, 4, 8}, {13, 5, 9}, {2, 6, 10}, {3, 7, 11}}));
}

std::vector<std::size_t> g_requests;
unsigned char* Counted(std::size_t bytes) {
  g_requests.push_back(bytes);
  return new unsigned char[bytes];
}

// Bad input to the one-value methods and to records, in both modes: the file stays as it was (a failed write
// writes nothing), the page too unless said, and no read buffers more than the 10 bytes the file holds.
TEST_F(Records, BadInputInBothModes) {
  constexpr double miss = kMissingValue;
  using E = CFileException;
  const Columns two = {{1, 2}, {3, 4}};
  const std::string ten = Counting(10);
  // file: opened in `openMode`; args: % stands for a page of the two columns above; page: its values after the call
  // when they changed; setting: given `value`, or "refuse": the host refuses service `value`.
  const struct {
    const char *label, *method, *args; std::string file; int openMode; Expect byDefault, byNew; Columns page = {};
    const char* setting = ""; int value = 0;
  } cases[] = {
      {"Read one byte short", "READ", "2", "a", 0, {1158, 0, 2, 0}, {33, 0, 33, miss}},
      {"LDRead short", "LDREAD", "", "abc", 0, {1157, 0, 2, 0}, {33, 0, 33, miss}},  // FRead's: binary_values
      {"width 8 by argument", "READ", "8", "abcdefgh", 0, {2, 0, 2, miss}, {268, 0, 268, miss}},
      {"width 8 by property", "READ", "", "abcdefgh", 0, {2, 0, 2, miss}, {12, 0, 12, miss}, {}, "NBYTES", 8},
      {"Signed out of range", "READ", "1", "ab", 0, {3, 0, 2, -99}, {12, 0, 12, -99}, {}, "SIGNED", 2},
      {"ByteOrder out of range", "FREAD", "", "ab", 0, {3, 0, 2, -99}, {12, 0, 12, -99}, {}, "BYTEORDER", 7},
      {"Write without value", "WRITE", "", "", 1, {65, 0, 2, miss}, {10, 0, 10, 0}},
      {"DWrite without value", "DWRITE", "", "", 1, {65, 0, 2, miss}, {10, 0, 10, 0}},
      {"Write to a read-only file", "WRITE", "1,1", "", 0, {1155, 13, 2, miss}, {29, E::accessDenied, 29, 0}},
      {"80-bit value too large", "LDREAD", "", Hex("00 00 00 00 00 00 00 80 30 53"), 0, {34, 0, 0, miss},
       {34, 0, 0, miss}},
      {"no template", "READRECORD", "%,1", ten, 0, {1024, 0, 2}, {10, 0, 10}},
      {"an unknown type", "WRECORD", "%,1,XY", "", 1, {16, 0, 16}, {16, 0, 16}},
      {"a count of 0", "RECORDWRITE", "%,1,LO0", "", 1, {17, 0, 17}, {17, 0, 17}},
      {"a count of 4294967295", "READRECORD", "%,1,LO4294967295", ten, 0, {3, 0, 2}, {12, 0, 12}},
      {"nRecords -1", "READRECORD", "%,-1,BY", ten, 0, {3, 0, 2}, {12, 0, 12}},
      {"a run beyond 32 bits", "WRITERECORD", "%,2147483647,LO", "", 1, {3, 0, 2}, {12, 0, 12}},
      {"ByteOrder 3", "RWRITE", "%,1,BY", "", 1, {3, 0, 2}, {12, 0, 12}, {}, "BYTEORDER", 3},
      {"no such page to read into", "READRECORD", "Nope,2,BY", ten, 0, {6, 0, 0, 2.0}, {20, 0, 0, 2.0}},
      {"a column the host will not add: the columns there are filled", "READRECORD", "%,1,BY3", ten, 0,
       {6, 0, 0, 1.0}, {20, 0, 0, 1.0}, {{0, 2}, {1, 4}}, "refuse", static_cast<int>(op::kAddColumn)},
      {"no such page to write from", "WRITERECORD", "Nope,2,BY", "", 1, {38, 0, 0, 0.0}, {38, 0, 0, 0.0}},
      {"too few columns", "WRITERECORD", "%,2,BY3", "", 1, {38, 0, 0, 0.0}, {38, 0, 0, 0.0}},
      {"2147483647 records from a 10-byte file", "READRECORD", "%,2147483647,SH", ten, 0, {33, 0, 0, 2147483647.0},
       {33, 0, 0, 2147483647.0}, {{256, 770, 1284, 1798, 2312}, {3, 4}}},
      {"a record larger than the file", "READRECORD", "%,1,16777215|BY", ten, 0, {33, 0, 0, 1.0}, {33, 0, 0, 1.0}},
  };
  for (const auto& c : cases) {
    std::string page;
    BothModes(c.label, c.method, [&] {
      OpenFile(MakeFile("f.bin", c.file), c.openMode);
      page = NewPage(two);
      if (std::string(c.setting) == "refuse")
        Refuse(c.value);
      else if (*c.setting)
        host.SetNumber(c.setting, c.value);
      g_requests.clear();
      XoBulk::SetAllocator(Counted, [](unsigned char* p) { delete[] p; });
      std::string args = c.args;
      return args.starts_with("%") ? args.replace(0, 1, page) : args;
    }, c.byDefault, c.byNew, [&] {
      EXPECT_EQ(PageValues(page), c.page.empty() ? two : c.page);
      for (std::size_t bytes : g_requests) EXPECT_LE(bytes, 10u);
      Call("CLOSEALL");
      EXPECT_EQ(Contents("f.bin"), c.file);
    });
  }
}

}  // namespace
}  // namespace kfio::testing
