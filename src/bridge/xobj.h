// Xobj and XoScript: the root of every script-visible object and the member
// interface the module object drives through the access kind.
#pragma once

#include <cstdint>

#include "platform/cobject.h"

namespace kfio {

// Access kind bits (the value 2 means "not a property command").
namespace access {
inline constexpr uint16_t kString = 1;
inline constexpr uint16_t kNone = 2;
inline constexpr uint16_t kAssign = 4;
inline constexpr uint16_t kRead = 8;
inline constexpr uint16_t kAssignCount = 32;
inline constexpr uint16_t kReadCount = 64;
}  // namespace access

// Member kinds reported by Kind().
namespace kind {
inline constexpr uint16_t kNumber = 0;
inline constexpr uint16_t kString = 1;
inline constexpr uint16_t kMethod = 2;
inline constexpr uint16_t kIndexed = 16;
}  // namespace kind

// Statuses of the access operations.
namespace status {
inline constexpr int kNotHandled = 0;
inline constexpr int kDone = 1;
inline constexpr int kFailed = 2;
}  // namespace status

class Xobj : public CObject {
  KFIO_DECLARE_DYNAMIC(Xobj, CObject)
 public:
  virtual bool IsValid() const { return true; }
  virtual bool HasError() { return false; }
};

// The member interface. Access operations answer 0/1/2 (not handled, done,
// failed); the primitive get/set operations answer 0 for success.
class XoScript : public Xobj {
  KFIO_DECLARE_DYNAMIC(XoScript, Xobj)
 public:
  virtual int AccessElementString(char* /*buffer*/, int /*index*/, uint16_t /*access*/) { return 0; }
  virtual int AccessElementNumber(double* /*value*/, int /*index*/, uint16_t /*access*/) { return 0; }
  virtual int AccessString(char* /*buffer*/, uint16_t /*access*/) { return 0; }
  virtual int AccessNumber(double* /*value*/, uint16_t /*access*/) { return 0; }
  virtual int Code() const { return 123; }
  virtual uint16_t Kind() const { return kind::kNumber; }
  virtual int SetElementString(const char* /*text*/, int /*index*/) { return 0; }
  virtual int SetElementNumber(double /*value*/, int /*index*/) { return 0; }
  virtual int SetNumber(double /*value*/) { return 0; }
  virtual int GetElementString(char* /*buffer*/, int /*index*/) { return 0; }
  virtual int GetElementNumber(double* /*value*/, int /*index*/) { return 0; }
  virtual int GetString(char* /*buffer*/) { return 0; }
  virtual int GetNumber(double* /*value*/) { return 0; }
  virtual int SetCount(int /*count*/, uint16_t /*access*/) { return 1; }
  virtual int GetCount(int* /*count*/, uint16_t /*access*/) { return 1; }
  virtual int AccessCount(double* value, uint16_t access);
  virtual bool WantsNotify() const { return false; }
  virtual void Reset() {}
  virtual void Release() {}
};

}  // namespace kfio
