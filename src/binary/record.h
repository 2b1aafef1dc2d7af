// XoRecord and its methods ReadRecord and WriteRecord: runs of fixed-layout
// binary records between a file and the columns of a worksheet, one record
// per row, the layout given by a template.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "binary/bulk.h"
#include "binary/template.h"
#include "bridge/worksheet.h"

namespace kfio {

// wksname$, nRecords, templateString[, hFile].
class XoRecord : public XoBinIO {
  KFIO_DECLARE_DYNAMIC(XoRecord, XoBinIO)
 public:
  XoRecord();
  // Parses the template and refuses a run whose image does not fit 32 bits.
  int ParseArguments(char* arguments, XoDLL& module) override;

 protected:
  int Execute(double* result, XoDLL& module) override;
  // The gap after the last record is neither read nor written.
  uint32_t TrailingBytes() const override { return layout_.trailingSkip; }
  int FinishChunk(int result) override;
  virtual bool Reading() const = 0;

  // Opens the worksheet for the chunk's first piece; the subclass opens its
  // columns. Loads the converter once, so that its record of values out of
  // range adds up over the pieces.
  XoKavlerWks& OpenPage();
  // Column c from 0 of the chunk, as a Data (XoResultData or XoSourceData);
  // may throw bad_alloc, which ends the transfer.
  template <typename Data>
  void OpenColumns();
  XoData& Column(uint32_t c) { return *columns_[c]; }
  bool PageOpen() const { return page_.has_value(); }
  uint32_t ValueCount() const { return layout_.valueCount; }

  // f(column from 0, field, offset of the value in the record) for every
  // value of a record, in order, with the converter's signed flag set to
  // the field's; the first non-zero answer ends the walk and is answered.
  template <typename F>
  int ForEachValue(F f) const {
    uint32_t column = 0;
    uint32_t offset = 0;
    for (const RecordField& field : layout_.fields) {
      if (field.IsSkip()) {
        offset += field.count;
        continue;
      }
      SetFieldSigned(field);
      for (uint32_t i = 0; i < field.count; ++i, ++column, offset += field.size)
        if (const int r = f(column, field, offset)) return r;
    }
    return 0;
  }

  RecordTemplate layout_;

 private:
  static void SetFieldSigned(const RecordField& field);

  int pageArg_ = -1;  // argument slots
  int recordsArg_ = -1;
  int templateArg_ = -1;
  uint32_t records_ = 0;  // nRecords, checked
  std::optional<XoKavlerWks> page_;
  std::vector<std::unique_ptr<XoData>> columns_;
};

// Records into rows 1 to nRecords; columns are added as the template needs.
class XoReadRecord : public XoRecord {
  KFIO_DECLARE_DYNAMIC(XoReadRecord, XoRecord)
 protected:
  bool Reading() const override { return true; }
  int FromBuffer(uint32_t start, uint32_t count, const unsigned char* buffer) override;

 private:
  // Narrows `record` (the run's length on entry) to the first record of the
  // run with a BCD value the converter refuses, and gives the first column
  // refusing one there.
  void FindBadDigit(const unsigned char* run, uint32_t& record, uint32_t& column);
};

// Rows 1 to nRecords into records; skipped bytes are written as zeros.
class XoWriteRecord : public XoRecord {
  KFIO_DECLARE_DYNAMIC(XoWriteRecord, XoRecord)
 protected:
  bool Reading() const override { return false; }
  int ToBuffer(uint32_t start, uint32_t count, unsigned char* buffer) override;
};

}  // namespace kfio
