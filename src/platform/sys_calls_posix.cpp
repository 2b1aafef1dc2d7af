// The system-call table on POSIX.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/sys_calls.h"

namespace kfio::sys {
namespace {

void FillInfo(const struct stat& st, FileInfo& info) {
  info.device = static_cast<uint64_t>(st.st_dev);
  info.inode = static_cast<uint64_t>(st.st_ino);
  info.size = st.st_size < 0 ? 0 : static_cast<uint64_t>(st.st_size);
#if defined(__APPLE__)
  info.mtimeSec = st.st_mtimespec.tv_sec;
  info.mtimeNsec = st.st_mtimespec.tv_nsec;
#else
  info.mtimeSec = st.st_mtim.tv_sec;
  info.mtimeNsec = st.st_mtim.tv_nsec;
#endif
  info.isDirectory = S_ISDIR(st.st_mode);
  info.isReadOnly = (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

int OsOpen(const char* path, unsigned access, bool create, bool truncate, int& fd) {
  int flags = O_CLOEXEC;
  if ((access & kRead) && (access & kWrite))
    flags |= O_RDWR;
  else if (access & kWrite)
    flags |= O_WRONLY;
  else
    flags |= O_RDONLY;
  if (create) flags |= O_CREAT;
  if (truncate) flags |= O_TRUNC;
  do {
    fd = ::open(path, flags, 0666);
  } while (fd < 0 && errno == EINTR);
  return fd < 0 ? errno : 0;
}

int OsClose(int fd) {
  // Not retried on EINTR: the descriptor is gone either way on Linux, and a
  // retry could close a descriptor another open has just been given.
  return ::close(fd) == 0 ? 0 : errno;
}

int OsReadAt(int fd, void* buffer, std::size_t count, uint64_t offset, std::size_t& done) {
  done = 0;
  auto* out = static_cast<char*>(buffer);
  while (done < count) {
    ssize_t n = ::pread(fd, out + done, count - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return 0;
}

int OsWriteAt(int fd, const void* buffer, std::size_t count, uint64_t offset, std::size_t& done) {
  done = 0;
  const auto* in = static_cast<const char*>(buffer);
  while (done < count) {
    ssize_t n = ::pwrite(fd, in + done, count - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return 0;
}

int OsTruncate(int fd, uint64_t length) {
  int rc;
  do {
    rc = ::ftruncate(fd, static_cast<off_t>(length));
  } while (rc != 0 && errno == EINTR);
  return rc == 0 ? 0 : errno;
}

int OsStatFd(int fd, FileInfo& info) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return errno;
  FillInfo(st, info);
  return 0;
}

int OsStatPath(const char* path, FileInfo& info) {
  struct stat st {};
  if (::stat(path, &st) != 0) return errno;
  FillInfo(st, info);
  return 0;
}

int OsUnlink(const char* path) { return ::unlink(path) == 0 ? 0 : errno; }

int OsFullPath(const char* path, std::string& out) {
  char* resolved = ::realpath(path, nullptr);
  if (resolved == nullptr) return errno;
  out = resolved;
  std::free(resolved);
  return 0;
}

}  // namespace

constexpr SystemCalls kOsCalls = {OsOpen,     OsClose,     OsReadAt, OsWriteAt, OsTruncate,
                              OsStatFd,   OsStatPath,  OsUnlink, OsFullPath};
SystemCalls g_calls = kOsCalls;

}  // namespace kfio::sys
