// The in-process registry of open files.
#include "platform/share_registry.h"

#include <algorithm>
#include <map>
#include <new>

#include "platform/cfile.h"
#include "platform/sys_calls.h"

namespace kfio::detail {
namespace {

// Never destroyed: files may still be closed by static destructors that run
// after this registry would have been torn down. Built in static storage
// rather than on the heap, so that once the last file is closed it holds no
// memory, and unloading the module leaks nothing.
std::map<FileKey, SharedFile>& Files() {
  using Map = std::map<FileKey, SharedFile>;
  alignas(Map) static unsigned char storage[sizeof(Map)];
  static Map* files = new (storage) Map();
  return *files;
}

}  // namespace

unsigned ShareRegistry::DeniedByShareFlags(unsigned shareFlags) {
  switch (shareFlags & 0x70u) {
    case CFile::shareDenyNone:
      return 0;
    case CFile::shareDenyRead:
      return sys::kRead;
    case CFile::shareDenyWrite:
      return sys::kWrite;
    default:
      return sys::kRead | sys::kWrite;
  }
}

SharedFile* ShareRegistry::Acquire(FileKey key, CFile* owner, unsigned access, unsigned denied) {
  auto& files = Files();
  auto it = files.find(key);
  if (it != files.end()) {
    for (const SharedFile::Holder& h : it->second.holders)
      if ((access & h.denied) != 0 || (h.access & denied) != 0) return nullptr;
    it->second.holders.push_back({owner, access, denied});
    return &it->second;
  }
  it = files.emplace(key, SharedFile{}).first;
  it->second.key = key;
  try {
    it->second.holders.push_back({owner, access, denied});
  } catch (...) {
    // A file listed with no holder would refuse every later Remove.
    files.erase(it);
    throw;
  }
  return &it->second;
}

void ShareRegistry::Release(SharedFile* file, const CFile* owner) {
  if (file == nullptr) return;
  auto& holders = file->holders;
  auto it = std::find_if(holders.begin(), holders.end(),
                         [owner](const SharedFile::Holder& h) { return h.owner == owner; });
  if (it != holders.end()) holders.erase(it);
  if (holders.empty()) Files().erase(file->key);
}

SharedFile* ShareRegistry::Find(FileKey key) {
  auto& files = Files();
  auto it = files.find(key);
  return it == files.end() ? nullptr : &it->second;
}

void ShareRegistry::ForEach(void (*visit)(SharedFile& file)) {
  for (auto& entry : Files()) visit(entry.second);
}

}  // namespace kfio::detail
