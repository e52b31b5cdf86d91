// SPDX-License-Identifier: MIT
#include "engine/selection.h"

namespace quindle::detail {

bool NamesDirectory(const std::string& Name, int32_t& Attr) {
  Attr = rtl::FileGetAttr(Name);
  if (rtl::ExtractFileName(Name).empty() && !rtl::ExtractFilePath(Name).empty()) return true;
  return Attr >= 0 && (Attr & rtl::faDirectory) != 0;
}

std::string NormaliseSpec(const std::string& Spec) {
  std::string Result = Spec;
  int32_t Attr = 0;
  if (!NamesDirectory(Result, Attr)) return Result;
  const std::string Pattern = std::string(1, rtl::PathDelim) + "*.*";
  if (Attr >= 0 && (Attr & rtl::faDirectory) != 0 && !rtl::ExtractFileName(Result).empty())
    Result += Pattern;
  if (!Result.empty() && rtl::IsPathDelimiter(Result.back())) Result += Pattern;
  return Result;
}

int32_t AttrMask(const TSrcFileTypes& Filter) {
  int32_t Mask = 0;
  if (Filter.Archive()) Mask += rtl::faArchive;
  if (Filter.Directories()) Mask += rtl::faDirectory;
  if (Filter.Hidden()) Mask += rtl::faHidden;
  if (Filter.ReadOnly()) Mask += rtl::faReadOnly;
  if (Filter.System()) Mask += rtl::faSysFile;
  if (Filter.AnyFile()) Mask += rtl::faAnyFile;
  return Mask;
}

bool SelectsNothing(int32_t Mask, const TSrcFileTypes& Filter) {
  return Mask == 0 && !Filter.Normal();
}

bool EntrySelected(const std::string& Name, int32_t Attr, int32_t Mask,
                   const TSrcFileTypes& Filter) {
  if (Name == "." || Name == "..") return false;
  if (Attr != Mask && !Filter.Normal() && !Filter.AnyFile()) return false;
  return Attr != rtl::faVolumeID;
}

}  // namespace quindle::detail
