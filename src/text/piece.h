// XoASCIIPiece: the byte-at-a-time reader under every text reader. Its
// decisions (keep a byte, end a field, complete a piece, stop, deliver) are
// virtual; the read loop that asks them is not.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "binary/scribe.h"
#include "text/piece_text.h"
#include "fum/file_entry.h"
#include "platform/file_exception.h"

namespace kfio {

class XoASCIIPiece : public XoPiecewise {
  KFIO_DECLARE_DYNAMIC(XoASCIIPiece, XoPiecewise)
 public:
  using XoPiecewise::XoPiecewise;
  // A reader whose decisions notice no PlainByte sets this, and the loop
  // takes runs of such bytes at once.
  static constexpr bool kPlainRuns = false;
  // Skips XoPiecewise's checks: text obeys nLineMode and ListSep, not the
  // binary settings.
  int ParseArguments(char* arguments, XoDLL& module) override;

 protected:
  static constexpr uint8_t kCR = 13;
  static constexpr uint8_t kLF = 10;

  virtual bool CountsAsFieldEnd(uint8_t byte) {
    // Bytes compare as signed: a separator above 127 never matches.
    return AtBound() || static_cast<signed char>(byte) == listSep_ || EndsLine(byte);
  }
  virtual int DeliverPiece(const PieceText& /*piece*/, uint32_t /*fieldEnds*/) { return 0; }
  virtual bool KeepChar(uint8_t /*byte*/) { return true; }
  virtual int CheckChar(uint8_t /*byte*/) { return 0; }
  // Asked twice for some bytes: must not change state.
  virtual bool StopReading(uint8_t /*byte*/, uint32_t /*fieldEnds*/) { return AtBound(); }
  virtual bool PieceComplete(uint8_t byte, uint32_t /*pieceLength*/) { return StopReading(byte, fieldEnds_); }

  // Runs the loop on the current entry with the decisions of `Reader`; 0 or
  // the status, with Error set. Readers pass their own final class, so the
  // compiler calls the decisions directly: the per-byte path has no dispatch.
  template <typename Reader>
  int ReadLoopAs(Reader& reader);
  bool AtBound() const { return eofSeen_ != 0 || bytesRead_ >= byteBound_; }
  // A byte that no decision of a reader with plain runs can notice while the
  // bound is not reached: kept under every nLineMode, no line end, no
  // separator.
  bool PlainByte(uint8_t byte) const {
    return byte != 0 && byte != kLF && byte != kCR && static_cast<signed char>(byte) != listSep_;
  }
  // The nLineMode rule for the byte just read.
  bool EndsLine(uint8_t byte) const {
    if (lineMode_ == 0) return byte == kLF && prevChar_ == kCR;
    return byte == (lineMode_ == 1 ? kLF : kCR);
  }
  int32_t LineMode() const { return lineMode_; }
  int32_t ListSep() const { return listSep_; }
  // A separator or a line end closes a field that holds something.
  bool ClosesField(uint8_t byte, uint32_t pieceLength) const {
    return pieceLength != 0 && (static_cast<signed char>(byte) == listSep_ || EndsLine(byte));
  }

  uint32_t eofSeen_ = 0;
  uint32_t byteBound_ = 0;
  uint32_t bytesRead_ = 0;
  uint32_t charsKept_ = 0;
  uint32_t fieldEnds_ = 0;
  uint8_t prevChar_ = 0;
  PieceText piece_;  // reused: its capacity outlives the call

 private:
  static constexpr std::size_t kKeptPieceCapacity = 64 * 1024;
  template <typename Reader>
  int LoopOf(Reader& reader);
  // Before the loop: the length, and the empty-file rule. 0 to go on.
  int StartLoop(MyCFile* file);
  // A byte the file did not deliver (`exception` null: none was left).
  int ReadFailure(const CFileException* exception);

  // Taken after the bounds check, for the per-byte tests.
  int32_t lineMode_ = 0;
  int32_t listSep_ = ',';
};

template <typename Reader>
int XoASCIIPiece::ReadLoopAs(Reader& reader) {
  const int s = LoopOf(reader);
  // A hostile line can make a piece of any size; it is not kept afterwards.
  if (piece_.capacity() > kKeptPieceCapacity) piece_.Release();
  return s;
}

template <typename Reader>
int XoASCIIPiece::LoopOf(Reader& reader) {
  MyCFile* file = CurrentEntry();
  if (const int s = StartLoop(file)) return s;
  uint8_t last = 0;
  uint32_t pieceLength = 0;
  while (!reader.StopReading(last, fieldEnds_)) {
    if constexpr (Reader::kPlainRuns) {
      // A run of plain bytes that stays short of the bound goes as one: the
      // byte-by-byte loop would keep each, count it, and decide nothing.
      const std::string_view span = file->InlineBytes();
      const uint32_t room = byteBound_ - bytesRead_ - 1;  // bytesRead_ < byteBound_ here
      const std::size_t limit = std::min<std::size_t>(span.size(), room);
      std::size_t n = 0;
      while (n < limit && PlainByte(static_cast<uint8_t>(span[n]))) ++n;
      if (n != 0) {
        prevChar_ = n >= 2 ? static_cast<uint8_t>(span[n - 2]) : last;
        last = static_cast<uint8_t>(span[n - 1]);
        piece_.append(span.data(), n);
        file->SkipInline(n);
        bytesRead_ += static_cast<uint32_t>(n);
        charsKept_ += static_cast<uint32_t>(n);
        pieceLength += static_cast<uint32_t>(n);
        continue;
      }
    }
    prevChar_ = last;
    int c = -1;
    try {
      c = file->GetByte();
    } catch (const CFileException& e) {
      return ReadFailure(&e);
    }
    if (c < 0) return ReadFailure(nullptr);
    const auto byte = static_cast<uint8_t>(c);
    ++bytesRead_;
    if (reader.KeepChar(byte)) {
      piece_.push_back(static_cast<char>(byte));
      ++pieceLength;
      ++charsKept_;
    }
    if (reader.CountsAsFieldEnd(byte)) ++fieldEnds_;
    if (const int s = reader.CheckChar(byte)) return s;
    if (reader.PieceComplete(byte, pieceLength)) {
      if (const int s = reader.DeliverPiece(piece_, fieldEnds_)) return s;
      piece_.clear();
      pieceLength = 0;
    }
    last = byte;
  }
  return 0;
}

}  // namespace kfio
