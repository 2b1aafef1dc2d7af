// Window and cursor calls: no-ops without a window system.
#include "platform/window.h"

namespace kfio {

void RepaintMainWindow() {}

CursorHandle LoadSystemCursor(int) { return nullptr; }

CursorHandle SetCursor(CursorHandle) { return nullptr; }

}  // namespace kfio
