// SPDX-License-Identifier: MIT
// The handle interface on Windows kernel handles.
#include "rtl/files/handles.h"

#include <algorithm>
#include <cerrno>
#include <map>
#include <mutex>
#include <utility>

#include "rtl/core/memory.h"
#include "rtl/files/fileutils.h"
#include "rtl/files/win32/sys_call.h"
#include "rtl/files/win32/win_api.h"

namespace rtl {

using win32::ErrorOf;
using win32::LastError;

namespace {

// ReadFile and WriteFile take a 32-bit count; staying well below keeps every
// request whole.
constexpr int64_t kMaxIoChunk = int64_t{1} << 30;
// The copy's block. Windows has no call that copies between two open
// handles, so CopyRange always goes through a buffer (docs/PERFORMANCE.md
// compares it with CopyFileExW).
constexpr int64_t kCopyBuffer = int64_t{1} << 20;

// Other programs may read, write, rename and delete a file this layer has
// open, as they may on POSIX.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

DWORD AccessRights(TAccess Access) {
  switch (Access) {
    case TAccess::Read:
      return GENERIC_READ;
    case TAccess::Write:
      return GENERIC_WRITE;
    case TAccess::ReadWrite:
      break;
  }
  return GENERIC_READ | GENERIC_WRITE;
}

bool IsDirectory(const std::wstring& Name) {
  const DWORD A = GetFileAttributesW(Name.c_str());
  return A != INVALID_FILE_ATTRIBUTES && (A & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The error of a failed CreateFileW on Name: a directory, which CreateFileW
// refuses as access denied, is told as such.
std::error_code OpenError(const std::wstring& Name) {
  const std::error_code E = LastError();
  if (E == std::errc::permission_denied && IsDirectory(Name)) return ErrorOf(EISDIR);
  return E;
}

bool OnDisk(HANDLE Handle) {
  return GetFileType(Handle) == FILE_TYPE_DISK;
}

std::error_code FillInfo(HANDLE Handle, TFileInfo& Info) {
  Info = TFileInfo{};
  if (!OnDisk(Handle)) {
    // A pipe or a character device: no size, no identity.
    if (GetFileType(Handle) == FILE_TYPE_UNKNOWN && GetLastError() != NO_ERROR) return LastError();
    Info.Kind = TFileKind::Other;
    Info.Permissions = 0666;
    return {};
  }
  BY_HANDLE_FILE_INFORMATION Data;
  if (!GetFileInformationByHandle(Handle, &Data)) return LastError();
  const bool Directory = (Data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  Info.Kind = Directory ? TFileKind::Directory : TFileKind::Regular;
  Info.Size = static_cast<int64_t>((uint64_t{Data.nFileSizeHigh} << 32) | Data.nFileSizeLow);
  Info.Identity = {Data.dwVolumeSerialNumber,
                   (uint64_t{Data.nFileIndexHigh} << 32) | Data.nFileIndexLow};
  // Read-only is the only permission the attribute word knows.
  Info.Permissions = (Data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0 ? 0444 : 0666;
  if (Directory) Info.Permissions |= 0111;
  return {};
}

// The buffered copy, carrying on from Result.
TCopyResult CopyBuffered(THandle Source, THandle Target, int64_t Count, TCopyResult Result,
                         int64_t BufferSize = kCopyBuffer) {
  BufferSize = std::max<int64_t>(BufferSize, 1);
  const int64_t Chunk = Count < 0 ? BufferSize : std::min(Count - Result.Copied, BufferSize);
  if (Chunk <= 0) return Result;
  TMemBlock Buffer(GetMem(static_cast<size_t>(Chunk)));
  while (Count < 0 || Result.Copied < Count) {
    const int64_t Want = Count < 0 ? Chunk : std::min(Chunk, Count - Result.Copied);
    const int64_t Got = ReadFull(Source, Buffer.get(), Want, Result.Error);
    if (Got < 0) {
      Result.SourceFailed = true;
      return Result;
    }
    if (Got == 0) return Result;
    if ((Result.Error = WriteAll(Target, Buffer.get(), Got))) return Result;
    Result.Copied += Got;
  }
  return Result;
}

// Positional reads on a synchronous handle move its file position, which
// ReadAt must not do. The first of the threads reading one handle at offsets
// notes the position and the last one puts it back.
struct TPositionKeeper {
  std::mutex Lock;
  std::map<HANDLE, std::pair<int, LARGE_INTEGER>> Readers;

  void Enter(HANDLE Handle) {
    std::lock_guard Guard(Lock);
    auto& [Count, Position] = Readers[Handle];
    if (Count++ == 0) {
      LARGE_INTEGER Zero{};
      SetFilePointerEx(Handle, Zero, &Position, FILE_CURRENT);
    }
  }
  void Leave(HANDLE Handle) {
    std::lock_guard Guard(Lock);
    const auto It = Readers.find(Handle);
    if (--It->second.first > 0) return;
    SetFilePointerEx(Handle, It->second.second, nullptr, FILE_BEGIN);
    Readers.erase(It);
  }
};

TPositionKeeper& Keeper() {
  static TPositionKeeper* Instance = new TPositionKeeper;
  return *Instance;
}

}  // namespace

TCopyResult detail::CopyRangeBuffered(THandle Source, THandle Target, int64_t Count,
                                      int64_t BufferSize) {
  return CopyBuffered(Source, Target, Count, TCopyResult{}, BufferSize);
}

TFileHandle& TFileHandle::operator=(TFileHandle&& Other) noexcept {
  if (this != &Other) {
    if (IsOpen()) win32::CloseHandle(FHandle);
    FHandle = Other.Release();
  }
  return *this;
}

TFileHandle::~TFileHandle() {
  if (IsOpen()) win32::CloseHandle(FHandle);
}

THandle TFileHandle::Release() noexcept {
  return std::exchange(FHandle, InvalidHandle);
}

std::error_code TFileHandle::Close() noexcept {
  if (!IsOpen()) return {};
  if (win32::CloseHandle(Release())) return {};
  return LastError();
}

std::error_code OpenFile(const std::string& FileName, TAccess Access, TFileHandle& Out,
                         TFileInfo* Info) {
  std::wstring Name;
  if (!win32::SystemName(FileName, Name)) return ErrorOf(ENOENT);
  TFileHandle H(win32::CreateFile(Name.c_str(), AccessRights(Access), kShareAll, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL));
  if (!H.IsOpen()) return OpenError(Name);
  if (Info != nullptr)
    if (std::error_code E = FillInfo(H.Get(), *Info)) return E;
  Out = std::move(H);
  return {};
}

std::error_code CreateFile(const std::string& FileName, TCreateMode Mode, TFileHandle& Out,
                           bool* Created, uint32_t Permissions) {
  if (Created != nullptr) *Created = false;
  std::wstring Name;
  if (!win32::SystemName(FileName, Name)) return ErrorOf(ENOENT);
  // A new file without any write permission is created read-only; the handle
  // that creates it may still write.
  const DWORD NewAttributes =
      (Permissions & 0222) == 0 ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL;
  for (int Attempt = 0; Attempt < 3; ++Attempt) {
    if (Mode != TCreateMode::Truncate) {
      TFileHandle H(
          win32::CreateFile(Name.c_str(), GENERIC_WRITE, kShareAll, CREATE_NEW, NewAttributes));
      if (H.IsOpen()) {
        if (Created != nullptr) *Created = true;
        Out = std::move(H);
        return {};
      }
      const std::error_code E = OpenError(Name);
      if (E != std::errc::file_exists || Mode == TCreateMode::Exclusive) return E;
    }
    // Truncating keeps the file's attributes; opening a hidden or system file
    // with CREATE_ALWAYS would be refused unless the same bits were asked for.
    TFileHandle H(win32::CreateFile(Name.c_str(), GENERIC_WRITE, kShareAll, TRUNCATE_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL));
    if (H.IsOpen()) {
      Out = std::move(H);
      return {};
    }
    const std::error_code E = OpenError(Name);
    if (E != std::errc::no_such_file_or_directory || Mode == TCreateMode::Truncate) return E;
    // Removed between the two opens: try again.
  }
  return ErrorOf(ENOENT);
}

std::error_code GetFileInfo(THandle Handle, TFileInfo& Info) {
  return FillInfo(Handle, Info);
}

std::error_code GetFileInfo(const std::string& FileName, TFileInfo& Info) {
  std::wstring Name;
  if (!win32::SystemName(FileName, Name)) return ErrorOf(ENOENT);
  // No access rights: enough to read what a file is, also for a directory
  // (backup semantics) and for a file another program holds open.
  const HANDLE H = ::CreateFileW(Name.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (H == INVALID_HANDLE_VALUE) return LastError();
  const std::error_code E = FillInfo(H, Info);
  ::CloseHandle(H);
  return E;
}

int64_t ReadFull(THandle Handle, void* Buffer, int64_t Count, std::error_code& Error) {
  char* P = static_cast<char*>(Buffer);
  int64_t Done = 0;
  while (Done < Count) {
    DWORD Got = 0;
    if (!win32::ReadFile(Handle, P + Done, static_cast<DWORD>(std::min(Count - Done, kMaxIoChunk)),
                         &Got)) {
      // The writer of a pipe has closed it: the end of the data.
      if (GetLastError() == ERROR_BROKEN_PIPE || GetLastError() == ERROR_HANDLE_EOF) break;
      Error = LastError();
      return -1;
    }
    if (Got == 0) break;
    Done += Got;
  }
  return Done;
}

int64_t ReadAt(THandle Handle, void* Buffer, int64_t Count, int64_t Offset,
               std::error_code& Error) {
  if (Count < 0 || Offset < 0) {
    Error = ErrorOf(EINVAL);
    return -1;
  }
  if (!OnDisk(Handle)) {
    Error = ErrorOf(ESPIPE);
    return -1;
  }
  char* P = static_cast<char*>(Buffer);
  int64_t Done = 0;
  Keeper().Enter(Handle);
  while (Done < Count) {
    OVERLAPPED At{};
    const uint64_t Where = static_cast<uint64_t>(Offset + Done);
    At.Offset = static_cast<DWORD>(Where & 0xFFFFFFFFu);
    At.OffsetHigh = static_cast<DWORD>(Where >> 32);
    DWORD Got = 0;
    if (!win32::ReadFile(Handle, P + Done, static_cast<DWORD>(std::min(Count - Done, kMaxIoChunk)),
                         &Got, &At)) {
      if (GetLastError() == ERROR_HANDLE_EOF) break;
      Error = LastError();
      Keeper().Leave(Handle);
      return -1;
    }
    if (Got == 0) break;
    Done += Got;
  }
  Keeper().Leave(Handle);
  return Done;
}

std::error_code WriteAll(THandle Handle, const void* Buffer, int64_t Count) {
  const char* P = static_cast<const char*>(Buffer);
  int64_t Done = 0;
  while (Done < Count) {
    DWORD N = 0;
    if (!win32::WriteFile(Handle, P + Done, static_cast<DWORD>(std::min(Count - Done, kMaxIoChunk)),
                          &N))
      return LastError();
    // No progress and no reason given: report it rather than spin.
    if (N == 0) return ErrorOf(EIO);
    Done += N;
  }
  return {};
}

TCopyResult CopyRange(THandle Source, THandle Target, int64_t Count) {
  return CopyBuffered(Source, Target, Count, TCopyResult{});
}

std::error_code ReplaceFile(const std::string& From, const std::string& To) {
  std::wstring F, T;
  if (!win32::SystemName(From, F) || !win32::SystemName(To, T)) return ErrorOf(ENOENT);
  return win32::MoveFileEx(F.c_str(), T.c_str(), MOVEFILE_REPLACE_EXISTING) ? std::error_code()
                                                                            : LastError();
}

std::error_code RemoveFile(const std::string& FileName) {
  std::wstring Wide;
  if (!win32::SystemName(FileName, Wide)) return ErrorOf(ENOENT);
  return win32::DeleteFile(Wide.c_str()) ? std::error_code() : LastError();
}

std::error_code SyncData(THandle Handle) {
  // A pipe or a console has nothing to put on a disk.
  if (!OnDisk(Handle)) return {};
  return win32::FlushFileBuffers(Handle) ? std::error_code() : LastError();
}

int64_t SeekHandle(THandle Handle, int64_t Offset, TSeekOrigin Origin, std::error_code& Error) {
  if (!OnDisk(Handle)) {
    Error = ErrorOf(ESPIPE);
    return -1;
  }
  const DWORD Method = Origin == soBeginning ? FILE_BEGIN
                       : Origin == soCurrent ? FILE_CURRENT
                                             : FILE_END;
  LARGE_INTEGER Distance, Position;
  Distance.QuadPart = Offset;
  if (!SetFilePointerEx(Handle, Distance, &Position, Method)) {
    Error = LastError();
    return -1;
  }
  return Position.QuadPart;
}

std::error_code TDirectory::Open(const std::string& Path) {
  Close();
  std::wstring Name;
  if (!win32::SystemName(Path.empty() ? std::string(".") : Path, Name)) return ErrorOf(ENOENT);
  // Held open, the directory cannot be removed or renamed while in use.
  TFileHandle H(::CreateFileW(Name.c_str(), FILE_LIST_DIRECTORY, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!H.IsOpen()) return LastError();
  TFileInfo Info;
  if (std::error_code E = FillInfo(H.Get(), Info)) return E;
  if (Info.Kind != TFileKind::Directory) return ErrorOf(ENOTDIR);
  FHandle = std::move(H);
  FPath = Path.empty() || IsPathDelimiter(Path.back()) || Path.back() == DriveDelim
              ? Path
              : Path + PathDelim;
  return {};
}

void TDirectory::Close() noexcept {
  FHandle = TFileHandle();
  FPath.clear();
}

// Windows opens a name relative to a directory only through the native
// interface; the full name serves as well, and the open handle keeps the
// directory in place meanwhile.
const char* TDirectory::Inside(const std::string&) const {
  return nullptr;
}

bool TDirectory::Empty() const {
  std::wstring Pattern;
  if (!IsOpen() || !win32::SystemName(FPath + "*", Pattern)) return false;
  WIN32_FIND_DATAW Data;
  const HANDLE Find = ::FindFirstFileExW(Pattern.c_str(), FindExInfoBasic, &Data,
                                         FindExSearchNameMatch, nullptr, 0);
  if (Find == INVALID_HANDLE_VALUE) return false;
  bool Result = true;
  do {
    const std::wstring_view Name(Data.cFileName);
    if (Name != L"." && Name != L"..") Result = false;
  } while (Result && ::FindNextFileW(Find, &Data));
  ::FindClose(Find);
  return Result;
}

std::error_code TDirectory::Lookup(const std::string& FileName, TFileInfo& Info) const {
  return GetFileInfo(FileName, Info);
}

std::error_code TDirectory::OpenFile(const std::string& FileName, TAccess Access, TFileHandle& Out,
                                     TFileInfo* Info) const {
  return rtl::OpenFile(FileName, Access, Out, Info);
}

std::error_code TDirectory::CreateFile(const std::string& FileName, TCreateMode Mode,
                                       TFileHandle& Out, bool* Created,
                                       uint32_t Permissions) const {
  return rtl::CreateFile(FileName, Mode, Out, Created, Permissions);
}

}  // namespace rtl
