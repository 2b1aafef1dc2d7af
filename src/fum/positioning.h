// The positioning methods, and SwitchMode, which reopens a file in another
// access mode at the same position.
#pragma once

#include "fum/fumio.h"

namespace kfio {

class XoGetPos : public XoTracking {
  KFIO_DECLARE_DYNAMIC(XoGetPos, XoTracking)
 public:
  XoGetPos() : XoTracking("([hFile])") { AddArgument<XoInt>(); }

 protected:
  int Execute(double* result, XoDLL& module) override;
};

class XoSetPos : public XoTracking {
  KFIO_DECLARE_DYNAMIC(XoSetPos, XoTracking)
 public:
  XoSetPos();

 protected:
  int Execute(double* result, XoDLL& module) override;

 private:
  int pos_ = -1;  // argument slot
};

class XoRewind : public XoTracking {
  KFIO_DECLARE_DYNAMIC(XoRewind, XoTracking)
 public:
  XoRewind() : XoTracking("([hFile])") { AddArgument<XoInt>(); }

 protected:
  int Execute(double* result, XoDLL& module) override;
};

class XoToEnd : public XoTracking {
  KFIO_DECLARE_DYNAMIC(XoToEnd, XoTracking)
 public:
  XoToEnd() : XoTracking("([hFile])") { AddArgument<XoInt>(); }

 protected:
  int Execute(double* result, XoDLL& module) override;
};

class XoJump : public XoTracking {
  KFIO_DECLARE_DYNAMIC(XoJump, XoTracking)
 public:
  XoJump();

 protected:
  int Execute(double* result, XoDLL& module) override;

 private:
  int offset_ = -1;  // argument slot
};

class XoJumpChunk : public XoTracking {
  KFIO_DECLARE_DYNAMIC(XoJumpChunk, XoTracking)
 public:
  XoJumpChunk();

 protected:
  int Execute(double* result, XoDLL& module) override;

 private:
  int offset_ = -1;  // argument slot
  int nBytes_ = -1;  // argument slot
};

class XoSwitchMode : public XoTracking {
  KFIO_DECLARE_DYNAMIC(XoSwitchMode, XoTracking)
 public:
  XoSwitchMode();

 protected:
  int Execute(double* result, XoDLL& module) override;

 private:
  int mode_ = -1;  // argument slot
};

}  // namespace kfio
