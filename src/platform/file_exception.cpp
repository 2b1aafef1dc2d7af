// CFileException: the throwing helpers.
#include "platform/file_exception.h"

namespace kfio {

void CFileException::ThrowOsError(int osError, const std::string& fileName) {
  int cause = OsErrorToCause(osError);
  if (cause == none) cause = genericException;
  throw CFileException(cause, osError, fileName);
}

void CFileException::Throw(int cause, int osError, const std::string& fileName) {
  throw CFileException(cause, osError, fileName);
}

}  // namespace kfio
