// The framework error ids the error log records (LISTERR, LASTERRID), in one
// place so no two mean the same.
#pragma once

#include <cstdint>

namespace kfio::errid {

// Indexed properties.
inline constexpr int32_t kCountOutOfRange = 100;
inline constexpr int32_t kIndexOutOfRange = 101;
inline constexpr int32_t kNoSourceData = 103;
inline constexpr int32_t kNoMemory = 104;
inline constexpr int32_t kMissingData = 105;
inline constexpr int32_t kEmptyName = 106;
// Worksheet cells and pages.
inline constexpr int32_t kCellRefused = 777;
inline constexpr int32_t kNoPage = 779;
// Methods: more argument pieces than slots.
inline constexpr int32_t kTooManyArguments = 900;
// An exception reached the entry point; the text names what was thrown.
inline constexpr int32_t kCaughtException = 990;
// A dataset wrapper with no dataset attached.
inline constexpr int32_t kNoDataset = 1000;

}  // namespace kfio::errid
