// CStdioFile: line reading.
#include "platform/stdio_file.h"

namespace kfio {

bool CStdioFile::Open(const char* fileName, unsigned openFlags, CFileException* error) {
  return CFile::Open(fileName, openFlags & ~static_cast<unsigned>(typeText | typeBinary), error);
}

bool CStdioFile::ReadString(std::string& line) {
  line.clear();
  int c = GetByte();
  if (c < 0) return false;
  for (; c >= 0 && c != '\n'; c = GetByte()) {
    if (c == '\r') {
      if (PeekByte() == '\n') GetByte();
      break;
    }
    line.push_back(static_cast<char>(c));
  }
  return true;
}

}  // namespace kfio
