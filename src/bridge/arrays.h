// XoArray: indexed properties reached by a trailing number (X1, X2, ...),
// with the dataset-name vector and the vector of source datasets built on it.
#pragma once

#include <memory>

#include "bridge/data.h"
#include "bridge/properties.h"

namespace kfio {

class XoArray : public XoProperty {
  KFIO_DECLARE_DYNAMIC(XoArray, XoProperty)
 public:
  static constexpr int kCapacity = 10;

  uint16_t Kind() const override { return kind::kIndexed | kind::kNumber; }
  int AccessElementString(char* buffer, int index, uint16_t access) override;
  int SetCount(int count, uint16_t access) override;
  int GetCount(int* count, uint16_t /*access*/) override {
    *count = count_;
    return 0;
  }
  void AssignFromText(const char* /*text*/) override { SetGiven(true); }
  int Count() const { return count_; }

 protected:
  int32_t count_ = 0;
  int32_t capacity_ = kCapacity;
  std::unique_ptr<Xobj> elements_[kCapacity];
};

class XoDataNameVec : public XoArray {
  KFIO_DECLARE_DYNAMIC(XoDataNameVec, XoArray)
 public:
  uint16_t Kind() const override { return kind::kIndexed | kind::kString; }
  int SetElementString(const char* text, int index) override;
  int GetElementString(char* buffer, int index) override;
  const XoDataSetName* Name(int index) const;
};

class XoDataVec : public XoArray {
  KFIO_DECLARE_DYNAMIC(XoDataVec, XoArray)
 public:
  // Opens one source dataset per name.
  explicit XoDataVec(const XoDataNameVec& names);
  bool HasError() override;
  XoSourceData* Data(int index) const;
};


}  // namespace kfio
