// SPDX-License-Identifier: MIT
#include "rtl/files/block_file.h"

#include <limits>

namespace rtl {

TBlockFile::~TBlockFile() {
  CloseFile();
}

void TBlockFile::AssignFile(const std::string& FileName, const TDirectory* In) {
  FFileName = FileName;
  FIn = In;
}

void TBlockFile::Fail(const char* What, const std::error_code& Error) const {
  throw EInOutError(FileErrorText(What, FFileName, Error), Error.value(), FFileName);
}

void TBlockFile::Open(bool Create, int64_t RecSize, const char* What, TCreateMode How,
                      uint32_t Permissions) {
  CloseFile();
  if (RecSize <= 0) Fail(What, std::make_error_code(std::errc::invalid_argument));
  FCreated = false;
  FOpened = TFileInfo();
  // Read-only: nothing a block file is opened for here writes its source.
  std::error_code E;
  if (Create)
    E = FIn != nullptr ? FIn->CreateFile(FFileName, How, FHandle, &FCreated, Permissions)
                       : CreateFile(FFileName, How, FHandle, &FCreated, Permissions);
  else
    E = FIn != nullptr ? FIn->OpenFile(FFileName, TAccess::Read, FHandle, &FOpened)
                       : OpenFile(FFileName, TAccess::Read, FHandle, &FOpened);
  if (E) Fail(What, E);
  if (FCreated) FOpened.Kind = TFileKind::Regular;
  FRecSize = RecSize;
}

void TBlockFile::ResetFile(int64_t RecSize) {
  Open(false, RecSize, "Cannot open file");
}

void TBlockFile::RewritFile(int64_t RecSize) {
  Open(true, RecSize, "Cannot create file");
}

void TBlockFile::RewritFile(int64_t RecSize, TCreateMode How, uint32_t Permissions) {
  Open(true, RecSize, "Cannot create file", How, Permissions);
}

int64_t TBlockFile::ByteCount(int64_t Count, const char* What) const {
  if (!IsOpen()) Fail(What, std::make_error_code(std::errc::bad_file_descriptor));
  if (Count < 0 || Count > std::numeric_limits<int64_t>::max() / FRecSize)
    Fail(What, std::make_error_code(std::errc::invalid_argument));
  return Count * FRecSize;
}

int64_t TBlockFile::BlockRead(void* Buf, int64_t Count) {
  const int64_t Bytes = ByteCount(Count, "Read error on");
  std::error_code E;
  const int64_t Got = ReadFull(FHandle.Get(), Buf, Bytes, E);
  if (Got < 0) Fail("Read error on", E);
  return Got / FRecSize;
}

void TBlockFile::BlockWrite(const void* Buf, int64_t Count) {
  const int64_t Bytes = ByteCount(Count, "Write error on");
  if (std::error_code E = WriteAll(FHandle.Get(), Buf, Bytes)) Fail("Write error on", E);
}

bool TBlockFile::CloseFile() {
  return !FHandle.Close();
}

void TBlockFile::Close() {
  if (std::error_code E = FHandle.Close()) Fail("Cannot close", E);
}

}  // namespace rtl
