#pragma once

#include <cstdint>

namespace velmoro {

// How each step on a data or temporary file opens it, relative to its held folder: the request
// the Windows implementation hands NtCreateFile, and what the fake holds against another program's
// opportunistic locks (oplocks). The values are Windows' own.
struct FileOpen {
  std::uint32_t access;       // DELETE, GENERIC_READ, GENERIC_WRITE
  std::uint32_t sharing;      // FILE_SHARE_*
  std::uint32_t disposition;  // FILE_OPEN, FILE_CREATE
  // FILE_COMPLETE_IF_OPLOCKED: an open that would wait for an oplock's holder to acknowledge its
  // break answers at once instead (STATUS_OPLOCK_BREAK_IN_PROGRESS, or a sharing violation where
  // only a handle-caching oplock stands in its way); the step then counts the file as in use.
  bool complete_if_oplocked;
};

inline constexpr std::uint32_t kAccessDelete = 0x00010000;
inline constexpr std::uint32_t kAccessRead = 0x80000000;
inline constexpr std::uint32_t kAccessWrite = 0x40000000;
inline constexpr std::uint32_t kShareRead = 0x1;
inline constexpr std::uint32_t kShareDelete = 0x4;
inline constexpr std::uint32_t kDispositionOpen = 1;
inline constexpr std::uint32_t kDispositionCreate = 2;

// Reading admits other readers and a replacing move, never a writer. While this handle is open no
// other program can be granted an oplock that a read would break (an exclusive one needs the only
// open handle), so the reads that follow never wait.
inline constexpr FileOpen kOpenToRead{kAccessRead, kShareRead | kShareDelete, kDispositionOpen,
                                      true};
// A file made new has no oplock; unshared, nobody else opens it while it is written.
inline constexpr FileOpen kCreateToWrite{kAccessWrite, 0, kDispositionCreate, true};
// Moving, replacing and removing: held alone, a file has no other opener whose oplock the rename
// or the deletion would break and wait for; anyone else's open, oplocked or not, shows as a
// sharing violation at once.
inline constexpr FileOpen kOpenAlone{kAccessDelete, 0, kDispositionOpen, true};

}  // namespace velmoro
