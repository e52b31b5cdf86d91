// SPDX-License-Identifier: MIT
// The handle interface: every open file of the platform layer is opened,
// read, written, copied and closed through these calls, which the back end
// implements. Failures come back as std::error_code values (empty on
// success) carrying the system's reason; nothing here throws.
#pragma once

#include <cstdint>
#include <string>
#include <system_error>

#include "rtl/files/export.h"
#include "rtl_platform.h"

namespace rtl {

// What lies behind an open handle.
enum class TFileKind : uint8_t { Regular, Directory, Other };

// Which file a handle is open on: two handles with equal identities are open
// on the very same file, whatever names led to it.
struct TFileIdentity {
  uint64_t Volume = 0;
  uint64_t Index = 0;
  bool operator==(const TFileIdentity&) const = default;
};

struct TFileInfo {
  TFileKind Kind = TFileKind::Other;
  int64_t Size = 0;  // bytes; what a pipe or device reports, which may be 0
  TFileIdentity Identity;
  // The access permissions as POSIX writes them (0644): read, write and
  // execute for the owner, the group and others.
  uint32_t Permissions = 0;
};

// An open handle, owned: move-only, closed when the owner goes (a failure to
// close is then ignored; Close() reports it).
class QUINDLE_RTL_FILES_EXPORT TFileHandle {
 public:
  TFileHandle() noexcept = default;
  explicit TFileHandle(THandle Handle) noexcept : FHandle(Handle) {}
  TFileHandle(TFileHandle&& Other) noexcept : FHandle(Other.Release()) {}
  TFileHandle& operator=(TFileHandle&& Other) noexcept;
  TFileHandle(const TFileHandle&) = delete;
  TFileHandle& operator=(const TFileHandle&) = delete;
  ~TFileHandle();

  THandle Get() const noexcept { return FHandle; }
  bool IsOpen() const noexcept { return FHandle != InvalidHandle; }
  // Gives the handle up without closing it.
  THandle Release() noexcept;
  // Closes the handle and returns the system's reason when closing failed:
  // where a write that did not reach the disk shows (network and
  // quota-limited file systems). The handle is gone either way; closing a
  // handle that is not open does nothing.
  std::error_code Close() noexcept;

 private:
  THandle FHandle = InvalidHandle;
};

enum class TAccess : uint8_t { Read, Write, ReadWrite };

// How a file is created.
enum class TCreateMode : uint8_t {
  Exclusive,  // a new file only; an existing name fails with file_exists
  Truncate,   // an existing file only, emptied
  CreateOrTruncate,
};

// Opening follows one policy everywhere: the open itself never waits (a FIFO
// without a writer, a device that is not ready), and what is not a regular
// file is then switched to waiting reads and writes. A directory is refused
// (is_a_directory). Info, when given, receives what fstat says of the file.
QUINDLE_RTL_FILES_EXPORT std::error_code OpenFile(const std::string& FileName, TAccess Access,
                                                  TFileHandle& Out, TFileInfo* Info = nullptr);

// Creates a file for writing (permissions Mode less the umask for a new
// one) under the same policy. A new name is created exclusively, which never
// follows a symbolic link; an existing one is truncated only when the link
// leads to a file that exists: a dangling link is refused
// (no_such_file_or_directory) rather than creating a file wherever it
// points. Created, when given, tells whether the file is new.
QUINDLE_RTL_FILES_EXPORT std::error_code CreateFile(const std::string& FileName, TCreateMode Mode,
                                                    TFileHandle& Out, bool* Created = nullptr,
                                                    uint32_t Permissions = 0666);

QUINDLE_RTL_FILES_EXPORT std::error_code GetFileInfo(THandle Handle, TFileInfo& Info);
// The same for a name, without opening it; symbolic links are followed.
QUINDLE_RTL_FILES_EXPORT std::error_code GetFileInfo(const std::string& FileName, TFileInfo& Info);

// Reads until Count bytes are in or the data ends, across interrupted and
// partial reads, waiting on an empty pipe. The bytes read; fewer than Count
// only at the end of the data. -1 with Error set on failure.
QUINDLE_RTL_FILES_EXPORT int64_t ReadFull(THandle Handle, void* Buffer, int64_t Count,
                                          std::error_code& Error);
// Reads at Offset without moving the file position, so that several threads
// can read one handle; otherwise as ReadFull. A handle that cannot be read
// at an offset (a pipe) fails with invalid_seek.
QUINDLE_RTL_FILES_EXPORT int64_t ReadAt(THandle Handle, void* Buffer, int64_t Count, int64_t Offset,
                                        std::error_code& Error);
// Writes all Count bytes, across interrupted and partial writes, waiting on
// a full pipe.
QUINDLE_RTL_FILES_EXPORT std::error_code WriteAll(THandle Handle, const void* Buffer,
                                                  int64_t Count);

// The result of CopyRange: how far it got and, on failure, whose fault it was.
struct TCopyResult {
  int64_t Copied = 0;
  std::error_code Error;
  bool SourceFailed = false;  // the read failed (otherwise the write did)
};
// Copies from the current position of Source to that of Target until Count
// bytes are copied or, with Count below 0, until the source's data ends
// (whatever size it claimed: a pipe, a file that grows, /proc). The kernel
// moves the data where it can, so that file systems may share extents; a
// buffered loop carries on where it cannot.
QUINDLE_RTL_FILES_EXPORT TCopyResult CopyRange(THandle Source, THandle Target, int64_t Count = -1);

namespace detail {
// CopyRange's buffered loop alone, through a buffer of BufferSize bytes.
QUINDLE_RTL_FILES_EXPORT TCopyResult CopyRangeBuffered(THandle Source, THandle Target,
                                                       int64_t Count, int64_t BufferSize);
}  // namespace detail

// Renames From to To, replacing a file To in one step: a reader sees the old
// file or the new one, never neither. (RenameFile never replaces.)
QUINDLE_RTL_FILES_EXPORT std::error_code ReplaceFile(const std::string& From,
                                                     const std::string& To);

// Deletes the file FileName (not a directory); the system's reason when it
// cannot (a folder that is not writable, a read-only file system).
QUINDLE_RTL_FILES_EXPORT std::error_code RemoveFile(const std::string& FileName);

// Puts the file's data on the disk (not necessarily its dates); nothing for
// what has no disk behind it (a pipe, a device).
QUINDLE_RTL_FILES_EXPORT std::error_code SyncData(THandle Handle);

enum TSeekOrigin : uint8_t { soBeginning, soCurrent, soEnd };
// Moves the file position; the new position, or -1 with Error set (a pipe
// has no position).
QUINDLE_RTL_FILES_EXPORT int64_t SeekHandle(THandle Handle, int64_t Offset, TSeekOrigin Origin,
                                            std::error_code& Error);

// An open directory, through which the files that lie directly in it are
// looked up, opened and created without resolving the directory's own path
// again for each of them. Members take full names as the caller holds them
// ("dst/a.txt"): a name whose directory part is the path the directory was
// opened with, spelled the same way, is resolved relative to the open handle;
// any other name, and every name while the directory is not open, is used as
// given. The handle keeps meaning the directory that was opened, even when
// its path is renamed meanwhile.
class QUINDLE_RTL_FILES_EXPORT TDirectory {
 public:
  TDirectory() = default;
  TDirectory(TDirectory&&) noexcept = default;
  TDirectory& operator=(TDirectory&&) noexcept = default;

  // Opens the directory Path ("" is the current one; a trailing separator is
  // allowed). On failure the object stays closed.
  std::error_code Open(const std::string& Path);
  void Close() noexcept;
  bool IsOpen() const noexcept { return FHandle.IsOpen(); }
  // The path as opened, with a trailing separator unless it is "".
  const std::string& Path() const noexcept { return FPath; }

  // True when the directory holds no entry but "." and ".."; false when it
  // holds one, is not open or cannot be read.
  bool Empty() const;
  // What FileName is, symbolic links followed.
  std::error_code Lookup(const std::string& FileName, TFileInfo& Info) const;
  // OpenFile and CreateFile of this interface for FileName.
  std::error_code OpenFile(const std::string& FileName, TAccess Access, TFileHandle& Out,
                           TFileInfo* Info = nullptr) const;
  std::error_code CreateFile(const std::string& FileName, TCreateMode Mode, TFileHandle& Out,
                             bool* Created = nullptr, uint32_t Permissions = 0666) const;

 private:
  // The name relative to the open handle, or nullptr when FileName is not
  // directly in the directory (or the directory is not open).
  const char* Inside(const std::string& FileName) const;
  TFileHandle FHandle;
  std::string FPath;
};

// "Cannot open file \"name\". <reason>": the text the layer's exceptions
// carry for a failure of the system on a file.
QUINDLE_RTL_FILES_EXPORT std::string FileErrorText(const char* What, const std::string& FileName,
                                                   const std::error_code& Error);

}  // namespace rtl
