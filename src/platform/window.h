// Window and cursor calls of the import methods; no window system here, so they do nothing.
#pragma once

namespace kfio {

using CursorHandle = void*;

// The system's wait (hourglass) cursor.
inline constexpr int kSystemWaitCursor = 32514;

// The host draws its own window; nothing to repaint from here.
void RepaintMainWindow();
// Always null: there is no cursor to load.
CursorHandle LoadSystemCursor(int id);
// Answers the previous cursor, which is always null here.
CursorHandle SetCursor(CursorHandle cursor);

}  // namespace kfio
