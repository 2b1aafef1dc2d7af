// XoASCIILT and the readers that deliver text to a string variable: TRead
// (lines), LRead (one line) and ReadToken (fields).
#pragma once

#include "text/piece.h"

namespace kfio {

class XoASCIILT : public XoASCIIPiece {
  KFIO_DECLARE_DYNAMIC(XoASCIILT, XoASCIIPiece)
 public:
  explicit XoASCIILT(const char* syntax);
  int ParseArguments(char* arguments, XoDLL& module) override;

 protected:
  int DeliverPiece(const PieceText& piece, uint32_t fieldEnds) override;
  // The count argument in slot i (lines or tokens), which must be given.
  int TakeCount(int i, uint32_t& wanted) const;
  // Without strVarLetter a call stores where the previous call stored.
  char varLetter_ = 0;

 private:
  int letter_ = -1;  // argument slot
};

class XoTRead : public XoASCIILT {
  KFIO_DECLARE_DYNAMIC(XoTRead, XoASCIILT)
  friend class XoASCIIPiece;

 public:
  XoTRead();
  int ParseArguments(char* arguments, XoDLL& module) override;

 protected:
  // LRead: no nLine slot.
  explicit XoTRead(const char* syntax) : XoASCIILT(syntax) {}
  int Execute(double* result, XoDLL& module) override;
  // The loop as the object's own class runs it (LRead's is final).
  virtual int Loop() { return ReadLoopAs(*this); }
  bool KeepChar(uint8_t byte) override;
  // Its decisions, and LRead's, notice only NUL, CR, LF, ListSep and the
  // bound: every nLineMode keeps the other bytes.
  static constexpr bool kPlainRuns = true;
  // Final here, so the loop calls them directly for LRead too.
  bool StopReading(uint8_t byte, uint32_t fieldEnds) final {
    return XoASCIILT::StopReading(byte, fieldEnds) || linesSeen_ >= wanted_;
  }
  bool PieceComplete(uint8_t byte, uint32_t /*pieceLength*/) final {
    if (EndsLine(byte)) ++linesSeen_;
    return StopReading(byte, fieldEnds_);
  }
  uint32_t wanted_ = 0;
  uint32_t linesSeen_ = 0;

 private:
  int lines_ = -1;  // argument slot
};

class XoLRead final : public XoTRead {
  KFIO_DECLARE_DYNAMIC(XoLRead, XoTRead)
  friend class XoASCIIPiece;

 public:
  XoLRead();
  int ParseArguments(char* arguments, XoDLL& module) override;

 protected:
  int Execute(double* result, XoDLL& module) override;
  int Loop() override { return ReadLoopAs(*this); }
  bool KeepChar(uint8_t byte) override {
    switch (LineMode()) {
      case 0: return byte != 0 && byte != kLF && byte != kCR;
      case 1: return byte != 0 && byte != kLF;
      default: return byte != kCR;
    }
  }
};

class XoReadToken final : public XoASCIILT {
  KFIO_DECLARE_DYNAMIC(XoReadToken, XoASCIILT)
  friend class XoASCIIPiece;

 public:
  XoReadToken();
  int ParseArguments(char* arguments, XoDLL& module) override;

 protected:
  int Execute(double* result, XoDLL& module) override;
  bool KeepChar(uint8_t byte) override { return keepBreaks_ || (byte != kCR && byte != kLF); }
  bool StopReading(uint8_t byte, uint32_t fieldEnds) override {
    return XoASCIILT::StopReading(byte, fieldEnds) || fieldEnds >= wanted_;
  }

 private:
  int tokens_ = -1;  // argument slot
  uint32_t wanted_ = 0;
  bool keepBreaks_ = false;  // the new error mode keeps CR and LF
};

// The count check of TRead, ReadToken and CRead: 0 to go on.
int CheckCount(uint32_t count, double* result);

}  // namespace kfio
