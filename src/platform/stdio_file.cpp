// CStdioFile: line reading.
#include "platform/stdio_file.h"

namespace kfio {

bool CStdioFile::Open(const char* fileName, unsigned openFlags, CFileException* error) {
  return CFile::Open(fileName, openFlags & ~static_cast<unsigned>(typeText | typeBinary), error);
}

bool CStdioFile::ReadString(std::string& line) {
  line.clear();
  bool any = false;
  char c;
  // Qualified calls take CFile's inline buffer hit, a few instructions a byte.
  while (CFile::Read(&c, 1) == 1) {
    any = true;
    if (c == '\n') return true;
    if (c == '\r') {
      char next;
      if (CFile::Read(&next, 1) == 1 && next != '\n') CFile::Seek(-1, current);
      return true;
    }
    line.push_back(c);
  }
  return any;
}

}  // namespace kfio
