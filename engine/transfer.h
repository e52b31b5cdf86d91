// SPDX-License-Identifier: MIT
// What the transfer methods share: the description of the file being
// transferred, where they report, the stamping of the target and the guarded
// run of the copying methods. Each method lives in a file of its own.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

#include "rtl/core/classes.h"
#include "rtl/files/block_file.h"
#include "rtl/files/fileutils.h"

namespace quindle::detail {

// Where a transfer method reports: the component's dispatchers.
class TTransferEvents {
 public:
  virtual void ProgressChange() = 0;
  // OnSetAttr for FileName; the handler may change both cells.
  virtual void SetAttr(const std::string& FileName, int32_t& Attr, rtl::TDateTime& Date) = 0;
  virtual void OpenSrcError(const std::exception& Cause) = 0;
  virtual void OpenTgtError(const std::exception& Cause) = 0;
  virtual void LZCopyError() = 0;
  virtual void MoveFileError() = 0;

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
  TProgressSink& Progress;
  TTransferEvents& Events;
};

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
  // after its last write, so that closing it cannot disturb the time.
  void SetDate(rtl::THandle Target) const;
  // Both of the above.
  void Stamp(rtl::THandle Target) {
    CallSetAttr();
    SetDate(Target);
  }
  // Applies the attribute cell by name, once the target is closed. A file
  // this transfer created (NewFile) in a directory whose new files follow the
  // umask already has every attribute a word without read-only, hidden,
  // system and archive asks for; such a word is not applied again.
  void ApplyAttr(bool NewFile) const;

 private:
  const TTransferFile& FFile;
  int32_t FAttr;
  rtl::TDateTime FDate = 0;
};

// A block file opened for a transfer: the source as an existing file
// (read-only: a copy has no business writing its source), the target created
// or truncated. Its Close() raises when the system reports a failure.
class TTransferBlockFile : public rtl::TBlockFile {
 public:
  enum TOpen { Existing, Create };
  TTransferBlockFile(const std::string& FileName, int64_t RecSize, TOpen How);
};

// The two-handler shape of the copying methods.
//   Open()   opens and returns the source; a failure is reported by
//            OpenSrcError, and the target is not touched;
//   Create() creates and returns the target; a failure is reported by
//            OpenTgtError;
//   Copy(Source, Target, Stamp) does the work between them, stamping included.
// Once the target exists, the closing step (close the target, raising when
// the system reports a failure; then apply the attribute cell) runs on every
// way out, before OpenTgtError reports what failed: the copy, an application
// handler it called, or the close itself. A close failing after another
// failure is not reported again. An exception from the OnOpenTgtError
// handler is reported by OpenSrcError. The source is released last. True when
// nothing was reported.
template <class OpenFn, class CreateFn, class CopyFn>
bool GuardedCopy(const TTransferFile& File, OpenFn Open, CreateFn Create, CopyFn Copy) {
  try {
    auto Source = Open();
    try {
      auto Target = Create();
      TTargetStamp Stamp(File);
      std::exception_ptr Failure;
      try {
        Copy(Source, Target, Stamp);
      } catch (...) {
        Failure = std::current_exception();
      }
      try {
        Target.Close();
      } catch (...) {
        if (!Failure) Failure = std::current_exception();
      }
      Stamp.ApplyAttr(Target.Created());
      if (Failure) std::rethrow_exception(Failure);
    } catch (const std::exception& E) {
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
bool BlockCopy(const TTransferFile& File);
bool LZExpandCopy(const TTransferFile& File);
void MoveCopy(const TTransferFile& File);
void CopyAndDelete(const TTransferFile& File);

}  // namespace quindle::detail
