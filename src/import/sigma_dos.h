// XoSigmaDos: SigmaDos, which imports a SigmaPlot worksheet file of the DOS
// generation into the columns of a worksheet page, all file access through
// nested calls.
#pragma once

#include "import/import_io.h"

namespace kfio {

class XoSigmaDos : public XoImportIO {
  KFIO_DECLARE_DYNAMIC(XoSigmaDos, XoImportIO)
 protected:
  int Execute(double* result, XoDLL& module) override;

 private:
  int Import(NestedCalls& call, const XoKavlerWks& page, char* name);
  // The column blocks from `block` on, up to the one whose length is 0.
  int Blocks(NestedCalls& call, const XoKavlerWks& page, int64_t block, char* name);
};

}  // namespace kfio
