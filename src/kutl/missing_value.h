// The missing value: what a read gives when it cannot deliver a number. The
// host, its utility routines and the module agree on it.
#pragma once

namespace kfio {

inline constexpr double kMissingValue = -1.23456789e-300;

}  // namespace kfio
