// SPDX-License-Identifier: MIT
#include "rtl/files/streams.h"

#include <algorithm>
#include <utility>

namespace rtl {

namespace {

TAccess AccessOf(uint32_t Mode, bool& Valid) {
  Valid = true;
  switch (Mode & 3) {
    case fmOpenRead:
      return TAccess::Read;
    case fmOpenWrite:
      return TAccess::Write;
    case fmOpenReadWrite:
      return TAccess::ReadWrite;
    default:
      Valid = false;
      return TAccess::Read;
  }
}

// The text of a stream's failure: "<What> \"name\". <reason>".
std::string StreamText(const char* What, const std::string& FileName,
                       const std::error_code& Error) {
  return FileErrorText(What, FileName, Error);
}

// Raises what a copy of Count bytes that ended with R amounts to: a failing
// or short source, or a failing target.
void CheckCopy(const TCopyResult& R, int64_t Count, const TFileStream& Source,
               const TFileStream& Dest) {
  if (R.Error && R.SourceFailed)
    throw EReadError(StreamText("Stream read error on", Source.FileName(), R.Error), R.Error,
                     Source.FileName());
  if (R.Error)
    throw EWriteError(StreamText("Stream write error on", Dest.FileName(), R.Error), R.Error,
                      Dest.FileName());
  if (R.Copied < Count) {
    throw EReadError("Stream read error on \"" + Source.FileName() + "\". The file ended " +
                     std::to_string(Count - R.Copied) + " bytes early");
  }
}

}  // namespace

namespace detail {

void CopyByReadWrite(TFileStream& Source, TFileStream& Dest, int64_t Count, size_t BufferSize) {
  if (Count <= 0) return;
  CheckCopy(
      CopyRangeBuffered(Source.Handle(), Dest.Handle(), Count, static_cast<int64_t>(BufferSize)),
      Count, Source, Dest);
}

}  // namespace detail

TFileStream::TFileStream(const std::string& FileName, uint32_t Mode, const TDirectory* In)
    : FFileName(FileName) {
  if ((Mode & fmCreate) == fmCreate) {
    Create(TCreateMode::CreateOrTruncate, 0666, In);
    return;
  }
  bool Valid;
  const TAccess Access = AccessOf(Mode, Valid);
  const std::error_code Invalid = std::make_error_code(std::errc::invalid_argument);
  if (!Valid)
    throw EFOpenError(StreamText("Cannot open file", FileName, Invalid), Invalid, FileName);
  const std::error_code E = In != nullptr ? In->OpenFile(FileName, Access, FHandle, &FOpened)
                                          : OpenFile(FileName, Access, FHandle, &FOpened);
  if (E) throw EFOpenError(StreamText("Cannot open file", FileName, E), E, FileName);
}

TFileStream::TFileStream(std::string FileName, TCreateMode How, uint32_t Permissions,
                         const TDirectory* In)
    : FFileName(std::move(FileName)) {
  Create(How, Permissions, In);
}

void TFileStream::Create(TCreateMode How, uint32_t Permissions, const TDirectory* In) {
  const std::error_code E = In != nullptr
                                ? In->CreateFile(FFileName, How, FHandle, &FCreated, Permissions)
                                : CreateFile(FFileName, How, FHandle, &FCreated, Permissions);
  if (E) throw EFCreateError(StreamText("Cannot create file", FFileName, E), E, FFileName);
  if (FCreated) FOpened.Kind = TFileKind::Regular;
}

TFileStream::~TFileStream() = default;

void TFileStream::Close() {
  if (std::error_code E = FHandle.Close())
    throw EWriteError(StreamText("Cannot close", FFileName, E), E, FFileName);
}

int64_t TFileStream::GetSize() const {
  TFileInfo Info;
  if (std::error_code E = GetFileInfo(FHandle.Get(), Info))
    throw EStreamError(StreamText("Cannot get the size of", FFileName, E), E, FFileName);
  return Info.Size;
}

int64_t TFileStream::Position() const {
  std::error_code E;
  const int64_t Pos = SeekHandle(FHandle.Get(), 0, soCurrent, E);
  if (Pos < 0)
    throw EStreamError(StreamText("Cannot get the position in", FFileName, E), E, FFileName);
  return Pos;
}

int64_t TFileStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  std::error_code E;
  const int64_t Pos = SeekHandle(FHandle.Get(), Offset, Origin, E);
  if (Pos < 0)
    throw EStreamError(StreamText("Cannot set the position in", FFileName, E), E, FFileName);
  return Pos;
}

int64_t TFileStream::Read(void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  std::error_code E;
  const int64_t N = ReadFull(FHandle.Get(), Buffer, Count, E);
  if (N < 0) throw EReadError(StreamText("Stream read error on", FFileName, E), E, FFileName);
  return N;
}

void TFileStream::Write(const void* Buffer, int64_t Count) {
  if (Count <= 0) return;
  if (std::error_code E = WriteAll(FHandle.Get(), Buffer, Count))
    throw EWriteError(StreamText("Stream write error on", FFileName, E), E, FFileName);
}

int64_t TFileStream::CopyFrom(TFileStream& Source, int64_t Count) {
  if (Count <= 0) {
    Source.Seek(0, soBeginning);
    Count = Source.GetSize();
  }
  CheckCopy(CopyRange(Source.Handle(), Handle(), Count), Count, Source, *this);
  return Count;
}

int64_t TFileStream::CopyChunk(TFileStream& Source, int64_t Count) {
  if (Count <= 0) return 0;
  const TCopyResult R = CopyRange(Source.Handle(), Handle(), Count);
  CheckCopy(R, R.Copied, Source, *this);
  return R.Copied;
}

}  // namespace rtl
