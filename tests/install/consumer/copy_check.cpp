// SPDX-License-Identifier: MIT
// A program of another project, built against the component as a user
// builds it: copy_check SOURCE TARGET copies SOURCE onto TARGET with
// validation, then again onto the existing TARGET with messages on, where the
// overwrite dialog (its layout and icons are resources of the dialogs
// library) is answered Yes by a scripted widgetset. Exits 0 when both runs
// left TARGET equal to SOURCE and the dialog showed its own layout.
#ifdef COPY_CHECK_IN_TREE
#include "engine/quindle.h"
#include "widgetsets/scripted/scripted_widgetset.h"
#else
#include <quindle/engine/quindle.h>
#include <quindle/widgetsets/scripted/scripted_widgetset.h>
#endif

#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

namespace {

std::string Content(const char* Name) {
  std::ifstream In(Name, std::ios::binary);
  return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}

// One run of Source onto Target; returns the number of errors reported.
int Copy(const char* Source, const char* Target, bool ShowMessages) {
  quindle::TQuindle Copier(nullptr);
  rtl::TStringList Sources;
  Sources.Add(Source);
  Copier.SetMultiSrcFN(&Sources);
  Copier.SetTargetFilename(Target);
  Copier.SetValidate(true);
  Copier.SetShowMessages(ShowMessages);
  int Errors = 0;
  const quindle::TNotifyEvent Count = [&](rtl::TObject*) { ++Errors; };
  for (auto Set : {&quindle::TQuindle::SetOnSrcFileNotExist, &quindle::TQuindle::SetOnOpenSrcError,
                   &quindle::TQuindle::SetOnOpenTgtError, &quindle::TQuindle::SetOnFailValidate})
    (Copier.*Set)(Count);
  Copier.Execute();
  return Errors;
}

bool Check(bool Ok, const std::string& What) {
  if (!Ok) std::cerr << "copy_check: " << What << '\n';
  return Ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: copy_check SOURCE TARGET\n";
    return 2;
  }
  const char* Source = argv[1];
  const char* Target = argv[2];
  const std::string Expected = Content(Source);
  bool Ok = Check(!Expected.empty(), "the source is empty or missing");

  Ok &= Check(Copy(Source, Target, false) == 0, "the first run reported errors");
  Ok &= Check(Content(Target) == Expected, "the first copy differs from the source");

  std::ofstream(Target, std::ios::binary | std::ios::trunc) << "to be replaced";
  rtl::TScriptedWidgetSet Script;
  rtl::TWidgetSetScope Scope(Script);
  Script.Queue(rtl::TScriptedAnswer::Press("Yes"));
  Ok &= Check(Copy(Source, Target, true) == 0, "the second run reported errors");
  Ok &= Check(Script.Shown().size() == 1 && Script.Shown()[0].ClassName == "TOverwriteDialog" &&
                  Script.Shown()[0].Title == "Confirm File Replace",
              "the overwrite dialog was not shown with its own layout");
  Ok &= Check(Content(Target) == Expected, "the replaced copy differs from the source");
  if (Ok) std::cout << "copy_check: " << Source << " -> " << Target << " ok\n";
  return Ok ? 0 : 1;
}
