// Number and string properties.
#include "bridge/properties.h"

#include <cstring>

#include "bridge/host_services.h"
#include "bridge/truncate.h"

namespace kfio {

namespace {
int DoneOrFailed(int primitiveStatus) {
  return primitiveStatus != 0 ? status::kFailed : status::kDone;
}
}  // namespace

int XoNumeric::AccessNumber(double* value, uint16_t accessKind) {
  if (accessKind & access::kAssign) return DoneOrFailed(SetNumber(*value));
  if (accessKind & access::kRead) return DoneOrFailed(GetNumber(value));
  return status::kFailed;
}

int XoNumeric::AccessElementNumber(double* value, int index, uint16_t accessKind) {
  if (accessKind & access::kAssign) return DoneOrFailed(SetElementNumber(*value, index));
  if (accessKind & access::kRead) return DoneOrFailed(GetElementNumber(value, index));
  return status::kFailed;
}

void XoNumeric::AssignFromText(const char* text) {
  // Without a host the value is 0.0: there is nothing to evaluate with.
  const double value = EvaluateExpression(text);
  SetGiven(true);
  SetNumber(value);
}

void XoNumeric::Reset() {
  SetNumber(0.0);
  attachment_.reset();
}

int XoInt::SetNumber(double value) {
  value_ = TruncateToInt32(value);
  return 0;
}

int XoString::AccessString(char* buffer, uint16_t accessKind) {
  if (accessKind & access::kAssign) {
    SetText(buffer);
    return status::kDone;
  }
  if (accessKind & access::kRead) {
    GetString(buffer);
    return status::kDone;
  }
  return status::kFailed;
}

int XoString::GetString(char* buffer) {
  if (buffer == nullptr) return 1;
  const std::size_t n = hasText_ ? std::min(text_.size(), kMaxStringValue) : 0;
  std::memcpy(buffer, text_.data(), n);
  buffer[n] = '\0';
  return 0;
}

void XoString::AssignFromText(const char* text) {
  SetGiven(true);
  SetText(text);
}

void XoString::SetText(const char* text) {
  hasText_ = text != nullptr;
  if (hasText_) {
    text_.assign(text);
    text_.shrink_to_fit();
  } else {
    std::string().swap(text_);
  }
}

}  // namespace kfio
