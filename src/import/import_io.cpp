// The import methods' shared arguments and cursor handling.
#include "import/import_io.h"

#include "fum/errors.h"

namespace kfio {

XoImportIO::XoImportIO() : XoHighLev("(wksname$[,hFile])"), page_(AddArgument<XoWksName>()) {
  AddArgument<XoInt>();
}

int XoImportIO::CheckArguments() { return Given(page_) ? 0 : Fail(err::kMissingTextArgument); }

void XoImportIO::ShowWaitCursor() {
  RepaintMainWindow();
  previous_ = SetCursor(LoadSystemCursor(kSystemWaitCursor));
}

void XoImportIO::RestoreCursor() { SetCursor(previous_); }

}  // namespace kfio
