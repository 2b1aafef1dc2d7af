// MyCFile, one open file of the script, and FileRefList, the table of open
// files in opening order.
#pragma once

#include <cstdint>

#include "platform/cfile.h"
#include "platform/ptr_list.h"

namespace kfio {

class MyCFile : public CFile {
  KFIO_DECLARE_DYNAMIC(MyCFile, CFile)
 public:
  explicit MyCFile(uint8_t mode) : openMode(mode) {}
  // A null path is a programming error, not a name.
  void SetFilePath(const char* path) override;
  // The number scripts know the file by.
  int32_t HandleNumber() const { return Handle(); }

  uint8_t openMode;
};

class FileRefList : public CPtrList {
  KFIO_DECLARE_DYNAMIC(FileRefList, CPtrList)
 public:
  FileRefList() : CPtrList(10) {}
  FileRefList(const FileRefList&) = delete;
  FileRefList& operator=(const FileRefList&) = delete;
  ~FileRefList() override;

  void Append(MyCFile* entry) { AddTail(entry); }
  MyCFile* FindByHandle(int32_t n) const;
  // Takes the entry out of the table; the caller deletes it.
  void RemoveEntry(MyCFile* entry);
  bool Contains(const MyCFile* entry) const;
  // Closes and deletes every entry. With `reportFailures` (the new error
  // mode) the first failing close stops it with Error 23 and status 23.
  int CloseAllEntries(bool reportFailures);

  template <typename F>
  void ForEach(F f) const {
    for (POSITION p = GetHeadPosition(); p != nullptr;) f(static_cast<MyCFile*>(GetNext(p)));
  }
};

}  // namespace kfio
