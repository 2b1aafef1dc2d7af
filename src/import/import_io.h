// XoImportIO: the base of the import methods: the worksheet and file
// arguments, the wait cursor shown while an import runs, the nested calls
// that do its reading and the name of the column being filled.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "bridge/worksheet.h"
#include "fum/errors.h"
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
  // The result of a Read: a whole number within 32 bits, signed or not.
  int64_t Whole() const { return static_cast<int64_t>(value); }
  // A file position as SetPos takes it: its low 32 bits, as GetPos gives them.
  static int32_t At(int64_t position) { return static_cast<int32_t>(static_cast<uint32_t>(position)); }
  // An ARead whose file layer failed part way answers success with the code in Error, which the next nested
  // call clears: an import that read on would leave a column short and answer success. The code, as a
  // status, or 0 when the transfer went through or only met the end of the file.
  static int TransferFailure() {
    const int code = ErrorCode();
    return code == (NewErrorMode() ? err::kChunkReadFailed.byNew : err::kChunkReadFailed.byDefault) ? code : 0;
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
