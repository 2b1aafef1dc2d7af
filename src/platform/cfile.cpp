// CFile: opening, closing, sharing, file status and removal.
#include "platform/cfile.h"

#include <cerrno>

#include "platform/share_registry.h"
#include "platform/sys_calls.h"

namespace kfio {
namespace {

// What a closed file's buffer check compares against; no fill ever records 0.
constexpr uint64_t kNoGeneration = 0;

bool Fail(CFileException* error, int cause, int osError, const char* fileName) {
  if (error != nullptr) {
    error->m_cause = cause;
    error->m_lOsError = osError;
    error->m_strFileName = fileName == nullptr ? "" : fileName;
  }
  return false;
}

bool FailOs(CFileException* error, int osError, const char* fileName) {
  int cause = CFileException::OsErrorToCause(osError);
  return Fail(error, cause == CFileException::none ? CFileException::genericException : cause, osError,
              fileName);
}

detail::FileKey KeyOf(const sys::FileInfo& info) { return {info.device, info.inode}; }

}  // namespace

uint64_t CFile::s_readEpoch = 1;

CFile::CFile() : m_pWriteGeneration(&kNoGeneration) {}

CFile::~CFile() {
  if (IsOpen()) Abort();
}

bool CFile::Open(const char* fileName, unsigned openFlags, CFileException* error) {
  if (fileName == nullptr) return Fail(error, CFileException::badPath, EINVAL, fileName);
  if (IsOpen()) return Fail(error, CFileException::genericException, EBUSY, fileName);

  unsigned access;
  switch (openFlags & 0x3u) {
    case modeRead:
      access = sys::kRead;
      break;
    case modeWrite:
      access = sys::kWrite;
      break;
    case modeReadWrite:
      access = sys::kRead | sys::kWrite;
      break;
    default:
      return Fail(error, CFileException::genericException, EINVAL, fileName);
  }
  const bool create = (openFlags & modeCreate) != 0;
  const bool truncate = create && (openFlags & modeNoTruncate) == 0;

  // Truncation waits until the share check has passed: a refused open must
  // leave the file as it was.
  int fd = hFileNull;
  if (int err = sys::g_calls.open(fileName, access, create, false, fd)) return FailOs(error, err, fileName);
  sys::FileInfo info;
  if (int err = sys::g_calls.statFd(fd, info)) {
    sys::g_calls.close(fd);
    return FailOs(error, err, fileName);
  }
  // Only regular files: anything else could block a later read or write,
  // or has no length and position to speak of.
  if (!info.isRegular) {
    sys::g_calls.close(fd);
    return FailOs(error, info.isDirectory ? EISDIR : ENXIO, fileName);
  }
  if (int err = sys::g_calls.setBlocking(fd)) {
    sys::g_calls.close(fd);
    return FailOs(error, err, fileName);
  }
  detail::SharedFile* shared = nullptr;
  try {
    shared = detail::ShareRegistry::Acquire(KeyOf(info), this, access,
                                            detail::ShareRegistry::DeniedByShareFlags(openFlags));
  } catch (...) {
    sys::g_calls.close(fd);
    throw;
  }
  if (shared == nullptr) {
    sys::g_calls.close(fd);
    return Fail(error, CFileException::sharingViolation, EBUSY, fileName);
  }
  if (truncate && info.size != 0) {
    int err = 0;
    if (access & sys::kWrite) {
      err = sys::g_calls.truncate(fd, 0);
    } else {
      // A read-only descriptor cannot truncate; a short-lived writer can.
      int writer = hFileNull;
      err = sys::g_calls.open(fileName, sys::kWrite, false, true, writer);
      if (err == 0) sys::g_calls.close(writer);
    }
    if (err != 0) {
      detail::ShareRegistry::Release(shared, this);
      sys::g_calls.close(fd);
      return FailOs(error, err, fileName);
    }
    Written(*shared);
  }

  m_hFile = fd;
  m_access = access;
  m_pShared = shared;
  m_pWriteGeneration = &shared->writeGeneration;
  ResetBuffer(0);
  try {
    SetFilePath(fileName);
  } catch (...) {
    Release();  // open completely or not at all
    throw;
  }
  return true;
}

int CFile::Release() {
  int fd = m_hFile;
  detail::ShareRegistry::Release(m_pShared, this);
  m_pShared = nullptr;
  m_pWriteGeneration = &kNoGeneration;
  m_hFile = hFileNull;
  m_access = 0;
  ResetBuffer(0);
  m_strFileName.clear();
  return sys::g_calls.close(fd);
}

void CFile::Close() {
  if (!IsOpen()) return;
  // Moved, not copied: closing never needs memory.
  const std::string name = std::move(m_strFileName);
  // The descriptor is released even when close reports an error: POSIX
  // leaves its state unspecified and retrying is unsafe, so the object
  // counts as closed after a throw.
  const int err = Release();
  if (err) CFileException::ThrowOsError(err, name);
}

void CFile::Abort() {
  if (IsOpen()) Release();
}

void CFile::CheckOpen() const {
  if (!IsOpen()) CFileException::Throw(CFileException::invalidFile, EBADF, m_strFileName);
}

std::string CFile::GetFileName() const {
  const std::string path = GetFilePath();
  const auto cut = path.find_last_of("/\\");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

bool CFile::GetStatus(const char* fileName, CFileStatus& status) {
  if (fileName == nullptr) return false;
  sys::FileInfo info;
  if (sys::g_calls.statPath(fileName, info) != 0) return false;
  status.m_size = info.size;
  status.m_mtime = info.mtimeSec;
  status.m_isDirectory = info.isDirectory;
  status.m_attribute = (info.isDirectory ? directory : normal) | (info.isReadOnly ? readOnly : normal);
  if (sys::g_calls.fullPath(fileName, status.m_szFullName) != 0) status.m_szFullName = fileName;
  return true;
}

void CFile::Remove(const char* fileName) {
  const std::string name = fileName == nullptr ? "" : fileName;
  if (fileName == nullptr) CFileException::Throw(CFileException::badPath, EINVAL, name);
  sys::FileInfo info;
  if (sys::g_calls.statPath(fileName, info) == 0 && !info.isDirectory &&
      detail::ShareRegistry::Find(KeyOf(info)) != nullptr)
    CFileException::Throw(CFileException::sharingViolation, EBUSY, name);
  if (int err = sys::g_calls.unlink(fileName)) CFileException::ThrowOsError(err, name);
}

}  // namespace kfio
