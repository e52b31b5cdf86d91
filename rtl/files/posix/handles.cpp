// SPDX-License-Identifier: MIT
// The handle interface on POSIX descriptors.
#include "rtl/files/handles.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <utility>

#include "rtl/core/memory.h"
#include "rtl/files/fileutils.h"
#include "rtl/files/posix/file_attr.h"
#include "rtl/files/posix/sys_call.h"

namespace rtl {

using posix::ErrorOf;
using posix::LastError;
using posix::RetryOnInterrupt;

namespace {

// Linux moves at most about 2 GiB per read, write or copy_file_range call;
// staying well below keeps every request whole.
constexpr int64_t kMaxIoChunk = int64_t{1} << 30;
// The buffered copy's block, for what the kernel will not copy by itself.
constexpr int64_t kCopyBuffer = int64_t{1} << 20;

constexpr int kOpenFlags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;

int AccessFlags(TAccess Access) {
  switch (Access) {
    case TAccess::Read:
      return O_RDONLY;
    case TAccess::Write:
      return O_WRONLY;
    case TAccess::ReadWrite:
      break;
  }
  return O_RDWR;
}

void FillInfo(const struct stat& St, TFileInfo& Info) {
  Info.Kind = S_ISREG(St.st_mode)   ? TFileKind::Regular
              : S_ISDIR(St.st_mode) ? TFileKind::Directory
                                    : TFileKind::Other;
  Info.Size = St.st_size;
  Info.Identity = {static_cast<uint64_t>(St.st_dev), static_cast<uint64_t>(St.st_ino)};
  Info.Permissions = St.st_mode & 0777;
}

// A handle opened without waiting is switched to waiting reads and writes
// unless it is a regular file, for which O_NONBLOCK means nothing.
std::error_code FinishOpen(TFileHandle& Handle, TFileInfo* Info, bool RefuseDirectory) {
  struct stat St;
  if (::fstat(Handle.Get(), &St) != 0) return LastError();
  if (RefuseDirectory && S_ISDIR(St.st_mode)) return ErrorOf(EISDIR);
  if (!S_ISREG(St.st_mode) && ::fcntl(Handle.Get(), F_SETFL, 0) != 0) return LastError();
  if (Info != nullptr) FillInfo(St, *Info);
  return {};
}

std::error_code OpenIn(int Dir, const char* Name, TAccess Access, TFileHandle& Out,
                       TFileInfo* Info) {
  TFileHandle H(
      RetryOnInterrupt([&] { return posix::OpenAt(Dir, Name, AccessFlags(Access) | kOpenFlags); }));
  if (!H.IsOpen()) return LastError();
  if (std::error_code E = FinishOpen(H, Info, true)) return E;
  Out = std::move(H);
  return {};
}

std::error_code CreateIn(int Dir, const char* Name, TCreateMode Mode, TFileHandle& Out,
                         bool* Created, uint32_t Permissions) {
  if (Created != nullptr) *Created = false;
  constexpr int Flags = O_WRONLY | kOpenFlags;
  // A new name is created exclusively, which never follows a link; an
  // existing one is truncated, following a link only to a file that exists.
  for (int Attempt = 0; Attempt < 3; ++Attempt) {
    if (Mode != TCreateMode::Truncate) {
      TFileHandle H(RetryOnInterrupt([&] {
        return posix::OpenAt(Dir, Name, Flags | O_CREAT | O_EXCL, static_cast<mode_t>(Permissions));
      }));
      if (H.IsOpen()) {
        if (Created != nullptr) *Created = true;
        Out = std::move(H);
        return {};
      }
      if (errno != EEXIST || Mode == TCreateMode::Exclusive) return LastError();
    }
    TFileHandle H(RetryOnInterrupt([&] { return posix::OpenAt(Dir, Name, Flags | O_TRUNC); }));
    if (H.IsOpen()) {
      // Not a new file: it may be a FIFO or a device, which is written
      // waiting from here on.
      if (std::error_code E = FinishOpen(H, nullptr, true)) return E;
      Out = std::move(H);
      return {};
    }
    if (errno != ENOENT || Mode == TCreateMode::Truncate) return LastError();
    struct stat St;
    if (::fstatat(Dir, Name, &St, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(St.st_mode))
      return ErrorOf(ENOENT);  // a dangling link
    // Removed between the two opens: try again.
  }
  return ErrorOf(ENOENT);
}

// Waits until the handle can be read (POLLIN) or written (POLLOUT); a
// handle opened without waiting reports EAGAIN instead of waiting itself.
bool WaitFor(THandle Handle, short Events) {
  pollfd P{Handle, Events, 0};
  return RetryOnInterrupt([&] { return ::poll(&P, 1, -1); }) >= 0;
}

// The buffered half of CopyRange, carrying on from Result.
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

}  // namespace

TCopyResult detail::CopyRangeBuffered(THandle Source, THandle Target, int64_t Count,
                                      int64_t BufferSize) {
  return CopyBuffered(Source, Target, Count, TCopyResult{}, BufferSize);
}

TFileHandle& TFileHandle::operator=(TFileHandle&& Other) noexcept {
  if (this != &Other) {
    if (IsOpen()) posix::Close(FHandle);
    FHandle = Other.Release();
  }
  return *this;
}

TFileHandle::~TFileHandle() {
  if (IsOpen()) posix::Close(FHandle);
}

THandle TFileHandle::Release() noexcept {
  return std::exchange(FHandle, InvalidHandle);
}

std::error_code TFileHandle::Close() noexcept {
  if (!IsOpen()) return {};
  // The descriptor is gone after close() whatever it returns; EINTR means the
  // close was interrupted after it released the descriptor, not a lost write.
  if (posix::Close(Release()) == 0 || errno == EINTR) return {};
  return LastError();
}

std::error_code OpenFile(const std::string& FileName, TAccess Access, TFileHandle& Out,
                         TFileInfo* Info) {
  if (!posix::UsableName(FileName)) return ErrorOf(ENOENT);
  return OpenIn(AT_FDCWD, FileName.c_str(), Access, Out, Info);
}

std::error_code CreateFile(const std::string& FileName, TCreateMode Mode, TFileHandle& Out,
                           bool* Created, uint32_t Permissions) {
  if (!posix::UsableName(FileName)) return ErrorOf(ENOENT);
  return CreateIn(AT_FDCWD, FileName.c_str(), Mode, Out, Created, Permissions);
}

std::error_code GetFileInfo(THandle Handle, TFileInfo& Info) {
  struct stat St;
  if (::fstat(Handle, &St) != 0) return LastError();
  FillInfo(St, Info);
  return {};
}

std::error_code GetFileInfo(const std::string& FileName, TFileInfo& Info) {
  struct stat St;
  if (!posix::UsableName(FileName)) return ErrorOf(ENOENT);
  if (::stat(FileName.c_str(), &St) != 0) return LastError();
  FillInfo(St, Info);
  return {};
}

int64_t ReadFull(THandle Handle, void* Buffer, int64_t Count, std::error_code& Error) {
  char* P = static_cast<char*>(Buffer);
  int64_t Done = 0;
  while (Done < Count) {
    const ssize_t N =
        posix::Read(Handle, P + Done, static_cast<size_t>(std::min(Count - Done, kMaxIoChunk)));
    if (N < 0) {
      if (errno == EINTR || (errno == EAGAIN && WaitFor(Handle, POLLIN))) continue;
      Error = LastError();
      return -1;
    }
    if (N == 0) break;
    Done += N;
  }
  return Done;
}

int64_t ReadAt(THandle Handle, void* Buffer, int64_t Count, int64_t Offset,
               std::error_code& Error) {
  if (Count < 0 || Offset < 0) {
    Error = ErrorOf(EINVAL);
    return -1;
  }
  char* P = static_cast<char*>(Buffer);
  int64_t Done = 0;
  while (Done < Count) {
    const ssize_t N = RetryOnInterrupt([&] {
      return posix::PRead(Handle, P + Done,
                          static_cast<size_t>(std::min(Count - Done, kMaxIoChunk)), Offset + Done);
    });
    if (N < 0) {
      Error = LastError();
      return -1;
    }
    if (N == 0) break;
    Done += N;
  }
  return Done;
}

std::error_code WriteAll(THandle Handle, const void* Buffer, int64_t Count) {
  const char* P = static_cast<const char*>(Buffer);
  int64_t Done = 0;
  while (Done < Count) {
    const ssize_t N =
        posix::Write(Handle, P + Done, static_cast<size_t>(std::min(Count - Done, kMaxIoChunk)));
    if (N < 0) {
      if (errno == EINTR || (errno == EAGAIN && WaitFor(Handle, POLLOUT))) continue;
      return LastError();
    }
    // No progress and no reason given: report it rather than spin.
    if (N == 0) return ErrorOf(EIO);
    Done += N;
  }
  return {};
}

TCopyResult CopyRange(THandle Source, THandle Target, int64_t Count) {
  TCopyResult Result;
  while (Count < 0 || Result.Copied < Count) {
    const int64_t Want = Count < 0 ? kMaxIoChunk : std::min(Count - Result.Copied, kMaxIoChunk);
    const ssize_t N = posix::CopyFileRange(Source, Target, static_cast<size_t>(Want));
    if (N > 0) {
      Result.Copied += N;
      continue;
    }
    if (N < 0 && errno == EINTR) continue;
    // Nothing more after data that moved: the source's end. (A file system
    // that cannot copy in the kernel says 0 before any data, not after.)
    if (N == 0 && Result.Copied > 0) return Result;
    // Refused (EXDEV, ENOSYS, EINVAL, EOPNOTSUPP, a device or a pipe), failed,
    // or no progress, which is the end of the data for a file but also what
    // some pseudo and network file systems report for data they do hold. The
    // buffered loop carries on from the current positions and tells a
    // failing source from a failing target.
    return CopyBuffered(Source, Target, Count, Result);
  }
  return Result;
}

std::error_code ReplaceFile(const std::string& From, const std::string& To) {
  if (!posix::UsableName(From) || !posix::UsableName(To)) return ErrorOf(ENOENT);
  return posix::RenameAt2(From.c_str(), To.c_str(), 0) == 0 ? std::error_code() : LastError();
}

std::error_code RemoveFile(const std::string& FileName) {
  if (!posix::UsableName(FileName)) return ErrorOf(ENOENT);
  return posix::Unlink(FileName.c_str()) == 0 ? std::error_code() : LastError();
}

std::error_code SyncData(THandle Handle) {
  if (RetryOnInterrupt([&] { return posix::FDataSync(Handle); }) == 0) return {};
  // A FIFO, a socket or a device has nothing to put on a disk.
  if (errno == EINVAL || errno == EROFS) return {};
  return LastError();
}

int64_t SeekHandle(THandle Handle, int64_t Offset, TSeekOrigin Origin, std::error_code& Error) {
  const int Whence = Origin == soBeginning ? SEEK_SET : Origin == soCurrent ? SEEK_CUR : SEEK_END;
  const off_t Pos = ::lseek(Handle, Offset, Whence);
  if (Pos < 0) Error = LastError();
  return Pos;
}

std::error_code TDirectory::Open(const std::string& Path) {
  Close();
  const std::string Name = Path.empty() ? std::string(".") : Path;
  if (!posix::UsableName(Name)) return ErrorOf(ENOENT);
  TFileHandle H(
      RetryOnInterrupt([&] { return ::open(Name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); }));
  if (!H.IsOpen()) return LastError();
  FHandle = std::move(H);
  FPath = Path.empty() || IsPathDelimiter(Path.back()) ? Path : Path + PathDelim;
  return {};
}

void TDirectory::Close() noexcept {
  FHandle = TFileHandle();
  FPath.clear();
}

const char* TDirectory::Inside(const std::string& FileName) const {
  if (!IsOpen() || FileName.size() <= FPath.size() || FileName.compare(0, FPath.size(), FPath) != 0)
    return nullptr;
  const char* Name = FileName.c_str() + FPath.size();
  const std::string_view Rest(Name);
  if (Rest == "." || Rest == ".." || Rest.find(PathDelim) != std::string_view::npos) return nullptr;
  return Name;
}

// Read from the start on the handle itself: names resolved against it do not
// depend on its reading position.
bool TDirectory::Empty() const {
  if (!IsOpen() || ::lseek(FHandle.Get(), 0, SEEK_SET) != 0) return false;
  alignas(dirent64) char Buffer[2048];
  for (;;) {
    const ssize_t Len = ::getdents64(FHandle.Get(), Buffer, sizeof Buffer);
    if (Len == 0) return true;
    if (Len < 0) return false;
    for (ssize_t Pos = 0; Pos < Len;) {
      const auto* Entry = reinterpret_cast<const dirent64*>(Buffer + Pos);
      const std::string_view Name(Entry->d_name);
      if (Name != "." && Name != "..") return false;
      Pos += Entry->d_reclen;
    }
  }
}

std::error_code TDirectory::Lookup(const std::string& FileName, TFileInfo& Info) const {
  if (!posix::UsableName(FileName)) return ErrorOf(ENOENT);
  const char* Name = Inside(FileName);
  struct stat St;
  if (::fstatat(Name ? FHandle.Get() : AT_FDCWD, Name ? Name : FileName.c_str(), &St, 0) != 0)
    return LastError();
  FillInfo(St, Info);
  return {};
}

std::error_code TDirectory::OpenFile(const std::string& FileName, TAccess Access, TFileHandle& Out,
                                     TFileInfo* Info) const {
  if (!posix::UsableName(FileName)) return ErrorOf(ENOENT);
  const char* Name = Inside(FileName);
  return OpenIn(Name ? FHandle.Get() : AT_FDCWD, Name ? Name : FileName.c_str(), Access, Out, Info);
}

std::error_code TDirectory::CreateFile(const std::string& FileName, TCreateMode Mode,
                                       TFileHandle& Out, bool* Created,
                                       uint32_t Permissions) const {
  if (!posix::UsableName(FileName)) return ErrorOf(ENOENT);
  const char* Name = Inside(FileName);
  return CreateIn(Name ? FHandle.Get() : AT_FDCWD, Name ? Name : FileName.c_str(), Mode, Out,
                  Created, Permissions);
}

}  // namespace rtl
