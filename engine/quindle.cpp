// SPDX-License-Identifier: MIT
// Construction, the property write rules and the attribute filter.
#include "engine/quindle.h"

#include <memory>

namespace quindle {

void TSrcFileTypes::Assign(const rtl::TPersistent* Source) {
  if (const auto* Other = dynamic_cast<const TSrcFileTypes*>(Source)) {
    FNormal = Other->FNormal;
    FReadOnly = Other->FReadOnly;
    FHidden = Other->FHidden;
    FSystem = Other->FSystem;
    FArchive = Other->FArchive;
    FDirectories = Other->FDirectories;
    FAnyFile = Other->FAnyFile;
    return;
  }
  rtl::TPersistent::Assign(Source);
}

void TSrcFileTypes::SetAnyFile(bool Value) {
  if (Value == FAnyFile) return;
  FAnyFile = Value;
  if (Value) FArchive = FDirectories = FHidden = FNormal = FReadOnly = FSystem = false;
}

void TSrcFileTypes::SetFlag(bool& Flag, bool Value) {
  if (Value == Flag) return;
  Flag = Value;
  if (Value) FAnyFile = false;
}

void TSrcFileTypes::SetArchive(bool Value) {
  SetFlag(FArchive, Value);
}
void TSrcFileTypes::SetDirectories(bool Value) {
  SetFlag(FDirectories, Value);
}
void TSrcFileTypes::SetHidden(bool Value) {
  SetFlag(FHidden, Value);
}
void TSrcFileTypes::SetNormal(bool Value) {
  SetFlag(FNormal, Value);
}
void TSrcFileTypes::SetReadOnly(bool Value) {
  SetFlag(FReadOnly, Value);
}
void TSrcFileTypes::SetSystem(bool Value) {
  SetFlag(FSystem, Value);
}

bool HasAttr(const std::string& FileName, uint16_t Attr) {
  const int32_t Word = rtl::FileGetAttr(FileName);
  return (Word & Attr) == Attr;
}

TQuindle::TQuindle(rtl::TComponent* AOwner)
    : rtl::TCommonDialog(AOwner),
      FSourceFilenames(std::make_unique<rtl::TStringList>()),
      FFileList(std::make_unique<rtl::TStringList>()),
      FAttrList(std::make_unique<rtl::TStringList>()),
      FSrcFileTypes(std::make_unique<TSrcFileTypes>()) {}

TQuindle::~TQuindle() = default;

void TQuindle::SetShowMessages(bool Value) {
  FShowMessages = Value;
}
void TQuindle::SetValidate(bool Value) {
  FValidate = Value;
}
void TQuindle::SetRecurseDirs(bool Value) {
  FRecurseDirs = Value;
}

void TQuindle::SetTargetFilename(const std::string& Value) {
  if (Value != FTargetFilename) FTargetFilename = Value;
}

void TQuindle::SetMultiSrcFN(const rtl::TStringList* Value) {
  if (Value == nullptr)
    throw rtl::EConvertError("Cannot assign a nil to a " + FSourceFilenames->ClassName());
  if (Value != FSourceFilenames.get()) FSourceFilenames->Assign(*Value);
  if (!(ComponentState() & rtl::csDesigning)) BuildFileList();
}

void TQuindle::SetSrcFileTypes(const TSrcFileTypes* Value) {
  if (Value == nullptr)
    throw rtl::EConvertError("Cannot assign a nil to a " + FSrcFileTypes->ClassName());
  if (Value != FSrcFileTypes.get()) FSrcFileTypes->Assign(Value);
  if (!(ComponentState() & rtl::csDesigning)) BuildFileList();
}

}  // namespace quindle
