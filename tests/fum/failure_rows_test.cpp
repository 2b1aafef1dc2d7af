// Every failure row of the file-management methods, in both error modes:
// Error, SysErr, the method's status and its result.
#include <functional>

#include "fum_fixture.h"
#include "bridge/host_blocks.h"

namespace kfio::testing {
namespace {

struct Row {
  const char* label;
  std::function<std::string(FumTest&)> setup;  // returns the argument text
  const char* method;
  Expect byDefault;
  double defaultResult;
  Expect byNew;
  double newResult;
};

constexpr double kMiss = kMissingValue;

class FailureRows : public FumTest {
 public:
  std::string TenBytes() { return MakeFile("ten.bin", "0123456789"); }
  int OpenTen(int mode = 0) { return OpenFile(TenBytes(), mode); }
  void RunRows(const std::vector<Row>& rows) {
    for (bool newMode : {false, true}) {
      for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.label) + (newMode ? " (new mode)" : " (default mode)"));
        const Outcome o = FreshCall(newMode, [&] { return row.setup(*this); }, row.method);
        ExpectOutcome(o, newMode ? row.byNew : row.byDefault);
        const double expected = newMode ? row.newResult : row.defaultResult;
        if (expected == -99.0)
          EXPECT_EQ(o.result, -99.0);  // never ran
        else
          EXPECT_EQ(o.result, expected);
      }
    }
  }
};

TEST_F(FailureRows, HandlesAndTheCurrentFile) {
  RunRows({
      {"no current file", [](FumTest&) { return ""; }, "GETPOS", {1024, 0, 1024}, -99, {13, 0, 13}, -99},
      {"unknown handle", [](FumTest&) { return "12345"; }, "GETPOS", {1156, 9, 2}, -99, {14, 0, 270}, -99},
      {"negative handle", [](FumTest&) { return "-1"; }, "GETPOS", {3, 0, 2}, -99, {13, 0, 269}, -99},
      {"huge handle", [](FumTest&) { return "100000"; }, "GETPOS", {3, 0, 2}, -99, {13, 0, 269}, -99},
      {"stale hFile", [](FumTest& t) { t.host.SetNumber("HFILE", 7); return ""; }, "CLOSE",
       {1024, 9, 1024}, -99, {14, 0, 14}, -99},
  });
}

TEST_F(FailureRows, OpenRows) {
  RunRows({
      {"mode 3", [](FumTest& t) { return t.Path("m3") + ",3"; }, "OPEN", {3, 0, 2}, -1, {12, 0, 12}, -1},
      {"mode -1 (low byte 255)", [](FumTest& t) { return t.Path("m3") + ",-1"; }, "OPEN", {3, 0, 2}, -1,
       {12, 0, 12}, -1},
      {"no name", [](FumTest&) { return ""; }, "OPEN", {1153, 0, 2}, -1, {261, 0, 261}, -1},
      {"a directory", [](FumTest& t) { return t.dir.string(); }, "OPEN", {1153, 0, 2}, -1,
       {22, CFileException::accessDenied, 22}, -1},
      {"cannot create", [](FumTest& t) { return t.Path("no/such/dir/x"); }, "OPEN", {1153, 0, 2}, -1,
       {21, CFileException::fileNotFound, 21}, -1},
      {"open fails", [](FumTest& t) { fault::Fail(fault::Call::open, EMFILE);
         return static_cast<FailureRows&>(t).TenBytes(); }, "OPEN", {1153, 0, 2}, -1,
       {22, CFileException::tooManyOpenFiles, 22}, -1},
  });
}

TEST_F(FailureRows, CloseRows) {
  RunRows({
      {"close throws", [](FumTest& t) { static_cast<FailureRows&>(t).OpenTen();
         fault::Fail(fault::Call::close, EIO); return ""; },
       "CLOSE", {1156, 5, 2}, -1, {23, CFileException::hardIO, 23}, -1},
      {"close twice", [](FumTest& t) { static_cast<FailureRows&>(t).OpenTen(); double r;
         t.host.Call("CLOSE", "", r); return ""; }, "CLOSE", {1024, 9, 1024}, -99, {14, 0, 14}, -99},
  });
}

TEST_F(FailureRows, PositioningRows) {
  auto open = [](FumTest& t) { static_cast<FailureRows&>(t).OpenTen(); return std::string(); };
  auto openWith = [](const char* args, std::function<void()> then = nullptr) {
    return [args, then](FumTest& t) {
      static_cast<FailureRows&>(t).OpenTen();
      if (then) then();
      return std::string(args);
    };
  };
  RunRows({
      {"position fails", openWith("", [] { fault::Fail(fault::Call::seek, EIO); }),
       "GETPOS", {1156, 5, 2}, -1, {26, CFileException::hardIO, 26}, -1},
      {"seek fails", openWith("3", [] { fault::Fail(fault::Call::seek, EBADF); }),
       "SETPOS", {1156, 9, 2}, -1, {27, CFileException::invalidFile, 27}, -1},
      {"seek before the start", openWith("-5"), "JUMP", {1156, 0, 2}, -1,
       {27, CFileException::badSeek, 27}, -1},
      {"SetPos without pos", open, "SETPOS", {65, 0, 2}, kMiss, {10, 0, 10}, kMiss},
      {"Jump without offset", open, "JUMP", {10, 0, 10}, kMiss, {10, 0, 10}, kMiss},
      {"JumpChunk without offset", open, "JUMPCHUNK", {10, 0, 10}, kMiss, {10, 0, 10}, kMiss},
      {"JumpChunk width argument", openWith("1,5"), "JUMPCHUNK", {3, 0, 258}, kMiss, {12, 0, 268}, kMiss},
      {"JumpChunk width property", [](FumTest& t) { static_cast<FailureRows&>(t).OpenTen();
         t.host.SetNumber("NBYTES", 5); return std::string("1"); },
       "JUMPCHUNK", {3, 0, 2}, kMiss, {12, 0, 12}, kMiss},
      {"SwitchMode without mode", open, "SWITCHMODE", {65, 0, 2}, kMiss, {10, 0, 10}, kMiss},
      {"SwitchMode close fails", openWith("1", [] { fault::Fail(fault::Call::close, ENOSPC); }),
       "SWITCHMODE", {1156, 28, 2}, -1, {23, CFileException::diskFull, 23}, -1},
      {"SwitchMode bad mode", openWith("5"), "SWITCHMODE", {3, 0, 2}, -1, {12, 0, 12}, -1},
      {"SwitchMode reopen fails", openWith("2", [] { fault::Fail(fault::Call::open, EACCES); }),
       "SWITCHMODE", {1153, 0, 2}, -1, {22, CFileException::accessDenied, 22}, -1},
  });
}

TEST_F(FailureRows, QueryRows) {
  auto name = [](const char* n) {
    return [n](FumTest& t) { return t.Path(n); };
  };
  RunRows({
      {"Exists without name", [](FumTest&) { return ""; }, "EXISTS", {65, 0, 2}, -99, {5, 0, 5}, -99},
      {"Remove without name", [](FumTest&) { return ""; }, "REMOVE", {65, 0, 2}, -99, {5, 0, 5}, -99},
      {"Remove missing file", name("missing"), "REMOVE", {1156, 2, 2}, kMiss, {15, 0, 15}, kMiss},
      {"Remove refused", [](FumTest& t) { fault::Fail(fault::Call::unlink, EBUSY);
         return t.MakeFile("busy", "x"); }, "REMOVE", {1156, 0, 2}, kMiss,
       {24, CFileException::sharingViolation, 24}, kMiss},
      {"Size of a missing name", [](FumTest& t) { static_cast<FailureRows&>(t).OpenTen();
         return "," + t.Path("missing"); }, "SIZE", {1156, 2, 2}, kMiss, {15, 0, 15}, -1},
      {"Size with both", [](FumTest& t) { const int h = static_cast<FailureRows&>(t).OpenTen();
         return std::to_string(h) + "," + t.Path("ten.bin"); }, "SIZE", {65, 0, 2}, -99, {9, 0, 9}, -99},
      {"Size length fails", [](FumTest& t) { static_cast<FailureRows&>(t).OpenTen();
         fault::Fail(fault::Call::statFd, EIO); return std::string(); },
       "SIZE", {1156, 5, 2}, kMiss, {25, CFileException::hardIO, 25}, -1},
      {"Size with no current file", [](FumTest&) { return ""; }, "SIZE", {1024, 0, 1024}, -99, {13, 0, 13}, -99},
  });
}

TEST_F(FailureRows, HelpRows) {
  RunRows({
      {"Syntax of a property", [](FumTest&) { return "nBytes"; }, "SYNTAX", {0, 0, 0}, 0, {262, 0, 262}, -1},
      {"AltSpell of nothing known", [](FumTest&) { return "zzz"; }, "ALTSPELL", {0, 0, 0}, 0, {264, 0, 264}, -1},
      {"ListSep refused by the host", [](FumTest& t) { t.host.refuseText = ";"; return "\";\""; },
       "LISTSEP", {6, 0, 2}, kMiss, {20, 0, 20}, kMiss},
      {"ListSep above 127", [](FumTest&) { return "\xE9"; }, "LISTSEP", {0, 0, 0}, kMiss, {12, 0, 12}, kMiss},
  });
  host.refuseText.reset();
}

// The default mode's SysErr for each platform cause, the new mode's the cause.
TEST_F(FailureRows, SysErrOfEveryCause) {
  const std::pair<int, int> table[] = {
      {CFileException::genericException, 0}, {CFileException::fileNotFound, 23},
      {CFileException::badPath, 0},          {CFileException::tooManyOpenFiles, 24},
      {CFileException::accessDenied, 13},    {CFileException::invalidFile, 9},
      {CFileException::removeCurrentDir, 0}, {CFileException::directoryFull, 0},
      {CFileException::badSeek, 0},          {CFileException::hardIO, 5},
      {CFileException::sharingViolation, 36}, {CFileException::lockViolation, 0},
      {CFileException::diskFull, 28},        {CFileException::endOfFile, 0},
  };
  std::vector<Row> rows;
  for (const auto& [cause, sysErr] : table) {
    rows.push_back({"cause", [cause = cause](FumTest& t) {
                      static_cast<FailureRows&>(t).OpenTen();
                      fault::Throw(fault::Call::close, cause);
                      return std::string();
                    },
                    "CLOSE", {1156, sysErr, 2}, -1, {23, cause, 23}, -1});
  }
  RunRows(rows);
}

TEST_F(FailureRows, EveryFileMethodClearsError) {
  OpenFile(MakeFile("a", "abc"), 0);
  for (bool newMode : {false, true}) {
    NewMode(newMode);
    TheFum().error.Store(77);
    TheFum().sysErr.Store(77);
    const Outcome o = Invoke("GETPOS", "");
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.error, 0);
    EXPECT_EQ(o.sysErr, 0);
  }
}

TEST_F(FailureRows, FailedMethodAnswersTwoThroughTheEntry) {
  double r = 5;
  EXPECT_EQ(host.Call("GETPOS", "12345", r), 2u);
  EXPECT_EQ(r, 5.0);  // the parse failed, so the result was not touched
  EXPECT_EQ(host.Call("OPEN", Path("x") + ",3", r), 2u);
  EXPECT_EQ(r, -1.0);
}

}  // namespace
}  // namespace kfio::testing
