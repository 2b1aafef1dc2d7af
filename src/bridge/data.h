// XoKavler and XoData: a host dataset wrapped for one operation. Finds or
// creates the dataset, reads and writes elements, pairs and texts, and on
// destruction extends the dataset over every element written.
#pragma once

#include <memory>

#include "bridge/host_blocks.h"
#include "bridge/xobj.h"

namespace kfio {

class XoKavlerWks;

class XoKavler : public Xobj {
  KFIO_DECLARE_DYNAMIC(XoKavler, Xobj)
};

class XoData : public XoKavler {
  KFIO_DECLARE_DYNAMIC(XoData, XoKavler)
 public:
  // By dataset name; with `mustExist` an empty or null name attaches nothing.
  XoData(const char* name, bool mustExist);
  // A worksheet column by 1-based number.
  XoData(const XoKavlerWks& page, int column);
  // A worksheet column by page and column name (both must be non-empty).
  XoData(const char* page, const char* column);
  // Temporary datasets: by size and name, or unnamed over [from, to).
  struct TemporaryBySize {
    uint32_t size;
    const char* name;
  };
  struct TemporaryByRange {
    int32_t from;
    int32_t to;
  };
  explicit XoData(TemporaryBySize t);
  explicit XoData(TemporaryByRange t);
  XoData(const XoData&) = delete;
  XoData& operator=(const XoData&) = delete;
  ~XoData() override;

  bool HasError() override;

  // Statuses: 0 success, 1 failure.
  virtual int Fill(double v);
  virtual int Assign(XoData& d);
  virtual std::unique_ptr<XoData> Multiplied(double s);
  virtual std::unique_ptr<XoData> MultipliedBy(XoData& d);
  virtual std::unique_ptr<XoData> Plus(double s);
  virtual std::unique_ptr<XoData> PlusData(XoData& d);
  virtual std::unique_ptr<XoData> Minus(double s);
  virtual std::unique_ptr<XoData> MinusData(XoData& d);
  virtual std::unique_ptr<XoData> Divided(double s);
  virtual std::unique_ptr<XoData> DividedBy(XoData& d);
  virtual int Scale(double s);
  virtual int ScaleBy(XoData& d);
  virtual int Shrink(double s);
  virtual int ShrinkBy(XoData& d);
  virtual int Add(double s);
  virtual int AddData(XoData& d);
  virtual int Subtract(double s);
  virtual int SubtractData(XoData& d);
  virtual int SetText(int32_t index, const char* text);
  virtual int SetValue(int32_t index, double v);
  // `buffer` holds kTextElementMax + 1 bytes.
  virtual int GetText(int32_t index, char* buffer);
  virtual void SetKind(uint16_t kind) { elementKind_ = kind; }
  virtual int Resize(int32_t from, int32_t to);
  virtual int Clear() { return Resize(0, 0); }
  // Extends the dataset over what was written; 1 when it resized.
  virtual int Finish();
  // Finish now, and not again when the object goes; HostRefused then tells
  // whether the host took every write and the new length.
  void Close() {
    Finish();
    closed_ = true;
  }
  virtual void SetRange(int32_t from, int32_t to) {
    rangeStart_ = from;
    rangeEnd_ = to;
  }
  virtual int GetPair(int32_t index, double pair[2]);
  virtual int GetPairInRange(int32_t index, double pair[2]);
  virtual int SetPair(int32_t index, const double pair[2]);
  virtual bool IsAttached() const { return handle_ != 0; }
  virtual bool IsEmpty() const { return rangeEnd_ <= rangeStart_; }
  virtual bool ClipRange(int32_t minimumCount);
  virtual void SetParameter(double v);
  virtual void SetParameter2(double v);
  virtual double GetValueByKind(int32_t index);
  virtual int SetValueByKind(int32_t index, const double* v);
  virtual double ValueAt(const double* x);
  virtual void Release();

  double GetValue(int32_t index);
  bool IsTextData();

  // A run of elements from `first` on, with one host link and one element
  // block for the whole run. SetValues answers how many were stored, fewer
  // when the host refused one (and HostRefused then says so); GetValues
  // gives the missing value for each element the host cannot deliver.
  int32_t SetValues(int32_t first, const double* values, int32_t count);
  void GetValues(int32_t first, double* out, int32_t count);

  uint64_t Handle() const { return handle_; }
  int32_t RangeStart() const { return rangeStart_; }
  int32_t RangeEnd() const { return rangeEnd_; }
  int32_t HighestWritten() const { return highestWritten_; }
  bool IsTemporary() const { return temporary_ != 0; }
  // True once the host has refused a write or a resize through this object.
  bool HostRefused() const { return refused_; }

 protected:
  void Written(int32_t index) {
    if (index > highestWritten_) highestWritten_ = index;
    modified_ = 1;
  }
  // A write service's answer as a status (0 or 1), remembering a refusal.
  int Answer(uint64_t hostAnswer) {
    if (hostAnswer == 0) return 0;
    refused_ = true;
    return 1;
  }

 private:
  // Takes the host's answer to a lookup: the handle and the working range.
  void Attach(uint64_t handle);
  template <typename F>
  std::unique_ptr<XoData> NewFrom(XoData* d, F f);
  template <typename F>
  int InPlace(XoData* d, F f);

  uint64_t handle_ = 0;
  int32_t modified_ = 0;
  DatasetBlock block_{};
  int32_t rangeStart_ = 0;
  int32_t rangeEnd_ = 0;
  uint16_t elementKind_ = 0;
  int32_t highestWritten_ = -1;
  int32_t temporary_ = 0;
  bool refused_ = false;
  bool closed_ = false;
};

// Data the module writes, data it reads, and text columns.
class XoResultData : public XoData {
  KFIO_DECLARE_DYNAMIC(XoResultData, XoData)
 public:
  explicit XoResultData(const char* name) : XoData(name, false) {}
  XoResultData(const XoKavlerWks& page, int column) : XoData(page, column) {}
};

class XoSourceData : public XoData {
  KFIO_DECLARE_DYNAMIC(XoSourceData, XoData)
 public:
  explicit XoSourceData(const char* name) : XoData(name, true) {}
  XoSourceData(const XoKavlerWks& page, int column) : XoData(page, column) {}
};

class XoTextData : public XoData {
  KFIO_DECLARE_DYNAMIC(XoTextData, XoData)
 public:
  XoTextData(const XoKavlerWks& page, int column) : XoData(page, column) {}
};

// x / y unless the quotient would overflow; then the missing value.
double GuardedDivide(double x, double y);

}  // namespace kfio
