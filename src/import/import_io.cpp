// The import methods' shared arguments and cursor handling.
#include "import/import_io.h"

#include <cstring>
#include <memory>
#include <new>

#include "bridge/host_blocks.h"
#include "fum/errors.h"

namespace kfio {

static_assert(kDatasetNameMax < XoImportIO::kNameBufferBytes,
              "a dataset name a lookup takes fits the name buffer with its NUL");

XoImportIO::XoImportIO() : XoHighLev("(wksname$[,hFile])"), page_(AddArgument<XoWksName>()) {
  AddArgument<XoInt>();
}

int XoImportIO::CheckArguments() { return Given(page_) ? 0 : Fail(err::kMissingTextArgument); }

void XoImportIO::ShowWaitCursor() {
  RepaintMainWindow();
  previous_ = SetCursor(LoadSystemCursor(kSystemWaitCursor));
}

void XoImportIO::RestoreCursor() { SetCursor(previous_); }

int XoImportIO::RunImport(
    XoDLL& module, const std::function<int(NestedCalls& call, const XoKavlerWks& page, char* name)>& import) {
  ShowWaitCursor();
  const XoKavlerWks page(TextArg(page_));
  const std::unique_ptr<char[]> name(new (std::nothrow) char[kNameBufferBytes]);
  NestedCalls call(module);
  const int s = name ? import(call, page, name.get()) : OutOfMemoryFailure();
  RestoreCursor();
  return s;
}

bool XoImportIO::NameColumn(const XoKavlerWks& page, int64_t column, char* name) {
  if (column < 1 || column > kMaxColumns) return false;
  char full[kPageNameMax + kColumnNameMax + 2];
  if (page.ColumnDatasetName(full, sizeof full, static_cast<int>(column)) != 0) return false;
  const std::size_t length = std::strlen(full);
  if (length > kDatasetNameMax) return false;
  std::memcpy(name, full, length + 1);
  return true;
}

}  // namespace kfio
