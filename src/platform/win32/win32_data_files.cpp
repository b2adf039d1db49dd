// The files inside held folders: read, written, replaced and removed relative to the hold. No step
// waits for another program: every open asks not to wait for an oplock's break (data_file_opens.h),
// and what follows an open cannot meet one.
#include <windows.h>
// After windows.h, whose types it uses.
#include <winternl.h>

#include <algorithm>
#include <optional>

#include "platform/number_text.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_relative.h"

namespace velmoro {
namespace {

// The name a replaced file has between its replacement taking its name and its removal.
std::optional<std::u16string> AsideName(std::optional<std::uint64_t> random) {
  if (!random) return std::nullopt;
  return u"~vu" + HexDigits(*random) + u".old";
}

void MarkForDeletion(HANDLE file) {
  FILE_DISPOSITION_INFO disposition{TRUE};
  SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof(disposition));
}

}  // namespace

ReadResult Win32Files::ReadFileIn(FolderHandle folder, const std::u16string& name,
                                  std::string& bytes, std::uint64_t max_bytes) {
  const Held* held = Find(folder);
  if (held == nullptr) return {ReadStatus::kFailed, ERROR_INVALID_HANDLE};
  // Where the file system allows it, a move that replaces the file may happen meanwhile
  // (FILE_SHARE_DELETE) and this read still sees the old text. A link is opened as itself.
  const RelativeOpen opened = OpenDataFile(held->handle.get(), name, kOpenToRead);
  if (!opened.handle) {
    switch (opened.status) {
      case kStatusObjectNameNotFound:
      case kStatusFileIsADirectory:
        return {ReadStatus::kAbsent};
      default:
        return {ReadStatus::kFailed, opened.error};
    }
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(opened.handle.get(), &info)) {
    return {ReadStatus::kFailed, GetLastError()};
  }
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ||
      NameIsLink(Child(held->path, name))) {
    return {ReadStatus::kLink};
  }
  if (info.nNumberOfLinks > 1) return {ReadStatus::kHardLinks};
  const std::uint64_t size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  if (size > max_bytes) return {ReadStatus::kTooLarge};
  bytes.assign(static_cast<std::size_t>(size), '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    DWORD got = 0;
    if (!ReadFile(opened.handle.get(), bytes.data() + done, wanted, &got, nullptr)) {
      return {ReadStatus::kFailed, GetLastError()};
    }
    if (got == 0) break;  // the file shrank since its size was taken
    done += got;
  }
  bytes.resize(done);
  return {};
}

WriteResult Win32Files::WriteNewFileIn(FolderHandle folder, const std::u16string& name,
                                       const std::string& bytes) {
  const Held* held = Find(folder);
  if (held == nullptr) return {WriteStatus::kCreateFailed, ERROR_INVALID_HANDLE};
  const RelativeOpen file = OpenDataFile(held->handle.get(), name, kCreateToWrite);
  if (!file.handle) {
    const bool taken = file.status == kStatusObjectNameCollision;
    return {taken ? WriteStatus::kExists : WriteStatus::kCreateFailed, file.error};
  }
  if (bytes.size() > MAXDWORD) return {WriteStatus::kShortWrite, 0};
  if (!bytes.empty()) {
    DWORD written = 0;
    if (!WriteFile(file.handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                   nullptr) ||
        written != bytes.size()) {
      return {WriteStatus::kShortWrite, 0};
    }
  }
  // Data that never reached the disk must not replace the old file.
  if (!FlushFileBuffers(file.handle.get())) return {WriteStatus::kShortWrite, 0};
  return {};
}

// A rename that replaces a file breaks the oplocks of those who hold that file open and waits for
// them, and no open handle can ask it not to. So the file replaced is opened alone first, which
// shows at once whether anyone else holds it; held so, it is renamed aside, the new file takes the
// free name, and the old one is deleted on its own handle: no step meets another opener.
ErrorCode Win32Files::ReplaceFileIn(FolderHandle folder, const std::u16string& from,
                                    const std::u16string& to) {
  const Held* held = Find(folder);
  if (held == nullptr) return ERROR_INVALID_HANDLE;
  HANDLE dir = held->handle.get();
  const RelativeOpen file = OpenDataFile(dir, from, kOpenAlone);
  if (!file.handle) return file.error;
  const RelativeOpen replaced = OpenDataFile(dir, to, kOpenAlone);
  if (!replaced.handle) {
    // Windows never replaces a folder by a file; Wine would, were it not looked at first.
    if (replaced.status == kStatusFileIsADirectory) return ERROR_ACCESS_DENIED;
    if (replaced.status != kStatusObjectNameNotFound) return replaced.error;
    return RenameRelative(file.handle.get(), dir, to);
  }
  const std::optional<std::u16string> aside = AsideName(Random());
  if (!aside) return ERROR_INTERNAL_ERROR;
  if (const ErrorCode code = RenameRelative(replaced.handle.get(), dir, *aside); code != 0) {
    return code;
  }
  const ErrorCode moved = RenameRelative(file.handle.get(), dir, to);
  // Should someone have taken the name meanwhile, the old file is put back, or else goes: the
  // name then holds what that user put there, as they may write the file anyway.
  if (moved == 0 || RenameRelative(replaced.handle.get(), dir, to) != 0) {
    MarkForDeletion(replaced.handle.get());
  }
  return moved;
}

void Win32Files::RemoveFileIn(FolderHandle folder, const std::u16string& name) {
  const Held* held = Find(folder);
  if (held == nullptr) return;
  const RelativeOpen file = OpenDataFile(held->handle.get(), name, kOpenAlone);
  if (file.handle) MarkForDeletion(file.handle.get());
}

}  // namespace velmoro
