// Open-file entries and their table.
#include "fum/file_entry.h"

#include <stdexcept>

#include "fum/errors.h"
#include "platform/file_exception.h"

namespace kfio {

void MyCFile::SetFilePath(const char* path) {
  if (path == nullptr) throw std::invalid_argument("file path is null");
  CFile::SetFilePath(path);
}

FileRefList::~FileRefList() { CloseAllEntries(false); }

MyCFile* FileRefList::FindByHandle(int32_t n) const {
  for (POSITION p = GetHeadPosition(); p != nullptr;) {
    auto* entry = static_cast<MyCFile*>(GetNext(p));
    if (entry->IsOpen() && entry->HandleNumber() == n) return entry;
  }
  return nullptr;
}

void FileRefList::RemoveEntry(MyCFile* entry) {
  if (POSITION p = Find(entry)) RemoveAt(p);
}

bool FileRefList::Contains(const MyCFile* entry) const {
  return Find(const_cast<MyCFile*>(entry)) != nullptr;
}

int FileRefList::CloseAllEntries(bool reportFailures) {
  while (!IsEmpty()) {
    auto* entry = static_cast<MyCFile*>(GetAt(GetHeadPosition()));
    try {
      entry->Close();
    } catch (const CFileException& e) {
      if (reportFailures) {
        SetSysErr(e.m_cause);
        return StoreError(err::kCloseAllFailed);
      }
    }
    RemoveHead();
    delete entry;
  }
  return 0;
}

}  // namespace kfio
