// Host dataset wrappers: lookup, elements, pairs, texts, sizing, arithmetic.
#include "bridge/data.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "bridge/error_log.h"
#include "bridge/host_services.h"
#include "bridge/worksheet.h"

namespace kfio {

namespace {
// Names cut to the host's limit, in a buffer of our own.
struct CutName {
  char text[kPageNameMax + 1];
  // Copies only the name, not a padding of zeros to the limit: a cell
  // store opens its column by name, so this runs per value.
  CutName(const char* name, std::size_t max) {
    const std::size_t n = strnlen(name, max);
    std::memcpy(text, name, n);
    text[n] = '\0';
  }
};
}  // namespace

double GuardedDivide(double x, double y) {
  if (std::fabs(y) >= 1.0 || std::fabs(y) * 1.7e308 > std::fabs(x)) return x / y;
  return kMissingValue;
}

void XoData::Attach(uint64_t handle) {
  handle_ = handle;
  if (handle_ == 0) return;
  rangeStart_ = static_cast<int32_t>(block_.cell[2]);
  rangeEnd_ = static_cast<int32_t>(block_.cell[3]);
}

XoData::XoData(const char* name, bool mustExist) {
  if (mustExist && (name == nullptr || name[0] == '\0')) return;
  if (name == nullptr) {
    Attach(HostCall(op::kFindDataset, 0, reinterpret_cast<uint64_t>(&block_)));
    return;
  }
  CutName cut(name, kDatasetNameMax);
  Attach(HostCall(op::kFindDataset, cut.text, &block_));
}

XoData::XoData(const XoKavlerWks& page, int column) {
  block_.cell[0] = column;
  const char* name = page.PageName();
  CutName cut(name != nullptr ? name : "", kPageNameMax);
  Attach(HostCall(op::kFindColumnByNumber, cut.text, &block_));
}

XoData::XoData(const char* page, const char* column) {
  if (page == nullptr || page[0] == '\0' || column == nullptr || column[0] == '\0') return;
  block_.cell[0] = static_cast<int64_t>(reinterpret_cast<uintptr_t>(column));
  CutName cut(page, kPageNameMax);
  Attach(HostCall(op::kFindColumnByName, cut.text, &block_));
}

XoData::XoData(TemporaryBySize t) {
  TempDatasetBlock request{};
  request.size = t.size;
  std::strncpy(request.name, t.name != nullptr ? t.name : "", kDatasetNameMax);
  handle_ = HostCall(op::kNewTempDataset, &request, request.name);
  temporary_ = 1;
}

XoData::XoData(TemporaryByRange t) {
  handle_ = HostCall(op::kNewUnnamedTemp, 0, 0);
  temporary_ = 1;
  Resize(t.from, t.to);
}

XoData::~XoData() {
  if (!closed_) Finish();
}

bool XoData::HasError() {
  if (IsAttached()) return false;
  TheErrorLog().Record(errid::kNoDataset, ClassName());
  return true;
}

int XoData::Fill(double v) {
  return InPlace(nullptr, [v](double, double) { return v; });
}

int XoData::Assign(XoData& d) {
  Resize(d.rangeStart_, d.rangeEnd_);
  int status = 0;
  for (int32_t i = d.rangeStart_; i < d.rangeEnd_; ++i) status |= SetValue(i, d.GetValue(i));
  d.Release();
  return status;
}

// f(x, y): x is this dataset's element i, y the argument's (0 for scalars).
template <typename F>
std::unique_ptr<XoData> XoData::NewFrom(XoData* d, F f) {
  const XoData& over = d != nullptr ? *d : *this;
  auto result = std::make_unique<XoData>(TemporaryByRange{over.rangeStart_, over.rangeEnd_});
  for (int32_t i = over.rangeStart_; i < over.rangeEnd_; ++i)
    result->SetValue(i, f(GetValue(i), d != nullptr ? d->GetValue(i) : 0.0));
  return result;
}

template <typename F>
int XoData::InPlace(XoData* d, F f) {
  int status = 0;
  for (int32_t i = rangeStart_; i < rangeEnd_; ++i)
    status |= SetValue(i, f(GetValue(i), d != nullptr ? d->GetValue(i) : 0.0));
  return status;
}

namespace {
auto Times(double s) { return [s](double x, double) { return x * s; }; }
auto PlusS(double s) { return [s](double x, double) { return x + s; }; }
auto MinusS(double s) { return [s](double x, double) { return x - s; }; }
auto Over(double s) { return [s](double x, double) { return GuardedDivide(x, s); }; }
double TimesD(double x, double y) { return x * y; }
double PlusD(double x, double y) { return x + y; }
double MinusD(double x, double y) { return x - y; }
}  // namespace

std::unique_ptr<XoData> XoData::Multiplied(double s) { return NewFrom(nullptr, Times(s)); }
std::unique_ptr<XoData> XoData::MultipliedBy(XoData& d) { return NewFrom(&d, TimesD); }
std::unique_ptr<XoData> XoData::Plus(double s) { return NewFrom(nullptr, PlusS(s)); }
std::unique_ptr<XoData> XoData::PlusData(XoData& d) { return NewFrom(&d, PlusD); }
std::unique_ptr<XoData> XoData::Minus(double s) { return NewFrom(nullptr, MinusS(s)); }
std::unique_ptr<XoData> XoData::MinusData(XoData& d) { return NewFrom(&d, MinusD); }
std::unique_ptr<XoData> XoData::Divided(double s) { return NewFrom(nullptr, Over(s)); }
std::unique_ptr<XoData> XoData::DividedBy(XoData& d) { return NewFrom(&d, GuardedDivide); }
int XoData::Scale(double s) { return InPlace(nullptr, Times(s)); }
int XoData::ScaleBy(XoData& d) { return InPlace(&d, TimesD); }
int XoData::Shrink(double s) { return InPlace(nullptr, Over(s)); }
int XoData::ShrinkBy(XoData& d) { return InPlace(&d, GuardedDivide); }
int XoData::Add(double s) { return InPlace(nullptr, PlusS(s)); }
int XoData::AddData(XoData& d) { return InPlace(&d, PlusD); }
int XoData::Subtract(double s) { return InPlace(nullptr, MinusS(s)); }
int XoData::SubtractData(XoData& d) { return InPlace(&d, MinusD); }

int XoData::SetText(int32_t index, const char* text) {
  if (text == nullptr) return 1;
  TextBlock b{index, 0, text};
  if (Answer(HostCall(op::kSetText, handle_, reinterpret_cast<uint64_t>(&b))) != 0) return 1;
  Written(index);
  return 0;
}

int XoData::SetValue(int32_t index, double v) {
  if (!IsAttached()) return 1;
  ElementBlock b{index, 0, v};
  if (Answer(HostCall(op::kSetElement, handle_, reinterpret_cast<uint64_t>(&b))) != 0) return 1;
  Written(index);
  return 0;
}

int XoData::GetText(int32_t index, char* buffer) {
  if (buffer == nullptr) return 1;
  buffer[0] = '\0';
  TextBlock b{index, 0, buffer};
  return HostCall(op::kGetText, handle_, reinterpret_cast<uint64_t>(&b)) != 0 ? 1 : 0;
}

int XoData::Resize(int32_t from, int32_t to) {
  rangeStart_ = from;
  rangeEnd_ = to;
  block_.cell[0] = from;
  block_.cell[1] = to;
  modified_ = 0;
  highestWritten_ = (from == 0 && to == 0) ? -1 : from;
  SizeBlock b{from, to, kResizeFormat};
  return Answer(HostCall(op::kResize, handle_, reinterpret_cast<uint64_t>(&b)));
}

int XoData::Finish() {
  if (highestWritten_ >= rangeEnd_) {
    block_.cell[1] = static_cast<int64_t>(highestWritten_) + 1;
    modified_ = 1;
  }
  if (!modified_ || !IsAttached()) return 0;
  Resize(static_cast<int32_t>(block_.cell[0]), static_cast<int32_t>(block_.cell[1]));
  return 1;
}

int XoData::GetPair(int32_t index, double pair[2]) {
  PairBlock b{index, 0, 0.0, 0.0};
  if (HostCall(op::kGetPair, handle_, reinterpret_cast<uint64_t>(&b)) != 0) return 1;
  pair[0] = b.second;  // the host hands the pair over crossed
  pair[1] = b.first;
  return 0;
}

int XoData::GetPairInRange(int32_t index, double pair[2]) {
  if (index < rangeStart_ || index >= rangeEnd_) return 1;
  return GetPair(index, pair);
}

int XoData::SetPair(int32_t index, const double pair[2]) {
  PairBlock b{index, 0, pair[1], pair[0]};
  if (Answer(HostCall(op::kSetPair, handle_, reinterpret_cast<uint64_t>(&b))) != 0) return 1;
  Written(index);
  return 0;
}

bool XoData::ClipRange(int32_t minimumCount) {
  RangeBlock b{static_cast<int32_t>(block_.cell[0]), static_cast<int32_t>(block_.cell[1]),
               static_cast<int32_t>(block_.cell[2]), static_cast<int32_t>(block_.cell[3])};
  HostCall(op::kGetRange, handle_, reinterpret_cast<uint64_t>(&b));
  if (b.from > rangeStart_) rangeStart_ = b.from;
  if (b.to < rangeEnd_) rangeEnd_ = b.to;
  return static_cast<int64_t>(rangeEnd_) - rangeStart_ >= minimumCount;
}

void XoData::SetParameter(double v) { HostCall(op::kSetParameter, handle_, reinterpret_cast<uint64_t>(&v)); }
void XoData::SetParameter2(double v) { HostCall(op::kSetParameter, handle_, reinterpret_cast<uint64_t>(&v)); }

namespace {
uint32_t GetOpcodeOf(uint16_t kind) {
  if (kind & 2) return op::kGetElementAlt1;
  if (kind & 4) return op::kGetElementAlt2;
  return op::kGetElement;
}
uint32_t SetOpcodeOf(uint16_t kind) {
  if (kind & 2) return op::kSetElementAlt1;
  if (kind & 4) return op::kSetElementAlt2;
  return op::kSetElement;
}
}  // namespace

double XoData::GetValueByKind(int32_t index) {
  ElementBlock b{index, 0, 0.0};
  if (HostCall(GetOpcodeOf(elementKind_), handle_, reinterpret_cast<uint64_t>(&b)) != 0)
    return kMissingValue;
  return b.value;
}

int XoData::SetValueByKind(int32_t index, const double* v) {
  Written(index);
  ElementBlock b{index, 0, *v};
  return Answer(HostCall(SetOpcodeOf(elementKind_), handle_, reinterpret_cast<uint64_t>(&b)));
}

double XoData::ValueAt(const double* x) {
  ValueAtBlock b{0, 0, 0.0, *x};
  if (!HostKnown() || HostCall(op::kValueAt, handle_, reinterpret_cast<uint64_t>(&b)) != 0)
    return kMissingValue;
  return b.result;
}

void XoData::Release() {
  if (temporary_) HostCall(op::kReleaseTemp, handle_, 0);
}

double XoData::GetValue(int32_t index) {
  if (!IsAttached() || !HostKnown()) return kMissingValue;
  ElementBlock b{index, 0, 0.0};
  if (HostCall(op::kGetElement, handle_, reinterpret_cast<uint64_t>(&b)) != 0) return kMissingValue;
  return b.value;
}

int32_t XoData::SetValues(int32_t first, const double* values, int32_t count) {
  if (!IsAttached() || count <= 0) return 0;
  const HostLink link = TheHostLink();
  int32_t stored = count;  // without a host every write counts as done
  if (link.callback != nullptr) {
    ElementBlock b{first, 0, 0.0};
    for (stored = 0; stored < count; ++stored, ++b.index) {
      b.value = values[stored];
      if (link.callback(link.context, op::kSetElement, handle_, reinterpret_cast<uint64_t>(&b)) != 0) {
        refused_ = true;
        break;
      }
    }
  }
  if (stored > 0) Written(first + stored - 1);
  return stored;
}

void XoData::GetValues(int32_t first, double* out, int32_t count) {
  const HostLink link = TheHostLink();
  if (!IsAttached() || link.callback == nullptr) {
    std::fill(out, out + count, kMissingValue);
    return;
  }
  ElementBlock b{first, 0, 0.0};
  for (int32_t i = 0; i < count; ++i, ++b.index) {
    const uint64_t answer =
        link.callback(link.context, op::kGetElement, handle_, reinterpret_cast<uint64_t>(&b));
    out[i] = answer != 0 ? kMissingValue : b.value;
  }
}

bool XoData::IsTextData() {
  return IsAttached() && HostCall(op::kIsText, handle_, 0) != 0;
}

}  // namespace kfio
