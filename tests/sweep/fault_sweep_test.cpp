// The fault sweep: each scenario script run once for every system call it makes and every cause, with that call failing; every call answers success or a documented (Error, SysErr) pair, nothing throws or stays open, and the module runs the script cleanly afterwards.
#include <algorithm>
#include <cerrno>
#include <set>
#include <tuple>

#include "fum/error_codes.h"
#include "fum/errors.h"
#include "sweep/scripts.h"

namespace kfio::testing::sweep {
namespace {

// One cause of the OS-error map, by one OS error, and the SysErr each mode stores for it. An OS error of 0 throws
// the cause itself: the causes no OS error maps to.
struct Cause { const char* name; int osError, cause, sysErrByDefault; };
const Cause kCauses[] = {{"EEXIST", EEXIST, 1, 0},  {"ENOENT", ENOENT, 2, 23}, {"ENOTDIR", ENOTDIR, 3, 0},
                         {"EMFILE", EMFILE, 4, 24}, {"EACCES", EACCES, 5, 13}, {"EBADF", EBADF, 6, 9},
                         {"EMLINK", EMLINK, 8, 0},  {"EINVAL", EINVAL, 9, 0},  {"EIO", EIO, 10, 5},
                         {"EBUSY", EBUSY, 11, 36},  {"ENOLCK", ENOLCK, 12, 0}, {"ENOSPC", ENOSPC, 13, 28},
                         {"thrown 7", 0, 7, 0},     {"thrown 14", 0, 14, 0}};

// The codes a method may store when a system call under it fails, by the error table's "given by" column; the
// hFile check's codes are allowed everywhere (an earlier failure may have closed the file or never opened it).
using Codes = std::vector<ErrorPair>;
constexpr ErrorPair Both(int code) { return {code, code}; }
const Codes kPosition = {err::kPositionFailed, err::kSeekFailed};
const Codes kValueRead = {{err::kValueReadFailed, err::kReadFailed}, {err::kIntegerShortRead, err::kEndOfFile},
                          {err::kValueShortRead, err::kEndOfFile}, Both(err::kReadFailed), Both(err::kEndOfFile)};
const Codes kValueWrite = {err::kValueWriteFailed};
const Codes kBulk = {err::kChunkReadFailed, err::kChunkReadAtEnd, err::kChunkWriteFailed, Both(err::kEndOfFile)};
const Codes kText = {Both(err::kReadFailed), err::kTextLengthFailed, Both(err::kEndOfFile)};

const std::map<std::string, Codes> kMayStore = {
    {"OPEN", {err::kCannotOpen, err::kCannotCreate}}, {"CLOSE", {err::kCloseFailed}},
    {"CLOSEALL", {{0, err::kCloseAllFailed}}}, {"EXISTS", {}}, {"REMOVE", {err::kNoSuchFile, err::kRemoveFailed}},
    {"SIZE", {err::kSizeFailed, err::kNoSuchFile}},
    {"GETPOS", kPosition}, {"SETPOS", kPosition}, {"REWIND", kPosition}, {"TOEND", kPosition}, {"JUMP", kPosition},
    {"JUMPCHUNK", kPosition},
    {"SWITCHMODE", {err::kPositionFailed, err::kSeekFailed, err::kCloseFailed, err::kCannotOpen}},
    {"READ", kValueRead}, {"FREAD", kValueRead}, {"DREAD", kValueRead}, {"LDREAD", kValueRead},
    {"WRITE", kValueWrite}, {"FWRITE", kValueWrite}, {"DWRITE", kValueWrite}, {"LDWRITE", kValueWrite},
    {"AREAD", kBulk}, {"AWRITE", kBulk}, {"READROWBIN", kBulk}, {"READRECORD", kBulk}, {"WRITERECORD", kBulk},
    {"CREAD", kBulk}, {"TWRITE", kBulk}, {"LWRITE", kBulk},
    {"TREAD", kText}, {"LREAD", kText}, {"READTOKEN", kText}, {"READROW", kText}, {"LINEROW", kText},
    {"READARRAY", kText}, {"ASCII", kText},
    {"SIGMADOS", {{err::kNestedCallFailed, 0}, Both(err::kImportRefused)}},
    {"SIGMAWIN", {{err::kNestedCallFailed, 0}, Both(err::kImportRefused), Both(err::kEndOfFile)}},
    // A list that ends with the file keeps the nested Read's end-of-file code.
    {"MATHEMATICA", {{err::kNestedCallFailed, 0}, Both(err::kNotThisFormat), err::kChunkReadFailed,
                     {err::kIntegerShortRead, err::kEndOfFile}}},
    // The samples come by ARead, whose failure part way the import answers as a success, as ARead does.
    {"WAV", {{err::kNestedCallFailed, 0}, Both(err::kNotThisFormat), err::kChunkReadFailed, err::kChunkReadAtEnd}},
    {"WKSBLOCK", {{err::kNestedCallFailed, 0}, err::kChunkReadFailed, Both(err::kBlockFileNotOpened),
                  err::kBlockEndOfFile, Both(err::kBlockStopped)}}};

// Every code a nested call of a high-level method may leave.
std::set<int> NestedCodes(bool newMode) {
  std::set<int> codes;
  for (const auto& [method, pairs] : kMayStore)
    for (const ErrorPair& p : pairs) codes.insert(newMode ? p.byNew : p.byDefault);
  return codes;
}

bool HighLevel(const std::string& method) {
  return method == "MATHEMATICA" || method == "WAV" || method == "WKSBLOCK" || method.starts_with("SIGMA");
}

// Why the outcome is no documented answer of a call of `method` to a failure of `cause` in that mode; empty when
// it is one.
std::string Unexplained(const std::string& method, const Outcome& o, bool newMode, const Cause& cause) {
  std::set<int> codes = {newMode ? err::kHandleOutOfRange.byNew : err::kHandleOutOfRange.byDefault,
                         newMode ? err::kNoSuchHandle.byNew : err::kNoSuchHandle.byDefault};
  if (!newMode) codes.insert(err::kNoCurrentFile);
  for (const ErrorPair& p : kMayStore.at(method)) codes.insert(newMode ? p.byNew : p.byDefault);
  // Some nested failures come back as they are (SigmaDos's marker scan, SigmaWin's cell loop).
  if (HighLevel(method)) codes.merge(NestedCodes(newMode));
  codes.erase(0);
  if (!codes.count(o.error)) return "Error " + std::to_string(o.error) + " is not one the call may store";

  std::set<int> statuses = {0};
  if (newMode)
    statuses.insert({o.error, FromArgument(o.error), NestedFailure(o.status & 511)});
  else
    statuses.insert({2, o.error});  // a code both modes share is its own status
  if (!statuses.count(o.status)) return "status " + std::to_string(o.status) + " does not go with Error";

  std::set<int> sysErrs = {0, newMode ? cause.cause : cause.sysErrByDefault};
  // The default mode's fixed values: no such handle (9), no such file (2).
  if (!newMode && (o.error == err::kNoSuchHandle.byDefault || o.error == err::kNoCurrentFile)) sysErrs.insert({9, 2});
  if (!sysErrs.count(o.sysErr)) return "SysErr " + std::to_string(o.sysErr) + " is not the cause's";
  return "";
}

// As Unexplained for one call of a run; `clean` is what the call answered in the run without a failure, and
// answering it again is no fault.
std::string Undocumented(const Called& c, const Outcome& clean, bool newMode, const Cause& cause) {
  const Outcome& o = c.outcome;
  if (o.status == -2) return "threw";
  if (c.step.method[0] == '=' || (o.status == 0 && o.error == 0)) return "";
  if (std::tie(o.status, o.error, o.sysErr) == std::tie(clean.status, clean.error, clean.sysErr)) return "";
  const std::string why = Unexplained(c.step.method, o, newMode, cause);
  // SigmaWin runs its nested calls in the new mode whatever the script's mode.
  if (!why.empty() && c.step.method == "SIGMAWIN" && Unexplained(c.step.method, o, true, cause).empty()) return "";
  return why;
}

class FaultSweep : public ScriptTest, public ::testing::WithParamInterface<Script> {};
int FailureCount() { return ::testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count(); }

// The system calls a thrown cause may stand in for: those whose callers throw anyway.
bool MayThrow(fault::Call c) { return c == fault::Call::readAt || c == fault::Call::writeAt || c == fault::Call::seek; }

TEST_P(FaultSweep, EveryCallFailsWithEveryCause) {
  const Script& script = GetParam();
  int runs = 0, failedRuns = 0;
  for (bool newMode : {false, true}) {
    const Run base = RunScript(script, ScriptFiles(), newMode);
    ASSERT_FALSE(base.log.empty());
    for (std::size_t k = 0; k < base.log.size(); ++k) {
      const fault::Call kind = base.log[k];
      const int sameKindBefore = static_cast<int>(std::count(base.log.begin(), base.log.begin() + k, kind));
      for (const Cause& cause : kCauses) {
        if (cause.osError == 0 && !MayThrow(kind)) continue;
        const int failuresBefore = FailureCount();
        const Run run = RunScript(script, ScriptFiles(), newMode, [&] {
          if (cause.osError != 0)
            fault::Fail(fault::Call::any, cause.osError, static_cast<int>(k));
          else
            fault::Throw(kind, cause.cause, sameKindBefore);
        });
        ++runs;
        const std::string where = std::string(newMode ? "new mode" : "default mode") + ", system call " +
                                  std::to_string(k) + " fails with " + cause.name + ":\n" + Transcript(run);
        ASSERT_GT(run.log.size(), k) << where;  // the failure happened
        for (std::size_t i = 0; i < run.calls.size(); ++i)
          EXPECT_EQ(Undocumented(run.calls[i], base.calls[i].outcome, newMode, cause), "")
              << run.calls[i].step.method << "(" << run.calls[i].step.args << ") in " << where;
        EXPECT_EQ(run.descriptorsLeft, 0) << where;
        // A failure that no call reported must have changed nothing; but a thrown end of file says the file
        // ends where it does not, and a reader may take it at its word.
        if (Transcript(run) == Transcript(base) && cause.cause != CFileException::endOfFile) {
          EXPECT_EQ(Digest(run.files), Digest(base.files)) << where;
          EXPECT_EQ(run.host, base.host) << where;
        }
        const Run clean = RunScript(script, ScriptFiles(), newMode);
        EXPECT_EQ(Transcript(clean), Transcript(base)) << where;
        EXPECT_EQ(Digest(clean.files), Digest(base.files)) << where;
        EXPECT_EQ(clean.host, base.host) << where;
        // Enough failing runs to see a pattern, not thousands.
        if (FailureCount() > failuresBefore && ++failedRuns == 8) return;
      }
    }
  }
  RecordProperty("runs", runs);
}

INSTANTIATE_TEST_SUITE_P(Scripts, FaultSweep, ::testing::ValuesIn(kScripts),
                         [](const ::testing::TestParamInfo<Script>& info) { return info.param.name; });

}  // namespace
}  // namespace kfio::testing::sweep
