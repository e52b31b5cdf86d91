// SPDX-License-Identifier: MIT
// The dispatchers: each condition of a run reaches the application through
// its event; without a handler, errors and questions show their default
// message when messages are on.
#include <memory>

#include "dialogs/overwrite_dialog.h"
#include "engine/quindle.h"
#include "rtl/ui/dialogs.h"

namespace quindle {

namespace {

// The name part of a file name in lower case with its first character in
// upper case, as the overwrite dialog shows it.
std::string DisplayName(const std::string& FileName) {
  const std::string Lower = rtl::AnsiLowerCase(rtl::ExtractFileName(FileName));
  if (Lower.empty()) return Lower;
  // The first character is one UTF-8 sequence, not one byte.
  size_t First = 1;
  while (First < Lower.size() && (static_cast<unsigned char>(Lower[First]) & 0xC0) == 0x80) ++First;
  return rtl::AnsiUpperCase(Lower.substr(0, First)) + Lower.substr(First);
}

void Notify(const TNotifyEvent& Handler, rtl::TObject* Sender) {
  if (Handler) Handler(Sender);
}

}  // namespace

void TQuindle::ReportError(const TNotifyEvent& Handler, const std::string& Text) {
  if (Handler) {
    Handler(this);
    return;
  }
  if (!FShowMessages) return;
  FMessage = Text;
  rtl::MessageDlg(FMessage, rtl::mtInformation, {rtl::mbOK}, 0);
}

void TQuindle::Start() {
  Notify(FOnStart, this);
}
void TQuindle::Finished() {
  Notify(FOnFinished, this);
}
void TQuindle::ProgressChange() {
  Notify(FOnProgressChange, this);
}
void TQuindle::OverwriteCancelled() {
  Notify(FOnOverwriteCancelled, this);
}

void TQuindle::DoBeforeCopyFile(const std::string& SrcFileName, const std::string& TgtFileName) {
  if (FOnBeforeCopyFile) FOnBeforeCopyFile(this, SrcFileName, TgtFileName);
}

void TQuindle::DoAfterCopyFile(const std::string& SrcFileName, const std::string& TgtFileName) {
  if (FOnAfterCopyFile) FOnAfterCopyFile(this, SrcFileName, TgtFileName);
}

void TQuindle::SrcFileError() {
  ReportError(FOnSrcFileError, "No source file assigned.");
}
void TQuindle::TgtFileError() {
  ReportError(FOnTgtFileError, "No target file assigned.");
}

void TQuindle::CopyToSelfError() {
  ReportError(FOnCopyToSelfError, "Cannot copy file " + FSrcSpec + " onto itself.");
}

void TQuindle::MoveToSelfError() {
  ReportError(FOnMoveToSelfError, "Cannot move file " + FSrcSpec + " onto itself.");
}

void TQuindle::SrcFileNotExist() {
  ReportError(FOnSrcFileNotExist, "Source File " + FSrcSpec + " does not exist.");
}

void TQuindle::OpenSrcError() {
  ReportError(FOnOpenSrcError, "Cannot open source file " + FSrcFileName + ".");
}

// Names TargetFilename as the user set it, which for a directory target is
// the directory, not the file.
void TQuindle::OpenTgtError() {
  ReportError(FOnOpenTgtError, "Cannot open target file " + FTargetFilename + ".");
}

void TQuindle::LZCopyError() {
  ReportError(FOnLZCopyError, "Error during LZ copy.");
}

void TQuindle::MoveFileError() {
  ReportError(FOnMoveFileError, "File " + FSrcFileName + " is read only.  Cannot move.");
}

void TQuindle::FailValidation() {
  ReportError(FOnFailValidate, FTgtFileName + " failed validation.");
}

void TQuindle::CannotCreateTgtDir(const std::string& DirName) {
  ReportError(FOnCannotCreateTgtDir, "Cannot create target directory \r" + DirName);
}

void TQuindle::DirNotExist() {
  if (FOnDirNotExist) {
    FOnDirNotExist(this);
    return;
  }
  if (!FShowMessages) return;
  FMessage = "Directory " + rtl::ExtractFilePath(FTargetFilename) + " does not exist. Create it?";
  const int Answer = rtl::MessageDlg(FMessage, rtl::mtInformation, {rtl::mbYes, rtl::mbNo}, 0);
  FMakeTgtDir = Answer == rtl::mrYes;
}

void TQuindle::TgtFileExists() {
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
