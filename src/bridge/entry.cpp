// The exported entry: keeps the host link, maps the command code to an
// access kind and hands the request to the module object.
#include "bridge/entry.h"

#include <exception>
#include <new>

#include "bridge/error_log.h"
#include "bridge/host_services.h"
#include "bridge/module_object.h"
#include "platform/cfile.h"

namespace kfio {

uint16_t AccessKindOf(uint16_t command) {
  static constexpr uint16_t kPropertyKinds[4] = {4, 8, 5, 9};
  if (command >= cmd::kSetNumber && command <= cmd::kGetString)
    return kPropertyKinds[command - cmd::kSetNumber];
  if (command == cmd::kGetCount) return access::kReadCount;
  if (command == cmd::kSetCount) return access::kAssignCount;
  return access::kNone;
}

namespace {

// A plain call passes the member's status through; a flagged call answers
// 1 or 2 and leaves the detail in callState.
uint32_t Conclude(XoDLL& module, int r) {
  if (r == 1) return 1;
  if (module.callState != 0) return module.callState > 0 ? 2 : static_cast<uint32_t>(r);
  module.callState = 1;
  return 2;
}

uint32_t Dispatch(XoDLL& module, const char* objectName, char* memberName, void* value,
                  uint16_t command) {
  if (command == cmd::kCallState) {
    if (value == nullptr) return 2;
    *static_cast<int32_t*>(value) = module.callState;
    return 1;
  }
  if (command & cmd::kFlag) {
    module.callState = 0;
    command = static_cast<uint16_t>(command & ~cmd::kFlag);
  } else {
    module.callState = -1;
  }
  // Calls no host should make: answered as failures, never followed.
  if (memberName == nullptr) return Conclude(module, 2);
  const bool listing = command != cmd::kCallMethod && memberName[0] == '\0';
  if (value == nullptr && !listing) return Conclude(module, 2);

  if (command == cmd::kCallMethod) {
    const int r = module.CallMethod(objectName, memberName, static_cast<double*>(value));
    if (r != 1 && module.callState == 0) module.callState = 1;
    return module.callState > 0 ? 2 : static_cast<uint32_t>(r);
  }
  if (memberName[0] == '\0') {
    if (module.callState >= 0) return 2;
    if (objectName != nullptr && objectName[0] != '\0' && module.ListPath(objectName) != 0) return 1;
    module.ListMembers();
    return 1;
  }
  const uint16_t accessKind = AccessKindOf(command);
  if (accessKind == access::kNone) return 2;
  const int r = objectName != nullptr
                    ? module.AccessMethodMember(objectName, memberName, value, accessKind)
                    : module.AccessProperty(memberName, accessKind, value);
  return Conclude(module, r);
}

// Nothing thrown inside may unwind into the host: the call fails, the log
// says what was thrown, and the module is ready for the next call.
uint32_t Caught(XoDLL& module, const char* what) {
  TheErrorLog().Record(errid::kCaughtException, what);
  module.AfterException();
  return Conclude(module, 2);
}

}  // namespace
}  // namespace kfio

extern "C" uint32_t XODLL(uint64_t hostContext, const char* objectName, char* memberName,
                          void* value, kfio::HostCallback hostCallback, uint16_t command) {
  using namespace kfio;
  HostLink& link = TheHostLink();
  link.callback = hostCallback;
  link.context = hostContext;
  CFile::NewHostCall();
  XoDLL& module = TheModule();
  try {
    return Dispatch(module, objectName, memberName, value, command);
  } catch (const std::bad_alloc&) {
    return Caught(module, "out of memory");
  } catch (const std::exception& e) {
    return Caught(module, e.what());
  } catch (...) {
    return Caught(module, "unknown exception");
  }
}
