// SPDX-License-Identifier: MIT
// The source listing: which files the entries select under the filter.
#include "engine/quindle.h"
#include "engine/selection.h"

namespace quindle {

void TQuindle::BuildFileList() {
  if (FListed) return;
  FFileList->Clear();
  FAttrList->Clear();
  if (!FListFiles) return;
  // Entries are walked from the last line to the first; an empty line ends the walk.
  for (int Index = FSourceFilenames->Count() - 1; Index >= 0; --Index) {
    const std::string& Line = (*FSourceFilenames)[Index];
    if (Line.empty()) break;
    const std::string Spec = detail::NormaliseSpec(Line);
    const int32_t Mask = detail::AttrMask(*FSrcFileTypes);
    if (detail::SelectsNothing(Mask, *FSrcFileTypes)) continue;
    rtl::TSearchRec Search;
    if (rtl::FindFirst(Spec, Mask, Search) != 0) continue;
    const std::string Dir = rtl::ExtractFilePath(Spec);
    do {
      if (detail::EntrySelected(Search.Name, Search.Attr, Mask, *FSrcFileTypes)) {
        FFileList->Add(Dir + Search.Name);
        FAttrList->Add(rtl::IntToStr(Search.Attr));
      }
    } while (rtl::FindNext(Search) == 0);
    rtl::FindClose(Search);
  }
}

void TQuindle::PrepareRun() {
  FProgress = 0;
  BuildFileList();
  FListed = true;
}

}  // namespace quindle
