// Tests of the errno-to-cause map and the throwing helpers.
#include <gtest/gtest.h>

#include <cerrno>
#include <functional>

#include "platform/file_exception.h"

namespace kfio {
namespace {

TEST(OsErrorToCause, MapsEveryKnownErrno) {
  const struct {
    int osError;
    int cause;
  } cases[] = {
      {0, CFileException::none}, {ENOENT, CFileException::fileNotFound},
      {ENOTDIR, CFileException::badPath}, {ENAMETOOLONG, CFileException::badPath},
      {ELOOP, CFileException::badPath}, {EMFILE, CFileException::tooManyOpenFiles},
      {ENFILE, CFileException::tooManyOpenFiles}, {EACCES, CFileException::accessDenied},
      {EPERM, CFileException::accessDenied}, {EROFS, CFileException::accessDenied},
      {EISDIR, CFileException::accessDenied}, {EBADF, CFileException::invalidFile},
      {EMLINK, CFileException::directoryFull}, {EINVAL, CFileException::badSeek},
      {ESPIPE, CFileException::badSeek}, {EOVERFLOW, CFileException::badSeek},
      {EIO, CFileException::hardIO}, {ENXIO, CFileException::accessDenied},
      {EBUSY, CFileException::sharingViolation}, {ETXTBSY, CFileException::sharingViolation},
      {ENOLCK, CFileException::lockViolation}, {EDEADLK, CFileException::lockViolation},
      {ENOSPC, CFileException::diskFull}, {EDQUOT, CFileException::diskFull},
      {EFBIG, CFileException::diskFull}, {EEXIST, CFileException::genericException},
      {ENOMEM, CFileException::genericException}, {99999, CFileException::genericException},
  };
  for (const auto& c : cases)
    EXPECT_EQ(CFileException::OsErrorToCause(c.osError), c.cause) << "errno " << c.osError;
}

TEST(CFileException, ThrowHelpersKeepCauseErrorAndName) {
  const struct {
    std::function<void()> thrower;
    int cause;
    int osError;
    const char* name;
  } cases[] = {
      {[] { CFileException::ThrowOsError(EACCES, "a/b.dat"); }, CFileException::accessDenied, EACCES, "a/b.dat"},
      // Error 0 still throws something a caller can act on.
      {[] { CFileException::ThrowOsError(0, "x"); }, CFileException::genericException, 0, "x"},
      {[] { CFileException::Throw(CFileException::diskFull, ENOSPC, "y"); }, CFileException::diskFull, ENOSPC, "y"},
  };
  for (const auto& c : cases) {
    try {
      c.thrower();
      ADD_FAILURE() << "nothing thrown for " << c.name;
    } catch (const CFileException& e) {
      EXPECT_EQ(e.m_cause, c.cause) << c.name;
      EXPECT_EQ(e.m_lOsError, c.osError) << c.name;
      EXPECT_EQ(e.m_strFileName, c.name);
      EXPECT_STREQ(e.ClassName(), "CFileException");
    }
  }
}

}  // namespace
}  // namespace kfio
