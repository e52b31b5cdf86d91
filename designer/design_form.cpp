// SPDX-License-Identifier: MIT
#include "designer/design_form.h"

#include <fstream>
#include <sstream>

#include "rtl/core/form_parser.h"
#include "rtl/core/form_reader.h"
#include "rtl/core/form_writer.h"
#include "rtl/core/sysutils.h"
#include "rtl/files/streams.h"

namespace designer {

namespace {

std::unique_ptr<rtl::TForm> NewRoot() {
  auto Root = std::make_unique<rtl::TForm>(nullptr);
  Root->SetName("Form1");
  Root->SetCaption("Form1");
  Root->SetDesigning(true);
  return Root;
}

}  // namespace

TDesignForm::TDesignForm() : FRoot(NewRoot()) {}
TDesignForm::~TDesignForm() = default;

rtl::TComponent* TDesignForm::Add(const rtl::TClassInfo* Class) {
  if (Class == nullptr || !Class->Create) throw rtl::EConvertError("This class cannot be created");
  std::string Base = Class->Name;
  if (Base.size() > 1 && (Base[0] == 'T' || Base[0] == 't')) Base.erase(0, 1);
  std::string Name;
  for (int N = 1;; ++N) {
    Name = Base + std::to_string(N);
    if (FRoot->FindComponent(Name) == nullptr) break;
  }
  rtl::TComponent* C = Class->Create(FRoot.get());
  C->SetName(Name);
  C->SetDesigning(true);
  return C;
}

void TDesignForm::Remove(rtl::TComponent* Component) {
  for (rtl::TComponent* C : Components())
    if (C == Component) delete C;
}

std::vector<rtl::TComponent*> TDesignForm::Components() const {
  std::vector<rtl::TComponent*> List;
  for (int I = 0; I < FRoot->ComponentCount(); ++I) List.push_back(FRoot->Components(I));
  return List;
}

int TDesignForm::RemoveModuleComponents(rtl::HINSTANCE Module) {
  int Count = 0;
  for (rtl::TComponent* C : Components())
    if (rtl::FindHInstance(C->ClassInfo()) == Module) {
      delete C;
      ++Count;
    }
  return Count;
}

std::string TDesignForm::Text() const {
  const std::vector<rtl::TComponent*> List = Components();
  if (List.size() == 1) return rtl::WriteComponentText(*List.front());
  return rtl::WriteComponentText(*FRoot);
}

void TDesignForm::Save(const std::string& Path) const {
  const std::string Content = Text();
  rtl::TFileStream Out(Path, rtl::fmCreate);
  Out.Write(Content.data(), static_cast<int64_t>(Content.size()));
  Out.Close();
}

void TDesignForm::Load(const std::string& Text, const std::string& SourceName) {
  rtl::TFormObject Tree;
  try {
    Tree = rtl::ParseFormText(Text);
  } catch (const rtl::EParserError& E) {
    if (SourceName.empty()) throw;
    throw rtl::EParserError(SourceName + ": " + E.what(), E.Line(), E.Column());
  }
  std::unique_ptr<rtl::TForm> Root = NewRoot();
  if (rtl::SameText(Tree.ClassName, "TForm")) {
    rtl::ReadComponentTree(*Root, Tree, SourceName);
  } else {
    const rtl::TClassInfo* Class = rtl::FindClass(Tree.ClassName);
    if (Class == nullptr || !Class->Create)
      throw rtl::EParserError((SourceName.empty() ? "" : SourceName + ": ") + "Line " +
                                  std::to_string(Tree.Line) + ", column " +
                                  std::to_string(Tree.Column) + ": Class " + Tree.ClassName +
                                  " not found",
                              Tree.Line, Tree.Column);
    rtl::TComponent* C = Class->Create(Root.get());
    rtl::ReadComponentTree(*C, Tree, SourceName);
  }
  for (int I = 0; I < Root->ComponentCount(); ++I) Root->Components(I)->SetDesigning(true);
  FRoot = std::move(Root);
}

void TDesignForm::Open(const std::string& Path) {
  rtl::TFileStream In(Path, rtl::fmOpenRead);
  std::string Content;
  char Buffer[64 * 1024];
  while (Content.size() <= rtl::MaxFormTextSize) {
    const int64_t N = In.Read(Buffer, sizeof Buffer);
    if (N <= 0) break;
    Content.append(Buffer, static_cast<size_t>(N));
  }
  Load(Content, Path);
}

}  // namespace designer
