// Tests of the platform layer: the errno-to-cause map; every system call of every file operation failed in turn
// through the call table; CFile's open, close, sharing, status and removal; a read-ahead buffer that stays invisible
// (positions, writes, other objects, other writers) with bytes walked one at a time at a refill, at the end and past
// 127; CStdioFile's lines; CPtrList across several node blocks.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "platform/cfile.h"
#include "platform/ptr_list.h"
#include "platform/stdio_file.h"
#include "tests/platform/fault_injection.h"
#include "tests/platform/temp_files.h"

namespace kfio {
namespace {

using fault::Call;
using test::Caught;
using test::ReadFile;
using test::TempPath;
using test::WriteFile;

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

std::string Digits(std::size_t n) {
  std::string s(n, '0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>('0' + i % 10);
  return s;
}

std::string ReadN(CFile& f, unsigned n) {
  std::string s(n, '\0');
  s.resize(f.Read(s.data(), n));
  return s;
}

// `content` in a new file under the test's name, opened with `flags`.
void OpenWith(CFile& f, const std::string& content, unsigned flags = CFile::modeRead | CFile::shareDenyNone) {
  const std::string path = TempPath();
  WriteFile(path, content);
  ASSERT_TRUE(f.Open(path.c_str(), flags));
}

TEST(CFileBuffer, PositionsStayExactAcrossReadsAndSeeks) {
  const std::string content = Digits(200000);  // spans several buffer fills
  CFile f;
  OpenWith(f, content);
  char c;
  ASSERT_EQ(f.Read(&c, 1), 1u);
  EXPECT_EQ(c, '0');
  EXPECT_EQ(f.GetPosition(), 1u);
  const struct { int64_t offset; unsigned from; uint64_t expect; } seeks[] = {  // each row then reads 3 bytes
      {5, CFile::current, 6}, {65535, CFile::begin, 65535}, {-2, CFile::current, 65536}, {-3, CFile::end, 199997},
      {-200000, CFile::current, 0}, {123457, CFile::begin, 123457}, {10, CFile::end, 200010}};
  for (const auto& s : seeks) {
    EXPECT_EQ(f.Seek(s.offset, s.from), s.expect);
    EXPECT_EQ(f.GetPosition(), s.expect);
    EXPECT_EQ(ReadN(f, 3), content.substr(std::min<std::size_t>(s.expect, content.size()), 3));
    const uint64_t after = s.expect >= content.size() ? s.expect : std::min<uint64_t>(s.expect + 3, content.size());
    EXPECT_EQ(f.GetPosition(), after);
  }
  // A read larger than the buffer, straddling a partly consumed buffer.
  f.Seek(10, CFile::begin);
  EXPECT_EQ(ReadN(f, 1), "0");
  EXPECT_EQ(ReadN(f, 150000), content.substr(11, 150000));
  EXPECT_EQ(f.GetPosition(), 150011u);
  EXPECT_EQ(f.SeekToEnd(), 200000u);
  EXPECT_EQ(f.Read(&c, 1), 0u);
  // A seek before the start, or from nowhere, is refused and keeps the position.
  f.Seek(4, CFile::begin);
  for (auto [offset, from] : {std::pair<int64_t, unsigned>{-1, CFile::begin}, {-5, CFile::current},
                              {-200001, CFile::end}, {INT64_MIN, CFile::current}, {0, 7u}}) {
    const CFileException e = Caught([&] { f.Seek(offset, from); });
    EXPECT_EQ(std::tuple(e.m_cause, e.m_strFileName, f.GetPosition()),
              std::tuple(int{CFileException::badSeek}, f.GetFilePath(), uint64_t{4}))
        << offset << " from " << from;
  }
  EXPECT_EQ(ReadN(f, 2), "45");
}

TEST(CFileBuffer, WritesLandAtTheLogicalPositionAndCount) {
  CFile f;
  OpenWith(f, "0123456789", CFile::modeReadWrite | CFile::shareDenyWrite);
  EXPECT_EQ(ReadN(f, 2), "01");  // the whole file is buffered now
  f.Write("ab", 2);
  EXPECT_EQ(f.GetPosition(), 4u);
  EXPECT_EQ(ReadN(f, 2), "45");
  f.Seek(0, CFile::begin);
  EXPECT_EQ(ReadN(f, 10), "01ab456789");
  f.Seek(3, CFile::end);
  f.Write("xyz", 3);
  EXPECT_EQ(f.GetLength(), 16u);
  EXPECT_EQ(f.GetPosition(), 16u);
  f.Seek(9, CFile::begin);
  EXPECT_EQ(ReadN(f, 100), std::string("9\0\0\0xyz", 7));  // fewer at the end
  EXPECT_EQ(ReadN(f, 1), "");
}

TEST(CFileBytes, AtARefillAtTheEndAndPast127) {
  std::string content = Digits(70000);
  content[65536] = '\xff';
  CFile f;
  OpenWith(f, content);
  EXPECT_EQ(f.GetByte(), '0');  // fills the buffer
  EXPECT_EQ(f.Seek(65535, CFile::begin), 65535u);
  EXPECT_EQ(f.GetByte(), '5');  // the last buffered byte
  EXPECT_EQ(f.PeekByte(), 0xff);  // past the buffer: a refill
  EXPECT_EQ(f.GetPosition(), 65536u);
  EXPECT_EQ(f.GetByte(), 0xff);
  EXPECT_EQ(ReadN(f, 3), "789");
  EXPECT_EQ(f.Seek(-2, CFile::current), 65538u);
  EXPECT_EQ(f.GetByte(), '8');
  EXPECT_EQ(f.Seek(-1, CFile::end), 69999u);
  EXPECT_EQ(f.GetByte(), '9');
  EXPECT_EQ(f.GetByte(), -1);
  EXPECT_EQ(f.PeekByte(), -1);
  EXPECT_EQ(f.GetPosition(), 70000u);
}

TEST(CFileBuffer, AnotherObjectsWriteIsSeenByBytesAndReads) {
  CFile a, b;
  OpenWith(a, Digits(30));
  ASSERT_TRUE(b.Open(a.GetFilePath().c_str(), CFile::modeWrite | CFile::shareDenyWrite));
  EXPECT_EQ(a.GetByte(), '0');  // the whole file is buffered now
  b.Seek(1, CFile::begin);
  b.Write("X\xff", 2);
  EXPECT_EQ(a.GetByte(), 'X');
  EXPECT_EQ(a.PeekByte(), 0xff);
  b.Seek(10, CFile::begin);
  b.Write("ABCDEFGHIJK", 11);  // bytes 10..20
  a.Seek(9, CFile::begin);
  EXPECT_EQ(ReadN(a, 1), "9");
  EXPECT_EQ(ReadN(a, 12), "ABCDEFGHIJK1");
  EXPECT_EQ(a.GetPosition(), 22u);
  b.Seek(0, CFile::end);
  b.Write("tail", 4);
  a.Seek(28, CFile::begin);
  EXPECT_EQ(ReadN(a, 10), "89tail");
  EXPECT_EQ(a.GetLength(), 34u);
  // Truncation by another open is a write too.
  b.Close();
  ASSERT_TRUE(b.Open(a.GetFilePath().c_str(), CFile::modeWrite | CFile::modeCreate | CFile::shareDenyNone));
  EXPECT_EQ(a.GetByte(), -1);
}

// Refused reads and writes leave the file usable for what its mode allows.
TEST(CFileBytes, WrongAccessAndClosedFilesAreRefused) {
  CFile reader, writer, closed;
  OpenWith(reader, "abc");
  const std::string path = reader.GetFilePath();
  ASSERT_TRUE(writer.Open(path.c_str(), CFile::modeWrite | CFile::shareDenyWrite));
  char c[4] = {};
  for (CFile* f : {&writer, &closed}) {
    const int cause = f == &writer ? CFileException::accessDenied : CFileException::invalidFile;
    const std::function<void()> calls[] = {[&] { f->GetByte(); }, [&] { f->PeekByte(); },
                                           [&] { f->ReadRun(c, 1); }, [&] { f->Read(c, 1); }};
    for (const auto& call : calls) {
      const CFileException e = Caught(call);
      EXPECT_EQ(e.m_cause, cause) << "read from " << (f == &writer ? "a write-only" : "a closed") << " file";
      EXPECT_EQ(e.m_lOsError, EBADF);
    }
  }
  EXPECT_EQ(Caught([&] { reader.Write("x", 1); }).m_cause, CFileException::accessDenied);
  EXPECT_EQ(Caught([&] { closed.GetLength(); }).m_cause, CFileException::invalidFile);
  EXPECT_EQ(reader.Read(c, 4), 3u);
  writer.Write("Z", 1);
  EXPECT_EQ(ReadFile(path), "Zbc");
}

TEST(CFileBuffer, ExternalChangeIsSeenAtTheNextHostCall) {
  // Another process rewrites buffered bytes; either difference alone must tell: the time (to the nanosecond) at the
  // same size, the size at the same time. `rest`: what reads from byte 2 on.
  const struct timespec before = {1000000000, 123456789}, after = {1000000000, 123456790};
  const struct { const char* what; off_t size; struct timespec mtime; std::string rest; } cases[] = {
      {"same size, new time", 10, after, "YZaaaaaa"}, {"shorter, same time", 8, before, "YZaaaa"}};
  const std::string path = TempPath();
  auto change = [&](const char* bytes, off_t size, struct timespec mtime) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::pwrite(fd, bytes, std::strlen(bytes), 1), static_cast<ssize_t>(std::strlen(bytes)));
    ASSERT_EQ(::ftruncate(fd, size), 0);
    const struct timespec times[2] = {{0, UTIME_OMIT}, mtime};
    ASSERT_EQ(::futimens(fd, times), 0);
    ::close(fd);
  };
  for (const auto& c : cases) {
    // A length query first must not vouch for the changed bytes.
    for (bool lengthFirst : {false, true}) {
      SCOPED_TRACE(std::string(c.what) + (lengthFirst ? ", length asked first" : ""));
      WriteFile(path, "aaaaaaaaaa");
      change("", 10, before);
      CFile f;
      ASSERT_TRUE(f.Open(path.c_str(), CFile::modeRead | CFile::shareDenyNone));
      EXPECT_EQ(f.GetByte(), 'a');  // the whole file is buffered now
      change("XYZ", c.size, c.mtime);
      CFile::NewHostCall();
      if (lengthFirst) {
        EXPECT_EQ(f.GetLength(), static_cast<uint64_t>(c.size));
      }
      EXPECT_EQ(f.GetByte(), 'X');
      EXPECT_EQ(ReadN(f, 20), c.rest);
    }
  }
}

// Looks in quick succession keep the snapshot without a status call, whether the read or the length asks first;
// a pause, or a snapshot confirmed too long ago, asks again. Each step: clock advance in microseconds, whether the
// OS is asked, how many times in a row.
TEST(CFileBuffer, QuickSuccessionKeepsTheSnapshotForAWhile) {
  static uint64_t now = 0;
  sys::g_clockNs = [] { return now; };
  const std::string path = TempPath();
  const struct { uint64_t advanceUs; bool asked; int times = 1; } steps[] = {
      {1, false}, {9, false}, {10, true}, {5, false}, {400, true}, {9, false, 111}, {9, true}, {9, false}};
  for (bool lengthFirst : {false, true}) {
    SCOPED_TRACE(lengthFirst ? "length first" : "read first");
    WriteFile(path, std::string(200, 'a'));
    CFile f;
    ASSERT_TRUE(f.Open(path.c_str(), CFile::modeRead | CFile::shareDenyNone));
    EXPECT_EQ(f.GetByte(), 'a');  // filled at 0: confirmed and looked at
    uint64_t sinceSnapshotUs = 0;
    for (const auto& step : steps) {
      for (int i = 0; i < step.times; ++i) {
        now += step.advanceUs * 1000;
        sinceSnapshotUs += step.advanceUs;
        CFile::NewHostCall();
        fault::Record();
        if (lengthFirst) {
          EXPECT_EQ(f.GetLength(), 200u);
        }
        EXPECT_EQ(f.GetByte(), 'a');
        EXPECT_EQ(fault::Calls().size(), step.asked ? 1u : 0u) << "after " << sinceSnapshotUs << " us";
        if (step.asked) sinceSnapshotUs = 0;
      }
    }
    fault::Clear();
  }
  sys::g_clockNs = &fault::PausingClockNs;
}

TEST(CFileOpen, FailuresCarryCauseOsErrorAndName) {
  const std::string dir = TempPath();
  std::filesystem::create_directories(dir);
  const std::string plain = dir + "/plain.dat";
  WriteFile(plain, "x");
  const std::string fifo = dir + "/fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  using E = CFileException;
  const unsigned R = CFile::modeRead, W = CFile::modeWrite, RW = CFile::modeReadWrite, C = CFile::modeCreate;
  // Only regular files open, at once: a fifo with no peer must not wait.
  const struct { std::string name; unsigned flags; int cause; int osError; } cases[] = {
      {dir + "/missing.dat", R, E::fileNotFound, ENOENT}, {dir + "/nodir/x.dat", W | C, E::fileNotFound, ENOENT},
      {plain + "/x.dat", R, E::badPath, ENOTDIR},         {dir, R, E::accessDenied, EISDIR},
      {dir, RW, E::accessDenied, EISDIR},                 {fifo, R, E::accessDenied, ENXIO},
      {fifo, W, E::accessDenied, ENXIO},                  {fifo, RW | C, E::accessDenied, ENXIO},
      {"/dev/null", R, E::accessDenied, ENXIO}};
  ::alarm(20);  // a blocked open ends the test instead of hanging it
  for (const auto& c : cases) {
    CFile f;
    CFileException e;
    EXPECT_FALSE(f.Open(c.name.c_str(), c.flags, &e)) << c.name;
    EXPECT_EQ(e.m_cause, c.cause) << c.name;
    EXPECT_EQ(e.m_lOsError, c.osError) << c.name;
    EXPECT_EQ(e.m_strFileName, c.name);
    EXPECT_FALSE(f.IsOpen());
    EXPECT_EQ(f.Handle(), CFile::hFileNull);
  }
  ::alarm(0);
}

TEST(CFileOpen, CreateTruncatesUnlessNoTruncateAndClose) {
  const std::string path = TempPath();
  WriteFile(path, "abcdef");
  CFile f;
  ASSERT_TRUE(f.Open(path.c_str(), CFile::modeWrite | CFile::modeCreate | CFile::modeNoTruncate));
  EXPECT_EQ(f.GetLength(), 6u);
  EXPECT_EQ(f.GetFilePath(), path);
  EXPECT_EQ(f.GetFileName(), path.substr(path.rfind('/') + 1));
  EXPECT_EQ(::fcntl(f.Handle(), F_GETFL) & O_NONBLOCK, 0);  // reads may wait for a slow disk
  f.Close();
  EXPECT_EQ(std::make_tuple(f.IsOpen(), f.GetFilePath(), ReadFile(path)),
            std::make_tuple(false, std::string(), std::string("abcdef")));
  f.Close();  // closing twice does nothing
  std::filesystem::remove(path);
  ASSERT_TRUE(f.Open(path.c_str(), CFile::modeRead | CFile::modeCreate | CFile::modeNoTruncate));
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_GE(f.Handle(), 0);
  EXPECT_LE(f.Handle(), 99999);
  f.SetFilePath("c:\\data\\run1.dat");
  EXPECT_EQ(f.GetFileName(), "run1.dat");
}

TEST(CFileShare, ClassicShareRulesWithinTheProcess) {
  const unsigned R = CFile::modeRead, W = CFile::modeWrite, RW = CFile::modeReadWrite;
  const unsigned None = CFile::shareDenyNone, DenyW = CFile::shareDenyWrite, DenyR = CFile::shareDenyRead;
  const unsigned Excl = CFile::shareExclusive, Compat = CFile::shareCompat;
  const struct { unsigned first, second; bool secondOpens; } cases[] = {
      {R | None, R | None, true},   {W | DenyW, W | DenyW, false},  {W | DenyW, R | None, true},
      {R | None, W | DenyW, true},  {R | None, RW | DenyW, true},   {RW | DenyW, RW | DenyW, false},
      {R | DenyW, R | DenyW, true}, {R | DenyW, W | None, false},   {W | None, R | DenyW, false},
      {W | DenyR, R | None, false}, {R | Excl, R | None, false},    {R | Compat, R | None, false},
      {R | None, R | Compat, false}};
  const std::string path = TempPath();
  for (const auto& c : cases) {
    WriteFile(path, "keep");
    CFile a, b;
    ASSERT_TRUE(a.Open(path.c_str(), c.first));
    CFileException e;
    // The create flag shows that a refused open does not truncate.
    EXPECT_EQ(b.Open(path.c_str(), c.second | CFile::modeCreate | CFile::modeNoTruncate, &e), c.secondOpens)
        << std::hex << c.first << " then " << c.second;
    if (!c.secondOpens) {
      EXPECT_EQ(e.m_cause, CFileException::sharingViolation);
      EXPECT_EQ(e.m_lOsError, EBUSY);
      EXPECT_EQ(ReadFile(path), "keep");
      a.Close();
      EXPECT_TRUE(b.Open(path.c_str(), c.second));  // free again once the holder is gone
    }
  }
}

TEST(CFileStatus, StatusAndRemoveOfAFileMissingOpenOrADirectory) {
  const std::string path = TempPath(), dir = std::filesystem::path(path).parent_path();
  CFileStatus st;
  EXPECT_FALSE(CFile::GetStatus(path.c_str(), st));
  EXPECT_FALSE(CFile::GetStatus(nullptr, st));
  const CFileException e = Caught([&] { CFile::Remove(path.c_str()); });
  EXPECT_EQ(std::make_tuple(e.m_cause, e.m_lOsError, e.m_strFileName),
            std::make_tuple(int{CFileException::fileNotFound}, ENOENT, path));
  WriteFile(path, "12345");
  ASSERT_TRUE(CFile::GetStatus(path.c_str(), st));
  EXPECT_EQ(std::make_tuple(st.m_size, st.m_isDirectory, st.m_szFullName),
            std::make_tuple(uint64_t{5}, false, std::filesystem::canonical(path).string()));
  ASSERT_TRUE(CFile::GetStatus(dir.c_str(), st));
  EXPECT_TRUE(st.m_isDirectory);
  {
    CFile f;
    ASSERT_TRUE(f.Open(path.c_str(), CFile::modeRead | CFile::shareDenyNone));
    EXPECT_EQ(Caught([&] { CFile::Remove(path.c_str()); }).m_cause, CFileException::sharingViolation);
  }
  CFile::Remove(path.c_str());
  EXPECT_FALSE(std::filesystem::exists(path));
  std::filesystem::create_directories(path);
  EXPECT_EQ(Caught([&] { CFile::Remove(path.c_str()); }).m_cause, CFileException::accessDenied);
}

TEST(CStdioFile, LinesAndPositions) {
  // The lines, and the position after each.
  const struct { std::string content; std::vector<std::string> lines; std::vector<uint64_t> after; } cases[] = {
      {"", {}, {}},                             {"a\nbc\n", {"a", "bc"}, {2, 5}},
      {"a\r\nbc\r\n", {"a", "bc"}, {3, 7}},       {"last", {"last"}, {4}}, {"\n\nx\n", {"", "", "x"}, {1, 2, 4}},
      {"a\rb\r\rc", {"a", "b", "", "c"}, {2, 4, 5, 6}}, {"mixed\r\n\nend\r", {"mixed", "", "end"}, {7, 8, 12}},
      // Line breaks split by the end of the read-ahead buffer (64 KiB).
      {std::string(65535, 'a') + "\r\nb", {std::string(65535, 'a'), "b"}, {65537, 65538}},
      {std::string(65535, 'a') + "\rb", {std::string(65535, 'a'), "b"}, {65536, 65537}},
  };
  const std::string path = test::TempPath();
  for (const auto& c : cases) {
    test::WriteFile(path, c.content);
    CStdioFile f;
    ASSERT_TRUE(f.Open(path.c_str(), CFile::modeRead | CFile::shareDenyNone | CFile::typeText));
    std::string line = "stale";
    for (std::size_t i = 0; i < c.lines.size(); ++i) {
      ASSERT_TRUE(f.ReadString(line)) << c.content;
      EXPECT_EQ(line, c.lines[i]);
      EXPECT_EQ(f.GetPosition(), c.after[i]) << c.content << " line " << i;
    }
    EXPECT_FALSE(f.ReadString(line)) << c.content;
    EXPECT_EQ(line, "");
  }
}

std::vector<int> Walk(CPtrList& list, bool forward = true) {
  std::vector<int> out;
  for (POSITION pos = forward ? list.GetHeadPosition() : list.GetTailPosition(); pos != nullptr;)
    out.push_back(*static_cast<int*>(forward ? list.GetNext(pos) : list.GetPrev(pos)));
  return out;
}

TEST(CPtrList, AddRemoveFindAcrossBlocks) {
  int v[25];
  CPtrList list;
  EXPECT_EQ(list.RemoveHead(), nullptr);
  EXPECT_EQ(list.RemoveTail(), nullptr);
  std::vector<POSITION> at(25);
  for (int i = 1; i < 25; ++i) v[i] = i, at[i] = list.AddTail(&v[i]);
  v[0] = 0, at[0] = list.AddHead(&v[0]);
  EXPECT_EQ(list.GetCount(), 25);
  EXPECT_EQ(list.Find(&v[17]), at[17]);
  EXPECT_EQ(list.Find(&v[3], at[3]), nullptr);  // only after the start
  EXPECT_EQ(list.Find(&v[3], at[2]), at[3]);
  EXPECT_EQ(list.Find(&list), nullptr);

  list.RemoveAt(at[12]);
  EXPECT_EQ(list.RemoveHead(), &v[0]);
  EXPECT_EQ(list.RemoveTail(), &v[24]);
  // Freed nodes are reused without disturbing the order, either way.
  list.GetAt(at[13]) = &v[12];
  EXPECT_EQ(list.GetAt(list.AddTail(&v[0])), &v[0]);
  const std::vector<int> expect = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 0};
  EXPECT_EQ(Walk(list), expect);
  EXPECT_EQ(Walk(list, false), std::vector<int>(expect.rbegin(), expect.rend()));

}

}  // namespace
}  // namespace kfio
