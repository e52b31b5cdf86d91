// SPDX-License-Identifier: MIT
// What the transfer methods share: the description of the file being
// transferred, where they report, the stamping of the target and the guarded
// run of the copying methods. Each method lives in a file of its own.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <system_error>

#include "engine/quindle.h"
#include "rtl/core/classes.h"
#include "rtl/files/block_file.h"
#include "rtl/files/fileutils.h"
#include "rtl/files/handles.h"

namespace quindle::detail {

// Why a move that copied keeps its source, for MoveFileError.
enum class TMoveFailure : uint8_t {
  SourceReadOnly,    // the source is read-only: nothing copied
  TargetNotRegular,  // the target is a device, FIFO or socket: written, not moved
  DateNotSet,        // the copy's date could not be set
  SourceNotDeleted,  // the copy is complete, the source cannot be deleted
};

// Where a transfer method reports: the component's dispatchers.
class TTransferEvents {
 public:
  virtual void ProgressChange() = 0;
  // OnSetAttr for FileName; the handler may change both cells.
  virtual void SetAttr(const std::string& FileName, int32_t& Attr, rtl::TDateTime& Date) = 0;
  virtual void OpenSrcError(const std::exception& Cause) = 0;
  virtual void OpenTgtError(const std::exception& Cause) = 0;
  virtual void LZCopyError() = 0;
  // Error is the system's reason, when there is one; FileName the file it
  // concerns.
  virtual void MoveFileError(TMoveFailure Why, const std::error_code& Error = {},
                             const std::string& FileName = {}) = 0;
  // OnOverwriteCancelled for a target that appeared after the run found
  // none, when overwriting is off.
  virtual void TargetAppeared() = 0;
  // OnByteProgress; false once the run has been asked to stop (Abort).
  virtual bool ByteProgress(const TByteProgress& Progress) = 0;
  // With Validate on, checks the target against the source's checksum and
  // reports a mismatch by FailValidation; the run then does not check this
  // file again. True when the copy may be trusted (or Validate is off).
  virtual bool CopyVerified() = 0;

 protected:
  ~TTransferEvents() = default;
};

// The run's Progress as the methods advance it. The number of entries is read
// afresh each time, as a handler may change SourceFilenames during the run.
class TProgressSink {
 public:
  TProgressSink(int32_t& Percent, const rtl::TStringList& Entries, TTransferEvents& Events)
      : FPercent(Percent), FEntries(Entries), FEvents(Events) {}

  bool SingleEntry() const { return FEntries.Count() < 2; }
  // The per-file step. With one entry Progress restarts from 0 for every
  // file; with N entries it climbs by 100 / N, rounded to the nearest integer
  // with a half going to the even neighbour (8 entries give 12, 200 and more
  // give 0), and stays at 100 once there. No notification.
  void FileStep();
  void Set(int32_t Percent) { FPercent = Percent; }
  // OnProgressChange.
  void Changed() { FEvents.ProgressChange(); }

 private:
  int32_t& FPercent;
  const rtl::TStringList& FEntries;
  TTransferEvents& FEvents;
  int32_t FStep = 0;
};

// The file being transferred, as the run found it, and where its transfer
// reports.
struct TTransferFile {
  const std::string& SrcFileName;
  const std::string& TgtFileName;
  uint8_t Attr;          // the source's attribute byte
  rtl::TDateTime Date;   // its last-write time
  int64_t SearchTime;    // the packed time the search read it with
  int64_t Size;          // its size as the search saw it
  bool NewTargetsPlain;  // new files in the target's directory follow the umask
  // The target must be a new file: the run found none and must not
  // overwrite one (a file appearing meanwhile is left alone).
  bool Exclusive;
  TProgressSink& Progress;
  TTransferEvents& Events;
  // The open directories the source and the target lie in, when the run has
  // them: the names are then resolved relative to them.
  const rtl::TDirectory* SrcDir = nullptr;
  const rtl::TDirectory* TgtDir = nullptr;

  // After each chunk of Done bytes in all (of Total, 0 when unknown):
  // OnByteProgress, then raises TTransferAborted when the run is to stop.
  void Chunk(TByteProgress::TPhase Phase, uint64_t Done, uint64_t Total) const;
};

// Raised between chunks when Abort() was called: the transfer ends as a
// failed one ends (the target closed and left as far as it got), without a
// report. Not a std::exception, so that no handler for failures takes it.
struct TTransferAborted {};

// What a copying method does beyond the copy, for a move's copy.
struct TCopyExtras {
  // Puts the target's data on the disk before closing it.
  bool Sync = false;
  // Out: the system's reason when the target's date could not be set.
  std::error_code DateError;
  // Out: whether the target is a regular file (false for a device, a FIFO,
  // a socket, which are never stamped).
  bool TargetRegular = true;
};

// The permissions a new target is created with: the source's read, write and
// execute bits (never set-user-ID, set-group-ID or sticky), with the owner's
// write bit, which the read-only attribute then takes away where it is set.
uint32_t NewTargetPermissions(const rtl::TFileInfo& Source);

// The date and attributes a target is stamped with: the source's, unless
// OnSetAttr changes them. The attribute cell holds the source's byte from the
// start, so that a failure before OnSetAttr still applies this file's own
// attributes, never a value left over from an earlier file.
class TTargetStamp {
 public:
  explicit TTargetStamp(const TTransferFile& File) : FFile(File), FAttr(File.Attr) {}

  // Fills both cells from the source and hands them to OnSetAttr.
  void CallSetAttr();
  // Sets the date cell as the target's last-write time, on its open handle,
  // after its last write, so that closing it cannot disturb the time. A date
  // cell that is no date (out of range, not a number) leaves the target's
  // date as written. The system's reason when setting it failed.
  std::error_code SetDate(rtl::THandle Target) const;
  // Both of the above.
  std::error_code Stamp(rtl::THandle Target) {
    CallSetAttr();
    return SetDate(Target);
  }
  // A target that is not a regular file (a device, a FIFO, a socket) gets
  // neither date nor attributes.
  void SetTargetRegular(bool Regular) { FTargetRegular = Regular; }
  // Applies the attribute cell by name, once the target is closed. A file
  // this transfer created (NewFile) in a directory whose new files follow the
  // umask already has every attribute a word without read-only, hidden,
  // system and archive asks for; such a word is not applied again.
  void ApplyAttr(bool NewFile) const;

 private:
  const TTransferFile& FFile;
  int32_t FAttr;
  rtl::TDateTime FDate = 0;
  bool FTargetRegular = true;
};

// A block file opened for a transfer: the source as an existing file
// (read-only: a copy has no business writing its source), the target created
// or truncated. Its Close() raises when the system reports a failure.
class TTransferBlockFile : public rtl::TBlockFile {
 public:
  enum TOpen { Existing, Create };
  TTransferBlockFile(const std::string& FileName, const rtl::TDirectory* In, int64_t RecSize,
                     TOpen How);
  // The target, created as How says with Permissions for a new file.
  TTransferBlockFile(const std::string& FileName, const rtl::TDirectory* In, int64_t RecSize,
                     rtl::TCreateMode How, uint32_t Permissions);
};

// How a transfer creates its target.
struct TTargetCreation {
  rtl::TCreateMode Mode;
  uint32_t Permissions;
};

// The two-handler shape of the copying methods.
//   Open()   opens and returns the source; a failure is reported by
//            OpenSrcError, and the target is not touched;
//   Create(How) creates and returns the target as How says; a failure is
//            reported by OpenTgtError, except that an exclusive create
//            finding the name taken is reported by TargetAppeared and leaves
//            that file alone;
//   Copy(Source, Target, Stamp) does the work between them, stamping included.
// Once the target exists, the closing step (close the target, raising when
// the system reports a failure; then apply the attribute cell, to a regular
// file only) runs on every way out, before OpenTgtError reports what failed:
// the copy, an application handler it called, or the close itself. A close
// failing after another failure is not reported again. An Abort() seen
// between chunks ends the copy the same way, without a report. An exception
// from the OnOpenTgtError handler is reported by OpenSrcError. The source is
// released last. True when the copy is complete and nothing was reported.
template <class OpenFn, class CreateFn, class CopyFn>
bool GuardedCopy(const TTransferFile& File, OpenFn Open, CreateFn Create, CopyFn Copy,
                 TCopyExtras* Extras = nullptr) {
  try {
    auto Source = Open();
    const TTargetCreation How{
        File.Exclusive ? rtl::TCreateMode::Exclusive : rtl::TCreateMode::CreateOrTruncate,
        NewTargetPermissions(Source.OpenedInfo())};
    bool Creating = true;
    try {
      auto Target = Create(How);
      Creating = false;
      // A file the create made is a regular one; one it truncated may be a
      // device or a FIFO.
      rtl::TFileInfo Info;
      const bool Regular = Target.Created() || (!rtl::GetFileInfo(Target.Handle(), Info) &&
                                                Info.Kind == rtl::TFileKind::Regular);
      if (Extras != nullptr) Extras->TargetRegular = Regular;
      TTargetStamp Stamp(File);
      Stamp.SetTargetRegular(Regular);
      std::exception_ptr Failure;
      bool Aborted = false;
      try {
        Copy(Source, Target, Stamp);
      } catch (const TTransferAborted&) {
        Aborted = true;
      } catch (...) {
        Failure = std::current_exception();
      }
      try {
        Target.Close();
      } catch (...) {
        if (!Failure && !Aborted) Failure = std::current_exception();
      }
      Stamp.ApplyAttr(Target.Created());
      if (Failure) std::rethrow_exception(Failure);
      if (Aborted) return false;
    } catch (const std::exception& E) {
      const auto* Failure = dynamic_cast<const rtl::Exception*>(&E);
      if (Creating && File.Exclusive && Failure != nullptr &&
          Failure->Code() == std::errc::file_exists)
        File.Events.TargetAppeared();
      else
        File.Events.OpenTgtError(E);
      return false;
    }
  } catch (const std::exception& E) {
    File.Events.OpenSrcError(E);
    return false;
  }
  return true;
}

// The transfer methods. The three copying ones return false when they
// reported a failure through OpenSrcError or OpenTgtError.
bool StreamCopy(const TTransferFile& File);
// Extras, when given, asks for a move's extras and receives what they found.
bool BlockCopy(const TTransferFile& File, TCopyExtras* Extras = nullptr);
bool LZExpandCopy(const TTransferFile& File);
void MoveCopy(const TTransferFile& File);
void CopyAndDelete(const TTransferFile& File);

}  // namespace quindle::detail
