// SPDX-License-Identifier: MIT
#include "rtl/core/form_reader.h"

#include <cmath>

#include "rtl/core/sysutils.h"
#include "rtl/core/typinfo.h"

namespace rtl {

namespace {

std::vector<std::string> SplitDotted(const std::string& Name) {
  std::vector<std::string> Parts;
  size_t Start = 0;
  for (size_t Dot; (Dot = Name.find('.', Start)) != std::string::npos; Start = Dot + 1)
    Parts.push_back(Name.substr(Start, Dot - Start));
  Parts.push_back(Name.substr(Start));
  return Parts;
}

std::string JoinNames(const std::vector<std::string>& Names) {
  std::string S;
  for (const std::string& N : Names) S += (S.empty() ? "" : ", ") + N;
  return S;
}

std::string Expected(const TPropInfo& Prop) {
  switch (Prop.Kind) {
    case TTypeKind::Integer:
    case TTypeKind::Int64:
      return "an integer";
    case TTypeKind::Float:
      return "a number";
    case TTypeKind::Boolean:
      return "True or False";
    case TTypeKind::Enumeration:
      return "one of " + JoinNames(Prop.ValueNames);
    case TTypeKind::Set:
      return "a set of " + JoinNames(Prop.ValueNames);
    case TTypeKind::String:
      return "a string";
    case TTypeKind::Binary:
      return "binary data in braces";
    case TTypeKind::Component:
      return "a component name";
    case TTypeKind::Method:
      return "a method name";
    case TTypeKind::Strings:
      return "a list of strings";
    case TTypeKind::Class:
      break;
  }
  return "its sub-properties, written as " + Prop.Name + ".Name";
}

// A component reference waits until every object of the text exists, since
// it may name one further down.
struct TFixup {
  TObject* Instance;
  const TPropInfo* Prop;
  std::string Name;
  int Line;
  int Column;
  TComponent* Target = nullptr;
};

class TReader {
 public:
  TReader(TComponent& Root, std::string SourceName)
      : FRoot(Root), FRootInfo(Root.ClassInfo()), FSourceName(std::move(SourceName)) {}

  void Read(const TFormObject& Tree) {
    try {
      ReadRoot(Tree);
      ResolveFixups();
    } catch (...) {
      Rollback();
      throw;
    }
    for (TComponent* C : FRead) C->SetStateFlag(csReading, false);
    for (TComponent* C : FRead) C->Loaded();
  }

 private:
  [[noreturn]] void Fail(int Line, int Column, const std::string& What) const {
    std::string Msg =
        "Line " + std::to_string(Line) + ", column " + std::to_string(Column) + ": " + What;
    if (!FSourceName.empty()) Msg = FSourceName + ": " + Msg;
    throw EParserError(Msg, Line, Column);
  }
  [[noreturn]] void BadValue(const TFormProperty& P, const TPropInfo& Prop) const {
    Fail(P.Value.Line, P.Value.Column,
         "Invalid value for property " + P.Name + ": expected " + Expected(Prop));
  }

  void Begin(TComponent& C) {
    C.SetStateFlag(csLoading, true);
    C.SetStateFlag(csReading, true);
    FRead.push_back(&C);
  }

  void ReadRoot(const TFormObject& Tree) {
    const bool SameClass = SameText(FRoot.ClassName(), Tree.ClassName) ||
                           (FRootInfo != nullptr && FRootInfo->InheritsFrom(Tree.ClassName));
    if (!SameClass)
      Fail(Tree.Line, Tree.Column,
           "The text describes a " + Tree.ClassName + ", not a " + FRoot.ClassName());
    Begin(FRoot);
    if (!Tree.Name.empty()) FRoot.SetName(Tree.Name);
    ReadBody(FRoot, Tree);
  }

  // A tree built in code has not been through the parser's limit.
  void ReadBody(TComponent& Instance, const TFormObject& Node, int Depth = 1) {
    if (Depth > MaxFormNesting) Fail(Node.Line, Node.Column, "objects nested too deeply");
    for (const TFormProperty& P : Node.Properties) ReadProperty(Instance, P);
    for (const TFormObject& Child : Node.Children)
      ReadBody(ChildComponent(Instance, Child), Child, Depth + 1);
  }

  TComponent& ChildComponent(TComponent& Parent, const TFormObject& Node);
  TComponent& CreateChild(const TFormObject& Node);
  void ReadProperty(TComponent& Instance, const TFormProperty& P);
  void ReadPropertyPath(TComponent& Instance, const TFormProperty& P);
  void AssignValue(TObject& Obj, const TPropInfo& Prop, const TFormProperty& P);
  void AssignOrdinal(TObject& Obj, const TPropInfo& Prop, const TFormProperty& P);
  void ReadStrings(TObject& Obj, const TPropInfo& Prop, const TFormProperty& P);
  void ResolveFixups();
  void Rollback();

  TComponent& FRoot;
  const TClassInfo* FRootInfo;
  std::string FSourceName;
  std::vector<TComponent*> FRead;     // every component the text describes, in order
  std::vector<TComponent*> FCreated;  // those this read created
  std::vector<TFixup> FFixups;
  size_t FApplied = 0;  // fixups stored so far
};

TComponent& TReader::ChildComponent(TComponent& Parent, const TFormObject& Node) {
  if (Node.Kind == TFormObjectKind::Object) {
    TComponent& Child = CreateChild(Node);
    Child.SetParentComponent(&Parent);
    return Child;
  }
  // `inherited` and `inline` describe a component the root already has.
  TComponent* Existing = Node.Name.empty() ? nullptr : FRoot.FindComponent(Node.Name);
  if (Existing == nullptr)
    Fail(Node.Line, Node.Column,
         "Component " + (Node.Name.empty() ? Node.ClassName : Node.Name) +
             " not found for an inherited object");
  const TClassInfo* Info = Existing->ClassInfo();
  if (!SameText(Existing->ClassName(), Node.ClassName) &&
      !(Info != nullptr && Info->InheritsFrom(Node.ClassName)))
    Fail(Node.Line, Node.Column,
         "Component " + Node.Name + " is a " + Existing->ClassName() + ", not a " + Node.ClassName);
  Begin(*Existing);
  return *Existing;
}

TComponent& TReader::CreateChild(const TFormObject& Node) {
  const TClassInfo* Info = FindClass(Node.ClassName);
  if (Info == nullptr) Fail(Node.Line, Node.Column, "Class " + Node.ClassName + " not found");
  if (!Info->Create)
    Fail(Node.Line, Node.Column, "Class " + Node.ClassName + " cannot be created by a form");
  if (!Node.Name.empty() && FRoot.FindComponent(Node.Name) != nullptr)
    Fail(Node.Line, Node.Column, "A component named " + Node.Name + " already exists");
  TComponent* Child = Info->Create(&FRoot);
  FCreated.push_back(Child);
  Begin(*Child);
  Child->SetName(Node.Name);
  if (const TFieldInfo* Field = Node.Name.empty() ? nullptr : FindFieldInfo(FRootInfo, Node.Name))
    if (!Field->Bind(FRoot, Child))
      Fail(Node.Line, Node.Column,
           "Field " + Node.Name + " cannot hold a component of class " + Node.ClassName);
  return *Child;
}

void TReader::ReadProperty(TComponent& Instance, const TFormProperty& P) {
  // A setter that refuses a value (picture data that is no picture) is
  // reported at the value's line like any other bad value.
  try {
    ReadPropertyPath(Instance, P);
  } catch (const EParserError&) {
    throw;
  } catch (const Exception& E) {
    Fail(P.Value.Line, P.Value.Column,
         "Invalid value for property " + P.Name + ": " + std::string(E.what()));
  }
}

void TReader::ReadPropertyPath(TComponent& Instance, const TFormProperty& P) {
  const std::vector<std::string> Path = SplitDotted(P.Name);
  TObject* Obj = &Instance;
  const TClassInfo* Info = Instance.ClassInfo();
  for (size_t I = 0; I < Path.size(); ++I) {
    const TPropInfo* Prop = FindPropInfo(Info, Path[I]);
    if (Prop == nullptr)
      Fail(P.Line, P.Column, "Property " + P.Name + " does not exist in " + Instance.ClassName());
    const bool Last = I + 1 == Path.size();
    if (Prop->Kind == TTypeKind::Strings && I + 2 == Path.size() &&
        SameText(Path[I + 1], "Strings"))
      return ReadStrings(*Obj, *Prop, P);
    if (Last) return AssignValue(*Obj, *Prop, P);
    if (Prop->Kind != TTypeKind::Class || Prop->GetObject(*Obj) == nullptr)
      Fail(P.Line, P.Column,
           "Property " + P.Name + " does not exist in " + Instance.ClassName() + " (" + Path[I] +
               " has no sub-properties)");
    Obj = Prop->GetObject(*Obj);
    Info = SubObjectClassInfo(*Prop, *Obj);
  }
}

void TReader::AssignValue(TObject& Obj, const TPropInfo& Prop, const TFormProperty& P) {
  if (Prop.Kind == TTypeKind::Class || Prop.Kind == TTypeKind::Strings) BadValue(P, Prop);
  if (!Prop.Writable()) Fail(P.Line, P.Column, "Property " + P.Name + " is read-only");
  const TFormValue& V = P.Value;
  switch (Prop.Kind) {
    case TTypeKind::Float:
      if (V.Kind != TFormValueKind::Float && V.Kind != TFormValueKind::Integer) BadValue(P, Prop);
      if (V.Kind == TFormValueKind::Float && !std::isfinite(V.Float))
        Fail(V.Line, V.Column, "Value " + V.Text + " of property " + P.Name + " is out of range");
      Prop.SetFloat(Obj, V.Kind == TFormValueKind::Float ? V.Float : static_cast<double>(V.Int));
      return;
    case TTypeKind::String:
    case TTypeKind::Binary:
      if (V.Kind !=
          (Prop.Kind == TTypeKind::String ? TFormValueKind::String : TFormValueKind::Binary))
        BadValue(P, Prop);
      Prop.SetStr(Obj, V.Text);
      return;
    case TTypeKind::Component:
      if (V.Kind != TFormValueKind::Identifier) BadValue(P, Prop);
      FFixups.push_back(
          {&Obj, &Prop, SameText(V.Text, "nil") ? std::string() : V.Text, V.Line, V.Column});
      return;
    case TTypeKind::Method: {
      if (V.Kind != TFormValueKind::Identifier) BadValue(P, Prop);
      const TMethodInfo* M = FindMethodInfo(FRootInfo, V.Text);
      if (M == nullptr)
        Fail(V.Line, V.Column, "Method " + V.Text + " not found in " + FRoot.ClassName());
      TComponent* Root = &FRoot;
      Prop.SetMethod(Obj, M->Name, [Root, M](TObject* Sender) { M->Code(*Root, Sender); });
      return;
    }
    default:
      AssignOrdinal(Obj, Prop, P);
      return;
  }
}

void TReader::AssignOrdinal(TObject& Obj, const TPropInfo& Prop, const TFormProperty& P) {
  const TFormValue& V = P.Value;
  auto IndexOf = [&](const std::string& Name) -> int64_t {
    for (size_t I = 0; I < Prop.ValueNames.size(); ++I)
      if (SameText(Prop.ValueNames[I], Name)) return static_cast<int64_t>(I);
    return -1;
  };
  int64_t Ord = 0;
  if (Prop.Kind == TTypeKind::Boolean) {
    if (V.Kind != TFormValueKind::Identifier) BadValue(P, Prop);
    if (SameText(V.Text, "True"))
      Ord = 1;
    else if (!SameText(V.Text, "False"))
      BadValue(P, Prop);
  } else if (Prop.Kind == TTypeKind::Enumeration) {
    Ord = V.Kind == TFormValueKind::Identifier ? IndexOf(V.Text) : -1;
    if (Ord < 0) BadValue(P, Prop);
  } else if (Prop.Kind == TTypeKind::Set) {
    if (V.Kind != TFormValueKind::Set) BadValue(P, Prop);
    for (const std::string& Name : V.Names) {
      const int64_t I = IndexOf(Name);
      if (I < 0 || I >= 63) BadValue(P, Prop);
      Ord |= int64_t{1} << I;
    }
  } else if (V.Kind == TFormValueKind::Identifier) {
    bool Found = false;
    for (const auto& [Name, Value] : Prop.Constants)
      if (SameText(Name, V.Text)) Found = true, Ord = Value;
    if (!Found) BadValue(P, Prop);
  } else if (V.Kind == TFormValueKind::Integer) {
    Ord = V.Int;
    // A 32-bit property also takes the unsigned spelling ($80000008).
    if (Prop.Kind == TTypeKind::Integer) {
      if (Ord < INT32_MIN || Ord > static_cast<int64_t>(UINT32_MAX))
        Fail(V.Line, V.Column, "Value " + V.Text + " of property " + P.Name + " is out of range");
      Ord = static_cast<int32_t>(static_cast<uint32_t>(Ord));
    }
  } else {
    BadValue(P, Prop);
  }
  Prop.SetOrd(Obj, Ord);
}

void TReader::ReadStrings(TObject& Obj, const TPropInfo& Prop, const TFormProperty& P) {
  auto* List = dynamic_cast<TStringList*>(Prop.GetObject(Obj));
  if (List == nullptr) Fail(P.Line, P.Column, "Property " + P.Name + " has no list to read into");
  if (P.Value.Kind != TFormValueKind::List) BadValue(P, Prop);
  for (const TFormValue& Item : P.Value.Items)
    if (Item.Kind != TFormValueKind::String)
      Fail(Item.Line, Item.Column, "Invalid value in " + P.Name + ": expected a string");
  // Filled in place: the owner's setter (and what it may trigger) is not run.
  List->Clear();
  for (const TFormValue& Item : P.Value.Items) List->Add(Item.Text);
}

void TReader::ResolveFixups() {
  for (TFixup& F : FFixups) {
    if (F.Name.empty()) continue;
    F.Target = SameText(F.Name, FRoot.Name()) ? &FRoot : FRoot.FindComponent(F.Name);
    if (F.Target == nullptr) Fail(F.Line, F.Column, "Component " + F.Name + " not found");
  }
  for (; FApplied < FFixups.size(); ++FApplied) {
    const TFixup& F = FFixups[FApplied];
    if (!F.Prop->SetComponent(*F.Instance, F.Target))
      Fail(F.Line, F.Column,
           "Property " + F.Prop->Name + " cannot refer to a " + F.Target->ClassName());
  }
}

void TReader::Rollback() {
  auto IsCreated = [this](const TComponent* C) {
    for (const TComponent* X : FCreated)
      if (X == C) return true;
    return false;
  };
  // References from surviving objects to components about to be freed.
  for (size_t I = 0; I < FApplied; ++I) {
    const TFixup& F = FFixups[I];
    if (IsCreated(F.Target) && !IsCreated(dynamic_cast<TComponent*>(F.Instance)))
      F.Prop->SetComponent(*F.Instance, nullptr);
  }
  for (auto It = FCreated.rbegin(); It != FCreated.rend(); ++It) {
    TComponent* C = *It;
    if (const TFieldInfo* Field = C->Name().empty() ? nullptr : FindFieldInfo(FRootInfo, C->Name()))
      Field->Bind(FRoot, nullptr);
    delete C;
  }
  for (TComponent* C : FRead)
    if (!IsCreated(C)) {
      C->SetStateFlag(csReading, false);
      C->SetStateFlag(csLoading, false);
    }
}

}  // namespace

void ReadComponentTree(TComponent& Root, const TFormObject& Tree, const std::string& SourceName) {
  TReader(Root, SourceName).Read(Tree);
}

void ReadComponentText(TComponent& Root, std::string_view Text, const std::string& SourceName) {
  TFormObject Tree;
  try {
    Tree = ParseFormText(Text);
  } catch (const EParserError& E) {
    if (SourceName.empty()) throw;
    throw EParserError(SourceName + ": " + E.what(), E.Line(), E.Column());
  }
  ReadComponentTree(Root, Tree, SourceName);
}

}  // namespace rtl
