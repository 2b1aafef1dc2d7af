// XoASCIIPiece: the byte-at-a-time reader under every text reader. Its
// decisions (keep a byte, end a field, complete a piece, stop, deliver) are
// virtual; the read loop that asks them is not.
#pragma once

#include <cstdint>
#include <string>

#include "binary/scribe.h"

namespace kfio {

class XoASCIIPiece : public XoPiecewise {
  KFIO_DECLARE_DYNAMIC(XoASCIIPiece, XoPiecewise)
 public:
  using XoPiecewise::XoPiecewise;
  // Skips XoPiecewise's checks: text obeys nLineMode and ListSep, not the
  // binary settings.
  int ParseArguments(char* arguments, XoDLL& module) override;

 protected:
  static constexpr uint8_t kCR = 13;
  static constexpr uint8_t kLF = 10;

  virtual bool CountsAsFieldEnd(uint8_t byte);
  virtual int DeliverPiece(const std::string& /*piece*/, uint32_t /*fieldEnds*/) { return 0; }
  virtual bool KeepChar(uint8_t /*byte*/) { return true; }
  virtual int CheckChar(uint8_t /*byte*/) { return 0; }
  // Asked twice for some bytes: must not change state.
  virtual bool StopReading(uint8_t byte, uint32_t fieldEnds);
  virtual bool PieceComplete(uint8_t byte, uint32_t /*pieceLength*/) { return StopReading(byte, fieldEnds_); }

  // Runs the loop on the current entry; 0 or the status, with Error set.
  int ReadLoop();
  bool AtBound() const { return eofSeen_ != 0 || bytesRead_ >= byteBound_; }
  // The nLineMode rule for the byte just read.
  bool EndsLine(uint8_t byte) const {
    if (lineMode_ == 0) return byte == kLF && prevChar_ == kCR;
    return byte == (lineMode_ == 1 ? kLF : kCR);
  }
  int32_t LineMode() const { return lineMode_; }

  uint32_t eofSeen_ = 0;
  uint32_t byteBound_ = 0;
  uint32_t bytesRead_ = 0;
  uint32_t charsKept_ = 0;
  uint32_t fieldEnds_ = 0;
  uint8_t prevChar_ = 0;
  std::string piece_;  // reused: its capacity outlives the call

 private:
  // Taken after the bounds check, for the per-byte tests.
  int32_t lineMode_ = 0;
  int32_t listSep_ = ',';
};

}  // namespace kfio
