// SPDX-License-Identifier: MIT
// Untyped block files of the platform layer: a file variable that is given a
// name, opened with a record size, and read and written in whole records.
#pragma once

#include <cstdint>
#include <string>

#include "rtl/core/classes.h"
#include "rtl/files/export.h"
#include "rtl/files/fileutils.h"
#include "rtl/files/handles.h"

namespace rtl {

// Every failure raises EInOutError carrying the system's error number as
// ErrorCode (and the reason as Code()), so handlers that catch rtl::Exception
// catch block-file and stream failures alike.
class QUINDLE_RTL_FILES_EXPORT TBlockFile : public TObject {
 public:
  TBlockFile() = default;
  // Closes the file if it is still open.
  ~TBlockFile() override;
  std::string ClassName() const override { return "TBlockFile"; }

  // Names the file for the next ResetFile or RewritFile; In, when given, is
  // the open directory it lies in, which must outlive the block file.
  void AssignFile(const std::string& FileName, const TDirectory* In = nullptr);
  // Opens the existing file, read-only, positioned at its start. A file that
  // is open already is closed first. A directory is refused (EISDIR).
  void ResetFile(int64_t RecSize = 128);
  // Creates the file or truncates an existing one, write-only (permissions
  // 0666 less the umask). A file that is open already is closed first.
  void RewritFile(int64_t RecSize = 128);
  // The same, creating as How says, a new file with Permissions less the
  // umask (an existing name under TCreateMode::Exclusive fails with EEXIST).
  void RewritFile(int64_t RecSize, TCreateMode How, uint32_t Permissions);

  // Reads up to Count records and returns the number of whole records read;
  // it stops short only at the end of the file, so a result below Count
  // means the end was reached, and 0 means nothing was left.
  int64_t BlockRead(void* Buf, int64_t Count);
  // Writes all Count records.
  void BlockWrite(const void* Buf, int64_t Count);

  // Closes the file; nothing happens when it is not open. Returns false when
  // the system reported a failure on closing (the descriptor is released all
  // the same); callers that must not lose data can test it.
  bool CloseFile();
  // The same, raising EInOutError when the close fails, as the other
  // operations do; for writers that report failures by exception.
  void Close();

  THandle Handle() const { return FHandle.Get(); }
  bool IsOpen() const { return FHandle.IsOpen(); }
  // True when the last RewritFile made a new file, rather than truncating one
  // that existed.
  bool Created() const { return FCreated; }
  const std::string& FileName() const { return FFileName; }
  // What the system said of the file when ResetFile opened it (after
  // RewritFile: nothing, except that a new file is a regular one).
  const TFileInfo& OpenedInfo() const { return FOpened; }
  int64_t RecSize() const { return FRecSize; }

 private:
  void Open(bool Create, int64_t RecSize, const char* What,
            TCreateMode How = TCreateMode::CreateOrTruncate, uint32_t Permissions = 0666);
  // Count records in bytes; raises when the file is closed or Count is out of range.
  int64_t ByteCount(int64_t Count, const char* What) const;
  [[noreturn]] void Fail(const char* What, const std::error_code& Error) const;

  std::string FFileName;
  const TDirectory* FIn = nullptr;
  TFileHandle FHandle;
  TFileInfo FOpened;
  int64_t FRecSize = 128;
  bool FCreated = false;
};

}  // namespace rtl
