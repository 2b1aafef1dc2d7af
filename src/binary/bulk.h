// XoBulk: moves a run of items between a file and the host through one
// buffer and one file operation per chunk, halving the chunk when memory
// runs short. XoBinIO, XoAIO, ARead and AWrite build on it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "binary/scribe.h"
#include "bridge/data.h"

namespace kfio {

class MyCFile;

class XoBulk : public XoScribe {
  KFIO_DECLARE_DYNAMIC(XoBulk, XoScribe)
 public:
  using XoScribe::XoScribe;

  // The chunk allocator; tests replace it to make allocations fail. It
  // throws std::bad_alloc when it cannot deliver.
  using ChunkAllocator = unsigned char* (*)(std::size_t bytes);
  using ChunkDeallocator = void (*)(unsigned char* buffer);
  static void SetAllocator(ChunkAllocator allocate, ChunkDeallocator release);
  // Tests: a smaller buffer, so small transfers stream in several pieces.
  static void SetPieceBytes(std::size_t bytes);
  // Puts back both the allocator and the buffer size.
  static void ResetAllocator();

  // 1 when the transfer ended for lack of memory, else 0; other failures
  // are in Error.
  int BulkTransfer(MyCFile* file, uint32_t itemSize, uint32_t count, uint32_t splitBudget,
                   bool reading);

 protected:
  virtual uint32_t TrailingBytes() const { return 0; }
  virtual int FromBuffer(uint32_t /*start*/, uint32_t /*count*/, const unsigned char* /*buffer*/) {
    return 0;
  }
  virtual int ToBuffer(uint32_t /*start*/, uint32_t /*count*/, unsigned char* /*buffer*/) {
    return 0;
  }
  // After the pieces of one chunk, whatever they answered (`result`): what
  // a chunk opened for its pieces is closed; answers the chunk's result.
  virtual int FinishChunk(int result) { return result; }
  uint32_t ItemSize() const { return itemSize_; }
  uint32_t LastResult() const { return lastResult_; }

  // Values go between the converter and the host in runs of kRun: f(first
  // item of the run, its length) answers 0 to go on.
  static constexpr uint32_t kRun = 4096;
  template <typename F>
  static int ForEachRun(uint32_t count, F f) {
    for (uint32_t done = 0; done < count;) {
      const uint32_t n = std::min(kRun, count - done);
      if (const int r = f(done, n)) return r;
      done += n;
    }
    return 0;
  }

 private:
  int Chunk(uint32_t count, uint32_t start);
  // `position` is where the chunk starts in the file, `bytes` what it reads.
  int ReadChunk(uint32_t count, uint32_t start, unsigned char* buffer, uint64_t position,
                uint64_t bytes, uint32_t perPiece);
  int WriteChunk(uint32_t count, uint32_t start, unsigned char* buffer, uint32_t perPiece);

  MyCFile* file_ = nullptr;
  bool reading_ = true;
  uint32_t itemSize_ = 0;
  uint32_t itemCount_ = 0;
  uint32_t splitBudget_ = 0;
  uint32_t lastResult_ = 0;
};

class XoBinIO : public XoBulk {
  KFIO_DECLARE_DYNAMIC(XoBinIO, XoBulk)
 public:
  explicit XoBinIO(const char* syntax);
  ~XoBinIO() override;
  XoBinIO(const XoBinIO&) = delete;
  XoBinIO& operator=(const XoBinIO&) = delete;
  int ParseArguments(char* arguments, XoDLL& module) override;

 protected:
  uint32_t TrailingBytes() const override;
  // The binType check {0, 1, 2}; checking keeps the type.
  static XoDiscrete* BinTypes();
  // Refuses item layouts a transfer cannot size: a negative Skip, or an
  // image that does not fit 32 bits.
  static int CheckImageSize(uint32_t count);
  // nBytes + Skip, without overflow.
  static uint64_t ItemSizeSetting();
  // binType checked against {0, 1, 2} and kept, then Signed, then the image
  // of `count` items; 0 or the first check's status.
  static int CheckValueLayout(int32_t binType, uint32_t count);
  // Loads the converter and checks it has a routine for (binType, nBytes):
  // 0, or 43 with Error set. Once per chunk: loading clears the converter's
  // record of values out of range, which the chunk's pieces add up.
  int SelectRoutine(bool reading);
  int kind_ = 0;
  int width_ = 0;
};

// Arrays: dataset$, start, end, binType[, hFile].
class XoAIO : public XoBinIO {
  KFIO_DECLARE_DYNAMIC(XoAIO, XoBinIO)
 public:
  XoAIO();
  int ParseArguments(char* arguments, XoDLL& module) override;

 protected:
  int Execute(double* result, XoDLL& module) override;
  virtual bool Reading() const = 0;
  // The host would not take a value or the dataset's new length: the
  // transfer stops there with the range error, values stored so far stay.
  static int HostRefused();
  const char* DatasetName() const { return TextArg(dataset_); }
  uint32_t first_ = 0;
  uint32_t end_ = 0;

 private:
  int dataset_ = -1;  // argument slot
  int start_ = -1;  // argument slot
  int endArg_ = -1;  // argument slot
  int binType_ = -1;  // argument slot
};

// Each chunk opens its dataset at its first piece, so a read that fails
// first opens nothing, and closes it in FinishChunk: the dataset takes its
// new length once per chunk, however many pieces stream through.
class XoARead : public XoAIO {
  KFIO_DECLARE_DYNAMIC(XoARead, XoAIO)
 protected:
  bool Reading() const override { return true; }
  int FromBuffer(uint32_t start, uint32_t count, const unsigned char* buffer) override;
  int FinishChunk(int result) override;

 private:
  std::optional<XoResultData> data_;
};

class XoAWrite : public XoAIO {
  KFIO_DECLARE_DYNAMIC(XoAWrite, XoAIO)
 protected:
  bool Reading() const override { return false; }
  int ToBuffer(uint32_t start, uint32_t count, unsigned char* buffer) override;
  int FinishChunk(int result) override;

 private:
  std::optional<XoSourceData> data_;
};

}  // namespace kfio
