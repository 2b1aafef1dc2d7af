// The errno-to-cause map of CFileException.
#include <cerrno>

#include "platform/file_exception.h"

namespace kfio {

// errno                         cause                 why
// 0                             none
// ENOENT                        fileNotFound (2)
// ENOTDIR, ENAMETOOLONG, ELOOP  badPath (3)           the name cannot lead to a file
// EMFILE, ENFILE                tooManyOpenFiles (4)
// EACCES, EPERM, EROFS          accessDenied (5)
// EISDIR                        accessDenied (5)      a directory is not a file to open or remove
// ENXIO                         accessDenied (5)      only an open meets it: a fifo, device or socket,
//                                                     none of them a file to open
// EBADF                         invalidFile (6)       the descriptor itself is unusable
// EMLINK                        directoryFull (8)     the directory takes no more entries
// EINVAL, ESPIPE, EOVERFLOW     badSeek (9)           this layer only meets them with offsets
// EIO                           hardIO (10)
// EBUSY, ETXTBSY                sharingViolation (11) someone else holds the file
// ENOLCK, EDEADLK               lockViolation (12)
// ENOSPC, EDQUOT, EFBIG         diskFull (13)         no room for the bytes, whatever the limit
// anything else                 genericException (1)
int CFileException::OsErrorToCause(int osError) {
  switch (osError) {
    case 0:
      return none;
    case ENOENT:
      return fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
      return badPath;
    case EMFILE:
    case ENFILE:
      return tooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ENXIO:
      return accessDenied;
    case EBADF:
      return invalidFile;
    case EMLINK:
      return directoryFull;
    case EINVAL:
    case ESPIPE:
    case EOVERFLOW:
      return badSeek;
    case EIO:
      return hardIO;
    case EBUSY:
    case ETXTBSY:
      return sharingViolation;
    case ENOLCK:
    case EDEADLK:
      return lockViolation;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return diskFull;
    default:
      return genericException;
  }
}

}  // namespace kfio
