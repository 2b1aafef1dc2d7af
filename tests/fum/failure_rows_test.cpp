// Every failure row of the file-management methods in both error modes: Error, SysErr, status and result.
#include "fum_fixture.h"
#include "bridge/host_blocks.h"

namespace kfio::testing {
namespace {

class FailureRows;
using Setup = std::function<std::string(FailureRows&)>;  // returns the argument text

struct Row { const char* label; Setup setup; const char* method; Expect byDefault, byNew; };

constexpr double kMiss = kMissingValue;
using E = CFileException;
using C = fault::Call;

class FailureRows : public FumTest {
 public:
  std::string TenBytes() { return MakeFile("ten.bin", "0123456789"); }
  int OpenTen() { return OpenFile(TenBytes()); }
  void RunRows(const std::vector<Row>& rows) {
    for (const Row& row : rows)
      BothModes(row.label, row.method, [&] { return row.setup(*this); }, row.byDefault, row.byNew);
  }
};

Setup Args(const char* args) { return [args](FailureRows&) { return std::string(args); }; }
// The path of `name` in the scratch folder, then `more`.
Setup Named(const char* name, const char* more) { return [=](FailureRows& t) { return t.Path(name) + more; }; }
// Opens ten.bin, then fails the (skip+1)-th `call` with `code` (none when 0), and gives `args`.
Setup Opened(const char* args, fault::Call call = {}, int code = 0, int skip = 0) {
  return [=](FailureRows& t) {
    t.OpenTen();
    if (code != 0) fault::Fail(call, code, skip);
    return std::string(args);
  };
}

TEST_F(FailureRows, EveryRowInBothModes) {
  RunRows({
      {"no current file", Args(""), "GETPOS", {1024, 0, 1024, -99}, {13, 0, 13, -99}},
      {"unknown handle", Args("12345"), "GETPOS", {1156, 9, 2, -99}, {14, 0, 270, -99}},
      {"negative handle", Args("-1"), "GETPOS", {3, 0, 2, -99}, {13, 0, 269, -99}},
      {"huge handle", Args("100000"), "GETPOS", {3, 0, 2, -99}, {13, 0, 269, -99}},
      {"stale hFile", [](auto& t) { t.host.SetNumber("HFILE", 7); return ""; }, "CLOSE", {1024, 9, 1024, -99},
       {14, 0, 14, -99}},
      {"close twice", [](auto& t) { t.OpenTen(); t.Call("CLOSE"); return ""; }, "CLOSE", {1024, 9, 1024, -99},
       {14, 0, 14, -99}},
      // Every file method clears Error and SysErr first.
      {"success after a failure",
       [](auto& t) { t.OpenTen(); TheFum().error.Store(77); TheFum().sysErr.Store(77); return ""; }, "GETPOS",
       {0, 0, 0, 0}, {0, 0, 0, 0}},
      {"mode 3", Named("m3", ",3"), "OPEN", {3, 0, 2, -1}, {12, 0, 12, -1}},
      {"mode -1 (low byte 255)", Named("m3", ",-1"), "OPEN", {3, 0, 2, -1}, {12, 0, 12, -1}},
      {"no name", Args(""), "OPEN", {1153, 0, 2, -1}, {261, 0, 261, -1}},
      {"a directory", [](auto& t) { return t.dir.string(); }, "OPEN", {1153, 0, 2, -1}, {22, E::accessDenied, 22, -1}},
      {"cannot create", Named("no/such/dir/x", ""), "OPEN", {1153, 0, 2, -1}, {21, E::fileNotFound, 21, -1}},
      {"open fails", [](auto& t) { fault::Fail(C::open, EMFILE); return t.TenBytes(); },
       "OPEN", {1153, 0, 2, -1}, {22, E::tooManyOpenFiles, 22, -1}},
      {"position fails", Opened("", C::seek, EIO), "GETPOS", {1156, 5, 2, -1}, {26, E::hardIO, 26, -1}},
      {"seek fails", Opened("3", C::seek, EBADF), "SETPOS", {1156, 9, 2, -1}, {27, E::invalidFile, 27, -1}},
      {"seek before the start", Opened("-5"), "JUMP", {1156, 0, 2, -1}, {27, E::badSeek, 27, -1}},
      {"SetPos without pos", Opened(""), "SETPOS", {65, 0, 2, kMiss}, {10, 0, 10, kMiss}},
      {"Jump without offset", Opened(""), "JUMP", {10, 0, 10, kMiss}, {10, 0, 10, kMiss}},
      {"JumpChunk without offset", Opened(""), "JUMPCHUNK", {10, 0, 10, kMiss}, {10, 0, 10, kMiss}},
      {"JumpChunk width argument", Opened("1,5"), "JUMPCHUNK", {3, 0, 258, kMiss}, {12, 0, 268, kMiss}},
      {"JumpChunk width property", [](auto& t) { t.OpenTen(); t.host.SetNumber("NBYTES", 5); return "1"; },
       "JUMPCHUNK", {3, 0, 2, kMiss}, {12, 0, 12, kMiss}},
      {"SwitchMode without mode", Opened(""), "SWITCHMODE", {65, 0, 2, kMiss}, {10, 0, 10, kMiss}},
      {"SwitchMode close fails", Opened("1", C::close, ENOSPC), "SWITCHMODE", {1156, 28, 2, -1},
       {23, E::diskFull, 23, -1}},
      {"SwitchMode position fails", Opened("1", C::seek, EIO), "SWITCHMODE", {1156, 5, 2, -1},
       {26, E::hardIO, 26, -1}},
      {"SwitchMode seek after the reopen fails", Opened("1", C::seek, EIO, 1), "SWITCHMODE", {1156, 5, 2, -1},
       {27, E::hardIO, 27, -1}},
      {"SwitchMode bad mode", Opened("5"), "SWITCHMODE", {3, 0, 2, -1}, {12, 0, 12, -1}},
      {"SwitchMode reopen fails", Opened("2", C::open, EACCES), "SWITCHMODE", {1153, 0, 2, -1},
       {22, E::accessDenied, 22, -1}},
      {"Exists without name", Args(""), "EXISTS", {65, 0, 2, -99}, {5, 0, 5, -99}},
      {"Remove without name", Args(""), "REMOVE", {65, 0, 2, -99}, {5, 0, 5, -99}},
      {"Remove missing file", Named("missing", ""), "REMOVE", {1156, 2, 2, kMiss}, {15, 0, 15, kMiss}},
      {"Remove refused", [](auto& t) { fault::Fail(C::unlink, EBUSY); return t.MakeFile("busy", "x"); }, "REMOVE",
       {1156, 0, 2, kMiss}, {24, E::sharingViolation, 24, kMiss}},
      {"Size of a missing name", [](auto& t) { t.OpenTen(); return "," + t.Path("missing"); }, "SIZE",
       {1156, 2, 2, kMiss}, {15, 0, 15, -1}},
      {"Size with both", [](auto& t) { return std::to_string(t.OpenTen()) + "," + t.Path("ten.bin"); },
       "SIZE", {65, 0, 2, -99}, {9, 0, 9, -99}},
      {"Size length fails", Opened("", C::statFd, EIO), "SIZE", {1156, 5, 2, kMiss}, {25, E::hardIO, 25, -1}},
      {"Size with no current file", Args(""), "SIZE", {1024, 0, 1024, -99}, {13, 0, 13, -99}},
      {"Syntax of a property", Args("nBytes"), "SYNTAX", {0, 0, 0, 0}, {262, 0, 262, -1}},
      {"AltSpell of nothing known", Args("zzz"), "ALTSPELL", {0, 0, 0, 0}, {264, 0, 264, -1}},
      {"ListSep refused by the host", [](auto& t) { t.host.refuseText = ";"; return "\";\""; },
       "LISTSEP", {6, 0, 2, kMiss}, {20, 0, 20, kMiss}},
      {"ListSep above 127", Args("\xE9"), "LISTSEP", {0, 0, 0, kMiss}, {12, 0, 12, kMiss}},
  });
  host.refuseText.reset();
}

// A close that fails forgets the current file in the new mode only; its entry stays in the table either way.
TEST_F(FailureRows, AFailedCloseKeepsTheCurrentFileInTheDefaultModeOnly) {
  int h = 0;
  BothModes("close throws", "CLOSE", [&] { h = OpenTen(); fault::Fail(C::close, EIO); return ""; },
            {1156, 5, 2, -1}, {23, E::hardIO, 23, -1}, [&] {
              EXPECT_EQ(Number("HFILE"), Number("NEWACTIONS") ? -1 : h);
              EXPECT_EQ(Invoke("LISTALL", "").result, 1);
            });
}

// The default mode's SysErr for each platform cause, the new mode's the cause.
TEST_F(FailureRows, SysErrOfEveryCause) {
  const std::pair<int, int> table[] = {
      {E::genericException, 0}, {E::fileNotFound, 23},     {E::badPath, 0},          {E::tooManyOpenFiles, 24},
      {E::accessDenied, 13},    {E::invalidFile, 9},       {E::removeCurrentDir, 0}, {E::directoryFull, 0},
      {E::badSeek, 0},          {E::hardIO, 5},            {E::sharingViolation, 36}, {E::lockViolation, 0},
      {E::diskFull, 28},        {E::endOfFile, 0}};
  for (const auto& [cause, sysErr] : table) {
    BothModes("cause " + std::to_string(cause), "CLOSE", [&] {
      OpenTen();
      fault::Throw(C::close, cause);
      return std::string();
    }, {1156, sysErr, 2, -1}, {23, cause, 23, -1});
  }
}

}  // namespace
}  // namespace kfio::testing
