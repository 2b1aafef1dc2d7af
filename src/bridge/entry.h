// XODLL: the module's one exported function.
#pragma once

#include <cstdint>

#include "bridge/host_blocks.h"

#define KFIO_EXPORT __attribute__((visibility("default")))

extern "C" KFIO_EXPORT uint32_t XODLL(uint64_t hostContext, const char* objectName,
                                      char* memberName, void* value,
                                      kfio::HostCallback hostCallback, uint16_t command);

namespace kfio {
// Access kind of a property command; access::kNone for any other command.
uint16_t AccessKindOf(uint16_t command);
}  // namespace kfio
