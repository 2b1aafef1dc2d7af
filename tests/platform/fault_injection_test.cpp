// Tests of the fault injector and of OS failures fed through the system-call table.
#include <gtest/gtest.h>

#include <cerrno>
#include <functional>

#include "platform/cfile.h"
#include "platform/fault_injection.h"
#include "platform/sys_calls.h"
#include "tests/platform/temp_files.h"

namespace kfio {
namespace {

using fault::Op;
using test::CauseOf;

class FaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = test::TempPath();
    test::WriteFile(path_, "0123456789");
  }
  void TearDown() override {
    fault::Clear();
    sys::g_calls = sys::kOsCalls;
  }
  std::string path_;
};

// Runs one call of op on an open file f; answers the cause it failed with,
// -1 when it succeeded.
int RunOp(Op op, CFile& f, const std::string& path) {
  char buf[4];
  CFileStatus st;
  CFileException e;
  CFile other;
  switch (op) {
    case Op::Open:
      return other.Open(path.c_str(), CFile::modeRead | CFile::shareDenyNone, &e) ? -1 : e.m_cause;
    case Op::Status:
      return CFile::GetStatus(path.c_str(), st) ? -1 : 0;
    case Op::Close:
      return CauseOf([&] { f.Close(); });
    case Op::Read:
      return CauseOf([&] { f.Read(buf, 1); });
    case Op::Write:
      return CauseOf([&] { f.Write("w", 1); });
    case Op::Seek:
      return CauseOf([&] { f.Seek(0, CFile::begin); });
    case Op::Position:
      return CauseOf([&] { f.GetPosition(); });
    case Op::Length:
      return CauseOf([&] { f.GetLength(); });
    case Op::Remove:
      return CauseOf([&] { CFile::Remove((path + ".gone").c_str()); });
  }
  return -2;
}

TEST_F(FaultTest, EachOpFailsOnceWithTheChosenCauseAfterSkipping) {
  const Op ops[] = {Op::Open, Op::Close, Op::Read, Op::Write, Op::Seek,
                    Op::Position, Op::Length, Op::Remove, Op::Status};
  for (Op op : ops) {
    for (int skip : {0, 2}) {
      SCOPED_TRACE(testing::Message() << "op " << static_cast<int>(op) << " skip " << skip);
      CFile f;
      // Close and Remove use up their file; give them a fresh one per call.
      auto prepare = [&] {
        if (!f.IsOpen()) {
          ASSERT_TRUE(f.Open(path_.c_str(), CFile::modeReadWrite | CFile::shareDenyNone));
        }
        test::WriteFile(path_ + ".gone", "");
      };
      const int expected = op == Op::Status ? 0 : CFileException::hardIO;
      prepare();
      fault::Inject(op, CFileException::hardIO, skip);
      for (int i = 0; i < skip; ++i) {
        prepare();
        EXPECT_EQ(RunOp(op, f, path_), -1) << "call " << i;
      }
      prepare();
      EXPECT_EQ(RunOp(op, f, path_), expected);
      if (op == Op::Close) {
        EXPECT_FALSE(f.IsOpen());  // a failed close still closes
      }
      prepare();
      EXPECT_EQ(RunOp(op, f, path_), -1) << "the fault fires once";
    }
  }
}

TEST_F(FaultTest, InjectedFailureCarriesNoOsErrorAndClearDisarms) {
  CFile f;
  ASSERT_TRUE(f.Open(path_.c_str(), CFile::modeRead | CFile::shareDenyNone));
  char c;
  ASSERT_EQ(f.Read(&c, 1), 1u);  // the buffer now holds the file
  fault::Inject(Op::Read, CFileException::endOfFile);
  try {
    f.Read(&c, 1);
    ADD_FAILURE() << "a buffered read skipped the injector";
  } catch (const CFileException& e) {
    EXPECT_EQ(e.m_cause, CFileException::endOfFile);
    EXPECT_EQ(e.m_lOsError, 0);
    EXPECT_EQ(e.m_strFileName, path_);
  }
  EXPECT_EQ(f.GetPosition(), 1u);
  fault::Inject(Op::Seek, CFileException::badSeek);
  fault::Inject(Op::Open, CFileException::tooManyOpenFiles);
  fault::Clear();
  EXPECT_EQ(f.Seek(3, CFile::begin), 3u);
  CFile g;
  EXPECT_TRUE(g.Open(path_.c_str(), CFile::modeRead | CFile::shareDenyNone));
}

int g_closes = 0;

TEST_F(FaultTest, OpenThatCannotLeaveNonBlockingModeFailsAndClosesIt) {
  sys::g_calls.setBlocking = [](int) { return EBADF; };
  sys::g_calls.close = [](int fd) {
    ++g_closes;
    return sys::kOsCalls.close(fd);
  };
  CFile f;
  CFileException e;
  EXPECT_FALSE(f.Open(path_.c_str(), CFile::modeRead | CFile::shareExclusive, &e));
  EXPECT_EQ(e.m_cause, CFileException::invalidFile);
  EXPECT_EQ(e.m_lOsError, EBADF);
  EXPECT_EQ(g_closes, 1);
  sys::g_calls = sys::kOsCalls;
  EXPECT_TRUE(f.Open(path_.c_str(), CFile::modeRead | CFile::shareExclusive));  // nothing held
}

TEST_F(FaultTest, OsFailuresMapThroughTheCallTable) {
  CFile f;
  ASSERT_TRUE(f.Open(path_.c_str(), CFile::modeReadWrite | CFile::shareDenyWrite));
  // A device that takes half the bytes, then nothing.
  sys::g_calls.writeAt = [](int fd, const void* b, std::size_t n, uint64_t off, std::size_t& done) {
    return sys::kOsCalls.writeAt(fd, b, n / 2, off, done);
  };
  try {
    f.Write("abcd", 4);
    ADD_FAILURE() << "short write passed";
  } catch (const CFileException& e) {
    EXPECT_EQ(e.m_cause, CFileException::diskFull);
    EXPECT_EQ(e.m_lOsError, ENOSPC);
  }
  EXPECT_EQ(f.GetPosition(), 2u);  // what reached the file counts
  sys::g_calls.readAt = [](int, void*, std::size_t, uint64_t, std::size_t& done) {
    done = 0;
    return EIO;
  };
  char c;
  EXPECT_EQ(CauseOf([&] { f.Read(&c, 1); }), CFileException::hardIO);
  sys::g_calls.close = [](int fd) {
    sys::kOsCalls.close(fd);
    return EIO;
  };
  try {
    f.Close();
    ADD_FAILURE() << "close error lost";
  } catch (const CFileException& e) {
    EXPECT_EQ(e.m_cause, CFileException::hardIO);
    EXPECT_EQ(e.m_lOsError, EIO);
    EXPECT_EQ(e.m_strFileName, path_);
  }
  EXPECT_FALSE(f.IsOpen());
  sys::g_calls = sys::kOsCalls;
  EXPECT_EQ(test::ReadFile(path_), "ab23456789");
}

}  // namespace
}  // namespace kfio
