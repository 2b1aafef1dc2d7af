// The system-call table on POSIX.
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>

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
  info.isRegular = S_ISREG(st.st_mode);
  info.isReadOnly = (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

int OsOpen(const char* path, unsigned access, bool create, bool truncate, int& fd) {
  // O_NOCTTY: a terminal is refused after the open, and must not become
  // this process's controlling terminal before that.
  int flags = O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
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

int OsSetBlocking(int fd) {
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0) return errno;
  return ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0 ? 0 : errno;
}

int OsClose(int fd) {
  // Not retried on EINTR: the descriptor is gone either way on Linux, and a
  // retry could close a descriptor another open has just been given.
  return ::close(fd) == 0 ? 0 : errno;
}

// pread and pwrite may move fewer bytes than asked and may be interrupted:
// both loop until the count is done, the file ends, or an error comes.
template <typename Byte, typename Transfer>
int TransferAt(Transfer transfer, int fd, Byte* bytes, std::size_t count, uint64_t offset,
               std::size_t& done) {
  done = 0;
  while (done < count) {
    const ssize_t n = transfer(fd, bytes + done, count - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return 0;
}

int OsReadAt(int fd, void* buffer, std::size_t count, uint64_t offset, std::size_t& done) {
  return TransferAt(::pread, fd, static_cast<char*>(buffer), count, offset, done);
}

int OsWriteAt(int fd, const void* buffer, std::size_t count, uint64_t offset, std::size_t& done) {
  return TransferAt(::pwrite, fd, static_cast<const char*>(buffer), count, offset, done);
}

int OsTruncate(int fd, uint64_t length) {
  int rc;
  do {
    rc = ::ftruncate(fd, static_cast<off_t>(length));
  } while (rc != 0 && errno == EINTR);
  return rc == 0 ? 0 : errno;
}

// A query and a seek cost no system call: a script that asks for the
// position in a loop pays nanoseconds, not a trip into the kernel.
int OsSeek(int /*fd*/, uint64_t /*offset*/) { return 0; }

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
  // Freed also when the copy runs out of memory.
  const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path, nullptr), &std::free);
  if (resolved == nullptr) return errno;
  out = resolved.get();
  return 0;
}

}  // namespace

constexpr SystemCalls kOsCalls = {OsOpen,     OsSetBlocking, OsClose, OsReadAt,   OsWriteAt, OsTruncate,
                                  OsSeek,     OsStatFd,      OsStatPath, OsUnlink, OsFullPath};
SystemCalls g_calls = kOsCalls;

namespace {
uint64_t OsClockNs() {
  struct timespec now {};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1000000000u + static_cast<uint64_t>(now.tv_nsec);
}
}  // namespace
uint64_t (*g_clockNs)() = &OsClockNs;

}  // namespace kfio::sys
