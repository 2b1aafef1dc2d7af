// XoImportIO: the base of the import methods: the worksheet and file
// arguments, and the wait cursor shown while an import runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "bridge/worksheet.h"
#include "fum/high_level.h"
#include "platform/window.h"

namespace kfio {

// The nested calls of one import: each answers the callee's status and
// leaves its result in `value`.
class NestedCalls {
 public:
  explicit NestedCalls(XoDLL& module) : module_(module) {}
  template <typename... A>
  int operator()(int index, A... arguments) {
    return XoHighLev::CallNested(module_, index, &value, arguments...);
  }
  double value = 0.0;

 private:
  XoDLL& module_;
};

class XoImportIO : public XoHighLev {
  KFIO_DECLARE_DYNAMIC(XoImportIO, XoHighLev)
 public:
  XoImportIO();
  int FileArgumentIndex() const override { return LastArgumentIndex(); }

  // The buffer for the dataset name of the column being filled.
  static constexpr std::size_t kNameBufferBytes = 40;

 protected:
  // wksname$ must be given.
  int CheckArguments() override;
  // The wksname$ slot.
  int PageArgument() const { return page_; }
  // The host's main window is repainted and the wait cursor replaces the
  // current one, which is remembered.
  void ShowWaitCursor();
  // Puts the remembered cursor back.
  void RestoreCursor();
  // Runs `import` with the worksheet of wksname$ and a name buffer of
  // kNameBufferBytes, under the wait cursor, which is put back whatever
  // `import` answers. Out of memory for the buffer: 5/2 or 44/44.
  int RunImport(XoDLL& module,
                const std::function<int(NestedCalls& call, const XoKavlerWks& page, char* name)>& import);
  // The dataset name of 1-based `column` into the name buffer; false when
  // the column has no name, or the name is longer than a dataset lookup
  // takes (a longer one would reach another dataset).
  static bool NameColumn(const XoKavlerWks& page, int64_t column, char* name);

 private:
  int page_ = -1;  // argument slot
  CursorHandle previous_ = nullptr;
};

}  // namespace kfio
