// SPDX-License-Identifier: MIT
#include "rtl/ui/designintf.h"

#include <algorithm>
#include <mutex>

#include "rtl/core/sysutils.h"

namespace rtl {

namespace {

struct TDesignRegistry {
  std::mutex Lock;
  std::vector<TPaletteEntry> Palette;
  std::vector<TEditorRegistration> Editors;
  // Classes registered for form files by RegisterComponents, with their module.
  std::vector<std::pair<const TClassInfo*, HINSTANCE>> Classes;
  TStringsEditor Strings;
};

// Never destroyed: packages drop their registrations while unloading, in an
// order this library does not control.
TDesignRegistry& Registry() {
  static TDesignRegistry* Instance = new TDesignRegistry;
  return *Instance;
}

// Editors for the properties the objects share; Info describes an object
// whose ClassInfo() gives no table.
std::vector<std::unique_ptr<TPropertyEditor>> MakeEditors(const std::vector<TObject*>& Objects,
                                                          const TClassInfo* Info,
                                                          const std::function<void()>& OnModified);

}  // namespace

void TPropertyEditor::SetTarget(std::vector<TObject*> Components, const TPropInfo* Prop) {
  std::vector<const TPropInfo*> Props;
  Props.reserve(Components.size());
  for (TObject* C : Components)
    Props.push_back(Props.empty() ? Prop : FindPropInfo(C->ClassInfo(), Prop->Name));
  SetTarget(std::move(Components), std::move(Props));
}

void TPropertyEditor::SetTarget(std::vector<TObject*> Components,
                                std::vector<const TPropInfo*> Props) {
  if (Components.empty() || Components.size() != Props.size() || Props.front() == nullptr)
    throw EPropertyError("A property editor needs a property of at least one component");
  for (size_t I = 1; I < Props.size(); ++I)
    if (Props[I] == nullptr || Props[I]->Kind != Props.front()->Kind)
      throw EPropertyError("Property " + Props.front()->Name + " does not exist in " +
                           Components[I]->ClassName());
  FComponents = std::move(Components);
  FProps = std::move(Props);
}

void TPropertyEditor::Modified() {
  if (FOnModified) FOnModified();
}

bool TPropertyEditor::AllEqual() {
  for (size_t I = 1; I < FComponents.size(); ++I)
    if (GetPropText(*FComponents[I], *FProps[I]) != GetPropText(*FComponents[0], *FProps[0]))
      return false;
  return true;
}

TPropertyAttributes TPropertyEditor::GetAttributes() {
  if (PropInfo() != nullptr && !PropInfo()->Writable())
    return PropAttrs({paMultiSelect, paReadOnly});
  return PropAttrs({paMultiSelect});
}

std::string TPropertyEditor::GetName() const {
  return PropInfo() != nullptr ? PropInfo()->Name : std::string();
}

void TPropertyEditor::GetProperties(const TGetPropProc&) {}

std::string TPropertyEditor::GetValue() {
  if (FComponents.empty()) return std::string();
  return GetPropText(*FComponents[0], *FProps[0]);
}

void TPropertyEditor::GetValues(const TGetStrProc&) {}

void TPropertyEditor::SetValue(const std::string& Value) {
  for (size_t I = 0; I < FComponents.size(); ++I)
    if (!FProps[I]->Writable())
      throw EPropertyError("Property " + FProps[I]->Name + " is read-only");
  // The components share the property's type, so a text that is no value
  // of it is refused by the first, before anything is stored.
  for (size_t I = 0; I < FComponents.size(); ++I) {
    const TComponent* Lookup = dynamic_cast<const TComponent*>(FComponents[I]);
    if (Lookup != nullptr && Lookup->Owner() != nullptr) Lookup = Lookup->Owner();
    SetPropText(*FComponents[I], *FProps[I], Value, Lookup);
  }
  Modified();
}

TPropertyAttributes TEnumProperty::GetAttributes() {
  return PropAttrs({paMultiSelect, paValueList, paSortList});
}

void TEnumProperty::GetValues(const TGetStrProc& Proc) {
  const TPropInfo* P = PropInfo();
  if (P == nullptr) return;
  if (P->Kind == TTypeKind::Boolean) {
    Proc("False");
    Proc("True");
    return;
  }
  for (const std::string& Name : P->ValueNames) Proc(Name);
}

TPropertyAttributes TClassProperty::GetAttributes() {
  return PropAttrs({paMultiSelect, paSubProperties, paReadOnly});
}

void TClassProperty::GetProperties(const TGetPropProc& Proc) {
  std::vector<TObject*> Parts;
  for (int I = 0; I < PropCount(); ++I) {
    const TPropInfo* P = GetPropInfo(I);
    if (!P->GetObject) return;
    TPersistent* Part = P->GetObject(*GetComponent(I));
    if (Part == nullptr) return;
    Parts.push_back(Part);
  }
  if (Parts.empty()) return;
  const TClassInfo* Info = SubObjectClassInfo(*PropInfo(), *Parts.front());
  if (Info == nullptr) return;
  for (std::unique_ptr<TPropertyEditor>& E : MakeEditors(Parts, Info, OnModified()))
    Proc(std::move(E));
}

std::string TClassProperty::GetValue() {
  return "(" + PropertyTypeName(*PropInfo(), PropCount() > 0 ? GetComponent(0) : nullptr) + ")";
}

TPropertyAttributes TStringsProperty::GetAttributes() {
  return PropAttrs({paMultiSelect, paDialog, paReadOnly});
}

void TStringsProperty::Edit() {
  TStringsEditor Editor;
  {
    TDesignRegistry& R = Registry();
    std::lock_guard Guard(R.Lock);
    Editor = R.Strings;
  }
  if (!Editor || PropCount() == 0) return;
  auto* First = dynamic_cast<TStringList*>(GetPropInfo(0)->GetObject(*GetComponent(0)));
  if (First == nullptr) return;
  TStringList Lines;
  Lines.Assign(*First);
  if (!Editor(GetName(), Lines)) return;
  for (int I = 0; I < PropCount(); ++I)
    if (auto* L = dynamic_cast<TStringList*>(GetPropInfo(I)->GetObject(*GetComponent(I))))
      L->Assign(Lines);
  Modified();
}

TPropertyAttributes TComponentProperty::GetAttributes() {
  return PropAttrs({paMultiSelect, paValueList, paSortList});
}

TStringsEditor SetStringsEditor(TStringsEditor Editor) {
  TDesignRegistry& R = Registry();
  std::lock_guard Guard(R.Lock);
  std::swap(R.Strings, Editor);
  return Editor;
}

std::string PropertyTypeName(const TPropInfo& Prop, const TObject* Instance) {
  if (!Prop.TypeName.empty()) return Prop.TypeName;
  switch (Prop.Kind) {
    case TTypeKind::Integer:
      return "Integer";
    case TTypeKind::Int64:
      return "Int64";
    case TTypeKind::Float:
      return "Double";
    case TTypeKind::Boolean:
      return "Boolean";
    case TTypeKind::Enumeration:
      return "Enumeration";
    case TTypeKind::Set:
      return "Set";
    case TTypeKind::String:
      return "string";
    case TTypeKind::Strings:
      return "TStrings";
    case TTypeKind::Class: {
      const TPersistent* Part =
          Instance != nullptr && Prop.GetObject ? Prop.GetObject(*Instance) : nullptr;
      if (Part != nullptr) return Part->ClassName();
      return Prop.ClassOf != nullptr ? Prop.ClassOf->Name : "TPersistent";
    }
    case TTypeKind::Component:
      return Prop.ClassOf != nullptr ? Prop.ClassOf->Name : "TComponent";
    case TTypeKind::Method:
      return "TNotifyEvent";
    case TTypeKind::Binary:
      return "Binary";
  }
  return std::string();
}

void RegisterComponents(const std::string& Page, std::initializer_list<const TClassInfo*> Classes) {
  RegisterComponents(Page, std::vector<const TClassInfo*>(Classes));
}

void RegisterComponents(const std::string& Page, const std::vector<const TClassInfo*>& Classes) {
  if (Page.empty()) throw EPropertyError("A palette page needs a name");
  for (const TClassInfo* C : Classes)
    if (C == nullptr || !C->Create)
      throw EPropertyError("Only classes that a form can create go on the palette");
  TDesignRegistry& R = Registry();
  for (const TClassInfo* C : Classes) {
    const HINSTANCE Module = FindHInstance(C);
    {
      std::lock_guard Guard(R.Lock);
      std::erase_if(R.Palette, [C](const TPaletteEntry& E) { return E.Class == C; });
      R.Palette.push_back({Page, C, Module});
      std::erase_if(R.Classes, [C](const auto& E) { return E.first == C; });
      R.Classes.emplace_back(C, Module);
    }
    RegisterClass(C);
  }
}

void RegisterPropertyEditor(const std::string& PropertyType, const TClassInfo* ComponentClass,
                            const std::string& PropertyName,
                            const TPropertyEditorClass& EditorClass) {
  if (PropertyType.empty() || EditorClass.Create == nullptr)
    throw EPropertyError("A property editor needs a property type and an editor class");
  TDesignRegistry& R = Registry();
  std::lock_guard Guard(R.Lock);
  R.Editors.push_back({PropertyType, ComponentClass, PropertyName, EditorClass,
                       FindHInstance(reinterpret_cast<const void*>(EditorClass.Create))});
}

void RegisterPropertyEditor(const TClassInfo* PropertyType, const TClassInfo* ComponentClass,
                            const std::string& PropertyName,
                            const TPropertyEditorClass& EditorClass) {
  if (PropertyType == nullptr) throw EPropertyError("A property editor needs a property type");
  RegisterPropertyEditor(PropertyType->Name, ComponentClass, PropertyName, EditorClass);
}

std::vector<TPaletteEntry> PaletteEntries() {
  TDesignRegistry& R = Registry();
  std::lock_guard Guard(R.Lock);
  // Pages in the order first named; within a page, registration order.
  std::vector<std::string> Pages;
  for (const TPaletteEntry& E : R.Palette)
    if (std::find(Pages.begin(), Pages.end(), E.Page) == Pages.end()) Pages.push_back(E.Page);
  std::vector<TPaletteEntry> Result;
  for (const std::string& Page : Pages)
    for (const TPaletteEntry& E : R.Palette)
      if (E.Page == Page) Result.push_back(E);
  return Result;
}

std::vector<TEditorRegistration> PropertyEditorRegistrations() {
  TDesignRegistry& R = Registry();
  std::lock_guard Guard(R.Lock);
  return R.Editors;
}

TPropertyEditorClass GetEditorClass(const TPropInfo& Prop, const TClassInfo* ComponentClass,
                                    const TObject* Instance) {
  const std::string Type = PropertyTypeName(Prop, Instance);
  // A class-typed property also takes the editors of its class's ancestors.
  const TClassInfo* PropClass = Prop.ClassOf;
  if (PropClass == nullptr && Prop.Kind == TTypeKind::Class && Instance != nullptr &&
      Prop.GetObject)
    if (const TPersistent* Part = Prop.GetObject(*Instance)) PropClass = Part->ClassInfo();
  auto TypeFits = [&](const std::string& Registered) {
    if (SameText(Registered, Type)) return true;
    return PropClass != nullptr && PropClass->InheritsFrom(Registered);
  };
  {
    TDesignRegistry& R = Registry();
    std::lock_guard Guard(R.Lock);
    const TEditorRegistration* Best = nullptr;
    int BestScore = -1;
    for (const TEditorRegistration& E : R.Editors) {
      if (!TypeFits(E.PropertyType)) continue;
      if (E.ComponentClass != nullptr &&
          (ComponentClass == nullptr || !ComponentClass->InheritsFrom(E.ComponentClass)))
        continue;
      if (!E.PropertyName.empty() && !SameText(E.PropertyName, Prop.Name)) continue;
      const int Score = (E.PropertyName.empty() ? 0 : 2) + (E.ComponentClass == nullptr ? 0 : 1);
      if (Score >= BestScore) {
        Best = &E;
        BestScore = Score;
      }
    }
    if (Best != nullptr) return Best->EditorClass;
  }
  switch (Prop.Kind) {
    case TTypeKind::Boolean:
    case TTypeKind::Enumeration:
      return EditorClassOf<TEnumProperty>();
    case TTypeKind::Class:
      return EditorClassOf<TClassProperty>();
    case TTypeKind::Strings:
      return EditorClassOf<TStringsProperty>();
    case TTypeKind::Component:
      return EditorClassOf<TComponentProperty>();
    case TTypeKind::String:
    case TTypeKind::Integer:
    case TTypeKind::Int64:
    case TTypeKind::Float:
      return EditorClassOf<TStringProperty>();
    default:
      return EditorClassOf<TPropertyEditor>();
  }
}

namespace {

std::vector<std::unique_ptr<TPropertyEditor>> MakeEditors(const std::vector<TObject*>& Objects,
                                                          const TClassInfo* Info,
                                                          const std::function<void()>& OnModified) {
  std::vector<std::unique_ptr<TPropertyEditor>> Editors;
  if (Objects.empty()) return Editors;
  auto InfoOf = [Info](const TObject* O) {
    const TClassInfo* Own = O->ClassInfo();
    return Own != nullptr ? Own : Info;
  };
  const TClassInfo* First = InfoOf(Objects.front());
  for (const TPropInfo* P : GetPropList(First)) {
    if (P->Kind == TTypeKind::Method || P->Kind == TTypeKind::Binary) continue;
    const TPropertyEditorClass Class = GetEditorClass(*P, First, Objects.front());
    std::vector<const TPropInfo*> Props{P};
    for (size_t I = 1; I < Objects.size(); ++I) {
      const TClassInfo* Other = InfoOf(Objects[I]);
      const TPropInfo* Q = FindPropInfo(Other, P->Name);
      if (Q == nullptr || Q->Kind != P->Kind ||
          GetEditorClass(*Q, Other, Objects[I]).Name != Class.Name)
        break;
      Props.push_back(Q);
    }
    if (Props.size() != Objects.size()) continue;
    std::unique_ptr<TPropertyEditor> Editor = Class.Create();
    Editor->SetTarget(Objects, std::move(Props));
    Editor->SetOnModified(OnModified);
    if (Objects.size() > 1 && !HasPropAttr(Editor->GetAttributes(), paMultiSelect)) continue;
    Editor->Initialize();
    Editors.push_back(std::move(Editor));
  }
  return Editors;
}

}  // namespace

std::vector<std::unique_ptr<TPropertyEditor>> GetComponentProperties(
    const std::vector<TObject*>& Components) {
  return MakeEditors(Components, nullptr, nullptr);
}

int UnregisterModuleRegistrations(HINSTANCE Module) {
  if (Module == nullptr) return 0;
  std::vector<const TClassInfo*> Classes;
  size_t Dropped = 0;
  {
    TDesignRegistry& R = Registry();
    std::lock_guard Guard(R.Lock);
    Dropped +=
        std::erase_if(R.Palette, [Module](const TPaletteEntry& E) { return E.Module == Module; });
    Dropped += std::erase_if(R.Editors,
                             [Module](const TEditorRegistration& E) { return E.Module == Module; });
    for (const auto& [Class, Owner] : R.Classes)
      if (Owner == Module) Classes.push_back(Class);
    std::erase_if(R.Classes, [Module](const auto& E) { return E.second == Module; });
  }
  for (const TClassInfo* C : Classes)
    if (FindClass(C->Name) == C) UnregisterClass(C);
  return static_cast<int>(Dropped);
}

}  // namespace rtl
