// The errno-to-cause map, and every system call of every file operation failed in turn through the call table.
#include "tests/platform/fault_injection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <sstream>
#include <tuple>

#include "platform/cfile.h"
#include "tests/platform/temp_files.h"

namespace kfio {
namespace {

using fault::Call;
using test::Caught;

const char* const kNames[] = {"open", "setBlocking", "close",  "readAt",   "writeAt",  "truncate",
                              "seek", "statFd",      "statPath", "unlink", "fullPath", "any"};

std::string Names(const std::vector<Call>& calls) {
  std::string s;
  for (Call c : calls) s += std::string(s.empty() ? "" : " ") + kNames[static_cast<int>(c)];
  return s;
}

TEST(OsErrorToCause, MapsEveryKnownErrno) {
  using E = CFileException;
  const std::pair<int, int> cases[] = {
      {0, E::none},                   {ENOENT, E::fileNotFound},        {ENOTDIR, E::badPath},
      {ENAMETOOLONG, E::badPath},     {ELOOP, E::badPath},              {EMFILE, E::tooManyOpenFiles},
      {ENFILE, E::tooManyOpenFiles},  {EACCES, E::accessDenied},        {EPERM, E::accessDenied},
      {EROFS, E::accessDenied},       {EISDIR, E::accessDenied},        {EBADF, E::invalidFile},
      {EMLINK, E::directoryFull},     {EINVAL, E::badSeek},             {ESPIPE, E::badSeek},
      {EOVERFLOW, E::badSeek},        {EIO, E::hardIO},                 {ENXIO, E::accessDenied},
      {EBUSY, E::sharingViolation},   {ETXTBSY, E::sharingViolation},   {ENOLCK, E::lockViolation},
      {EDEADLK, E::lockViolation},    {ENOSPC, E::diskFull},            {EDQUOT, E::diskFull},
      {EFBIG, E::diskFull},           {EEXIST, E::genericException},    {ENOMEM, E::genericException},
      {99999, E::genericException}};
  for (const auto& [osError, cause] : cases) EXPECT_EQ(E::OsErrorToCause(osError), cause) << osError;
  // Error 0 is not met through CFile, and must still throw something a caller can act on.
  const CFileException e = Caught([] { CFileException::ThrowOsError(0, "x"); });
  EXPECT_EQ(std::make_tuple(e.m_cause, e.m_lOsError, e.m_strFileName, std::string(e.ClassName())),
            std::make_tuple(int{E::genericException}, 0, std::string("x"), std::string("CFileException")));
}

TEST(FaultTest, EverySystemCallOfEachOperationFailsInTurn) {
  const std::string path = test::TempPath(), gone = path + ".gone", kContent = "0123456789";
  // openFirst: f open for reading and writing before `before`; calls: the calls in order, a '?' marking one whose
  // failure the operation gets over without failing.
  struct Row { const char* name; bool openFirst; std::function<void(CFile&)> before, op; const char* calls; };
  auto open = [&](unsigned flags) {
    return [&, flags](CFile& f) {
      CFileException e;
      if (!f.Open(path.c_str(), flags, &e)) throw e;
    };
  };
  char buf[70000];
  const Row rows[] = {
      {"open", false, nullptr, open(CFile::modeRead | CFile::shareDenyNone), "open statFd setBlocking"},
      {"open, create, read only", false, nullptr, open(CFile::modeRead | CFile::modeCreate),
       "open statFd setBlocking open close?"},
      {"open, create", false, nullptr, open(CFile::modeReadWrite | CFile::modeCreate),
       "open statFd setBlocking truncate"},
      {"close", true, nullptr, [](CFile& f) { f.Close(); }, "close"},
      {"read", true, nullptr, [&](CFile& f) { f.Read(buf, 1); }, "statFd readAt"},
      {"read past the buffer", true, [&](CFile& f) { f.Read(buf, 1); },
       [&](CFile& f) { f.Read(buf, sizeof buf); }, "readAt"},
      {"bytes from the buffer", true, [&](CFile& f) { f.Read(buf, 1); },
       [](CFile& f) { for (int i = 0; i < 8; ++i) f.GetByte(); }, ""},
      {"read in a new host call", true, [&](CFile& f) { f.Read(buf, 1); CFile::NewHostCall(); },
       [&](CFile& f) { f.Read(buf, 2); }, "statFd?"},
      // The length query's look at the file serves the buffer's check too.
      {"length, then a read in a new host call", true, [&](CFile& f) { f.Read(buf, 1); CFile::NewHostCall(); },
       [&](CFile& f) { f.GetLength(); f.Read(buf, 2); }, "statFd"},
      {"write", true, nullptr, [](CFile& f) { f.Write("ab", 2); }, "writeAt"},
      {"seek", true, nullptr, [](CFile& f) { f.Seek(3, CFile::begin); }, "seek"},
      {"seek from the end", true, nullptr, [](CFile& f) { f.Seek(-1, CFile::end); }, "statFd seek"},
      {"position", true, nullptr, [](CFile& f) { f.GetPosition(); }, "seek"},
      {"length", true, nullptr, [](CFile& f) { f.GetLength(); }, "statFd"},
      {"remove", false, [&](CFile&) { test::WriteFile(gone, ""); },
       [&](CFile&) { CFile::Remove(gone.c_str()); }, "statPath? unlink"},
      // A false answer from GetStatus, shown as the failure it stands for.
      {"status", false, nullptr, [&](CFile&) {  // a false answer, shown as the failure it stands for
         CFileStatus st;
         if (!CFile::GetStatus(path.c_str(), st)) throw CFileException(CFileException::hardIO, EIO, path);
       }, "statPath fullPath?"},
  };
  for (const Row& row : rows) {
    std::string expected = row.calls;
    expected.erase(std::remove(expected.begin(), expected.end(), '?'), expected.end());
    std::vector<bool> tolerated;
    std::istringstream in(row.calls);
    for (std::string name; in >> name;) tolerated.push_back(name.back() == '?');
    const std::string name = row.name, file = name == "remove" ? gone : path;
    for (std::size_t k = 0; k <= tolerated.size(); ++k) {
      SCOPED_TRACE(name + ", call " + std::to_string(k) + " fails");
      fault::Clear();
      test::WriteFile(path, kContent);
      CFile f;
      if (row.openFirst) { ASSERT_TRUE(f.Open(path.c_str(), CFile::modeReadWrite | CFile::shareDenyNone)); }
      if (row.before) row.before(f);
      const uint64_t position = f.IsOpen() ? f.GetPosition() : 0;
      fault::Record();
      if (k < tolerated.size()) fault::Fail(Call::any, EIO, static_cast<int>(k));
      const CFileException e = Caught([&] { row.op(f); });
      const std::vector<Call> calls = fault::Calls();
      fault::Clear();
      if (k == tolerated.size() || tolerated[k]) {  // nothing failed, or the failure was got over
        EXPECT_EQ(e.m_cause, CFileException::none);
        if (k == tolerated.size()) { EXPECT_EQ(Names(calls), expected); }  // the calls made, exactly
        continue;
      }
      EXPECT_EQ(std::tuple(e.m_cause, e.m_lOsError, e.m_strFileName),
                std::tuple(int{CFileException::hardIO}, EIO, file));
      // A failure changes nothing: no descriptor kept, no byte written or removed, the position where it was.
      ASSERT_GT(calls.size(), k);
      if (name != "close") {  // every descriptor opened (the failed open opened none) is closed
        EXPECT_EQ(std::count(calls.begin(), calls.end(), Call::open) - (calls[k] == Call::open),
                  std::count(calls.begin(), calls.end(), Call::close));
      }
      EXPECT_EQ(test::ReadFile(path), kContent);
      EXPECT_EQ(std::filesystem::exists(gone), name == "remove");
      if (row.openFirst && name != "close") { EXPECT_EQ(f.GetPosition(), position); }
      if (!row.openFirst || name == "close") {
        EXPECT_FALSE(f.IsOpen());
        CFile g;
        EXPECT_TRUE(g.Open(path.c_str(), CFile::modeRead | CFile::shareExclusive));  // nothing held
      }
    }
  }
}

}  // namespace
}  // namespace kfio
