// Opening, closing, positioning and the file-system queries: what they do and what they leave behind.
#include <tuple>

#include "fum_fixture.h"

namespace kfio::testing {
namespace {

// Beyond the reference's examples: the mode's low byte, failures that make no file and drop the current one.
TEST_F(FumTest, OpenModesAndFailures) {
  const int first = OpenFile(Path("c.dat"), 257);  // a missing file is created; the low byte of the mode counts
  // A mode argument leaves the property.
  EXPECT_EQ(std::make_pair(int(TheFum().hFile.currentEntry->openMode), Number("MODE")), std::make_pair(1, 0.0));
  Invoke("OPEN", Path("never") + ",3");
  EXPECT_FALSE(std::filesystem::exists(Path("never")));
  OpenFile(Path("c.dat"));
  Invoke("OPEN", dir.string());  // a directory
  EXPECT_EQ(Number("HFILE"), -1);  // the failed open drops the current file
  EXPECT_EQ(TheFum().files.GetCount(), 2);  // the others stay open
  EXPECT_NE(TheFum().files.FindByHandle(first), nullptr);
}

TEST_F(FumTest, CloseDropsTheCurrentFileByMode) {
  for (bool newMode : {false, true}) {
    NewMode(newMode);
    const int h1 = OpenFile(MakeFile("one", "1")), h2 = OpenFile(MakeFile("two", "2"));
    ExpectOutcome(Invoke("CLOSE", std::to_string(h1)), {0, -1, 0, 0});
    EXPECT_EQ(TheFum().hFile.currentEntry, nullptr);
    EXPECT_EQ(Number("HFILE"), newMode ? -1 : h1);
    EXPECT_NE(TheFum().files.FindByHandle(h2), nullptr);
    EXPECT_EQ(Invoke("GETPOS", "").error, newMode ? 13 : 1024);  // hFile -1, or h1's number that names no file now
    EXPECT_EQ(Invoke("CLOSEALL", "").result, 0);
    EXPECT_TRUE(TheFum().files.IsEmpty());
  }
}

TEST_F(FumTest, CloseAllStopsAtTheFirstFailureInTheNewMode) {
  const int h1 = OpenFile(MakeFile("f1", "1"));
  OpenFile(MakeFile("f2", "2"));
  const int h3 = OpenFile(MakeFile("f3", "3"));
  NewMode(true);
  fault::Fail(fault::Call::close, EIO, 1);  // the second close fails
  ExpectOutcome(Invoke("CLOSEALL", ""), {23, CFileException::hardIO, 23, -1});
  EXPECT_EQ(TheFum().files.GetCount(), 2);  // f2 (closed by the failed attempt) and f3 stay
  EXPECT_EQ(TheFum().files.FindByHandle(h1), nullptr);
  EXPECT_NE(TheFum().files.FindByHandle(h3), nullptr);
  EXPECT_EQ(Number("HFILE"), h3);  // f3 was current and is still open

  NewMode(false);
  OpenFile(MakeFile("f4", "4"));
  fault::Fail(fault::Call::close, EIO);
  EXPECT_EQ(Invoke("CLOSEALL", "").status, 0);  // the default mode goes on
  EXPECT_TRUE(TheFum().files.IsEmpty());

  // The current file closed before the failure: no current file afterwards.
  const int h5 = OpenFile(MakeFile("f5", "5"));
  OpenFile(MakeFile("f6", "6"));
  Invoke("GETPOS", std::to_string(h5));
  NewMode(true);
  fault::Fail(fault::Call::close, EIO, 1);
  EXPECT_EQ(Invoke("CLOSEALL", "").status, 23);
  EXPECT_EQ(std::make_pair(Number("HFILE"), TheFum().files.GetCount()), std::make_pair(-1.0, 1));
}

// The script tests and the reference's examples walk the usual moves; here the other spellings, a position beyond
// 2 GiB, a number the host evaluates, a refused chunk, and a given handle that becomes current.
TEST_F(FumTest, Positioning) {
  const int h1 = OpenFile(MakeFile("ten", "0123456789"));
  host.SetNumber("NBYTES", 2);
  const int h2 = OpenFile(Path("ten"));  // one name opened twice: two entries
  EXPECT_NE(h1, h2);
  const std::string other = "," + std::to_string(h1);
  const std::tuple<const char*, std::string, double, int> steps[] = {
      {"SETPOS", "2*3+1", 7, 0}, {"TOBEGINNING", "", 0, 0}, {"FFORWARD", "", 10, 0}, {"TOBEGIN", "", 0, 0},
      {"JUMPCHUNKS", "3", 6, 0}, {"JUMPCHUNK", "1,5", kMissingValue, 258}, {"GETPOS", "", 6, 0},  // not moved
      {"SETPOS", "4" + other, 4, 0}, {"GETPOS", "", 4, 0},  // h1 is current now
      {"GETPOS", "12345", -99, 2}, {"GETPOS", "", 4, 0}};  // a handle that names no file is not kept
  for (const auto& [method, args, result, status] : steps) {
    const Outcome o = Invoke(method, args);
    EXPECT_EQ(std::make_pair(o.status, o.result), std::make_pair(status, result)) << method << "(" << args << ")";
  }
  EXPECT_EQ(Number("HFILE"), h1);

  ASSERT_EQ(Invoke("SETPOS", "2147483647").status, 0);
  EXPECT_EQ(Invoke("JUMP", "10").result, -2147483639.0);  // the low 32 bits, signed
  ExpectOutcome(Invoke("GETPOS", ""), {1156, -1, 2, kMissingValue});
  NewMode(true);
  ExpectOutcome(Invoke("GETPOS", ""), {0, -1, 2});
}

// Beyond the reference's example (handle, position, a refused mode): the new mode and the place in the table.
TEST_F(FumTest, SwitchModeKeepsItsPlace) {
  const std::string path = MakeFile("sw", "0123456789");
  const int first = OpenFile(path);
  OpenFile(MakeFile("other", "x"));
  auto head = [] { return static_cast<MyCFile*>(TheFum().files.GetAt(TheFum().files.GetHeadPosition())); };
  ExpectOutcome(Invoke("SWITCHMODE", "2," + std::to_string(first)), {0, -1, 0, double(first)});
  EXPECT_EQ(TheFum().hFile.currentEntry->openMode, 2);
  EXPECT_EQ(head()->GetFilePath(), path);  // still first
  EXPECT_EQ(Printed("LISTALL", "m").at(2).substr(8, 7), "both   ");
  EXPECT_EQ(Invoke("SWITCHMODE", "5").error, 3);
  EXPECT_FALSE(head()->IsOpen());  // closed, but still listed first
}

// Beyond the reference's examples: names not created or not reached, a file open here or removed behind our back.
TEST_F(FumTest, ExistsRemoveAndSize) {
  ExpectOutcome(Invoke("EXISTS", Path("nothing")), {0, -1, 0, 0});
  EXPECT_FALSE(std::filesystem::exists(Path("nothing")));
  EXPECT_EQ(Invoke("SIZE", "," + MakeFile("sized", "12345")).status, 1024);

  const std::string grow = Path("grow");
  OpenFile(grow, 1);
  TheFum().hFile.currentEntry->Write("abcdefg", 7);
  NewMode(true);
  ExpectOutcome(Invoke("REMOVE", grow), {24, CFileException::sharingViolation, 24});  // open here
  EXPECT_TRUE(std::filesystem::exists(grow));
  std::filesystem::remove(grow);  // the open file stays usable
  EXPECT_EQ(Invoke("SIZE", "").result, 7);
  EXPECT_EQ(Invoke("TOEND", "").result, 7);
  EXPECT_EQ(Invoke("EXISTS", grow).result, 0);
  EXPECT_EQ(Invoke("CLOSE", "").status, 0);
  EXPECT_FALSE(std::filesystem::exists(grow));  // closing brings nothing back
}

}  // namespace
}  // namespace kfio::testing
