// Tests of the errno-to-cause map and the throwing helpers.
#include <gtest/gtest.h>

#include <cerrno>

#include "platform/file_exception.h"

namespace kfio {
namespace {

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
      {99999, E::genericException},
  };
  for (const auto& [osError, cause] : cases) EXPECT_EQ(E::OsErrorToCause(osError), cause) << osError;
}

// The helpers as such are pinned through CFile's failures; error 0 is not
// met there, and must still throw something a caller can act on.
TEST(CFileException, ErrorZeroThrowsGeneric) {
  try {
    CFileException::ThrowOsError(0, "x");
    ADD_FAILURE() << "nothing thrown";
  } catch (const CFileException& e) {
    EXPECT_EQ(e.m_cause, CFileException::genericException);
    EXPECT_EQ(e.m_lOsError, 0);
    EXPECT_EQ(e.m_strFileName, "x");
    EXPECT_STREQ(e.ClassName(), "CFileException");
  }
}

}  // namespace
}  // namespace kfio
