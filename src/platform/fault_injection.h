// The fault injector: makes the next calls of a chosen file operation fail (test builds only).
#pragma once

namespace kfio::fault {

enum class Op { Open, Close, Read, Write, Seek, Position, Length, Remove, Status };

#if defined(KFIO_FAULT_INJECTION) && KFIO_FAULT_INJECTION

// The (skip+1)-th next call of op fails with cause (OS error 0). A new
// Inject for the same op replaces the old one.
void Inject(Op op, int cause, int skip = 0);
void Clear();

// For the file layer: counts one call of op and answers the cause it must fail
// with, or 0.
int Take(Op op);
// Whether a fault for op is still waiting.
bool Armed(Op op);

#else

inline int Take(Op) { return 0; }
inline bool Armed(Op) { return false; }

#endif

}  // namespace kfio::fault
