// CFileException: a failed file operation, as a cause number plus the raw OS error.
#pragma once

#include <string>
#include <utility>

#include "platform/cobject.h"

namespace kfio {

// Thrown by value, caught by const reference. m_cause is what callers act on;
// m_lOsError keeps the operating system's own number for diagnostics (0 when
// the failure did not come from the operating system).
class CFileException : public CObject {
  KFIO_DECLARE_DYNAMIC(CFileException, CObject)

 public:
  enum Cause {
    none = 0,
    genericException = 1,
    fileNotFound = 2,
    badPath = 3,
    tooManyOpenFiles = 4,
    accessDenied = 5,
    invalidFile = 6,
    removeCurrentDir = 7,
    directoryFull = 8,
    badSeek = 9,
    hardIO = 10,
    sharingViolation = 11,
    lockViolation = 12,
    diskFull = 13,
    endOfFile = 14
  };

  CFileException() = default;
  CFileException(int cause, int osError, std::string fileName)
      : m_cause(cause), m_lOsError(osError), m_strFileName(std::move(fileName)) {}
  CFileException(const CFileException&) = default;
  CFileException& operator=(const CFileException&) = default;

  // The one place where OS error numbers become causes; the table is beside
  // its definition.
  static int OsErrorToCause(int osError);

  // Throws the cause that osError maps to (genericException for 0, so a
  // caller's slip never throws "no error").
  [[noreturn]] static void ThrowOsError(int osError, const std::string& fileName);
  [[noreturn]] static void Throw(int cause, int osError, const std::string& fileName);

  int m_cause = none;
  int m_lOsError = 0;
  std::string m_strFileName;
};

}  // namespace kfio
