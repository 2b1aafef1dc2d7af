// RefHost: calls into the module and the dispatch of host services.
#include "host/ref_host.h"

#include <cstring>

namespace refhost {

namespace {

// The module may edit a member name or argument string in place, so it gets
// a writable copy, never the std::string's own storage.
std::vector<char> WritableCopy(const std::string& text) {
  std::vector<char> copy(text.begin(), text.end());
  copy.push_back('\0');
  return copy;
}

uint16_t WithFlag(uint16_t command, bool flagged) {
  return flagged ? static_cast<uint16_t>(command | kfio::cmd::kFlag) : command;
}

bool IsStringCommand(uint16_t command) {
  const uint16_t code = command & static_cast<uint16_t>(~kfio::cmd::kFlag);
  return code == kfio::cmd::kSetString || code == kfio::cmd::kGetString;
}

}  // namespace

RefHost::RefHost(kfio::XodllFunction entry) : entry_(entry), buffer_(kfio::kHostStringBuffer, '\0') {}

RefHost::~RefHost() = default;

uint32_t RefHost::Raw(const char* objectName, char* memberName, void* value, uint16_t command) {
  if (entry_ == nullptr) return 0;
  return entry_(reinterpret_cast<uint64_t>(this), objectName, memberName, value, &Trampoline,
                command);
}

uint32_t RefHost::Access(const char* objectName, const std::string& member, void* value,
                         uint16_t command, bool flagged) {
  std::vector<char> memberName = WritableCopy(member);
  return Raw(objectName, memberName.data(), value, WithFlag(command, flagged));
}

uint32_t RefHost::SetNumber(const std::string& member, double value, bool flagged) {
  return Access(nullptr, member, &value, kfio::cmd::kSetNumber, flagged);
}

uint32_t RefHost::GetNumber(const std::string& member, double& value, bool flagged) {
  return Access(nullptr, member, &value, kfio::cmd::kGetNumber, flagged);
}

uint32_t RefHost::SetString(const std::string& member, const std::string& text, bool flagged) {
  std::vector<char> value = WritableCopy(text);
  return Access(nullptr, member, value.data(), kfio::cmd::kSetString, flagged);
}

uint32_t RefHost::GetString(const std::string& member, std::string& text, bool flagged) {
  buffer_[0] = '\0';
  const uint32_t status = Access(nullptr, member, buffer_.data(), kfio::cmd::kGetString, flagged);
  // A module that filled the buffer to the brim still leaves us a C string.
  buffer_.back() = '\0';
  text.assign(buffer_.data());
  return status;
}

uint32_t RefHost::GetCount(const std::string& member, double& count, bool flagged) {
  return Access(nullptr, member, &count, kfio::cmd::kGetCount, flagged);
}

uint32_t RefHost::SetCount(const std::string& member, double count, bool flagged) {
  return Access(nullptr, member, &count, kfio::cmd::kSetCount, flagged);
}

uint32_t RefHost::Call(const std::string& method, const std::string& args, double& result,
                       bool flagged) {
  return Access(method.c_str(), args, &result, kfio::cmd::kCallMethod, flagged);
}

uint32_t RefHost::AccessMethodMember(const std::string& methodPath, const std::string& member,
                                     uint16_t command, double* number, std::string* text,
                                     bool flagged) {
  if (IsStringCommand(command)) {
    std::vector<char> value;
    char* target = buffer_.data();
    if ((command & ~kfio::cmd::kFlag) == kfio::cmd::kSetString) {
      value = WritableCopy(text != nullptr ? *text : std::string());
      target = value.data();
    } else {
      buffer_[0] = '\0';
    }
    const uint32_t status = Access(methodPath.c_str(), member, target, command, flagged);
    if (target == buffer_.data()) {
      buffer_.back() = '\0';
      if (text != nullptr) text->assign(buffer_.data());
    }
    return status;
  }
  double scratch = 0.0;
  return Access(methodPath.c_str(), member, number != nullptr ? number : &scratch, command,
                flagged);
}

// Listing is any property command with an empty member name; a read is the
// natural one to send.
uint32_t RefHost::List(const char* objectName, bool flagged) {
  char empty[1] = {'\0'};
  double ignored = 0.0;
  return Raw(objectName, empty, &ignored, WithFlag(kfio::cmd::kGetNumber, flagged));
}

int32_t RefHost::CallState() {
  char empty[1] = {'\0'};
  int32_t state = 0;
  Raw(nullptr, empty, &state, kfio::cmd::kCallState);
  return state;
}

std::string RefHost::StringVar(char letter) const {
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  if (letter < 'A' || letter > 'Z') return std::string();
  return stringVars_[letter - 'A'];
}

void RefHost::SetStringVar(char letter, const std::string& text) {
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  if (letter < 'A' || letter > 'Z') return;
  stringVars_[letter - 'A'] = text;
}

// The element pair is the hot path of the bulk transfers (one call per
// value), so it lives here beside the trampoline where it can be inlined.
// What a service answers when it cannot be done: "no handle" or "no
// columns" where the answer is one, "refused" for the text check, else 1.
uint64_t RefHost::FailureAnswer(uint32_t opcode) {
  namespace op = kfio::op;
  switch (opcode) {
    case op::kFindDataset: case op::kFindColumnByNumber: case op::kFindColumnByName:
    case op::kNewTempDataset: case op::kNewUnnamedTemp: case op::kFindPage: case op::kColumnCount:
      return 0;
    case op::kCheckText:
      return ~uint64_t{0};
    default:
      return 1;
  }
}

uint64_t RefHost::Trampoline(uint64_t context, uint32_t opcode, uint64_t a, uint64_t b) noexcept {
  if (context == 0) return 1;
  // The row call carries a 4099 handle as its context, which names the host;
  // the service sees the handle as a and the row block as b.
  if (opcode == kfio::op::kTakeRow) {
    const auto* target = reinterpret_cast<const RowTarget*>(context);
    return Guarded(target->host, opcode, context, a);
  }
  auto* host = reinterpret_cast<RefHost*>(context);
  // ARead's one call per value: the element services never throw, so
  // without a test probe they need no guard (and none of its register saves).
  if (opcode == kfio::op::kSetElement && !host->serviceProbe) {
    ++host->elementCalls;
    return SetElement(a, b);
  }
  return Guarded(host, opcode, a, b);
}

uint64_t RefHost::Guarded(RefHost* host, uint32_t opcode, uint64_t a, uint64_t b) noexcept {
  // Nothing may unwind into the module, which is not built to be unwound
  // through: a service that throws (out of memory above all) fails.
  try {
    if (host->serviceProbe) host->serviceProbe(opcode);
    // ARead's and AWrite's one call per value, answered before the big
    // switch (and its register saves) is entered.
    if (opcode == kfio::op::kSetElement) {
      ++host->elementCalls;
      return SetElement(a, b);
    }
    if (opcode == kfio::op::kGetElement) {
      ++host->elementCalls;
      return GetElement(a, b);
    }
    return host->Serve(opcode, a, b);
  } catch (...) {
    return FailureAnswer(opcode);
  }
}

uint64_t RefHost::Serve(uint32_t opcode, uint64_t a, uint64_t b) {
  namespace op = kfio::op;
  switch (opcode) {  // per-element traffic: counted, never listed
    case op::kGetElement: case op::kGetElementAlt1: case op::kGetElementAlt2:
      ++elementCalls;
      return GetElement(a, b);
    case op::kSetElement: case op::kSetElementAlt1: case op::kSetElementAlt2: case op::kSetByte:
      ++elementCalls;
      return SetElement(a, b);
    case op::kGetPair: case op::kSetPair: case op::kValueAt:
    case op::kSetText: case op::kGetText: case op::kGetTextByIndex:
      ++elementCalls;
      return ServeDataset(opcode, a, b);
    default:
      break;
  }
  if (recordCalls) calls.push_back(opcode);
  switch (opcode) {
    case kfio::op::kPrintLine:
      return PrintLine(reinterpret_cast<const char*>(a));
    case kfio::op::kSetStringVar:
      return AssignStringVar(reinterpret_cast<const char*>(a), b);
    case kfio::op::kGetStringVar:
      return ReadStringVar(reinterpret_cast<char*>(a), b);
    case kfio::op::kCheckText:
      return CheckText(reinterpret_cast<const char*>(a));
    case kfio::op::kEvaluate:
      return EvaluateInto(reinterpret_cast<const char*>(a), reinterpret_cast<double*>(b));
    case kfio::op::kFormatNumber:
      return FormatInto(reinterpret_cast<const double*>(a),
                        reinterpret_cast<kfio::FormatBlock*>(b));
    case kfio::op::kAfterMethod:
      return 0;
    case op::kFindDataset:
      return FindDatasetInto(reinterpret_cast<const char*>(a), reinterpret_cast<kfio::DatasetBlock*>(b));
    case op::kFindColumnByNumber: case op::kFindColumnByName:
      return FindColumnInto(opcode, reinterpret_cast<const char*>(a),
                            reinterpret_cast<kfio::DatasetBlock*>(b));
    case op::kNewTempDataset:
      return NewTemporary(reinterpret_cast<const kfio::TempDatasetBlock*>(a),
                          reinterpret_cast<const char*>(b));
    case op::kNewUnnamedTemp:
      return NewTemporary(nullptr, nullptr);
    case op::kReleaseTemp:
      return ReleaseTemporary(a);
    case op::kGetRange: case op::kResize: case op::kSetParameter: case op::kIsText:
      return ServeDataset(opcode, a, b);
    case op::kFindPage:
      return FindPageHandle(reinterpret_cast<const char*>(b));
    case op::kWorksheetHandle:
      return RowTargetInto(reinterpret_cast<const char*>(a), reinterpret_cast<uint64_t*>(b));
    case op::kTakeRow:
      return TakeRow(reinterpret_cast<const RowTarget*>(a), reinterpret_cast<const kfio::RowBlock*>(b));
    case op::kRunCommand:
      return RunCommand(reinterpret_cast<const char*>(a));
    case op::kColumnCount: case op::kColumnName: case op::kRemoveColumn: case op::kAddColumn:
    case op::kSetColumnName: case op::kSetColumnKind: case op::kQueryColumn: case op::kSetColumnTitle:
    case op::kSetRowCount:
      return ServeColumn(opcode, a, b);
    default:
      return Unknown(opcode);
  }
}

uint64_t RefHost::Unknown(uint32_t opcode) {
  unknownOpcodes.push_back(opcode);
  return 1;
}

}  // namespace refhost
