// CObject: the object base with run-time class names.
#pragma once

namespace kfio {

// Names a class and its base, so framework errors can quote the class name.
struct CRuntimeClass {
  const char* m_lpszClassName;
  const CRuntimeClass* m_pBaseClass;
  bool IsDerivedFrom(const CRuntimeClass* base) const {
    for (const CRuntimeClass* c = this; c != nullptr; c = c->m_pBaseClass)
      if (c == base) return true;
    return false;
  }
};

class CObject {
 public:
  virtual ~CObject() = default;
  static const CRuntimeClass classCObject;
  virtual const CRuntimeClass* GetRuntimeClass() const { return &classCObject; }
  bool IsKindOf(const CRuntimeClass* c) const { return GetRuntimeClass()->IsDerivedFrom(c); }
  const char* ClassName() const { return GetRuntimeClass()->m_lpszClassName; }

 protected:
  CObject() = default;
  CObject(const CObject&) = default;
  CObject& operator=(const CObject&) = default;
};

inline const CRuntimeClass CObject::classCObject = {"CObject", nullptr};

}  // namespace kfio

// Gives a class its own run-time class record. Use in the class body.
#define KFIO_DECLARE_DYNAMIC(cls, base)                                              \
 public:                                                                             \
  static inline const ::kfio::CRuntimeClass class##cls = {#cls, &base::class##base}; \
  const ::kfio::CRuntimeClass* GetRuntimeClass() const override { return &class##cls; }
