// Tests that CFile's read-ahead buffer stays invisible: positions, writes, other objects, other writers.
// The bytes walked one at a time (GetByte, PeekByte) are pinned at a refill, at the end and past 127.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <string>
#include <tuple>

#include "platform/cfile.h"
#include "tests/platform/temp_files.h"

namespace kfio {
namespace {

using test::Caught;
using test::ReadFile;
using test::TempPath;
using test::WriteFile;

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
  char run[8] = {};
  EXPECT_EQ(f.GetByte(), '0');  // fills the buffer
  EXPECT_EQ(f.Seek(65535, CFile::begin), 65535u);
  EXPECT_EQ(f.GetByte(), '5');  // the last buffered byte
  EXPECT_EQ(f.PeekByte(), 0xff);  // past the buffer: a refill
  EXPECT_EQ(f.GetPosition(), 65536u);
  EXPECT_EQ(f.GetByte(), 0xff);
  EXPECT_EQ(f.ReadRun(run, 3), 3u);
  EXPECT_EQ(std::string(run, 3), "789");
  EXPECT_EQ(f.Seek(-2, CFile::current), 65538u);
  EXPECT_EQ(f.GetByte(), '8');
  EXPECT_EQ(f.Seek(-1, CFile::end), 69999u);
  EXPECT_EQ(f.GetByte(), '9');
  EXPECT_EQ(f.GetByte(), -1);
  EXPECT_EQ(f.PeekByte(), -1);
  EXPECT_EQ(f.ReadRun(run, 2), 0u);
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

}  // namespace
}  // namespace kfio
