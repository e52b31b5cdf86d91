// SPDX-License-Identifier: MIT
// Shows the overwrite dialog in the terminal and answers it from standard
// input, as the copy engine would ask about an existing target:
//
//   overwrite_dialog_demo [source target]
//   echo y | overwrite_dialog_demo notes.txt backup/notes.txt
//
// Type the key of a button (y, n, c), press Enter for Yes, type "esc" for
// Cancel, or end the input (Ctrl-D) to close the dialog.
#include <iostream>
#include <string>

#include "dialogs/overwrite_dialog.h"
#include "rtl/files/fileutils.h"
#include "widgetsets/console/console_widgetset.h"

namespace {

struct TFileFacts {
  std::string Name;
  std::string Size = "0 bytes";
  std::string Modified = "modified on (unknown)";
};

TFileFacts Describe(const std::string& Path) {
  TFileFacts F;
  F.Name = rtl::ExtractFileName(Path);
  rtl::TSearchRec Rec;
  const bool Found = rtl::FindFirst(Path, rtl::faAnyFile, Rec) == 0;
  rtl::FindClose(Rec);
  if (!Found) return F;
  F.Size = rtl::IntToStr(Rec.Size) + " bytes";
  F.Modified = "modified on " + rtl::DateTimeToStr(rtl::FileDateToDateTime(Rec.Time));
  return F;
}

}  // namespace

int main(int argc, char** argv) {
  const TFileFacts Src = Describe(argc > 2 ? argv[1] : "examples/data/notes.txt");
  const TFileFacts Tgt = Describe(argc > 2 ? argv[2] : "examples/data/readme.txt");

  rtl::TConsoleWidgetSet Console;  // standard input and standard error
  rtl::TWidgetSetScope Scope(Console);

  quindle::TOverwriteDialog Dialog(nullptr);
  Dialog.SrcFNLabel1->SetCaption(Tgt.Name);
  Dialog.TgtFNLabel1->SetCaption(Tgt.Name);
  Dialog.SrcFNLabel2->SetCaption(Src.Name);
  Dialog.TgtFileSizeLabel->SetCaption(Tgt.Size);
  Dialog.SrcFileSizeLabel->SetCaption(Src.Size);
  Dialog.TgtModifiedLabel->SetCaption(Tgt.Modified);
  Dialog.SrcModifiedLabel->SetCaption(Src.Modified);
  const int Result = Dialog.ShowModal();

  std::cout << "modal result " << Result << ", answer "
            << quindle::GetOverwriteTypeName(Dialog.Answer) << '\n';
  return 0;
}
