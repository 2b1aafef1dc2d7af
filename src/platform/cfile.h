// CFile: the unbuffered-looking binary file class, with its status record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "platform/cobject.h"
#include "platform/file_exception.h"

namespace kfio {

namespace detail {
struct SharedFile;
}
namespace sys {
struct FileInfo;
}

struct CFileStatus {
  uint64_t m_size = 0;
  int64_t m_mtime = 0;  // seconds since 1970
  unsigned m_attribute = 0;  // CFile::readOnly, CFile::directory
  bool m_isDirectory = false;
  std::string m_szFullName;
};

// A file opened by name. Reads go through a private read-ahead buffer that no
// caller can observe: positions, lengths, reads and writes come out exactly
// as on an unbuffered file.
//
// When buffered bytes are trusted. The buffer was filled at one logical
// position, at one write generation of the file and with a snapshot of the
// file's size and modification time. Its bytes are served only while
//  - no CFile in this process has written the file since the fill (every
//    write, through any object on the same device and inode, bumps the file's
//    write generation), and
//  - within the current call epoch. The first Read after NewHostCall (which
//    the entry point runs at the start of every host call) takes the file's
//    status again and drops the buffer when size or modification time
//    (nanoseconds) differ from the snapshot, so another process's changes
//    made between two host calls are seen. A length query takes the status
//    too, and vouches for the buffer when the snapshot holds.
//    One exception keeps a script's tight loop of reads free of that system
//    call, which would cost more than the read: when this object was last
//    looked at less than kQuickNs ago and its snapshot was confirmed less
//    than kFreshNs ago, the snapshot stands without asking (and a length
//    query answers its size). Whatever a script does to have another process
//    change the file (run a program, wait for one) takes longer than
//    kQuickNs, and a writer running beside a loop is seen within kFreshNs.
// A Write drops the object's own buffer and writes at the logical position.
//
// The inline reads (Read, ReadRun, GetByte, PeekByte) serve bytes with one
// compare against m_readLimit: the end of the buffered bytes while both
// conditions above are known to hold, the start of the buffer otherwise. Only
// the checked read path sets it to the end, after checking; whatever may break
// a condition sets it back at once in every object concerned (NewHostCall in
// every open object, a write in every object on that file), and so does
// anything that empties the buffer.
//
// Reads and writes are positioned, so the logical position is the file's
// position: Seek and GetPosition ask the OS nothing (their table entry only
// confirms the position, so that a platform or a test can fail them).
//
// Share flags are honoured within the process; a second open that the
// classic rules would refuse fails with sharingViolation.
class CFile : public CObject {
  KFIO_DECLARE_DYNAMIC(CFile, CObject)

 public:
  enum OpenFlags : unsigned {
    modeRead = 0x0000,
    modeWrite = 0x0001,
    modeReadWrite = 0x0002,
    shareCompat = 0x0000,
    shareExclusive = 0x0010,
    shareDenyWrite = 0x0020,
    shareDenyRead = 0x0030,
    shareDenyNone = 0x0040,
    modeNoInherit = 0x0080,
    modeCreate = 0x1000,
    modeNoTruncate = 0x2000,
    typeText = 0x4000,
    typeBinary = 0x8000
  };
  enum Attribute : unsigned { normal = 0x00, readOnly = 0x01, directory = 0x10 };
  enum SeekPosition { begin = 0, current = 1, end = 2 };
  static constexpr int hFileNull = -1;

  CFile();
  virtual ~CFile();
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;

  // Never throws: a failure answers false and fills *error (when given).
  // modeCreate alone truncates; with modeNoTruncate it keeps the content.
  // Only a regular file opens, without waiting: a directory is refused with
  // accessDenied and EISDIR, a fifo, device or socket with accessDenied and
  // ENXIO. An object that is open already refuses (genericException)
  // rather than lose its file.
  // Every descriptor is close-on-exec, modeNoInherit or not; text and binary
  // flags are accepted and mean nothing, all files are binary.
  virtual bool Open(const char* fileName, unsigned openFlags, CFileException* error = nullptr);
  // Throws on failure; the object is closed afterwards either way. Closing a
  // closed file does nothing. Forgets the path, like every close.
  virtual void Close();
  virtual void Abort();

  // May answer fewer bytes than asked, 0 at the end. A file opened without
  // read access throws accessDenied.
  virtual unsigned Read(void* buffer, unsigned count) { return ReadRun(buffer, count); }

  // The byte path for readers that go a byte or a few at a time: as Read,
  // without the virtual call, and without a system call while the buffer
  // holds trusted bytes (see above); otherwise Read's own checked path.
  unsigned ReadRun(void* buffer, unsigned count) {
    // m_readLimit - m_bufNext is negative while the inline reads are off.
    if (count != 0 && static_cast<std::ptrdiff_t>(count) <= m_readLimit - m_bufNext) {
      if (count == 1)
        *static_cast<char*>(buffer) = *m_bufNext;
      else
        std::memcpy(buffer, m_bufNext, count);
      m_bufNext += count;
      return count;
    }
    return ReadSlow(buffer, count);
  }
  // The next byte (0..255), or -1 at the end of the file.
  int GetByte() {
    if (m_bufNext < m_readLimit) return static_cast<unsigned char>(*m_bufNext++);
    return GetByteSlow();
  }
  // The next byte without moving past it, or -1 at the end of the file.
  int PeekByte() {
    if (m_bufNext < m_readLimit) return static_cast<unsigned char>(*m_bufNext);
    return PeekByteSlow();
  }

  // The bytes the inline reads would serve next, without a system call, and
  // stepping over the first n of them (n at most their count): for a reader
  // that takes a run of bytes at once, exactly as that many GetByte calls.
  std::string_view InlineBytes() const {
    return m_bufNext < m_readLimit ? std::string_view(m_bufNext, static_cast<std::size_t>(m_readLimit - m_bufNext))
                                   : std::string_view();
  }
  void SkipInline(std::size_t n) { m_bufNext += n; }

  // Writes every byte or throws (diskFull when the device takes no more).
  virtual void Write(const void* buffer, unsigned count);
  // Answers the new position. Before the start: badSeek; past the end of the
  // file is fine.
  virtual uint64_t Seek(int64_t offset, unsigned from);
  virtual uint64_t GetPosition() const;
  virtual uint64_t GetLength() const;
  void SeekToBegin() { Seek(0, begin); }
  uint64_t SeekToEnd() { return Seek(0, end); }

  virtual std::string GetFilePath() const { return m_strFileName; }
  // The part after the last '/' or '\\'.
  virtual std::string GetFileName() const;
  virtual void SetFilePath(const char* path) { m_strFileName = path == nullptr ? "" : path; }

  int Handle() const { return m_hFile; }
  bool IsOpen() const { return m_hFile != hFileNull; }

  // False when the name leads to nothing. A directory answers true with
  // m_isDirectory set, since it exists.
  static bool GetStatus(const char* fileName, CFileStatus& status);
  // Throws with the mapped cause; a file that this process holds open is
  // refused with sharingViolation, as the classic platform does.
  static void Remove(const char* fileName);
  // Starts a new call epoch (see above).
  static void NewHostCall();

 protected:
  int m_hFile = hFileNull;
  std::string m_strFileName;

 private:
  static constexpr std::size_t kBufferSize = 64 * 1024;
  static constexpr uint64_t kQuickNs = 10'000;
  static constexpr uint64_t kFreshNs = 1'000'000;
  static uint64_t s_readEpoch;

  bool BufferTrusted() const { return m_seenEpoch == s_readEpoch && m_bufGeneration == *m_pWriteGeneration; }
  // Empties the buffer at offset, which stops the inline reads.
  void ResetBuffer(uint64_t offset) {
    m_bufOffset = offset;
    m_bufNext = m_bufLimit = m_readLimit = m_buffer.get();
  }
  // Stops the inline reads of every object holding the file.
  static void StopInlineReads(detail::SharedFile& file);
  // Bytes reached the file: bumps its write generation, and so stops every
  // holder's inline reads.
  static void Written(detail::SharedFile& file);
  unsigned ReadSlow(void* buffer, unsigned count);
  int GetByteSlow();
  int PeekByteSlow();
  void Revalidate();
  // The buffered bytes still match the file as `info` describes it.
  bool SnapshotHolds(const sys::FileInfo& info) const;
  // The snapshot may stand unasked: a look in quick succession (see above).
  // Marks this look's time.
  bool SnapshotStands() const;
  bool Fill();  // false at the end of the file
  uint64_t LogicalPosition() const {
    return m_bufOffset + static_cast<uint64_t>(m_bufNext - m_buffer.get());
  }
  void DropBuffer();
  // Ends the open: registry, buffer, descriptor, path. Answers close's error.
  int Release();
  void CheckOpen() const;

  unsigned m_access = 0;  // sys::kRead | sys::kWrite
  detail::SharedFile* m_pShared = nullptr;
  const uint64_t* m_pWriteGeneration;
  // The buffer holds the file's bytes from m_bufOffset on; the logical
  // position is m_bufOffset plus the bytes consumed. With nothing buffered,
  // m_bufNext == m_bufLimit == start and m_bufOffset is the position.
  // m_readLimit is m_bufLimit or the start (see above).
  std::unique_ptr<char[]> m_buffer;
  const char* m_bufNext = nullptr;
  const char* m_bufLimit = nullptr;
  const char* m_readLimit = nullptr;
  uint64_t m_bufOffset = 0;
  uint64_t m_bufGeneration = 0;
  mutable uint64_t m_seenEpoch = 0;  // a length query may confirm the buffer
  uint64_t m_fillSize = 0;
  int64_t m_fillMtimeSec = 0;
  int64_t m_fillMtimeNsec = 0;
  mutable uint64_t m_lookNs = 0;      // the last look at the buffer's snapshot
  mutable uint64_t m_snapshotNs = 0;  // the last time the OS confirmed it
};

}  // namespace kfio
