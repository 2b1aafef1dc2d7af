// The host service numbers and the blocks passed with them; shared by the
// module and the reference host so both sides agree on every byte.
#pragma once

#include <cstddef>
#include <cstdint>

#include "kutl/missing_value.h"

namespace kfio {

// The host's callback: (host context, opcode, a, b) -> answer.
using HostCallback = uint64_t (*)(uint64_t hostContext, uint32_t opcode, uint64_t a, uint64_t b);

// The exported entry, as a host sees it.
using XodllFunction = uint32_t (*)(uint64_t hostContext, const char* objectName, char* memberName,
                                   void* value, HostCallback hostCallback, uint16_t command);

// Command codes of XODLL (bit 0x8000 flags a call).
namespace cmd {
inline constexpr uint16_t kFlag = 0x8000;
inline constexpr uint16_t kSetNumber = 17;
inline constexpr uint16_t kGetNumber = 18;
inline constexpr uint16_t kSetString = 19;
inline constexpr uint16_t kGetString = 20;
inline constexpr uint16_t kCallState = 30;
inline constexpr uint16_t kGetCount = 2051;
inline constexpr uint16_t kSetCount = 2052;
inline constexpr uint16_t kCallMethod = 3073;
}  // namespace cmd

// The longest string value the module keeps; a host's buffer for command 20
// and for string-variable reads must hold this many bytes plus the NUL.
inline constexpr std::size_t kMaxStringValue = 65535;
inline constexpr std::size_t kHostStringBuffer = kMaxStringValue + 1;

// Host service opcodes.
namespace op {
// The one service called with a worksheet handle (from 4099) in place of
// the host context: the host takes a row of values.
inline constexpr uint32_t kTakeRow = 0;
inline constexpr uint32_t kPrintLine = 4096;
inline constexpr uint32_t kWorksheetHandle = 4099;
inline constexpr uint32_t kRunCommand = 4100;
inline constexpr uint32_t kSetStringVar = 4108;
inline constexpr uint32_t kCheckText = 4110;
inline constexpr uint32_t kGetStringVar = 4114;
inline constexpr uint32_t kEvaluate = 4124;
inline constexpr uint32_t kFormatNumber = 4154;
inline constexpr uint32_t kFindDataset = 12288;
inline constexpr uint32_t kFindColumnByNumber = 12289;
inline constexpr uint32_t kAfterMethod = 12300;
inline constexpr uint32_t kFindColumnByName = 12302;
inline constexpr uint32_t kNewTempDataset = 12303;
inline constexpr uint32_t kGetElement = 13312;
inline constexpr uint32_t kSetElement = 13313;
inline constexpr uint32_t kGetPair = 13315;
inline constexpr uint32_t kValueAt = 13316;
inline constexpr uint32_t kGetRange = 13321;
inline constexpr uint32_t kSetPair = 13324;
inline constexpr uint32_t kResize = 13323;
inline constexpr uint32_t kGetElementAlt1 = 13326;
inline constexpr uint32_t kGetElementAlt2 = 13327;
inline constexpr uint32_t kSetElementAlt1 = 13328;
inline constexpr uint32_t kSetElementAlt2 = 13329;
inline constexpr uint32_t kSetParameter = 13330;
inline constexpr uint32_t kNewUnnamedTemp = 13339;
inline constexpr uint32_t kReleaseTemp = 13340;
inline constexpr uint32_t kIsText = 13380;
inline constexpr uint32_t kSetText = 13381;
inline constexpr uint32_t kGetText = 13382;
inline constexpr uint32_t kSetByte = 13383;
inline constexpr uint32_t kGetTextByIndex = 13384;
inline constexpr uint32_t kColumnCount = 26624;
inline constexpr uint32_t kColumnName = 26625;
inline constexpr uint32_t kRemoveColumn = 26628;
inline constexpr uint32_t kAddColumn = 26630;
inline constexpr uint32_t kSetColumnName = 26642;
inline constexpr uint32_t kSetColumnKind = 26644;
inline constexpr uint32_t kQueryColumn = 26646;
inline constexpr uint32_t kSetColumnTitle = 26648;
inline constexpr uint32_t kSetRowCount = 26650;
inline constexpr uint32_t kFindPage = 36865;
}  // namespace op

// 4154: a = address of the double; b = this block.
struct FormatBlock {
  char* buffer;
  const char* format;
};

// 12288, 12289, 12302: four 8-byte cells, each holding a signed 32-bit value
// (cell 0 carries the column number or the column name's address on input).
struct DatasetBlock {
  int64_t cell[4];
};

inline constexpr std::size_t kDatasetNameMax = 24;
inline constexpr std::size_t kPageNameMax = 119;
// A host copies at most this many bytes plus the NUL into the module's
// buffers for a text element (13382, 13384) and a column name (26625).
inline constexpr std::size_t kTextElementMax = 259;
inline constexpr std::size_t kColumnNameMax = 127;
// A worksheet page holds at most this many columns: a host refuses to add
// one more (26630), and an import refuses a column index at or beyond it
// rather than ask for the columns before it.
inline constexpr int32_t kMaxColumns = 32767;
// Format code of the module's resize requests (13323).
inline constexpr int64_t kResizeFormat = 32770;
// Column type of the columns the module adds (26630), and the kind value
// that lets a column hold text (26644).
inline constexpr int32_t kAddedColumnType = 9;
inline constexpr int32_t kTextColumnKind = 9;

// 12303: a = this block, b = address of the name.
struct TempDatasetBlock {
  uint32_t size;
  uint32_t zero;
  char name[kDatasetNameMax + 1];
};

// 13312/13313 and the alternative element services, 13383.
struct ElementBlock {
  int32_t index;
  uint32_t pad;
  double value;
};

// 13315, 13324.
struct PairBlock {
  int32_t index;
  uint32_t pad;
  double first;
  double second;
};

// 13316.
struct ValueAtBlock {
  int32_t zero;
  uint32_t pad;
  double result;
  double x;
};

// 13381, 13382.
struct TextBlock {
  int32_t index;
  uint32_t pad;
  const char* text;
};

// 13384.
struct TextReadBlock {
  int32_t* index;
  char* buffer;
};

// 13321.
struct RangeBlock {
  int32_t from;
  int32_t to;
  int32_t lower;
  int32_t upper;
};

// 13323: three 8-byte cells.
struct SizeBlock {
  int64_t from;
  int64_t to;
  int64_t format;
};

// 36865: a = this block, b = the page name.
struct PageFindBlock {
  int32_t minusOne;
  int16_t one;
};

// 26644.
struct ColumnBlock {
  int32_t selector;
  uint32_t pad;
  int64_t column;
  int32_t value;
};

// 26646: the host writes its answer over `one`.
struct ColumnQueryBlock {
  int32_t one;
  int32_t column;
};

// 26642, 26648.
struct ColumnTextBlock {
  int32_t column;
  uint32_t pad;
  const char* text;
};

// 26630.
struct AddColumnBlock {
  int32_t value;
  uint32_t pad;
  uint64_t name;
  uint64_t argument;
  int32_t columnType;
};

// 4099: a = the worksheet's name, b = the address of a 64-bit handle that
// the host fills. Opcode 0 with that handle as the context: a = this block,
// b = 0.
inline constexpr uint16_t kRowBlockType = 0x2034;
// The block counts its values in 16 bits.
inline constexpr uint32_t kMaxRowValues = 0xFFFF;
struct RowBlock {
  uint16_t type;  // kRowBlockType
  uint16_t count;
  uint32_t one;
  uint16_t zero;
  uint8_t pad[6];
  const double* values;  // `count` doubles, column 1 first
};

static_assert(sizeof(void*) == 8, "host blocks carry 64-bit addresses");
static_assert(sizeof(DatasetBlock) == 32, "dataset block is four 8-byte cells");
static_assert(offsetof(ElementBlock, value) == 8, "element value follows the index and 4 bytes of padding");
static_assert(sizeof(PairBlock) == 24, "pair block is index, padding, two doubles");
static_assert(offsetof(TextBlock, text) == 8, "text address follows the index and padding");
static_assert(sizeof(RangeBlock) == 16, "range block is four 32-bit integers");
static_assert(sizeof(SizeBlock) == 24, "size block is three 8-byte cells");
static_assert(offsetof(ColumnBlock, column) == 8 && offsetof(ColumnBlock, value) == 16,
              "column block is selector, padding, 64-bit column, 32-bit value");
static_assert(offsetof(AddColumnBlock, name) == 8 && offsetof(AddColumnBlock, columnType) == 24,
              "add-column block is value, padding, name, argument, type");
static_assert(offsetof(TempDatasetBlock, name) == 8, "temporary-dataset name follows two 32-bit cells");
static_assert(offsetof(RowBlock, type) == 0, "row block starts with its 16-bit type");
static_assert(offsetof(RowBlock, count) == 2, "row block's 16-bit value count follows the type");
static_assert(offsetof(RowBlock, one) == 4, "row block's 32-bit 1 is at byte 4");
static_assert(offsetof(RowBlock, zero) == 8, "row block's 16-bit 0 is at byte 8");
static_assert(offsetof(RowBlock, values) == 16, "row block's value address follows 6 bytes of padding");
static_assert(sizeof(RowBlock) == 24, "row block is 24 bytes");

}  // namespace kfio
