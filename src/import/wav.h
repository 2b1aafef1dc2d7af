// XoWav: Wav, which reads the samples of a PCM WAV file from the current file
// into a worksheet through nested calls: a time column, and the samples as
// one column or, for two channels, a left and a right column.
#pragma once

#include "import/import_io.h"

namespace kfio {

class XoWav : public XoImportIO {
  KFIO_DECLARE_DYNAMIC(XoWav, XoImportIO)
 protected:
  int Execute(double* result, XoDLL& module) override;

 private:
  // Everything between showing the wait cursor and putting it back.
  int Import(XoDLL& module);
};

}  // namespace kfio
