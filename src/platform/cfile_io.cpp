// CFile: reading through the read-ahead buffer, writing, seeking, position and length.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <limits>

#include "platform/cfile.h"
#include "platform/share_registry.h"
#include "platform/sys_calls.h"

namespace kfio {

void CFile::DropBuffer() { ResetBuffer(LogicalPosition()); }

void CFile::StopInlineReads(detail::SharedFile& file) {
  for (const detail::SharedFile::Holder& h : file.holders) h.owner->m_readLimit = h.owner->m_buffer.get();
}

void CFile::Written(detail::SharedFile& file) {
  ++file.writeGeneration;
  StopInlineReads(file);
}

void CFile::NewHostCall() {
  ++s_readEpoch;
  detail::ShareRegistry::ForEach(StopInlineReads);
}

bool CFile::SnapshotHolds(const sys::FileInfo& info) const {
  return m_bufLimit == m_buffer.get() ||
         (info.size == m_fillSize && info.mtimeSec == m_fillMtimeSec && info.mtimeNsec == m_fillMtimeNsec);
}

bool CFile::SnapshotStands() const {
  if (m_bufLimit == m_buffer.get() || m_bufGeneration != *m_pWriteGeneration) return false;
  const uint64_t now = sys::g_clockNs();
  const bool quick = now - m_lookNs < kQuickNs && now - m_snapshotNs < kFreshNs;
  m_lookNs = now;
  return quick;
}

void CFile::Revalidate() {
  if (m_bufGeneration != *m_pWriteGeneration) DropBuffer();
  if (m_seenEpoch == s_readEpoch) return;
  if (m_bufLimit != m_buffer.get() && !SnapshotStands()) {
    sys::FileInfo info;
    if (sys::g_calls.statFd(m_hFile, info) != 0 || !SnapshotHolds(info)) {
      DropBuffer();
    } else {
      m_snapshotNs = m_lookNs;
    }
  }
  m_seenEpoch = s_readEpoch;
}

bool CFile::Fill() {
  const uint64_t pos = LogicalPosition();
  if (!m_buffer) m_buffer = std::make_unique<char[]>(kBufferSize);
  ResetBuffer(pos);
  // The snapshot comes first: a change landing between it and the read makes
  // the next epoch drop good bytes, never keep stale ones.
  sys::FileInfo info;
  if (int err = sys::g_calls.statFd(m_hFile, info)) CFileException::ThrowOsError(err, m_strFileName);
  std::size_t got = 0;
  if (int err = sys::g_calls.readAt(m_hFile, m_buffer.get(), kBufferSize, pos, got))
    CFileException::ThrowOsError(err, m_strFileName);
  m_bufLimit = m_buffer.get() + got;
  m_bufGeneration = *m_pWriteGeneration;
  m_fillSize = info.size;
  m_fillMtimeSec = info.mtimeSec;
  m_fillMtimeNsec = info.mtimeNsec;
  m_lookNs = m_snapshotNs = sys::g_clockNs();
  return got != 0;
}

unsigned CFile::ReadSlow(void* buffer, unsigned count) {
  CheckOpen();
  // Checked here rather than left to read(2), whose EBADF would say "bad
  // descriptor" about a descriptor that is fine but write-only.
  if ((m_access & sys::kRead) == 0) CFileException::Throw(CFileException::accessDenied, EBADF, m_strFileName);
  Revalidate();

  auto* out = static_cast<char*>(buffer);
  unsigned done = 0;
  const uint64_t start = LogicalPosition();
  try {
    while (done < count) {
      const auto avail = static_cast<std::size_t>(m_bufLimit - m_bufNext);
      if (avail != 0) {
        const std::size_t n = std::min<std::size_t>(avail, count - done);
        std::memcpy(out + done, m_bufNext, n);
        m_bufNext += n;
        done += static_cast<unsigned>(n);
        continue;
      }
      const unsigned rest = count - done;
      if (rest >= kBufferSize) {
        // Large reads go straight to the caller; copying them twice buys nothing.
        const uint64_t pos = LogicalPosition();
        std::size_t got = 0;
        int err = sys::g_calls.readAt(m_hFile, out + done, rest, pos, got);
        ResetBuffer(pos + got);
        if (err) CFileException::ThrowOsError(err, m_strFileName);
        done += static_cast<unsigned>(got);
        break;  // readAt stops short only at the end of the file
      }
      if (!Fill()) break;
    }
  } catch (const CFileException&) {
    // The caller learns no count, so a failed read consumes nothing, as
    // with read(2).
    ResetBuffer(start);
    throw;
  }
  // Checked just now: the inline reads may serve what is left.
  if (BufferTrusted()) m_readLimit = m_bufLimit;
  return done;
}

int CFile::GetByteSlow() {
  unsigned char c;
  return ReadSlow(&c, 1) == 1 ? c : -1;
}

int CFile::PeekByteSlow() {
  const int c = GetByteSlow();
  // A one-byte read always comes through the buffer, so the byte is still
  // there to step back over.
  if (c >= 0) --m_bufNext;
  return c;
}

void CFile::Write(const void* buffer, unsigned count) {
  CheckOpen();
  if ((m_access & sys::kWrite) == 0) CFileException::Throw(CFileException::accessDenied, EBADF, m_strFileName);
  DropBuffer();
  if (count == 0) return;
  const uint64_t pos = m_bufOffset;
  std::size_t done = 0;
  const int err = sys::g_calls.writeAt(m_hFile, buffer, count, pos, done);
  // Whatever reached the file counts, as with write(2), and invalidates every
  // other object's buffer on this file.
  m_bufOffset = pos + done;
  Written(*m_pShared);
  if (err) CFileException::ThrowOsError(err, m_strFileName);
  if (done < count) CFileException::Throw(CFileException::diskFull, ENOSPC, m_strFileName);
}

uint64_t CFile::Seek(int64_t offset, unsigned from) {
  CheckOpen();
  uint64_t base = 0;
  switch (from) {
    case begin:
      break;
    case current:
      base = LogicalPosition();
      break;
    case end: {
      sys::FileInfo info;
      if (int err = sys::g_calls.statFd(m_hFile, info)) CFileException::ThrowOsError(err, m_strFileName);
      base = info.size;
      break;
    }
    default:
      CFileException::Throw(CFileException::badSeek, EINVAL, m_strFileName);
  }
  constexpr auto kMax = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
  uint64_t target;
  if (offset < 0) {
    const uint64_t back = static_cast<uint64_t>(-(offset + 1)) + 1;
    if (back > base) CFileException::Throw(CFileException::badSeek, EINVAL, m_strFileName);
    target = base - back;
  } else {
    if (static_cast<uint64_t>(offset) > kMax - std::min(base, kMax))
      CFileException::Throw(CFileException::badSeek, EINVAL, m_strFileName);
    target = base + static_cast<uint64_t>(offset);
  }
  if (int err = sys::g_calls.seek(m_hFile, target)) CFileException::ThrowOsError(err, m_strFileName);
  // Inside the buffered span only the read pointer moves: its bytes are as
  // good as they were.
  const auto held = static_cast<uint64_t>(m_bufLimit - m_buffer.get());
  if (target >= m_bufOffset && target - m_bufOffset <= held) {
    m_bufNext = m_buffer.get() + (target - m_bufOffset);
  } else {
    ResetBuffer(target);
  }
  return target;
}

uint64_t CFile::GetPosition() const {
  CheckOpen();
  const uint64_t pos = LogicalPosition();
  if (int err = sys::g_calls.seek(m_hFile, pos)) CFileException::ThrowOsError(err, m_strFileName);
  return pos;
}

uint64_t CFile::GetLength() const {
  CheckOpen();
  // Every text reader asks for the length first, once a call.
  if (SnapshotStands()) {
    m_seenEpoch = s_readEpoch;
    return m_fillSize;
  }
  sys::FileInfo info;
  if (int err = sys::g_calls.statFd(m_hFile, info)) CFileException::ThrowOsError(err, m_strFileName);
  // This look at the file is as fresh as the buffer's check in this call
  // epoch would be: a reader that asks for the length first then pays one
  // system call a call, not two.
  if (SnapshotHolds(info)) {
    m_seenEpoch = s_readEpoch;
    if (m_bufLimit != m_buffer.get()) m_snapshotNs = m_lookNs;  // the look SnapshotStands just timed
  }
  return info.size;
}

}  // namespace kfio
