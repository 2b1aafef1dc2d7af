// XoProperty and the value kinds: numbers (XoNumeric, XoInt, XoReal, XoBool)
// and strings (XoString and the worksheet, dataset and matrix names).
#pragma once

#include <memory>
#include <string>

#include "bridge/host_blocks.h"
#include "bridge/xobj.h"

namespace kfio {

class XoProperty : public XoScript {
  KFIO_DECLARE_DYNAMIC(XoProperty, XoScript)
 public:
  // Takes the value from a method's argument text and marks it given.
  virtual void AssignFromText(const char* text) = 0;
  virtual const char* GetText() const { return nullptr; }
  virtual double Value() const { return kMissingValue; }
  virtual bool IsPlaceholder() const { return false; }

  bool IsGiven() const { return given_ != 0; }
  void SetGiven(bool given) { given_ = given ? 1 : 0; }

 protected:
  int32_t given_ = 0;
};

class XoNumeric : public XoProperty {
  KFIO_DECLARE_DYNAMIC(XoNumeric, XoProperty)
 public:
  int AccessNumber(double* value, uint16_t access) override;
  int AccessElementNumber(double* value, int index, uint16_t access) override;
  int GetElementNumber(double* value, int /*index*/) override { return GetNumber(value); }
  int SetElementNumber(double /*value*/, int /*index*/) override { return 0; }
  void AssignFromText(const char* text) override;
  void Reset() override;
  bool IsPlaceholder() const override { return Value() == 1234.0; }

  void Attach(std::unique_ptr<Xobj> attachment) { attachment_ = std::move(attachment); }
  Xobj* Attachment() const { return attachment_.get(); }

 private:
  std::unique_ptr<Xobj> attachment_;
};

class XoInt : public XoNumeric {
  KFIO_DECLARE_DYNAMIC(XoInt, XoNumeric)
 public:
  XoInt() = default;
  explicit XoInt(int32_t value) : value_(value) {}
  int SetNumber(double value) override;
  int GetNumber(double* value) override { *value = value_; return 0; }
  double Value() const override { return value_; }

  int32_t Int() const { return value_; }
  // Stores without any check a subclass may add.
  void Store(int32_t value) { value_ = value; }

 protected:
  int32_t value_ = 0;
};

class XoReal : public XoNumeric {
  KFIO_DECLARE_DYNAMIC(XoReal, XoNumeric)
 public:
  int SetNumber(double value) override { value_ = value; return 0; }
  int GetNumber(double* value) override { *value = value_; return 0; }
  double Value() const override { return value_; }

 private:
  double value_ = 0.0;
};

class XoBool : public XoNumeric {
  KFIO_DECLARE_DYNAMIC(XoBool, XoNumeric)
 public:
  int SetNumber(double value) override { SetFlag(value != 0.0 ? 1 : 0); return 0; }
  int GetNumber(double* value) override { *value = flag_; return 0; }
  double Value() const override { return flag_; }
  int SetFlag(int flag) { flag_ = flag != 0 ? 1 : 0; return flag_; }

 private:
  int32_t flag_ = 0;
};

class XoString : public XoProperty {
  KFIO_DECLARE_DYNAMIC(XoString, XoProperty)
 public:
  uint16_t Kind() const override { return kind::kString; }
  int AccessString(char* buffer, uint16_t access) override;
  // Copies the text (at most kMaxStringValue bytes) and its NUL.
  int GetString(char* buffer) override;
  int GetElementString(char* buffer, int /*index*/) override { return GetString(buffer); }
  void AssignFromText(const char* text) override;
  const char* GetText() const override { return hasText_ ? text_.c_str() : nullptr; }
  void Reset() override { SetText(nullptr); }
  bool HasText() const { return hasText_; }

  // Replaces the text with a copy; null leaves no text.
  void SetText(const char* text);
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
  bool hasText_ = false;
};

// Strings that name a worksheet, a dataset or a matrix.
class XoWksName : public XoString {
  KFIO_DECLARE_DYNAMIC(XoWksName, XoString)
};
class XoDataSetName : public XoString {
  KFIO_DECLARE_DYNAMIC(XoDataSetName, XoString)
};
class XoMatrixName : public XoString {
  KFIO_DECLARE_DYNAMIC(XoMatrixName, XoString)
};

}  // namespace kfio
