// XoLimited and its kinds: integer properties whose values are restricted
// (a closed range, a list of values), checked on assignment in the new
// error mode only.
#pragma once

#include <memory>
#include <vector>

#include "bridge/properties.h"

namespace kfio {

class XoLimited : public XoInt {
  KFIO_DECLARE_DYNAMIC(XoLimited, XoInt)
 public:
  virtual void ResetValue() {}
  // 0 = allowed; otherwise the error status, with Error set.
  virtual int CheckValue(int32_t /*n*/) { return 1; }
  // New error mode: the check guards the store. Default mode: any value.
  int SetChecked(int32_t n);
  int SetNumber(double value) override;
};

class XoBounded : public XoLimited {
  KFIO_DECLARE_DYNAMIC(XoBounded, XoLimited)
 public:
  XoBounded(int32_t lower, int32_t upper, int32_t initial) : lower_(lower), upper_(upper) {
    value_ = initial;
  }
  int CheckValue(int32_t n) override;

 private:
  int32_t lower_;
  int32_t upper_;
};

class XoDiscrete : public XoLimited {
  KFIO_DECLARE_DYNAMIC(XoDiscrete, XoLimited)
 public:
  XoDiscrete(const int32_t* allowed, unsigned count) : allowed_(allowed, allowed + count) {
    value_ = count > 0 ? allowed[0] : 0;
  }
  int CheckValue(int32_t n) override;
  // Checks n and, when allowed, keeps it as the current value.
  int CheckAndKeep(int32_t n) {
    const int s = CheckValue(n);
    if (s == 0) value_ = n;
    return s;
  }

 private:
  std::vector<int32_t> allowed_;
};

// A check that every object of a class family shares: made with the first
// object, freed with the last.
class SharedDiscrete {
 public:
  SharedDiscrete(const int32_t* allowed, unsigned count) : allowed_(allowed), count_(count) {}
  void Acquire();
  void Release();
  // Null when its allocation failed.
  XoDiscrete* Get() const { return check_.get(); }

 private:
  const int32_t* allowed_;
  unsigned count_;
  int users_ = 0;
  std::unique_ptr<XoDiscrete> check_;
};

}  // namespace kfio
