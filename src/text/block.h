// XoASCII: the block reader (ASCII, READASCII). Reads up to a stop condition
// set by its own sub-properties, collecting characters for a string variable
// and numeric fields for one new worksheet row.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "fum/limited.h"
#include "text/rows.h"

namespace kfio {

class XoASCII final : public XoASCIIPiece {
  KFIO_DECLARE_DYNAMIC(XoASCII, XoASCIIPiece)
  friend class XoASCIIPiece;

 public:
  // STOPMODE bits.
  static constexpr int32_t kStopChar = 1;
  static constexpr int32_t kStopString = 2;
  static constexpr int32_t kStopTokens = 4;
  static constexpr int32_t kStopLines = 8;

  XoASCII();
  int ParseArguments(char* arguments, XoDLL& module) override;
  // Releases the page; no after-method notice to the host.
  bool AfterRun(XoDLL& module) override;
  void ResetState() override;
  const MemberTable* SubTable() const override { return &members_; }

  // The sub-properties; they keep their values from call to call.
  XoString include;
  XoString exclude;
  XoBounded readMode{0, 1, 0};
  XoString stopChar;
  XoString stopString;
  XoInt nTokens;
  XoInt nLines;
  XoInt stopMode;

 protected:
  int Execute(double* result, XoDLL& module) override;
  bool KeepChar(uint8_t byte) override;
  bool StopReading(uint8_t byte, uint32_t fieldEnds) override;
  bool PieceComplete(uint8_t byte, uint32_t pieceLength) override;
  int DeliverPiece(const PieceText& piece, uint32_t fieldEnds) override;

 private:
  int letter_ = -1;  // argument slots
  int page_ = -1;
  MemberTable members_;

  char varLetter_ = 0;  // 0: no variable this call
  WksRow row_;
  uint32_t linesSeen_ = 0;
  uint32_t stopFlag_ = 0;
  std::string varText_;
  // The sub-properties as this call reads them: per byte, a table lookup.
  int32_t mode_ = 0;
  uint32_t tokensWanted_ = 0;
  uint32_t linesWanted_ = 1;
  std::array<bool, 256> collects_{};  // goes into varText_
  std::array<bool, 256> stopsAt_{};   // a stop character
};

}  // namespace kfio
