// The readers that store delimited fields in host objects: XoASCIIRow with
// ReadRow and LineRow (one new worksheet row a call), and ReadArray (a range
// of a dataset). Also WksRow, the row a call writes, which the block reader
// shares.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "bridge/data.h"
#include "bridge/worksheet.h"
#include "text/piece.h"

namespace kfio {

// The numeric-character filter: digits and - . E e, never the separator.
inline bool IsNumericChar(uint8_t byte, int32_t listSep) {
  if (static_cast<signed char>(byte) == listSep) return false;
  return (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == 'E' || byte == 'e';
}

// One call's worksheet and the row below its longest column. The columns
// stay open for the call, so a cell costs the host one store, not a lookup.
class WksRow {
 public:
  // Makes the page object and finds the row; 0 or the out-of-memory status.
  int Open(const char* pageName);
  // Closes the columns, which extends each over the row written.
  void Release() {
    columns_.clear();
    page_.reset();
  }
  bool HasPage() const { return page_.has_value(); }
  uint32_t Column() const { return column_; }

  enum class Store { kByColumnKind, kAsNumber };
  // The next column gets the field (columns are added as needed); 0 or the
  // status with Error set.
  int StoreField(const char* text, Store how);

 private:
  // Column c (from 1), opened on first use.
  XoResultData& Data(uint32_t c);

  std::optional<XoKavlerWks> page_;
  // A deque never moves what it holds, and keeps a block across calls.
  std::deque<XoResultData> columns_;
  // Columns the page has: only this call adds any.
  uint32_t pageColumns_ = 0;
  uint32_t column_ = 0;
  uint32_t row_ = 0;
};

class XoASCIIRow : public XoASCIIPiece {
  KFIO_DECLARE_DYNAMIC(XoASCIIRow, XoASCIIPiece)
 public:
  explicit XoASCIIRow(const char* syntax);
  int ParseArguments(char* arguments, XoDLL& module) override;
  // Releases the page; no after-method notice to the host.
  bool AfterRun(XoDLL& module) override;

 protected:
  int Execute(double* result, XoDLL& module) override;
  bool KeepChar(uint8_t byte) override { return IsNumericChar(byte, ListSep()); }
  int DeliverPiece(const PieceText& piece, uint32_t fieldEnds) override;
  // What the subclass runs the loop as, so its final decisions inline.
  virtual int Loop() = 0;

 private:
  int page_ = -1;  // argument slot
  WksRow row_;
};

class XoReadRow final : public XoASCIIRow {
  KFIO_DECLARE_DYNAMIC(XoReadRow, XoASCIIRow)
  friend class XoASCIIPiece;

 public:
  XoReadRow();
  int ParseArguments(char* arguments, XoDLL& module) override;

 protected:
  int Loop() override { return ReadLoopAs(*this); }
  // Defined here, as in every final reader, so the loop inlines them.
  bool KeepChar(uint8_t byte) override {
    return byte != kCR && byte != kLF && static_cast<signed char>(byte) != ListSep();
  }
  bool StopReading(uint8_t byte, uint32_t fieldEnds) override {
    return XoASCIIRow::StopReading(byte, fieldEnds) || fieldEnds >= wanted_;
  }
  // Here, not in the base, so that this class's StopReading is the one called.
  bool PieceComplete(uint8_t byte, uint32_t pieceLength) override {
    return StopReading(byte, fieldEnds_) || ClosesField(byte, pieceLength);
  }

 private:
  int tokens_ = -1;  // argument slot
  uint32_t wanted_ = 0;  // kept from one call to the next
};

class XoLineRow final : public XoASCIIRow {
  KFIO_DECLARE_DYNAMIC(XoLineRow, XoASCIIRow)
  friend class XoASCIIPiece;

 public:
  XoLineRow();

 protected:
  int Loop() override { return ReadLoopAs(*this); }
  bool StopReading(uint8_t byte, uint32_t fieldEnds) override {
    return XoASCIIRow::StopReading(byte, fieldEnds) || EndsLine(byte);
  }
  bool PieceComplete(uint8_t byte, uint32_t pieceLength) override {
    return StopReading(byte, fieldEnds_) || ClosesField(byte, pieceLength);
  }
};

class XoReadArray final : public XoASCIIPiece {
  KFIO_DECLARE_DYNAMIC(XoReadArray, XoASCIIPiece)
  friend class XoASCIIPiece;

 public:
  XoReadArray();
  int ParseArguments(char* arguments, XoDLL& module) override;
  bool AfterRun(XoDLL& module) override;

 protected:
  int Execute(double* result, XoDLL& module) override;
  bool KeepChar(uint8_t byte) override { return IsNumericChar(byte, ListSep()); }
  bool StopReading(uint8_t byte, uint32_t fieldEnds) override {
    return XoASCIIPiece::StopReading(byte, fieldEnds) || fieldEnds >= wanted_;
  }
  bool PieceComplete(uint8_t byte, uint32_t pieceLength) override {
    return StopReading(byte, fieldEnds_) || ClosesField(byte, pieceLength);
  }
  int DeliverPiece(const PieceText& piece, uint32_t fieldEnds) override;

 private:
  // Stores the values gathered so far; 0 or the status with Error set.
  int Flush();

  int dataset_ = -1;  // argument slots
  int start_ = -1;
  int end_ = -1;
  int32_t first_ = 0;
  int32_t last_ = 0;
  uint32_t wanted_ = 0;  // last - first
  std::optional<XoResultData> data_;
  // Consecutive values not yet stored, from index runStart_ on.
  std::vector<double> run_;
  int32_t runStart_ = 0;
};

}  // namespace kfio
