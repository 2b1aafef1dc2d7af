// The in-process registry of open files: share modes and write generations per (device, inode).
#pragma once

#include <cstdint>
#include <vector>

namespace kfio {
class CFile;
}

namespace kfio::detail {

struct FileKey {
  uint64_t device = 0;
  uint64_t inode = 0;
  auto operator<=>(const FileKey&) const = default;
};

// One file that at least one CFile holds open. Lives until the last holder
// releases it, so holders may keep pointers to it.
struct SharedFile {
  struct Holder {
    CFile* owner;
    unsigned access;  // sys::kRead | sys::kWrite
    unsigned denied;  // the accesses this holder denies to other opens
  };
  FileKey key;
  // Bumped by every write through any holder; a read-ahead buffer is only
  // good while the generation it was filled at is current.
  uint64_t writeGeneration = 1;
  std::vector<Holder> holders;
};

// POSIX knows no share modes, so they are kept here with the rules of the
// classic share flags: an open fails when an earlier open denies the access it
// asks for, or when it denies an access an earlier open holds.
class ShareRegistry {
 public:
  // The accesses a share flag (CFile::share*) denies; shareCompat and
  // unknown values deny everything.
  static unsigned DeniedByShareFlags(unsigned shareFlags);

  // Registers owner; null when the open conflicts with a holder.
  static SharedFile* Acquire(FileKey key, CFile* owner, unsigned access, unsigned denied);
  static void Release(SharedFile* file, const CFile* owner);
  // The registered file, or null when nobody in the process holds it open.
  static SharedFile* Find(FileKey key);
  // Every file held open, for a change that concerns all of them.
  static void ForEach(void (*visit)(SharedFile& file));
};

}  // namespace kfio::detail
