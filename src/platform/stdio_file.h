// CStdioFile: a CFile that reads text a line at a time.
#pragma once

#include <string>

#include "platform/cfile.h"

namespace kfio {

// Lines are read from CFile's read-ahead buffer, so Seek and GetPosition stay
// exact byte offsets that agree with what ReadString has consumed.
class CStdioFile : public CFile {
  KFIO_DECLARE_DYNAMIC(CStdioFile, CFile)

 public:
  // As CFile::Open; the text flag changes nothing, bytes come through as
  // they are.
  bool Open(const char* fileName, unsigned openFlags, CFileException* error = nullptr) override;

  // The next line without its line break. LF, CR LF and a lone CR each end a
  // line (a lone CR is how old Mac text ends lines). False at the end of the
  // file with nothing read; a last line without a break still counts.
  bool ReadString(std::string& line);
};

}  // namespace kfio
