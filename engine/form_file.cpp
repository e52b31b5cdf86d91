// SPDX-License-Identifier: MIT
#include "engine/form_file.h"

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "dialogs/about_box.h"
#include "rtl/core/form_reader.h"
#include "rtl/core/form_writer.h"
#include "rtl/files/handles.h"

namespace quindle {

namespace {

using rtl::TClassBuilder;
using rtl::TClassInfo;

// Copies every writable published property of Source into Dest, through the
// setters (sub-objects and lists in place). Events are not in the tables.
void CopyPublished(const rtl::TObject& Source, rtl::TObject& Dest, const TClassInfo* Info) {
  for (const rtl::TPropInfo* P : rtl::GetPropList(Info)) {
    if (!P->Writable()) continue;
    switch (P->Kind) {
      case rtl::TTypeKind::Class: {
        rtl::TPersistent* From = P->GetObject(Source);
        rtl::TPersistent* To = P->GetObject(Dest);
        if (From != nullptr && To != nullptr)
          CopyPublished(*From, *To, rtl::SubObjectClassInfo(*P, *From));
        break;
      }
      case rtl::TTypeKind::Strings:
        if (auto* To = dynamic_cast<rtl::TStringList*>(P->GetObject(Dest)))
          if (auto* From = dynamic_cast<rtl::TStringList*>(P->GetObject(Source))) To->Assign(*From);
        break;
      case rtl::TTypeKind::Float:
        P->SetFloat(Dest, P->GetFloat(Source));
        break;
      case rtl::TTypeKind::String:
      case rtl::TTypeKind::Binary:
        P->SetStr(Dest, P->GetStr(Source));
        break;
      case rtl::TTypeKind::Component:
        P->SetComponent(Dest, dynamic_cast<rtl::TComponent*>(P->GetObject(Source)));
        break;
      case rtl::TTypeKind::Method:
        break;
      default:
        P->SetOrd(Dest, P->GetOrd(Source));
        break;
    }
  }
}

// Writes Text to a new file beside Path and puts it in Path's place once it
// is complete and on the disk, so that a failure (a full disk, a killed
// process) leaves the old file as it was. The new file keeps the old one's
// permissions.
void ReplaceWithText(const std::string& Path, const std::string& Text, uint32_t Permissions) {
  std::random_device Seed;
  std::string Temp;
  rtl::TFileHandle File;
  std::error_code Error;
  for (int Attempt = 0; Attempt < 100; ++Attempt) {
    Temp = rtl::ExtractFilePath(Path) + "." + rtl::ExtractFileName(Path) + "." +
           rtl::IntToHex(Seed(), 8) + ".tmp";
    Error = rtl::CreateFile(Temp, rtl::TCreateMode::Exclusive, File, nullptr, Permissions);
    if (Error != std::errc::file_exists) break;
  }
  if (Error)
    throw rtl::EFCreateError(rtl::FileErrorText("Cannot create file", Path, Error), Error, Path);
  Error = rtl::WriteAll(File.Get(), Text.data(), static_cast<int64_t>(Text.size()));
  if (!Error) Error = rtl::SyncData(File.Get());
  if (const std::error_code Closed = File.Close(); !Error) Error = Closed;
  if (!Error) Error = rtl::ReplaceFile(Temp, Path);
  if (Error) {
    rtl::DeleteFile(Temp);
    throw rtl::EWriteError(rtl::FileErrorText("Cannot write file", Path, Error), Error, Path);
  }
}

// Writes Text straight into what Path names: a device or a FIFO, which has
// no old content to keep and must not be replaced by a file.
void WriteInPlace(const std::string& Path, const std::string& Text) {
  rtl::TFileHandle File;
  std::error_code Error = rtl::CreateFile(Path, rtl::TCreateMode::Truncate, File);
  if (Error)
    throw rtl::EFCreateError(rtl::FileErrorText("Cannot create file", Path, Error), Error, Path);
  Error = rtl::WriteAll(File.Get(), Text.data(), static_cast<int64_t>(Text.size()));
  if (const std::error_code Closed = File.Close(); !Error) Error = Closed;
  if (Error)
    throw rtl::EWriteError(rtl::FileErrorText("Cannot write file", Path, Error), Error, Path);
}

// An enumeration's names are stored by ordinal, so the table must list the
// methods in the order of their values.
constexpr bool CopyTypesInValueOrder() {
  size_t Ordinal = 0;
  for (const TCopyTypeName& T : kCopyTypes)
    if (T.Value != Ordinal++) return false;
  return true;
}
static_assert(CopyTypesInValueOrder());

std::vector<std::string> CopyTypeNames() {
  std::vector<std::string> Names;
  for (const TCopyTypeName& T : kCopyTypes) Names.emplace_back(T.FormName);
  return Names;
}

}  // namespace

const TClassInfo* SrcFileTypesClassInfo() {
  using T = TSrcFileTypes;
  static const TClassInfo Info =
      TClassBuilder<T>("TSrcFileTypes", nullptr)
          .Boolean("AnyFile", &T::AnyFile, &T::SetAnyFile, false)
          .Boolean("Archive", &T::Archive, &T::SetArchive, false)
          .Boolean("Directories", &T::Directories, &T::SetDirectories, false)
          .Boolean("Hidden", &T::Hidden, &T::SetHidden, false)
          .Boolean("Normal", &T::Normal, &T::SetNormal, true)
          .Boolean("ReadOnly", &T::ReadOnly, &T::SetReadOnly, false)
          .Boolean("System", &T::System, &T::SetSystem, false)
          .Build();
  return &Info;
}

const TClassInfo* QuindleClassInfo() {
  using T = TQuindle;
  static const TClassInfo Info =
      TClassBuilder<T>("TQuindle", nullptr)
          .Factory()
          // The About box belongs to the application, outside every form, so
          // a form file can never name it: the property reads as unassigned
          // and takes only nil. It is listed so that the design host can give
          // it its editor.
          .Component<rtl::TComponent>(
              "About", [](const T&) -> rtl::TComponent* { return nullptr; },
              [](T& Q, rtl::TComponent* V) {
                if (V == nullptr) Q.SetAbout(nullptr);
              })
          .Type(TQDAboutBox::StaticClassInfo())
          .Enumeration("CopyType", CopyTypeNames(), &T::CopyType, &T::SetCopyType)
          .Boolean("CreateTgtDir", &T::CreateTgtDir, &T::SetCreateTgtDir, false)
          .Object("SrcFileTypes", &T::SrcFileTypes, SrcFileTypesClassInfo())
          .Boolean("OverwriteIfExist", &T::OverwriteIfExist, &T::SetOverwriteIfExist, true)
          .ReadOnlyInteger("Progress", &T::Progress)
          .Boolean("RecurseDirs", &T::RecurseDirs, &T::SetRecurseDirs, false)
          .Boolean("ShowMessages", &T::ShowMessages, &T::SetShowMessages)
          .ReadOnlyInteger("SizeFile", &T::SizeFile, rtl::TTypeKind::Int64)
          .Strings("SourceFilenames", &T::SourceFilenames)
          .String("TargetFilename", &T::TargetFilename, &T::SetTargetFilename)
          .Boolean("Validate", &T::Validate, &T::SetValidate)
          .Build();
  return &Info;
}

const rtl::TClassInfo* TQuindle::ClassInfo() const {
  return QuindleClassInfo();
}

void RegisterQuindleClasses() {
  rtl::RegisterClass(QuindleClassInfo());
}

std::string WriteQuindleForm(const TQuindle& Quindle) {
  return rtl::WriteComponentText(Quindle);
}

void ReadQuindleForm(TQuindle& Quindle, const std::string& Text, const std::string& SourceName) {
  // Read into a copy, so that a text that fails half-way changes nothing.
  auto Scratch = std::make_unique<TQuindle>(nullptr);
  Scratch->SetName(Quindle.Name());
  CopyPublished(Quindle, *Scratch, QuindleClassInfo());
  rtl::ReadComponentText(*Scratch, Text, SourceName);
  Quindle.SetName(Scratch->Name());
  CopyPublished(*Scratch, Quindle, QuindleClassInfo());
}

void SaveQuindleForm(const TQuindle& Quindle, const std::string& Path) {
  const std::string Text = WriteQuindleForm(Quindle);
  rtl::TFileInfo Old;
  const bool Exists = !rtl::GetFileInfo(Path, Old);
  if (Exists && Old.Kind == rtl::TFileKind::Other)
    WriteInPlace(Path, Text);
  else
    ReplaceWithText(Path, Text, Exists ? Old.Permissions : 0666);
}

void LoadQuindleForm(TQuindle& Quindle, const std::string& Path) {
  rtl::TFileHandle File;
  if (std::error_code E = rtl::OpenFile(Path, rtl::TAccess::Read, File))
    throw rtl::EFOpenError(rtl::FileErrorText("Cannot open file", Path, E), E, Path);
  // Reading stops one byte past the largest form, which is enough for the
  // parser to refuse the text with the line where that size was reached; a
  // device that never ends (/dev/zero) is read no further either.
  std::string Text;
  constexpr size_t kChunk = 64 * 1024;
  while (Text.size() <= rtl::MaxFormTextSize) {
    const size_t Had = Text.size();
    const size_t Want = std::min(kChunk, rtl::MaxFormTextSize + 1 - Had);
    Text.resize(Had + Want);
    std::error_code E;
    const int64_t Got = rtl::ReadFull(File.Get(), Text.data() + Had, static_cast<int64_t>(Want), E);
    if (Got < 0) throw rtl::EReadError(rtl::FileErrorText("Cannot read file", Path, E), E, Path);
    Text.resize(Had + static_cast<size_t>(Got));
    if (static_cast<size_t>(Got) < Want) break;
  }
  ReadQuindleForm(Quindle, Text, Path);
}

}  // namespace quindle
