// Element-count access shared by every member.
#include "bridge/xobj.h"

#include "bridge/truncate.h"

namespace kfio {

int XoScript::AccessCount(double* value, uint16_t accessKind) {
  if (accessKind & access::kAssignCount) {
    return SetCount(TruncateToInt32(*value), accessKind) != 0 ? status::kFailed : status::kDone;
  }
  if (accessKind & access::kReadCount) {
    int n = 0;
    if (GetCount(&n, accessKind) != 0) return status::kFailed;
    *value = n;
    return status::kDone;
  }
  return status::kFailed;
}

}  // namespace kfio
