// SPDX-License-Identifier: MIT
// The dispatchers: each condition of a run reaches the application through
// its event; without a handler, errors and questions show their default
// message when messages are on.
#include <memory>

#include "dialogs/overwrite_dialog.h"
#include "engine/quindle.h"
#include "engine/transfer.h"
#include "rtl/ui/dialogs.h"

namespace quindle {

namespace {

// The name part of a file name in lower case with its first character in
// upper case, as the overwrite dialog shows it.
std::string DisplayName(const std::string& FileName) {
  std::string Lower = rtl::AnsiLowerCase(rtl::ExtractFileName(FileName));
  if (Lower.empty()) return Lower;
  // The first character is one UTF-8 sequence, not one byte.
  size_t First = 1;
  while (First < Lower.size() && (static_cast<unsigned char>(Lower[First]) & 0xC0) == 0x80) ++First;
  return rtl::AnsiUpperCase(Lower.substr(0, First)) + Lower.substr(First);
}

}  // namespace

bool IsErrorCondition(TCondition What) {
  switch (What) {
    case TCondition::CannotCreateTgtDir:
    case TCondition::CopyToSelfError:
    case TCondition::FailValidate:
    case TCondition::LZCopyError:
    case TCondition::MoveFileError:
    case TCondition::MoveToSelfError:
    case TCondition::OpenSrcError:
    case TCondition::OpenTgtError:
    case TCondition::SrcFileError:
    case TCondition::SrcFileNotExist:
    case TCondition::TgtFileError:
      return true;
    default:
      return false;
  }
}

std::string DefaultText(TCondition What, const std::string& SrcFileName,
                        const std::string& TgtFileName) {
  switch (What) {
    case TCondition::SrcFileError:
      return "No source file assigned.";
    case TCondition::TgtFileError:
      return "No target file assigned.";
    case TCondition::CopyToSelfError:
      return "Cannot copy file " + SrcFileName + " onto itself.";
    case TCondition::MoveToSelfError:
      return "Cannot move file " + SrcFileName + " onto itself.";
    case TCondition::SrcFileNotExist:
      return "Source File " + SrcFileName + " does not exist.";
    case TCondition::OpenSrcError:
      return "Cannot open source file " + SrcFileName + ".";
    case TCondition::OpenTgtError:
      return "Cannot open target file " + TgtFileName + ".";
    case TCondition::LZCopyError:
      return "Error during LZ copy.";
    case TCondition::MoveFileError:
      return "File " + SrcFileName + " is read only.  Cannot move.";
    case TCondition::FailValidate:
      return TgtFileName + " failed validation.";
    case TCondition::CannotCreateTgtDir:
      return "Cannot create target directory \r" + TgtFileName;
    case TCondition::DirNotExist:
      return "Directory " + rtl::ExtractFilePath(TgtFileName) + " does not exist. Create it?";
    default:
      return std::string();
  }
}

void TQuindle::Record(TCondition What, const std::string& SrcFileName,
                      const std::string& TgtFileName, const std::exception* Cause) {
  // Assigned into the same strings each time, so that the notifications of
  // every file cost no allocation once the names have fitted.
  FCondition.What = What;
  FCondition.SrcFileName = SrcFileName;
  FCondition.TgtFileName = TgtFileName;
  FCondition.Text = DefaultText(What, SrcFileName, TgtFileName);
  const auto* Failure = dynamic_cast<const rtl::Exception*>(Cause);
  if (Failure != nullptr && Failure->Code()) {
    FCondition.Error = Failure->Code();
    FCondition.ErrorFileName = Failure->FileName();
  } else {
    FCondition.Error.clear();
    FCondition.ErrorFileName.clear();
  }
}

void TQuindle::ReportError(const TNotifyEvent& Handler) {
  if (Handler) {
    Handler(this);
    return;
  }
  if (!FShowMessages) return;
  FMessage = FCondition.Text;
  rtl::MessageDlg(FMessage, rtl::mtInformation, {rtl::mbOK}, 0);
}

void TQuindle::Start() {
  Record(TCondition::Start, std::string(), FTargetFilename);
  if (FOnStart) FOnStart(this);
}
void TQuindle::Finished() {
  Record(TCondition::Finished, std::string(), FTargetFilename);
  if (FOnFinished) FOnFinished(this);
}
void TQuindle::ProgressChange() {
  ProgressChange(FSrcFileName, FTgtFileName);
}
void TQuindle::ProgressChange(const std::string& SrcFileName, const std::string& TgtFileName) {
  Record(TCondition::ProgressChange, SrcFileName, TgtFileName);
  if (FOnProgressChange) FOnProgressChange(this);
}
void TQuindle::OverwriteCancelled() {
  Record(TCondition::OverwriteCancelled, FSrcFileName, FTgtFileName);
  if (FOnOverwriteCancelled) FOnOverwriteCancelled(this);
}

void TQuindle::DoBeforeCopyFile(const std::string& SrcFileName, const std::string& TgtFileName) {
  Record(TCondition::BeforeCopyFile, SrcFileName, TgtFileName);
  if (FOnBeforeCopyFile) FOnBeforeCopyFile(this, SrcFileName, TgtFileName);
}

void TQuindle::DoAfterCopyFile(const std::string& SrcFileName, const std::string& TgtFileName) {
  Record(TCondition::AfterCopyFile, SrcFileName, TgtFileName);
  if (FOnAfterCopyFile) FOnAfterCopyFile(this, SrcFileName, TgtFileName);
}

void TQuindle::DoSetAttr(const std::string& FileName, int32_t& Attr, rtl::TDateTime& Date) {
  Record(TCondition::SetAttr, FSrcFileName, FileName);
  if (FOnSetAttr) FOnSetAttr(this, FileName, Attr, Date);
}

void TQuindle::SrcFileError() {
  Record(TCondition::SrcFileError, FSrcSpec, FTargetFilename);
  ReportError(FOnSrcFileError);
}
void TQuindle::TgtFileError() {
  Record(TCondition::TgtFileError, FSrcSpec, FTargetFilename);
  ReportError(FOnTgtFileError);
}

void TQuindle::CopyToSelfError() {
  Record(TCondition::CopyToSelfError, FSrcSpec, FTargetFilename);
  ReportError(FOnCopyToSelfError);
}

void TQuindle::MoveToSelfError() {
  Record(TCondition::MoveToSelfError, FSrcSpec, FTargetFilename);
  ReportError(FOnMoveToSelfError);
}

void TQuindle::SrcFileNotExist() {
  Record(TCondition::SrcFileNotExist, FSrcSpec, FTargetFilename);
  ReportError(FOnSrcFileNotExist);
}

void TQuindle::OpenSrcError(const std::exception* Cause) {
  Record(TCondition::OpenSrcError, FSrcFileName, FTgtFileName, Cause);
  ReportError(FOnOpenSrcError);
}

// Names TargetFilename as the user set it, which for a directory target is
// the directory, not the file.
void TQuindle::OpenTgtError(const std::exception* Cause) {
  Record(TCondition::OpenTgtError, FSrcFileName, FTargetFilename, Cause);
  ReportError(FOnOpenTgtError);
}

void TQuindle::LZCopyError() {
  Record(TCondition::LZCopyError, FSrcFileName, FTgtFileName);
  ReportError(FOnLZCopyError);
}

void TQuindle::MoveFileError(detail::TMoveFailure Why, const std::error_code& Error,
                             const std::string& ErrorFileName) {
  Record(TCondition::MoveFileError, FSrcFileName, FTgtFileName);
  FCondition.Error = Error;
  FCondition.ErrorFileName = Error ? ErrorFileName : std::string();
  const std::string Reason = Error ? ": " + Error.message() : std::string();
  switch (Why) {
    case detail::TMoveFailure::SourceReadOnly:
      break;
    case detail::TMoveFailure::TargetNotRegular:
      FCondition.Text = "File " + FSrcFileName + " was written to " + FTgtFileName +
                        ", which is not a regular file.  Not moved.";
      break;
    case detail::TMoveFailure::DateNotSet:
      FCondition.Text = "Cannot set the date of " + FTgtFileName + Reason + ".  File " +
                        FSrcFileName + " is kept.";
      break;
    case detail::TMoveFailure::SourceNotDeleted:
      FCondition.Text = "File " + FSrcFileName + " was copied to " + FTgtFileName +
                        " but cannot be deleted" + Reason + ".";
      break;
  }
  ReportError(FOnMoveFileError);
}

bool TQuindle::ByteProgress(const TByteProgress& Progress) {
  if (FOnByteProgress) FOnByteProgress(this, Progress);
  return !Aborted();
}

void TQuindle::FailValidation() {
  Record(TCondition::FailValidate, FSrcFileName, FTgtFileName);
  ReportError(FOnFailValidate);
}

void TQuindle::CannotCreateTgtDir(const std::string& DirName) {
  Record(TCondition::CannotCreateTgtDir, std::string(), DirName);
  ReportError(FOnCannotCreateTgtDir);
}

void TQuindle::DirNotExist() {
  Record(TCondition::DirNotExist, std::string(), FTargetFilename);
  if (FOnDirNotExist) {
    FOnDirNotExist(this);
    return;
  }
  if (!FShowMessages) return;
  FMessage = FCondition.Text;
  const int Answer = rtl::MessageDlg(FMessage, rtl::mtInformation, {rtl::mbYes, rtl::mbNo}, 0);
  FMakeTgtDir = Answer == rtl::mrYes;
}

void TQuindle::TgtFileExists() {
  Record(TCondition::TgtFileExists, FSrcFileName, FTgtFileName);
  if (FOnTgtFileExists) {
    FOnTgtFileExists(this);
    if (!FOverwriteIfExist) OverwriteCancelled();
    return;
  }
  if (!FShowMessages) {
    if (!FOverwriteIfExist) OverwriteCancelled();
    return;
  }
  // The dialog is freed on every way out, also when showing it raises.
  auto Dialog = std::make_unique<TOverwriteDialog>(this);
  Dialog->SrcFNLabel1->SetCaption(DisplayName(FTgtFileName));
  Dialog->SrcFNLabel2->SetCaption(DisplayName(FSrcFileName));
  Dialog->TgtFNLabel1->SetCaption(DisplayName(FTgtFileName));
  Dialog->TgtFileSizeLabel->SetCaption(rtl::IntToStr(FTgtSize) + " bytes");
  Dialog->SrcFileSizeLabel->SetCaption(rtl::IntToStr(FSrcSize) + " bytes");
  Dialog->TgtModifiedLabel->SetCaption("modified on " + rtl::DateTimeToStr(FTgtDate));
  Dialog->SrcModifiedLabel->SetCaption("modified on " + rtl::DateTimeToStr(FSrcDate));
  Dialog->ShowModal();
  switch (Dialog->Answer) {
    case owYes:
      FOverwriteIfExist = true;
      break;
    case owCancel:
      FAborted = true;
      break;
    default:
      FOverwriteIfExist = false;
      OverwriteCancelled();
      break;
  }
}

}  // namespace quindle
