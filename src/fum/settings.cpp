// The settings and error state of the file methods, and the ListSep method.
#include "fum/settings.h"

#include <cstring>
#include <vector>

#include "bridge/guarded_new.h"
#include "bridge/host_services.h"
#include "fum/errors.h"
#include "kutl/kutl.h"

namespace kfio {

namespace {
constexpr int32_t kWidths[] = {1, 2, 3, 4, 8, 10};
}  // namespace

FumState::FumState()
    : nBytes(GuardedNew<XoDiscrete>(kWidths, 6u)),
      byteOrder(GuardedNew<XoBounded>(0, 2, 0)),
      signedValues(GuardedNew<XoBounded>(0, 1, 0)),
      nLineMode(GuardedNew<XoBounded>(0, 2, 0)),
      listSep(GuardedNew<XoBounded>(0, 255, ',')) {
  instance_ = this;
}

FumState::~FumState() {
  files.CloseAllEntries(false);
  if (instance_ == this) instance_ = nullptr;
}

int XoListSep::Execute(double* /*result*/, XoDLL& /*module*/) {
  XoBounded* listSep = TheState().listSep.get();
  if (listSep == nullptr) return OutOfMemoryFailure();
  if (!Given(char_)) {
    listSep->Store(',');
    return 0;
  }
  const char* argument = TextArg(char_);
  std::vector<char> text(std::strlen(argument != nullptr ? argument : "") + 1);
  const char* separator = kutl::ArgumentText(argument, text.data(), text.size());
  if (separator == nullptr) return Fail(err::kMissingArgument);
  if (HostKnown() && HostCall(op::kCheckText, reinterpret_cast<uint64_t>(separator), 0) == ~0ull)
    return Fail(err::kSeparatorRefused);
  return listSep->SetChecked(static_cast<signed char>(separator[0]));
}

}  // namespace kfio
