// Opening, closing, positioning and the file-system queries: what they do and what they leave behind.
#include <tuple>

#include "fum_fixture.h"

namespace kfio::testing {
namespace {

TEST_F(FumTest, OpenUsesTheFileNameNeverTruncatesAndCreatesNothingOnFailure) {
  host.SetString("FILENAME", MakeFile("a.dat", "aaa"));
  const Outcome o = Invoke("OPEN", "");
  ASSERT_EQ(o.status, 0);
  EXPECT_GE(o.result, 0);
  EXPECT_LE(o.result, 99999);
  EXPECT_EQ(Number("HFILE"), o.result);
  EXPECT_EQ(TheFum().hFile.currentEntry->openMode, 0);

  OpenFile(Path("c.dat"), 257);  // a missing file is created; the low byte of the mode counts
  EXPECT_EQ(TheFum().hFile.currentEntry->openMode, 1);
  EXPECT_EQ(Number("MODE"), 0);  // a mode argument leaves the property

  // Open never truncates, and a failed open creates nothing.
  const std::string path = MakeFile("keep.bin", "0123456789");
  OpenFile(path, 1);
  Call("WRITE");  // no value: nothing is written
  Call("CLOSE");
  EXPECT_EQ(Contents("keep.bin"), "0123456789");

  Invoke("OPEN", Path("never") + ",3");
  EXPECT_FALSE(std::filesystem::exists(Path("never")));
  const int before = OpenFile(path);
  Invoke("OPEN", dir.string());  // a directory
  EXPECT_EQ(Number("HFILE"), -1);  // the failed open drops the current file
  EXPECT_NE(TheFum().files.FindByHandle(before), nullptr);  // the other file stays open
}

TEST_F(FumTest, CloseDropsTheCurrentFileByMode) {
  for (bool newMode : {false, true}) {
    NewMode(newMode);
    const int h1 = OpenFile(MakeFile("one", "1"));
    const int h2 = OpenFile(MakeFile("two", "2"));
    ExpectOutcome(Invoke("CLOSE", std::to_string(h1)), {0, -1, 0, 0});
    EXPECT_EQ(TheFum().hFile.currentEntry, nullptr);
    EXPECT_EQ(Number("HFILE"), newMode ? -1 : h1);
    EXPECT_NE(TheFum().files.FindByHandle(h2), nullptr);
    // hFile -1, or h1's number that names no file now
    EXPECT_EQ(Invoke("GETPOS", "").error, newMode ? 13 : 1024);
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

TEST_F(FumTest, PositioningOnATenByteFile) {
  OpenFile(MakeFile("ten", "0123456789"));
  host.SetNumber("NBYTES", 2);
  const std::tuple<const char*, const char*, double, int> steps[] = {
      {"TOEND", "", 10, 0},      {"JUMP", "-3", 7, 0},        {"GETPOS", "", 7, 0},    {"REWIND", "", 0, 0},
      {"GETPOS", "", 0, 0},      {"JUMPCHUNK", "2,4", 8, 0},  {"SETPOS", "1", 1, 0},   {"SETPOS", "20", 20, 0},
      {"TOBEGINNING", "", 0, 0}, {"FASTFORWARD", "", 10, 0},  {"REWIND", "", 0, 0},    {"JUMPCHUNK", "3", 6, 0},
      {"JUMPCHUNK", "1,5", kMissingValue, 258}, {"GETPOS", "", 6, 0}};  // a refused chunk does not move
  for (const auto& [method, args, result, status] : steps) {
    SCOPED_TRACE(std::string(method) + "(" + args + ")");
    const Outcome o = Invoke(method, args);
    EXPECT_EQ(o.status, status);
    EXPECT_EQ(o.result, result);
  }
}

TEST_F(FumTest, PositionBeyondTwoGigabytesIsNotAResult) {
  OpenFile(MakeFile("sparse", ""));
  ASSERT_EQ(Invoke("SETPOS", "2147483647").status, 0);
  EXPECT_EQ(Invoke("JUMP", "10").result, -2147483639.0);  // the low 32 bits, signed
  ExpectOutcome(Invoke("GETPOS", ""), {1156, -1, 2, kMissingValue});
  NewMode(true);
  ExpectOutcome(Invoke("GETPOS", ""), {0, -1, 2});
}

TEST_F(FumTest, TwoOpensOfOneNameGiveTwoEntriesAndAGivenHandleBecomesCurrent) {
  const int h1 = OpenFile(MakeFile("p", "0123456789"));
  EXPECT_NE(OpenFile(Path("p")), h1);
  EXPECT_EQ(TheFum().files.GetCount(), 2);
  Invoke("SETPOS", "4," + std::to_string(h1));
  EXPECT_EQ(Number("HFILE"), h1);
  EXPECT_EQ(Invoke("GETPOS", "").result, 4);
  Invoke("GETPOS", "12345");
  EXPECT_EQ(Number("HFILE"), h1);  // a handle that names no file is not kept
}

TEST_F(FumTest, SwitchModeKeepsPositionAndPlace) {
  const std::string path = MakeFile("sw", "0123456789");
  const int first = OpenFile(path);
  OpenFile(MakeFile("other", "x"));
  auto head = [] { return static_cast<MyCFile*>(TheFum().files.GetAt(TheFum().files.GetHeadPosition())); };
  Invoke("SETPOS", "6," + std::to_string(first));
  const Outcome o = Invoke("SWITCHMODE", "2");
  ASSERT_EQ(o.status, 0);
  EXPECT_EQ(o.result, first);
  EXPECT_EQ(TheFum().hFile.currentEntry->openMode, 2);
  EXPECT_EQ(head()->GetFilePath(), path);  // still first
  EXPECT_EQ(Invoke("GETPOS", "").result, 6);
  EXPECT_EQ(Printed("LISTALL", "m").at(2).substr(8, 7), "both   ");

  EXPECT_EQ(Invoke("SWITCHMODE", "5").error, 3);
  EXPECT_EQ(TheFum().files.GetCount(), 2);  // closed, but still listed
  EXPECT_FALSE(head()->IsOpen());
}

TEST_F(FumTest, ExistsRemoveAndSize) {
  EXPECT_EQ(Invoke("EXISTS", Path("nothing")).result, 0);
  EXPECT_EQ(TheFum().error.Int(), 0);
  EXPECT_FALSE(std::filesystem::exists(Path("nothing")));  // never opened
  const std::string path = MakeFile("sized", "12345");
  EXPECT_EQ(Invoke("EXIST", path).result, 1);
  EXPECT_EQ(Invoke("SIZE", "," + path).status, 1024);  // with no current file the name is not reached

  const std::string grow = Path("grow");
  const int h = OpenFile(grow, 1);
  TheFum().hFile.currentEntry->Write("abcdefg", 7);
  EXPECT_EQ(Invoke("SIZE", std::to_string(h)).result, 7);
  EXPECT_EQ(Invoke("SIZE", "").result, 7);
  EXPECT_EQ(Invoke("SIZE", "," + path).result, 5);

  NewMode(true);
  ExpectOutcome(Invoke("REMOVE", grow), {24, CFileException::sharingViolation, 24});  // open here
  EXPECT_TRUE(std::filesystem::exists(grow));
  std::filesystem::remove(grow);  // behind the module's back: the open file stays usable
  EXPECT_EQ(Invoke("SIZE", "").result, 7);
  EXPECT_EQ(Invoke("TOEND", "").result, 7);
  EXPECT_EQ(Invoke("EXISTS", grow).result, 0);
  EXPECT_EQ(Invoke("CLOSE", "").status, 0);
  EXPECT_FALSE(std::filesystem::exists(grow));  // closing brings nothing back

  EXPECT_EQ(Invoke("DELETE", path).result, 1);
  EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
}  // namespace kfio::testing
