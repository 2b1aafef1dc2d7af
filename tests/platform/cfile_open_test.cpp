// Tests of CFile's open, close, sharing, status and removal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <tuple>

#include "platform/cfile.h"
#include "tests/platform/temp_files.h"

namespace kfio {
namespace {

using test::Caught;
using test::ReadFile;
using test::TempPath;
using test::WriteFile;

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
  // Even a read-only open truncates when asked to create.
  ASSERT_TRUE(f.Open(path.c_str(), CFile::modeRead | CFile::modeCreate));
  EXPECT_EQ(f.GetLength(), 0u);
  f.Close();
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
  ::chmod(path.c_str(), 0444);
  ASSERT_TRUE(CFile::GetStatus(path.c_str(), st));
  EXPECT_EQ(std::make_tuple(st.m_size, st.m_isDirectory, st.m_attribute, st.m_szFullName),
            std::make_tuple(uint64_t{5}, false, unsigned{CFile::readOnly}, std::filesystem::canonical(path).string()));
  EXPECT_GT(st.m_mtime, 0);
  ASSERT_TRUE(CFile::GetStatus(dir.c_str(), st));
  EXPECT_TRUE(st.m_isDirectory);
  EXPECT_EQ(st.m_attribute & CFile::directory, unsigned{CFile::directory});
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

}  // namespace
}  // namespace kfio
