// The import methods' shared arguments and cursor handling.
#include "import/import_io.h"

namespace kfio {

XoImportIO::XoImportIO() : XoHighLev("(wksname$[,hFile])"), page_(AddArgument<XoWksName>()) {
  AddArgument<XoInt>();
}

void XoImportIO::ShowWaitCursor() {
  RepaintMainWindow();
  previous_ = SetCursor(LoadSystemCursor(kSystemWaitCursor));
}

void XoImportIO::RestoreCursor() { SetCursor(previous_); }

}  // namespace kfio
