// Wav: the header checks, the sample count bounded by the file, the time
// column and the split of two channels.
#include "import/wav.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

#include "bridge/truncate.h"
#include "bridge/worksheet.h"
#include "fum/errors.h"

namespace kfio {

namespace {

// A four-character id as Read(4) gives it from a little-endian file.
constexpr uint32_t FourCc(const char (&id)[5]) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(id[i]);
  return v;
}
constexpr uint32_t kRiff = FourCc("RIFF");
constexpr uint32_t kWave = FourCc("WAVE");
constexpr uint32_t kFmt = FourCc("fmt ");
constexpr uint32_t kData = FourCc("data");
constexpr uint32_t kFact = FourCc("fact");
static_assert(kRiff == 0x46464952 && kWave == 0x45564157 && kFmt == 0x20746D66 && kData == 0x61746164 &&
                  kFact == 0x74636166,
              "chunk ids must compare as little-endian 32-bit integers");

// "RIFF", its size, "WAVE", "fmt " and the fmt size come first; the PCM
// format fields follow them.
constexpr int32_t kFormatTagAt = 4 + 4 + 4 + 4 + 4;
// Tag 2, channels 2, rate 4, byte rate 4, block align 2, bits 2.
constexpr uint32_t kFormatBytes = 2 + 2 + 4 + 4 + 2 + 2;
static_assert(kFormatTagAt == 20 && kFormatTagAt + kFormatBytes == 36,
              "the format tag must sit at 20 and the next chunk id at 36 after a 16-byte fmt chunk");
// The most an fmt chunk may carry beyond the PCM fields.
constexpr uint32_t kFormatExtensionMax = 4;
// After "fact": its size, its 4 bytes of data and the "data" id.
constexpr int32_t kFactSkip = 4 + 4 + 4;
// ARead converts integers of 1 to 4 bytes.
constexpr uint32_t kWidestSample = 4;
// The time column and the split move values in runs of this many.
constexpr uint32_t kRun = 2048;

// The nested calls of one import, in order. The first failure is kept and
// every call after it does nothing, so a run of steps reads as a straight
// line and is tested once, where a decision needs its values.
class NestedSteps {
 public:
  explicit NestedSteps(XoDLL& module) : module_(module) {}

  bool Failed() const { return status_ != 0; }
  // The import's status for the first failure.
  int Failure() const { return NestedCallFailed(status_); }

  void SetPos(int32_t position) { Run(MethodIndex("SETPOS"), position); }
  void Jump(int32_t offset) { Run(MethodIndex("JUMP"), offset); }
  // The import's header fields are unsigned, whatever Signed says (it sets
  // Signed itself before the data size is read).
  uint32_t Read(int32_t width) { return Unsigned(Run(MethodIndex("READ"), width), width); }
  uint32_t GetPos() { return Unsigned(Run(MethodIndex("GETPOS")), 4); }
  // Size answers the low 32 bits, so this never exceeds the real size.
  uint32_t Size() { return Unsigned(Run(MethodIndex("SIZE")), 4); }
  void ARead(const std::string& dataset, uint32_t count) {
    Run(MethodIndex("AREAD"), dataset.c_str(), 1, static_cast<int32_t>(count), 0);
  }

 private:
  template <typename... A>
  double Run(int method, A... arguments) {
    double result = 0.0;
    if (status_ == 0) status_ = XoHighLev::CallNested(module_, method, &result, arguments...);
    return status_ == 0 ? result : 0.0;
  }
  static uint32_t Unsigned(double value, int32_t width) {
    return static_cast<uint32_t>(TruncateToInt64(value)) & (UINT32_MAX >> (32 - 8 * width));
  }

  XoDLL& module_;
  int status_ = 0;
};

// The samples to read: as many as the data size says, unless it says
// nothing (0, or all ones from a writer that could not go back to fill it
// in) or more than the file holds after it; then as many as the file holds.
// With a Skip gap after each sample but the last, the gaps count too.
uint32_t SampleCount(uint32_t declared, uint32_t available, uint32_t bytes, int32_t skip) {
  if (declared == 0 || declared == UINT32_MAX || declared > available) declared = available;
  const uint64_t stride = uint64_t{bytes} + static_cast<uint64_t>(std::max(skip, 0));
  const uint64_t held = available < bytes ? 0 : (available - bytes) / stride + 1;
  return static_cast<uint32_t>(std::min<uint64_t>(declared / bytes, held));
}

// Column 1: the time of frame i, (i + 1) / rate, as i x (1 / rate) + 1 / rate.
void WriteTimes(const XoKavlerWks& page, uint32_t frames, uint32_t rate) {
  XoResultData times(page, 1);
  if (!times.IsAttached()) return;
  const double step = 1.0 / rate;
  std::array<double, kRun> values;
  for (uint32_t done = 0; done < frames;) {
    const auto n = static_cast<int32_t>(std::min(kRun, frames - done));
    for (int32_t k = 0; k < n; ++k) values[k] = (done + k) * step + step;
    // Frames fit 31 bits: ARead refused any larger count.
    if (times.SetValues(static_cast<int32_t>(done), values.data(), n) != n) return;  // the host takes no more
    done += n;
  }
}

// Two channels: the interleaved samples of column 2 go to columns 3 (Left)
// and 4 (Right); then column 2 goes and every column gets `frames` rows.
void SplitChannels(const XoKavlerWks& page, uint32_t frames) {
  if (page.EnsureColumns(4) != 0) return;
  page.SetColumnText(3, "Left");
  page.SetColumnText(4, "Right");
  {
    XoSourceData both(page, 2);
    XoResultData left(page, 3);
    XoResultData right(page, 4);
    std::array<double, 2 * kRun> pairs;
    std::array<double, kRun> l, r;
    for (uint32_t done = 0; done < frames;) {
      const auto n = static_cast<int32_t>(std::min(kRun, frames - done));
      both.GetValues(static_cast<int32_t>(2 * done), pairs.data(), 2 * n);
      for (int32_t k = 0; k < n; ++k) {
        l[k] = pairs[2 * k];
        r[k] = pairs[2 * k + 1];
      }
      const auto at = static_cast<int32_t>(done);
      if (left.SetValues(at, l.data(), n) != n || right.SetValues(at, r.data(), n) != n) break;
      done += n;
    }
  }  // the wrappers size their columns before column 2 goes
  page.SetPageValue(2);
  page.SetPageValue2(static_cast<int32_t>(frames));
}

}  // namespace

int XoWav::Execute(double* /*result*/, XoDLL& module) {
  ShowWaitCursor();
  const int status = Import(module);
  RestoreCursor();
  return status;
}

int XoWav::Import(XoDLL& module) {
  const std::string name = TextArg(PageArgument()) ? TextArg(PageArgument()) : "";
  const XoKavlerWks page(name.c_str());
  NestedSteps step(module);

  step.SetPos(kFormatTagAt);
  const uint32_t tag = step.Read(1);
  if (step.Failed()) return step.Failure();
  if (tag != 1) return StoreError(err::kNotThisFormat);

  step.SetPos(0);
  const uint32_t riff = step.Read(4);
  step.Jump(4);
  const uint32_t wave = step.Read(4);
  const uint32_t fmt = step.Read(4);
  if (step.Failed()) return step.Failure();
  if (riff != kRiff || wave != kWave || fmt != kFmt) return StoreError(err::kNotThisFormat);

  const uint32_t fmtSize = step.Read(4);
  step.Jump(2);
  const uint32_t channels = step.Read(2);
  const uint32_t rate = step.Read(4);
  step.Jump(6);
  const uint32_t bytes = step.Read(2) / 8;
  if (step.Failed()) return step.Failure();
  // Before anything divides by them or sizes a transfer with them.
  if (channels == 0 || rate == 0 || bytes == 0 || bytes > kWidestSample) return StoreError(err::kNotThisFormat);

  SetSetting(SettingIndex("NBYTES"), bytes);
  SetSetting(SettingIndex("SIGNED"), bytes == 2 ? 1 : 0);
  if (fmtSize > kFormatBytes) {
    if (fmtSize - kFormatBytes > kFormatExtensionMax) return StoreError(err::kNotThisFormat);
    step.Jump(static_cast<int32_t>(fmtSize - kFormatBytes));
  }
  const uint32_t id = step.Read(4);
  if (step.Failed()) return step.Failure();
  if (id == kFact) {
    step.Jump(kFactSkip);
  } else if (id != kData) {
    return StoreError(err::kNotThisFormat);
  }

  const uint32_t declared = step.Read(4);
  const uint32_t start = step.GetPos();
  const uint32_t length = step.Size();
  if (step.Failed()) return step.Failure();
  const int32_t skip = TruncateToInt32(GetSetting(SettingIndex("SKIP")));
  const uint32_t count = SampleCount(declared, length > start ? length - start : 0, bytes, skip);
  step.ARead(name + "_Data", count);
  // A transfer that went wrong on the way still succeeds, with the cause in
  // Error, which the Jump's own start would clear.
  const int transferError = ErrorCode();
  step.Jump(skip);
  if (step.Failed()) return step.Failure();
  SetError(transferError);

  WriteTimes(page, count / channels, rate);
  if (channels == 2) SplitChannels(page, count / 2);
  return 0;
}

}  // namespace kfio
