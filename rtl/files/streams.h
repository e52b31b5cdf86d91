// SPDX-License-Identifier: MIT
// File streams of the platform layer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "rtl/core/classes.h"
#include "rtl/files/export.h"
#include "rtl/files/fileutils.h"
#include "rtl/files/handles.h"

namespace rtl {

// A file opened by name, read and written at a current position.
//
// Mode is fmOpenRead, fmOpenWrite or fmOpenReadWrite (an existing file; the
// share bits above the low two are accepted and ignored) or fmCreate (create
// or truncate, write access, permissions 0666 less the umask). A file that
// cannot be opened raises EFOpenError, one that cannot be created
// EFCreateError; the message names the file and the system's reason, which
// the exception also carries (Code, FileName). A directory is never opened as
// a stream. The destructor closes a file still open and ignores a failing
// close; Close() reports it.
class QUINDLE_RTL_FILES_EXPORT TFileStream : public TObject {
 public:
  // In, when given, is the open directory FileName lies in.
  TFileStream(const std::string& FileName, uint32_t Mode, const TDirectory* In = nullptr);
  // Creates the file for writing as How says, a new one with Permissions less
  // the umask; raises EFCreateError as fmCreate does (an existing name under
  // TCreateMode::Exclusive with the code file_exists).
  TFileStream(std::string FileName, TCreateMode How, uint32_t Permissions,
              const TDirectory* In = nullptr);
  ~TFileStream() override;
  std::string ClassName() const override { return "TFileStream"; }

  const std::string& FileName() const { return FFileName; }
  THandle Handle() const { return FHandle.Get(); }
  // Closes the file now. A failing close raises EWriteError: on a network or
  // quota-limited file system it is where a write that did not reach the
  // disk shows, so a writer must not ignore it. The stream is closed
  // afterwards in either case; closing twice does nothing.
  void Close();

  // The file's current size in bytes (not the size it had when opened).
  int64_t GetSize() const;
  // The size the file had when it was opened, without asking the system
  // again; -1 for a stream of fmCreate.
  int64_t OpenedSize() const { return FOpened.Size; }
  // What the system said of the file when this stream opened it (for
  // fmCreate: nothing, except that a new file is a regular one).
  const TFileInfo& OpenedInfo() const { return FOpened; }
  // True when this stream's fmCreate made a new file, rather than truncating
  // one that existed.
  bool Created() const { return FCreated; }
  int64_t Size() const { return GetSize(); }
  int64_t Position() const;
  // The new position; raises EStreamError when the position cannot be set.
  int64_t Seek(int64_t Offset, TSeekOrigin Origin);

  // Reads up to Count bytes; fewer only at the end of the file. Raises
  // EReadError on a failing read.
  int64_t Read(void* Buffer, int64_t Count);
  // Writes all Count bytes or raises EWriteError.
  void Write(const void* Buffer, int64_t Count);

  // Copies Count bytes from Source's current position to this stream's
  // current position and returns Count. A Count of 0 (or less) copies the
  // whole of Source from its start. Raises EReadError when Source fails or
  // ends before Count bytes, EWriteError when this stream fails.
  //
  // The kernel moves the data (copy_file_range, which also lets file systems
  // share extents); where it refuses, a buffered read/write loop takes over.
  int64_t CopyFrom(TFileStream& Source, int64_t Count);
  // Copies up to Count bytes from Source's current position to this stream's
  // and returns how many: fewer only where Source's data end, whatever size
  // it claimed (a pipe, a file of /proc). Raises as CopyFrom does when either
  // side fails.
  int64_t CopyChunk(TFileStream& Source, int64_t Count);

 private:
  void Create(TCreateMode How, uint32_t Permissions, const TDirectory* In);

  std::string FFileName;
  TFileHandle FHandle;
  TFileInfo FOpened{TFileKind::Other, -1, {}, 0};
  bool FCreated = false;
};

namespace detail {

constexpr size_t kCopyBufferSize = 1 << 20;

// The buffered half of CopyFrom: copies Count bytes between the current
// positions through a buffer of BufferSize bytes, with CopyFrom's errors.
QUINDLE_RTL_FILES_EXPORT void CopyByReadWrite(TFileStream& Source, TFileStream& Dest, int64_t Count,
                                              size_t BufferSize = kCopyBufferSize);

}  // namespace detail

}  // namespace rtl
