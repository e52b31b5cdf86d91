// SPDX-License-Identifier: MIT
#include "engine/form_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "rtl/core/form_reader.h"
#include "rtl/core/form_writer.h"

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

std::string SystemReason(int Error) {
  return std::strerror(Error);
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
          .Enumeration("CopyType", {"ctStream", "ctBlock", "ctLZCopy", "ctMove"}, &T::CopyType,
                       &T::SetCopyType)
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
  std::ofstream Out(Path, std::ios::binary | std::ios::trunc);
  if (!Out) throw rtl::EFCreateError("Cannot create file \"" + Path + "\". " + SystemReason(errno));
  Out.write(Text.data(), static_cast<std::streamsize>(Text.size()));
  Out.close();
  if (!Out) throw rtl::EWriteError("Cannot write file \"" + Path + "\". " + SystemReason(errno));
}

void LoadQuindleForm(TQuindle& Quindle, const std::string& Path) {
  std::error_code Ignored;
  const bool IsDir = std::filesystem::is_directory(Path, Ignored);
  std::ifstream In(Path, std::ios::binary);
  if (!In || IsDir)
    throw rtl::EFOpenError("Cannot open file \"" + Path + "\". " +
                           SystemReason(IsDir ? EISDIR : errno));
  std::ostringstream Text;
  Text << In.rdbuf();
  if (In.bad()) throw rtl::EReadError("Cannot read file \"" + Path + "\". " + SystemReason(errno));
  ReadQuindleForm(Quindle, Text.str(), Path);
}

}  // namespace quindle
