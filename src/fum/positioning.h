// The positioning methods, and SwitchMode, which reopens a file in another
// access mode at the same position.
#pragma once

#include "fum/fumio.h"

namespace kfio {

class XoGetPos : public XoTracking {
  KFIO_DECLARE_DYNAMIC(XoGetPos, XoTracking)
 public:
  XoGetPos() : XoTracking("([hFile])") { AddArgument<XoInt>(); }
  int Run(double* result, XoDLL& module) override;
};

class XoSetPos : public XoTracking {
  KFIO_DECLARE_DYNAMIC(XoSetPos, XoTracking)
 public:
  XoSetPos();
  int Run(double* result, XoDLL& module) override;

 private:
  XoInt* pos_;
};

class XoRewind : public XoTracking {
  KFIO_DECLARE_DYNAMIC(XoRewind, XoTracking)
 public:
  XoRewind() : XoTracking("([hFile])") { AddArgument<XoInt>(); }
  int Run(double* result, XoDLL& module) override;
};

class XoToEnd : public XoTracking {
  KFIO_DECLARE_DYNAMIC(XoToEnd, XoTracking)
 public:
  XoToEnd() : XoTracking("([hFile])") { AddArgument<XoInt>(); }
  int Run(double* result, XoDLL& module) override;
};

class XoJump : public XoTracking {
  KFIO_DECLARE_DYNAMIC(XoJump, XoTracking)
 public:
  XoJump();
  int Run(double* result, XoDLL& module) override;

 private:
  XoInt* offset_;
};

class XoJumpChunk : public XoTracking {
  KFIO_DECLARE_DYNAMIC(XoJumpChunk, XoTracking)
 public:
  XoJumpChunk();
  int Run(double* result, XoDLL& module) override;

 private:
  XoInt* offset_;
  XoInt* nBytes_;
};

class XoSwitchMode : public XoTracking {
  KFIO_DECLARE_DYNAMIC(XoSwitchMode, XoTracking)
 public:
  XoSwitchMode();
  int Run(double* result, XoDLL& module) override;

 private:
  XoInt* mode_;
};

}  // namespace kfio
