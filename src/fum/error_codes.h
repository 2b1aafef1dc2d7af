// Every code a file method stores in Error, by name: a pair holds the code of
// the default error mode and the code of the new error mode (NEWACTIONS on).
// Codes that are the same in both modes stand alone.
#pragma once

namespace kfio {

struct ErrorPair {
  int byDefault;
  int byNew;
};

namespace err {

// Arguments and settings.
inline constexpr ErrorPair kOutOfRange{3, 12};
inline constexpr ErrorPair kMissingArgument{65, 10};
inline constexpr ErrorPair kMissingArrayArgument{1024, 10};
// Jump and JumpChunk answer the code as their status in both modes.
inline constexpr ErrorPair kMissingOffset{10, 10};
inline constexpr ErrorPair kEndBeforeStart{64, 19};
inline constexpr ErrorPair kBadWidth{2, 12};
inline constexpr ErrorPair kOutOfMemory{5, 44};
inline constexpr ErrorPair kSeparatorRefused{6, 20};

// Handles and names.
inline constexpr ErrorPair kHandleOutOfRange{3, 13};
inline constexpr ErrorPair kNoSuchHandle{1156, 14};
// No hFile argument and no current file; the new mode keeps the check's code.
inline constexpr int kNoCurrentFile = 1024;
inline constexpr ErrorPair kMissingFileName{65, 5};
inline constexpr ErrorPair kEmptyFileName{1153, 261};
inline constexpr ErrorPair kHandleAndName{65, 9};
inline constexpr ErrorPair kNoSuchFile{1156, 15};
// Syntax and AltSpell: only the new error mode calls an unknown name an error.
inline constexpr ErrorPair kNoName{0, 260};
inline constexpr ErrorPair kNoSuchMethod{0, 262};
inline constexpr ErrorPair kNoSuchMember{0, 264};

// Opening, closing and moving.
inline constexpr ErrorPair kCannotCreate{1153, 21};
inline constexpr ErrorPair kCannotOpen{1153, 22};
inline constexpr ErrorPair kCloseFailed{1156, 23};
inline constexpr int kCloseAllFailed = 23;
inline constexpr ErrorPair kRemoveFailed{1156, 24};
inline constexpr ErrorPair kSizeFailed{1156, 25};
inline constexpr ErrorPair kPositionFailed{1156, 26};
inline constexpr ErrorPair kSeekFailed{1156, 27};
// GetPos past 2 GiB: the default mode's code; the new mode answers 2.
inline constexpr int kPositionTooLarge = 1156;

// Reading and writing values.
inline constexpr int kEndOfFile = 33;
inline constexpr int kReadFailed = 28;
// A one-value read that failed, by the default mode's code: the integer read
// at the end of the file, a floating read there, any other failure.
inline constexpr int kIntegerShortRead = 1158;
inline constexpr int kValueShortRead = 1157;
inline constexpr int kValueReadFailed = 1157;
inline constexpr ErrorPair kValueWriteFailed{1155, 29};
inline constexpr ErrorPair kChunkReadFailed{1157, 30};
inline constexpr ErrorPair kChunkReadAtEnd{1157, 33};
inline constexpr ErrorPair kChunkWriteFailed{6, 31};

// Reading text into string variables.
inline constexpr ErrorPair kMissingTextArgument{1024, 10};
inline constexpr ErrorPair kZeroCount{0, 12};  // the default mode's result is 0
inline constexpr ErrorPair kNotALetter{65, 18};
inline constexpr ErrorPair kStringRefused{6, 20};
inline constexpr ErrorPair kTextLengthFailed{1028, 25};
inline constexpr int kBadLineMode = 43;
// The block reader's NTOKENS or NLINES below 0.
inline constexpr int kNegativeLimit = 12;

// Fields into worksheet rows.
inline constexpr ErrorPair kColumnNotAdded{6, 20};
inline constexpr ErrorPair kCellRefused{6, 20};
// A binary row: the host had no handle for the worksheet or would not take
// the row.
inline constexpr ErrorPair kRowRefused{6, 20};

// Record templates.
// An unknown type word, a stray character, an empty item, or no value at all.
inline constexpr int kBadTemplateItem = 16;
inline constexpr int kZeroRepeat = 17;
// WriteRecord: the worksheet has fewer columns than a record has values.
inline constexpr int kTooFewColumns = 38;

// High-level methods: a nested call whose method index names no method of
// FUM (a number outside the index, or a method this build lacks).
inline constexpr int kNoNestedMethod = 262;
// A nested call of a high-level method failed: the default mode's code and
// status (the new mode answers NestedFailure of the nested status).
inline constexpr int kNestedCallFailed = 4;

// The worksheet block reader. A stop and an unopened file are soft errors:
// the call succeeds. The end of the file is soft in the default mode only.
inline constexpr int kBlockFileNotOpened = 1026;
inline constexpr ErrorPair kBlockEndOfFile{1030, 33};
inline constexpr int kBlockStopped = 1031;

// The import methods: the file is not in the layout the import reads, or
// wksname$ names no worksheet.
inline constexpr int kNotThisFormat = 41;
inline constexpr int kNoWorksheet = 39;

// Imports. The dataset name of a column could not be made or is longer than
// a dataset lookup takes.
inline constexpr ErrorPair kImportNameRefused{6, 20};
// The text read into Z could not be fetched back, or the host refused it as
// a column title.
inline constexpr ErrorPair kImportTextRefused{6, 20};
// A header field that would drive an import past what the file can hold: a
// column beyond a page's column limit, a block that does not move on, a
// title that runs past its record.
inline constexpr int kImportRefused = 41;

}  // namespace err
}  // namespace kfio
