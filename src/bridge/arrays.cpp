// Indexed properties.
#include "bridge/arrays.h"

#include <cstring>
#include <new>

#include "bridge/error_log.h"

namespace kfio {

int XoArray::AccessElementString(char* buffer, int index, uint16_t accessKind) {
  int s = 0;
  if (accessKind & access::kAssign)
    s = SetElementString(buffer, index);
  else if (accessKind & access::kRead)
    s = GetElementString(buffer, index);
  else
    return status::kFailed;
  return s != 0 ? status::kFailed : status::kDone;
}

int XoArray::SetCount(int count, uint16_t /*access*/) {
  if (count < 0 || count > capacity_) {
    TheErrorLog().Record(errid::kCountOutOfRange, ClassName());
    return 1;
  }
  for (int i = count; i < count_; ++i) elements_[i].reset();
  count_ = count;
  return 0;
}

int XoDataNameVec::SetElementString(const char* text, int index) {
  // Index `count` appends.
  if (index < 0 || index > count_ || index >= capacity_) {
    TheErrorLog().Record(errid::kIndexOutOfRange, ClassName());
    return 1;
  }
  if (text == nullptr || text[0] == '\0') {
    TheErrorLog().Record(errid::kEmptyName, ClassName());
    return 1;
  }
  XoDataSetName* name = new (std::nothrow) XoDataSetName;
  if (name == nullptr) {
    TheErrorLog().Record(errid::kNoMemory, ClassName());
    return 1;
  }
  name->SetText(text);
  elements_[index].reset(name);
  if (index == count_) ++count_;
  return 0;
}

int XoDataNameVec::GetElementString(char* buffer, int index) {
  if (index < 0 || index >= count_) {
    TheErrorLog().Record(errid::kIndexOutOfRange, ClassName());
    return 1;
  }
  const XoDataSetName* name = Name(index);
  if (name != nullptr && name->GetText() != nullptr) std::strcpy(buffer, name->GetText());
  return 0;
}

const XoDataSetName* XoDataNameVec::Name(int index) const {
  if (index < 0 || index >= count_) return nullptr;
  return static_cast<const XoDataSetName*>(elements_[index].get());
}

XoDataVec::XoDataVec(const XoDataNameVec& names) {
  if (names.Count() > capacity_) {
    TheErrorLog().Record(errid::kCountOutOfRange, ClassName());
    return;
  }
  for (int i = 0; i < names.Count(); ++i) {
    const XoDataSetName* name = names.Name(i);
    XoSourceData* data = new (std::nothrow) XoSourceData(name ? name->GetText() : nullptr);
    if (data == nullptr) TheErrorLog().Record(errid::kNoSourceData, ClassName());
    elements_[i].reset(data);
  }
  count_ = names.Count();
}

bool XoDataVec::HasError() {
  for (int i = 0; i < count_; ++i) {
    const XoSourceData* d = Data(i);
    if (d == nullptr || !d->IsAttached()) {
      TheErrorLog().Record(errid::kMissingData, ClassName());
      return true;
    }
  }
  return false;
}

XoSourceData* XoDataVec::Data(int index) const {
  if (index < 0 || index >= count_) return nullptr;
  return static_cast<XoSourceData*>(elements_[index].get());
}

}  // namespace kfio
