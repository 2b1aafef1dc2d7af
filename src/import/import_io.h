// XoImportIO: the base of the import methods: the worksheet and file
// arguments, and the wait cursor shown while an import runs.
#pragma once

#include "fum/high_level.h"
#include "platform/window.h"

namespace kfio {

class XoImportIO : public XoHighLev {
  KFIO_DECLARE_DYNAMIC(XoImportIO, XoHighLev)
 public:
  XoImportIO();
  int FileArgumentIndex() const override { return LastArgumentIndex(); }

 protected:
  // wksname$ is required.
  int CheckArguments() override;
  // The wksname$ slot.
  int PageArgument() const { return page_; }
  // The host's main window is repainted and the wait cursor replaces the
  // current one, which is remembered.
  void ShowWaitCursor();
  // Puts the remembered cursor back.
  void RestoreCursor();

 private:
  int page_ = -1;  // argument slot
  CursorHandle previous_ = nullptr;
};

}  // namespace kfio
