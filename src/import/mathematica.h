// XoMathematica: Mathematica, the import of a list or a list of lists in
// brace notation ({1, 2.5, 3*^-4}, {{1, 2}, {3, 4}}) into worksheet columns,
// one text cell per element.
#pragma once

#include <cstddef>

#include "import/import_io.h"

namespace kfio {

class MyCFile;
class XoKavlerWks;

class XoMathematica : public XoImportIO {
  KFIO_DECLARE_DYNAMIC(XoMathematica, XoImportIO)
 public:
  // The most characters a cell takes from an element; the rest of a longer
  // element goes on in the next cell.
  static constexpr std::size_t kTokenMax = 121;
  // The most columns an import fills: each inner list costs the host a
  // column for as little as three bytes of file, so the count is bounded
  // by a page's column limit rather than by the file's size.
  static constexpr int kMaxColumns = kfio::kMaxColumns;

 protected:
  int CheckArguments() override;
  int Execute(double* result, XoDLL& module) override;

 private:
  // Everything between the wait cursor and its return.
  int Import(XoDLL& module);
  // Counts the opening braces into `depth` and steps back over the byte
  // after them.
  int CountBraces(XoDLL& module, int& depth);
  // Column after column from the current file; `depth` 1 fills column 1 only.
  int FillColumns(XoDLL& module, const XoKavlerWks& page, int depth);
  // Elements up to the end of one list into `column` from row 0.
  int FillColumn(MyCFile& file, const XoKavlerWks& page, int column);
};

}  // namespace kfio
