// The narrow system-call table under CFile; the only way the file layer reaches the OS.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kfio::sys {

// Access bits of an open.
enum : unsigned { kRead = 1, kWrite = 2 };

struct FileInfo {
  uint64_t device = 0;
  uint64_t inode = 0;
  uint64_t size = 0;
  int64_t mtimeSec = 0;
  int64_t mtimeNsec = 0;
  bool isDirectory = false;
  bool isRegular = false;
  bool isReadOnly = false;  // nobody may write it by its permission bits
};

// Every entry answers 0 or the OS error number and hands results back through
// out parameters; EINTR is retried inside. Entries are plain function pointers
// so tests can put a failing call in place of a real one (and put it back from
// kOsCalls).
struct SystemCalls {
  // Never waits for a peer (a fifo's other end, a device): the descriptor
  // comes back non-blocking, and setBlocking makes it ordinary again.
  int (*open)(const char* path, unsigned access, bool create, bool truncate, int& fd);
  int (*setBlocking)(int fd);
  int (*close)(int fd);
  // One positioned transfer; done < count only at the end of the file (read)
  // or when the device refuses more (write).
  int (*readAt)(int fd, void* buffer, std::size_t count, uint64_t offset, std::size_t& done);
  int (*writeAt)(int fd, const void* buffer, std::size_t count, uint64_t offset, std::size_t& done);
  int (*truncate)(int fd, uint64_t length);
  // The file layer keeps each file's position itself (the positioned
  // transfers need no offset in the descriptor), so a position query or a
  // seek asks the OS nothing: this entry only confirms the position, and
  // answers 0 on POSIX. It is here so that a platform whose handles can go
  // bad, and the tests, can make those operations fail.
  int (*seek)(int fd, uint64_t offset);
  int (*statFd)(int fd, FileInfo& info);
  int (*statPath)(const char* path, FileInfo& info);
  int (*unlink)(const char* path);
  int (*fullPath)(const char* path, std::string& out);
};

extern const SystemCalls kOsCalls;
extern SystemCalls g_calls;

// Monotonic nanoseconds, for the file layer's sense of calls made in quick
// succession. Apart from the table because it cannot fail; a pointer too, so
// tests can stand a clock of their own in.
extern uint64_t (*g_clockNs)();

}  // namespace kfio::sys
