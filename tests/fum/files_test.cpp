// Opening, closing, positioning and the file-system queries: what the
// methods do when they succeed, and what they leave behind.
#include <fstream>
#include <iterator>

#include "fum_fixture.h"

namespace kfio::testing {
namespace {

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST_F(FumTest, OpenUsesAndKeepsTheFileName) {
  MakeFile("a.dat", "aaa");
  host.SetString("FILENAME", Path("a.dat"));
  Outcome o = Invoke("OPEN", "");
  ASSERT_EQ(o.status, 0);
  EXPECT_GE(o.result, 0);
  EXPECT_LE(o.result, 99999);
  EXPECT_EQ(Number("HFILE"), o.result);
  EXPECT_EQ(TheFum().hFile.currentEntry->openMode, 0);

  o = Invoke("OPEN", Path("b.dat") + ",1");
  ASSERT_EQ(o.status, 0);
  std::string name;
  host.GetString("NAME", name);
  EXPECT_EQ(name, Path("b.dat"));
  EXPECT_EQ(Number("MODE"), 0);  // a mode argument leaves the property
  EXPECT_EQ(TheFum().hFile.currentEntry->openMode, 1);
  EXPECT_TRUE(std::filesystem::exists(Path("b.dat")));  // a missing file is created

  o = Invoke("OPEN", Path("c.dat") + ",257");
  EXPECT_EQ(TheFum().hFile.currentEntry->openMode, 1);  // the low byte counts
}

TEST_F(FumTest, OpenNeverTruncatesAndFailuresCreateNothing) {
  const std::string path = MakeFile("keep.bin", "0123456789");
  OpenFile(path, 1);
  double r = 0;
  host.Call("WRITE", "", r);  // no value: nothing is written
  host.Call("CLOSE", "", r);
  EXPECT_EQ(Contents(path), "0123456789");

  Invoke("OPEN", Path("never") + ",3");
  EXPECT_FALSE(std::filesystem::exists(Path("never")));
  const int before = OpenFile(path, 0);
  Invoke("OPEN", dir.string());  // a directory
  EXPECT_EQ(Number("HFILE"), -1);  // the failed open drops the current file
  EXPECT_NE(TheFum().files.FindByHandle(before), nullptr);  // the other file stays open
}

TEST_F(FumTest, CloseDropsTheCurrentFileByMode) {
  for (bool newMode : {false, true}) {
    NewMode(newMode);
    const int h1 = OpenFile(MakeFile("one", "1"), 0);
    const int h2 = OpenFile(MakeFile("two", "2"), 0);
    EXPECT_NE(h1, h2);
    Outcome o = Invoke("CLOSE", std::to_string(h1));
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(TheFum().hFile.currentEntry, nullptr);
    EXPECT_EQ(Number("HFILE"), newMode ? -1 : h1);
    EXPECT_NE(TheFum().files.FindByHandle(h2), nullptr);
    o = Invoke("GETPOS", "");
    EXPECT_EQ(o.error, newMode ? 13 : 1024);  // hFile -1, or h1's number that names no file now
    EXPECT_EQ(Invoke("CLOSEALL", "").result, 0);
    EXPECT_TRUE(TheFum().files.IsEmpty());
  }
}

TEST_F(FumTest, TwoOpensOfOneNameGiveTwoEntries) {
  const std::string path = MakeFile("twice", "x");
  const int a = OpenFile(path, 0);
  const int b = OpenFile(path, 0);
  EXPECT_NE(a, b);
  EXPECT_EQ(TheFum().files.GetCount(), 2);
}

TEST_F(FumTest, CloseAllStopsAtTheFirstFailureInTheNewMode) {
  const int h1 = OpenFile(MakeFile("f1", "1"), 0);
  const int h2 = OpenFile(MakeFile("f2", "2"), 0);
  const int h3 = OpenFile(MakeFile("f3", "3"), 0);
  NewMode(true);
  fault::Fail(fault::Call::close, EIO, 1);  // the second close fails
  const Outcome o = Invoke("CLOSEALL", "");
  EXPECT_EQ(o.status, 23);
  EXPECT_EQ(o.error, 23);
  EXPECT_EQ(o.sysErr, CFileException::hardIO);
  EXPECT_EQ(o.result, -1);
  EXPECT_EQ(TheFum().files.GetCount(), 2);  // f2 (closed by the failed attempt) and f3 stay
  EXPECT_EQ(TheFum().files.FindByHandle(h1), nullptr);
  EXPECT_NE(TheFum().files.FindByHandle(h3), nullptr);
  EXPECT_EQ(Number("HFILE"), h3);  // f3 was current and is still open
  (void)h2;

  NewMode(false);
  OpenFile(MakeFile("f4", "4"), 0);
  fault::Fail(fault::Call::close, EIO);
  EXPECT_EQ(Invoke("CLOSEALL", "").status, 0);  // the default mode goes on
  EXPECT_TRUE(TheFum().files.IsEmpty());
}

TEST_F(FumTest, PositioningOnATenByteFile) {
  OpenFile(MakeFile("ten", "0123456789"), 0);
  struct Step {
    const char* method;
    const char* args;
    double result;
  } steps[] = {{"TOEND", "", 10},   {"JUMP", "-3", 7},     {"GETPOS", "", 7},  {"REWIND", "", 0},
               {"GETPOS", "", 0},   {"JUMPCHUNK", "2,4", 8}, {"SETPOS", "1", 1}, {"SETPOS", "20", 20},
               {"TOBEGINNING", "", 0}, {"FASTFORWARD", "", 10}};
  for (const Step& s : steps) {
    const Outcome o = Invoke(s.method, s.args);
    EXPECT_EQ(o.status, 0) << s.method << "(" << s.args << ")";
    EXPECT_EQ(o.result, s.result) << s.method << "(" << s.args << ")";
  }
  host.SetNumber("NBYTES", 2);
  Invoke("REWIND", "");
  EXPECT_EQ(Invoke("JUMPCHUNK", "3").result, 6);
  const Outcome bad = Invoke("JUMPCHUNK", "1,5");
  EXPECT_EQ(bad.status, 258);
  EXPECT_EQ(Invoke("GETPOS", "").result, 6);  // a refused chunk does not move
}

TEST_F(FumTest, PositionBeyondTwoGigabytesIsNotAResult) {
  OpenFile(MakeFile("sparse", ""), 0);
  ASSERT_EQ(Invoke("SETPOS", "2147483647").status, 0);
  EXPECT_EQ(Invoke("JUMP", "10").result, -2147483639.0);  // the low 32 bits, signed
  Outcome o = Invoke("GETPOS", "");
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(o.error, 1156);
  EXPECT_EQ(o.result, kMissingValue);
  NewMode(true);
  o = Invoke("GETPOS", "");
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(o.error, 0);
}

TEST_F(FumTest, GivenHandleBecomesCurrent) {
  const int h1 = OpenFile(MakeFile("p1", "0123456789"), 0);
  OpenFile(MakeFile("p2", "0123456789"), 0);
  Invoke("SETPOS", "4," + std::to_string(h1));
  EXPECT_EQ(Number("HFILE"), h1);
  EXPECT_EQ(Invoke("GETPOS", "").result, 4);
}

TEST_F(FumTest, SwitchModeKeepsPositionAndPlace) {
  const std::string path = MakeFile("sw", "0123456789");
  const int first = OpenFile(path, 0);
  OpenFile(MakeFile("other", "x"), 0);
  Invoke("SETPOS", "6," + std::to_string(first));
  const Outcome o = Invoke("SWITCHMODE", "2");
  ASSERT_EQ(o.status, 0);
  EXPECT_EQ(o.result, TheFum().hFile.currentEntry->HandleNumber());
  EXPECT_EQ(TheFum().hFile.currentEntry->openMode, 2);
  EXPECT_EQ(static_cast<MyCFile*>(TheFum().files.GetAt(TheFum().files.GetHeadPosition()))->GetFilePath(), path);  // still first
  EXPECT_EQ(Invoke("GETPOS", "").result, 6);
  host.ClearOutput();
  Invoke("LISTALL", "m");
  ASSERT_GE(host.output.size(), 3u);
  EXPECT_EQ(host.output[2].substr(8, 7), "both   ");

  const Outcome bad = Invoke("SWITCHMODE", "5");
  EXPECT_EQ(bad.error, 3);
  EXPECT_EQ(TheFum().files.GetCount(), 2);  // closed, but still listed
  EXPECT_FALSE(static_cast<MyCFile*>(TheFum().files.GetAt(TheFum().files.GetHeadPosition()))->IsOpen());
}

TEST_F(FumTest, ExistsRemoveAndSize) {
  EXPECT_EQ(Invoke("EXISTS", Path("nothing")).result, 0);
  EXPECT_EQ(TheFum().error.Int(), 0);
  EXPECT_FALSE(std::filesystem::exists(Path("nothing")));  // never opened
  const std::string path = MakeFile("sized", "12345");
  EXPECT_EQ(Invoke("EXIST", path).result, 1);
  EXPECT_EQ(Invoke("SIZE", "," + path).status, 1024);  // with no current file the name is not reached

  const int h = OpenFile(Path("grow"), 1);
  TheFum().hFile.currentEntry->Write("abcdefg", 7);
  EXPECT_EQ(Invoke("SIZE", std::to_string(h)).result, 7);
  EXPECT_EQ(Invoke("SIZE", "").result, 7);
  EXPECT_EQ(Invoke("SIZE", "," + path).result, 5);

  EXPECT_EQ(Invoke("DELETE", path).result, 1);
  EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
}  // namespace kfio::testing

namespace kfio::testing {
namespace {

TEST_F(FumTest, FileDeletedWhileOpenStaysUsable) {
  const std::string path = MakeFile("gone", "12345");
  OpenFile(path, 0);
  std::filesystem::remove(path);
  EXPECT_EQ(Invoke("SIZE", "").result, 5);
  EXPECT_EQ(Invoke("TOEND", "").result, 5);
  EXPECT_EQ(Invoke("EXISTS", path).result, 0);
  EXPECT_EQ(Invoke("CLOSE", "").status, 0);
  EXPECT_FALSE(std::filesystem::exists(path));  // closing brings nothing back
}

TEST_F(FumTest, RemoveOfAFileOpenHereIsRefused) {
  const std::string path = MakeFile("busy", "x");
  OpenFile(path, 0);
  NewMode(true);
  const Outcome o = Invoke("REMOVE", path);
  EXPECT_EQ(o.status, 24);
  EXPECT_EQ(o.sysErr, CFileException::sharingViolation);
  EXPECT_TRUE(std::filesystem::exists(path));
}

}  // namespace
}  // namespace kfio::testing
