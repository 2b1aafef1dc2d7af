// The bulk transfer and the array methods ARead and AWrite.
#include "binary/bulk.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "fum/errors.h"
#include "fum/file_entry.h"
#include "fum/settings.h"
#include "platform/file_exception.h"

namespace kfio {

namespace {
// The chunk procedure's own result for memory that ran out.
constexpr int kOutOfMemory = err::kOutOfMemory.byNew;
constexpr uint32_t kArraySplitBudget = 256;

unsigned char* DefaultAllocate(std::size_t bytes) { return new unsigned char[bytes]; }
void DefaultRelease(unsigned char* buffer) { delete[] buffer; }

XoBulk::ChunkAllocator g_allocate = DefaultAllocate;
XoBulk::ChunkDeallocator g_release = DefaultRelease;

// The most one transfer buffers at a time: large enough that a piece costs
// one file operation among millions of values, small beside any dataset.
constexpr std::size_t kPieceBytes = std::size_t{4} << 20;
std::size_t g_pieceBytes = kPieceBytes;

constexpr int32_t kBinTypes[] = {0, 1, 2};
// Built on first use, so it outlives the module object that uses it.
SharedDiscrete& SharedBinTypes() {
  static SharedDiscrete binTypes(kBinTypes, 3u);
  return binTypes;
}

// A chunk read that the file layer refused.
int ReadFailure(const CFileException& e) {
  return Fail(e.m_cause == CFileException::endOfFile ? err::kChunkReadAtEnd : err::kChunkReadFailed);
}

// Frees the chunk buffer on every way out.
struct ChunkBuffer {
  unsigned char* data = nullptr;
  ~ChunkBuffer() {
    if (data != nullptr) g_release(data);
  }
};
}  // namespace

void XoBulk::SetAllocator(ChunkAllocator allocate, ChunkDeallocator release) {
  g_allocate = allocate;
  g_release = release;
}

void XoBulk::ResetAllocator() {
  SetAllocator(DefaultAllocate, DefaultRelease);
  g_pieceBytes = kPieceBytes;
}

void XoBulk::SetPieceBytes(std::size_t bytes) { g_pieceBytes = std::max<std::size_t>(bytes, 1); }

int XoBulk::BulkTransfer(MyCFile* file, uint32_t itemSize, uint32_t count, uint32_t splitBudget,
                         bool reading) {
  file_ = file;
  itemSize_ = itemSize;
  itemCount_ = count;
  splitBudget_ = splitBudget;
  reading_ = reading;
  lastResult_ = 0;
  if (count == 0) return 0;  // an empty image: nothing to move
  return Chunk(count, 0) == kOutOfMemory ? 1 : 0;
}

int XoBulk::Chunk(uint32_t count, uint32_t start) {
  if (splitBudget_ == 0) return kOutOfMemory;
  --splitBudget_;
  uint64_t bytes = static_cast<uint64_t>(itemSize_) * count;
  if (start + count == itemCount_) bytes -= std::min<uint64_t>(bytes, TrailingBytes());

  uint64_t position = 0;
  if (reading_) {
    // Never allocate more than the file can still deliver.
    try {
      const uint64_t length = file_->GetLength();
      position = file_->GetPosition();
      bytes = std::min(bytes, length > position ? length - position : 0);
    } catch (const CFileException& e) {
      return lastResult_ = ReadFailure(e);
    }
    if (bytes == 0) return lastResult_ = StoreError(err::kEndOfFile);
  }

  // A large chunk streams through a buffer of at most g_pieceBytes (whole
  // items, at least one), reused piece after piece.
  const uint32_t perPiece = static_cast<uint32_t>(
      std::clamp<uint64_t>(g_pieceBytes / std::max<uint32_t>(itemSize_, 1), 1, count));
  const uint64_t bufferBytes = std::min<uint64_t>(bytes, uint64_t{perPiece} * itemSize_);
  ChunkBuffer buffer;
  try {
    buffer.data = g_allocate(static_cast<std::size_t>(bufferBytes));
  } catch (const std::bad_alloc&) {
    if (count < 2) return lastResult_ = kOutOfMemory;
    const uint32_t half = count / 2;
    int r = Chunk(half, start);
    if (r == 0) {
      ++splitBudget_;
      r = Chunk(count - half, start + half);
      if (r == 0) {
        ++splitBudget_;
        return 0;
      }
    }
    return lastResult_ = r;
  }
  int r = 0;
  try {
    r = reading_ ? ReadChunk(count, start, buffer.data, position, bytes, perPiece)
                 : WriteChunk(count, start, buffer.data, perPiece);
  } catch (const std::bad_alloc&) {
    // Memory that runs out while the chunk's values are converted (the page,
    // its column objects, the row) is the chunk's failure: Error 5 (44), what
    // the chunk opened is closed. With NEWACTIONS on that code ends the
    // transfer as a missing buffer does (status 1); in the default mode, as
    // any chunk failure there, the call answers its count with Error set.
    r = OutOfMemoryFailure();
    FinishChunk(r);
  }
  return lastResult_ = r;
}

int XoBulk::ReadChunk(uint32_t count, uint32_t start, unsigned char* buffer, uint64_t position,
                      uint64_t bytes, uint32_t perPiece) {
  // An item counts once its value is whole; the gap after it may be missing.
  const uint32_t valueBytes = itemSize_ - std::min(itemSize_, TrailingBytes());
  uint64_t left = bytes;
  uint32_t done = 0;
  int r = 0;
  while (done < count && left > 0) {
    const uint32_t n = std::min(perPiece, count - done);
    const auto want = static_cast<unsigned>(std::min<uint64_t>(left, uint64_t{n} * itemSize_));
    unsigned delivered = 0;
    try {
      delivered = file_->Read(buffer, want);
    } catch (const CFileException& e) {
      r = ReadFailure(e);
      break;
    }
    if (delivered == 0) break;
    uint32_t whole = 0;
    if (delivered >= valueBytes)
      whole = std::min<uint64_t>(n, (delivered - valueBytes) / std::max<uint32_t>(itemSize_, 1) + 1);
    r = FromBuffer(start + done, whole, buffer);
    done += whole;
    left -= delivered;
    if (r != 0 && left > 0) {
      // The chunk's bytes are read whether or not their values could be
      // used: the file position ends where one read of the chunk leaves it.
      try {
        file_->Seek(static_cast<int64_t>(position + bytes), CFile::begin);
      } catch (const CFileException&) {
        // The failure already in Error is the one to report.
      }
    }
    if (r != 0 || whole < n) break;
  }
  r = FinishChunk(r);
  // The file ended early: the values past it are not stored.
  if (r == 0 && done < count) return StoreError(err::kEndOfFile);
  return r;
}

int XoBulk::WriteChunk(uint32_t count, uint32_t start, unsigned char* buffer, uint32_t perPiece) {
  int r = 0;
  for (uint32_t done = 0, n = 0; done < count && r == 0; done += n) {
    n = std::min(perPiece, count - done);
    uint64_t bytes = uint64_t{n} * itemSize_;
    if (start + done + n == itemCount_) bytes -= std::min<uint64_t>(bytes, TrailingBytes());
    // Gaps between values are written as zero bytes.
    std::memset(buffer, 0, static_cast<std::size_t>(bytes));
    r = ToBuffer(start + done, n, buffer);
    if (r != 0) break;
    try {
      file_->Write(buffer, static_cast<unsigned>(bytes));
    } catch (const CFileException&) {
      r = Fail(err::kChunkWriteFailed);
    }
  }
  return FinishChunk(r);
}

XoBinIO::XoBinIO(const char* syntax) : XoBulk(syntax) { SharedBinTypes().Acquire(); }

XoBinIO::~XoBinIO() { SharedBinTypes().Release(); }

XoDiscrete* XoBinIO::BinTypes() { return SharedBinTypes().Get(); }

uint32_t XoBinIO::TrailingBytes() const {
  const int32_t skip = TheState().Skip();
  return skip > 0 ? static_cast<uint32_t>(skip) : 0;
}

int XoBinIO::ParseArguments(char* arguments, XoDLL& module) {
  if (const int s = XoBulk::ParseArguments(arguments, module)) return s;
  return CheckByteOrder();
}

uint64_t XoBinIO::ItemSizeSetting() {
  const FumState& fum = TheState();
  return static_cast<uint64_t>(fum.NBytes()) + static_cast<uint64_t>(fum.Skip());
}

int XoBinIO::CheckImageSize(uint32_t count) {
  const FumState& fum = TheState();
  if (fum.Skip() < 0 || fum.NBytes() < 1) return Fail(err::kOutOfRange);
  if (ItemSizeSetting() * count > UINT32_MAX) return Fail(err::kOutOfRange);
  return 0;
}

int XoBinIO::CheckValueLayout(int32_t binType, uint32_t count) {
  XoDiscrete* types = BinTypes();
  if (types == nullptr) return OutOfMemoryFailure();
  if (const int s = types->CheckAndKeep(binType)) return s;
  if (const int s = CheckSigned()) return s;
  return CheckImageSize(count);
}

int XoBinIO::SelectRoutine(bool reading) {
  kind_ = BinTypes()->Int();
  width_ = TheState().NBytes();
  if (LoadedConverter().Select(kind_, width_, reading) != nullptr) return 0;
  return StoreError(FUM_TypeConverter::kNoRoutine);
}

XoAIO::XoAIO()
    : XoBinIO("(dataset$,start,end,binType[,hFile])\r\nNote: Affected by .nBytes, .ByteOrder, "
              ".Signed and .Skip!"),
      dataset_(AddArgument<XoDataSetName>()),
      start_(AddArgument<XoInt>()),
      endArg_(AddArgument<XoInt>()),
      binType_(AddArgument<XoInt>()) {
  AddArgument<XoInt>();
}

int XoAIO::ParseArguments(char* arguments, XoDLL& module) {
  if (const int s = XoBinIO::ParseArguments(arguments, module)) return s;
  if (!Given(dataset_) || !Given(start_) || !Given(endArg_) || !Given(binType_))
    return Fail(err::kMissingArrayArgument);
  first_ = static_cast<uint32_t>(static_cast<int64_t>(IntArg(start_)) - 1);
  end_ = static_cast<uint32_t>(IntArg(endArg_));
  if (end_ < first_) return Fail(err::kEndBeforeStart);
  // The host sizes and indexes datasets with signed 32-bit numbers.
  if (end_ > static_cast<uint32_t>(INT32_MAX)) return Fail(err::kOutOfRange);
  return CheckValueLayout(IntArg(binType_), end_ - first_);
}

int XoAIO::Execute(double* result, XoDLL& /*module*/) {
  if (NewErrorMode()) *result = -1.0;
  // Fits: CheckImageSize refused any item size above 32 bits.
  const auto itemSize = static_cast<uint32_t>(ItemSizeSetting());
  if (BulkTransfer(CurrentEntry(), itemSize, end_ - first_, kArraySplitBudget, Reading()) != 0)
    return 1;
  *result = static_cast<double>(end_ - first_);
  return 0;
}

int XoAIO::HostRefused() { return Fail(err::kOutOfRange); }

int XoARead::FromBuffer(uint32_t start, uint32_t count, const unsigned char* buffer) {
  if (!data_) {
    data_.emplace(DatasetName());
    if (const int s = SelectRoutine(true)) return s;
  }
  FUM_TypeConverter& c = TheConverter();
  const std::size_t stride = ItemSize();
  double values[kRun];
  return ForEachRun(count, [&](uint32_t done, uint32_t n) {
    std::size_t stored = 0;
    const int bad = c.DecodeArray(kind_, width_, buffer + done * stride, stride, n, values, &stored);
    const auto base = static_cast<int32_t>(first_ + start + done);  // below end_: fits 31 bits
    const auto decoded = static_cast<int32_t>(stored);
    if (data_->SetValues(base, values, decoded) != decoded) return HostRefused();
    return bad != 0 ? StoreError(bad) : 0;
  });
}

int XoARead::FinishChunk(int result) {
  if (!data_) return result;
  data_->Close();
  const bool refused = data_->HostRefused();
  data_.reset();
  if (result != 0) return result;
  if (refused) return HostRefused();
  if (TheConverter().softError) SetError(TheConverter().softError);
  return 0;
}

int XoAWrite::ToBuffer(uint32_t start, uint32_t count, unsigned char* buffer) {
  if (!data_) {
    data_.emplace(DatasetName());
    if (const int s = SelectRoutine(false)) return s;
  }
  FUM_TypeConverter& c = TheConverter();
  const std::size_t stride = ItemSize();
  double values[kRun];
  return ForEachRun(count, [&](uint32_t done, uint32_t n) {
    data_->GetValues(static_cast<int32_t>(first_ + start + done), values, static_cast<int32_t>(n));
    const int bad = c.EncodeArray(kind_, width_, values, n, buffer + done * stride, stride);
    return bad != 0 ? StoreError(bad) : 0;
  });
}

int XoAWrite::FinishChunk(int result) {
  if (!data_) return result;
  data_.reset();
  if (result == 0 && TheConverter().softError) SetError(TheConverter().softError);
  return result;
}

}  // namespace kfio
