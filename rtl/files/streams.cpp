// SPDX-License-Identifier: MIT
#include "rtl/files/streams.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <system_error>

#include "rtl/core/memory.h"

namespace rtl {

namespace {

// Linux moves at most about 2 GiB per read, write or copy_file_range call;
// staying well below keeps every request whole.
constexpr int64_t kMaxIoChunk = int64_t{1} << 30;

std::string Quoted(const std::string& FileName) {
  return "\"" + FileName + "\"";
}

std::string OpenMessage(const char* What, const std::string& FileName, int Code) {
  return std::string(What) + " " + Quoted(FileName) + ". " + detail::ErrorText(Code);
}

std::error_code Sys(int Code) {
  return {Code, std::generic_category()};
}

int OpenFlags(uint32_t Mode) {
  switch (Mode & 3) {
    case fmOpenRead:
      return O_RDONLY;
    case fmOpenWrite:
      return O_WRONLY;
    case fmOpenReadWrite:
      return O_RDWR;
    default:
      return -1;
  }
}

// Files are opened without blocking so that a FIFO cannot hang the open; a
// pipe that is not ready yet is waited for here. False with errno set when
// the wait itself fails.
bool WaitFor(THandle Handle, short Events) {
  pollfd P{Handle, Events, 0};
  for (;;) {
    if (::poll(&P, 1, -1) >= 0) return true;
    if (errno != EINTR) return false;
  }
}

}  // namespace

namespace detail {

std::string ErrorText(int Code) {
  return std::generic_category().message(Code);
}

int64_t ReadFull(THandle Handle, void* Buffer, int64_t Count) {
  char* P = static_cast<char*>(Buffer);
  int64_t Done = 0;
  while (Done < Count) {
    ssize_t N = ::read(Handle, P + Done, static_cast<size_t>(std::min(Count - Done, kMaxIoChunk)));
    if (N < 0) {
      if (errno == EINTR || (errno == EAGAIN && WaitFor(Handle, POLLIN))) continue;
      return -1;
    }
    if (N == 0) break;
    Done += N;
  }
  return Done;
}

bool WriteAll(THandle Handle, const void* Buffer, int64_t Count) {
  const char* P = static_cast<const char*>(Buffer);
  int64_t Done = 0;
  while (Done < Count) {
    ssize_t N = ::write(Handle, P + Done, static_cast<size_t>(std::min(Count - Done, kMaxIoChunk)));
    if (N < 0) {
      if (errno == EINTR || (errno == EAGAIN && WaitFor(Handle, POLLOUT))) continue;
      return false;
    }
    if (N == 0) {
      // No progress and no reason given: report it rather than spin.
      errno = EIO;
      return false;
    }
    Done += N;
  }
  return true;
}

THandle OpenExisting(const std::string& FileName, int Flags, int64_t* Size) {
  const THandle Fd = ::open(FileName.c_str(), Flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (Fd < 0) return -1;
  struct stat St;
  int Error = 0;
  if (::fstat(Fd, &St) != 0)
    Error = errno;
  else if (S_ISDIR(St.st_mode))
    Error = EISDIR;
  else if (!S_ISREG(St.st_mode) && ::fcntl(Fd, F_SETFL, 0) != 0)
    Error = errno;  // a pipe or device reads blocking from here on
  if (Error != 0) {
    ::close(Fd);
    errno = Error;
    return -1;
  }
  if (Size != nullptr) *Size = St.st_size;
  return Fd;
}

THandle OpenForCreate(const std::string& FileName, bool* Created) {
  constexpr int Flags = O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  // A new name is created exclusively, which never follows a link; an existing
  // one is truncated, following a link only to a file that exists.
  if (Created != nullptr) *Created = false;
  for (int Attempt = 0; Attempt < 3; ++Attempt) {
    THandle Fd = ::open(FileName.c_str(), Flags | O_CREAT | O_EXCL, 0666);
    if (Fd >= 0 && Created != nullptr) *Created = true;
    if (Fd >= 0 || errno != EEXIST) return Fd;
    Fd = ::open(FileName.c_str(), Flags | O_TRUNC);
    if (Fd >= 0) return Fd;
    if (errno != ENOENT) return -1;
    struct stat St;
    if (::lstat(FileName.c_str(), &St) == 0 && S_ISLNK(St.st_mode)) return -1;  // dangling link
    // Removed between the two opens: try again.
  }
  return -1;
}

void CopyByReadWrite(TFileStream& Source, TFileStream& Dest, int64_t Count, size_t BufferSize) {
  if (Count <= 0) return;
  const int64_t Chunk =
      std::min<int64_t>(Count, static_cast<int64_t>(std::max<size_t>(BufferSize, 1)));
  TMemBlock Buffer(GetMem(static_cast<size_t>(Chunk)));
  while (Count > 0) {
    int64_t Got = Source.Read(Buffer.get(), std::min(Count, Chunk));
    if (Got == 0) {
      throw EReadError("Stream read error on " + Quoted(Source.FileName()) + ". The file ended " +
                       std::to_string(Count) + " bytes early");
    }
    Dest.Write(Buffer.get(), Got);
    Count -= Got;
  }
}

}  // namespace detail

TFileStream::TFileStream(const std::string& FileName, uint32_t Mode) : FFileName(FileName) {
  if ((Mode & fmCreate) == fmCreate) {
    FHandle = detail::OpenForCreate(FileName, &FCreated);
    if (FHandle < 0)
      throw EFCreateError(OpenMessage("Cannot create file", FileName, errno), Sys(errno), FileName);
    return;
  }
  const int Flags = OpenFlags(Mode);
  if (Flags < 0)
    throw EFOpenError(OpenMessage("Cannot open file", FileName, EINVAL), Sys(EINVAL), FileName);
  FHandle = detail::OpenExisting(FileName, Flags, &FOpenedSize);
  if (FHandle < 0)
    throw EFOpenError(OpenMessage("Cannot open file", FileName, errno), Sys(errno), FileName);
}

TFileStream::~TFileStream() {
  if (FHandle >= 0) ::close(FHandle);
}

void TFileStream::Close() {
  if (FHandle < 0) return;
  // The descriptor is gone after close() whatever it returns.
  const int Rc = ::close(FHandle);
  FHandle = -1;
  if (Rc != 0) {
    const int Code = errno;
    throw EWriteError("Cannot close " + Quoted(FFileName) + ". " + detail::ErrorText(Code),
                      Sys(Code), FFileName);
  }
}

int64_t TFileStream::GetSize() const {
  struct stat St;
  if (::fstat(FHandle, &St) != 0) {
    throw EStreamError("Cannot get the size of " + Quoted(FFileName) + ". " +
                       detail::ErrorText(errno));
  }
  return St.st_size;
}

int64_t TFileStream::Position() const {
  off_t Pos = ::lseek(FHandle, 0, SEEK_CUR);
  if (Pos < 0) {
    throw EStreamError("Cannot get the position in " + Quoted(FFileName) + ". " +
                       detail::ErrorText(errno));
  }
  return Pos;
}

int64_t TFileStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  const int Whence = Origin == soBeginning ? SEEK_SET : Origin == soCurrent ? SEEK_CUR : SEEK_END;
  off_t Pos = ::lseek(FHandle, Offset, Whence);
  if (Pos < 0) {
    throw EStreamError("Cannot set the position in " + Quoted(FFileName) + ". " +
                       detail::ErrorText(errno));
  }
  return Pos;
}

int64_t TFileStream::Read(void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  int64_t N = detail::ReadFull(FHandle, Buffer, Count);
  if (N < 0) {
    const int Code = errno;
    throw EReadError("Stream read error on " + Quoted(FFileName) + ". " + detail::ErrorText(Code),
                     Sys(Code), FFileName);
  }
  return N;
}

void TFileStream::Write(const void* Buffer, int64_t Count) {
  if (Count <= 0) return;
  if (!detail::WriteAll(FHandle, Buffer, Count)) {
    const int Code = errno;
    throw EWriteError("Stream write error on " + Quoted(FFileName) + ". " + detail::ErrorText(Code),
                      Sys(Code), FFileName);
  }
}

int64_t TFileStream::CopyFrom(TFileStream& Source, int64_t Count) {
  if (Count <= 0) {
    Source.Seek(0, soBeginning);
    Count = Source.GetSize();
  }
  int64_t Remaining = Count;
  while (Remaining > 0) {
    ssize_t N = ::copy_file_range(Source.FHandle, nullptr, FHandle, nullptr,
                                  static_cast<size_t>(std::min(Remaining, kMaxIoChunk)), 0);
    if (N > 0) {
      Remaining -= N;
      continue;
    }
    if (N < 0 && errno == EINTR) continue;
    // Refused (EXDEV, ENOSYS, EINVAL, EOPNOTSUPP, a device or a pipe), failed,
    // or no progress, which some pseudo and network file systems report for
    // data they do hold. The buffered loop carries on from the current
    // positions and tells a failing or short source from a failing target.
    detail::CopyByReadWrite(Source, *this, Remaining);
    break;
  }
  return Count;
}

}  // namespace rtl
