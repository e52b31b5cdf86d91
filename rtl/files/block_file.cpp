// SPDX-License-Identifier: MIT
#include "rtl/files/block_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <limits>

#include "rtl/files/streams.h"

namespace rtl {

TBlockFile::~TBlockFile() {
  CloseFile();
}

void TBlockFile::AssignFile(const std::string& FileName) {
  FFileName = FileName;
}

void TBlockFile::Fail(const char* What, int Code) const {
  throw EInOutError(std::string(What) + " \"" + FFileName + "\". " + detail::ErrorText(Code), Code,
                    FFileName);
}

void TBlockFile::Open(bool Create, int64_t RecSize, const char* What) {
  CloseFile();
  if (RecSize <= 0) Fail(What, EINVAL);
  FCreated = false;
  FHandle = Create ? detail::OpenForCreate(FFileName, &FCreated)
                   : detail::OpenExisting(FFileName, O_RDONLY);
  if (FHandle < 0) Fail(What, errno);
  FRecSize = RecSize;
}

void TBlockFile::ResetFile(int64_t RecSize) {
  Open(false, RecSize, "Cannot open file");
}

void TBlockFile::RewritFile(int64_t RecSize) {
  Open(true, RecSize, "Cannot create file");
}

int64_t TBlockFile::ByteCount(int64_t Count, const char* What) const {
  if (FHandle < 0) Fail(What, EBADF);
  if (Count < 0 || Count > std::numeric_limits<int64_t>::max() / FRecSize) Fail(What, EINVAL);
  return Count * FRecSize;
}

int64_t TBlockFile::BlockRead(void* Buf, int64_t Count) {
  const int64_t Bytes = ByteCount(Count, "Read error on");
  const int64_t Got = detail::ReadFull(FHandle, Buf, Bytes);
  if (Got < 0) Fail("Read error on", errno);
  return Got / FRecSize;
}

void TBlockFile::BlockWrite(const void* Buf, int64_t Count) {
  const int64_t Bytes = ByteCount(Count, "Write error on");
  if (!detail::WriteAll(FHandle, Buf, Bytes)) Fail("Write error on", errno);
}

bool TBlockFile::CloseFile() {
  if (FHandle < 0) return true;
  // The descriptor is gone after close() whatever it returns, EINTR included,
  // so it is never closed twice.
  const bool Ok = ::close(FHandle) == 0;
  FHandle = -1;
  return Ok;
}

}  // namespace rtl
