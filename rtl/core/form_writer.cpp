// SPDX-License-Identifier: MIT
#include "rtl/core/form_writer.h"

#include <charconv>
#include <cmath>

#include "rtl/core/typinfo.h"

namespace rtl {

namespace {

// Bytes of binary data per line.
constexpr size_t BinaryLineBytes = 32;

void Indent(std::string& Out, int Level) {
  Out.append(static_cast<size_t>(Level) * 2, ' ');
}

std::string FloatText(const TFormValue& V) {
  if (!std::isfinite(V.Float)) {
    // A parsed literal beyond the range of a double is kept as written.
    if (V.Text.empty()) throw EWriteError("Cannot write a number that is not finite");
    return V.FloatSuffix ? V.Text + V.FloatSuffix : V.Text;
  }
  char Buf[64];
  const auto R = std::to_chars(Buf, Buf + sizeof Buf, V.Float);
  std::string S(Buf, R.ptr);
  // Without a point or an exponent, the text would read back as an integer.
  if (S.find_first_of(".e") == std::string::npos && V.FloatSuffix == 0) S += ".0";
  if (V.FloatSuffix != 0) S += V.FloatSuffix;
  return S;
}

std::string StringText(const std::string& Text) {
  if (Text.empty()) return "''";
  std::string Out;
  bool InQuote = false;
  for (const char C : Text) {
    const auto U = static_cast<unsigned char>(C);
    if (U < 32) {
      if (InQuote) Out += '\'';
      InQuote = false;
      Out += '#';
      Out += std::to_string(U);
      continue;
    }
    if (!InQuote) Out += '\'';
    InQuote = true;
    Out += C;
    if (C == '\'') Out += '\'';
  }
  if (InQuote) Out += '\'';
  return Out;
}

void WriteValue(std::string& Out, const TFormValue& V, int Level);

void WriteList(std::string& Out, const TFormValue& V, int Level) {
  if (V.Items.empty()) {
    Out += "()";
    return;
  }
  Out += '(';
  for (const TFormValue& Item : V.Items) {
    Out += '\n';
    Indent(Out, Level + 1);
    WriteValue(Out, Item, Level + 1);
  }
  Out += ')';
}

void WriteBinary(std::string& Out, const std::string& Bytes, int Level) {
  static const char Hex[] = "0123456789ABCDEF";
  Out += '{';
  for (size_t I = 0; I < Bytes.size(); ++I) {
    if (I % BinaryLineBytes == 0) {
      Out += '\n';
      Indent(Out, Level + 1);
    }
    const auto B = static_cast<unsigned char>(Bytes[I]);
    Out += Hex[B >> 4];
    Out += Hex[B & 15];
  }
  Out += '}';
}

void WriteProperties(std::string& Out, const std::vector<TFormProperty>& Props, int Level);

void WriteCollection(std::string& Out, const TFormValue& V, int Level) {
  Out += '<';
  for (const TFormItem& Item : V.CollectionItems) {
    Out += '\n';
    Indent(Out, Level + 1);
    Out += "item";
    if (Item.Index) Out += " [" + std::to_string(*Item.Index) + "]";
    Out += '\n';
    WriteProperties(Out, Item.Properties, Level + 2);
    Indent(Out, Level + 1);
    Out += "end";
  }
  Out += '>';
}

void WriteValue(std::string& Out, const TFormValue& V, int Level) {
  switch (V.Kind) {
    case TFormValueKind::Integer:
      Out += std::to_string(V.Int);
      return;
    case TFormValueKind::Float:
      Out += FloatText(V);
      return;
    case TFormValueKind::String:
      Out += StringText(V.Text);
      return;
    case TFormValueKind::Identifier:
      Out += V.Text;
      return;
    case TFormValueKind::Set: {
      Out += '[';
      for (size_t I = 0; I < V.Names.size(); ++I) Out += (I ? ", " : "") + V.Names[I];
      Out += ']';
      return;
    }
    case TFormValueKind::List:
      WriteList(Out, V, Level);
      return;
    case TFormValueKind::Binary:
      WriteBinary(Out, V.Text, Level);
      return;
    case TFormValueKind::Collection:
      WriteCollection(Out, V, Level);
      return;
  }
}

void WriteProperties(std::string& Out, const std::vector<TFormProperty>& Props, int Level) {
  for (const TFormProperty& P : Props) {
    Indent(Out, Level);
    Out += P.Name + " = ";
    WriteValue(Out, P.Value, Level);
    Out += '\n';
  }
}

void WriteObject(std::string& Out, const TFormObject& Obj, int Level) {
  static const char* const Keywords[] = {"object", "inherited", "inline"};
  Indent(Out, Level);
  Out += Keywords[static_cast<int>(Obj.Kind)];
  Out += ' ';
  if (!Obj.Name.empty()) Out += Obj.Name + ": ";
  Out += Obj.ClassName;
  if (Obj.Index) Out += " [" + std::to_string(*Obj.Index) + "]";
  Out += '\n';
  WriteProperties(Out, Obj.Properties, Level + 1);
  for (const TFormObject& Child : Obj.Children) WriteObject(Out, Child, Level + 1);
  Indent(Out, Level);
  Out += "end\n";
}

TFormValue Ident(std::string Name) {
  TFormValue V;
  V.Kind = TFormValueKind::Identifier;
  V.Text = std::move(Name);
  return V;
}

TFormValue OrdinalValue(const TObject& Instance, const TPropInfo& Prop) {
  const int64_t Ord = Prop.GetOrd(Instance);
  TFormValue V;
  switch (Prop.Kind) {
    case TTypeKind::Boolean:
      return Ident(Ord ? "True" : "False");
    case TTypeKind::Enumeration:
      if (Ord >= 0 && static_cast<size_t>(Ord) < Prop.ValueNames.size())
        return Ident(Prop.ValueNames[static_cast<size_t>(Ord)]);
      break;
    case TTypeKind::Set:
      V.Kind = TFormValueKind::Set;
      for (size_t I = 0; I < Prop.ValueNames.size() && I < 63; ++I)
        if (Ord & (int64_t{1} << I)) V.Names.push_back(Prop.ValueNames[I]);
      return V;
    default:
      for (const auto& [Name, Value] : Prop.Constants)
        if (Value == Ord) return Ident(Name);
      break;
  }
  V.Kind = TFormValueKind::Integer;
  V.Int = Ord;
  return V;
}

void AddProperties(std::vector<TFormProperty>& Out, const TObject& Instance, const TClassInfo* Info,
                   const std::string& Prefix, int Depth);

// One stored property; nothing when its value is left out.
void AddProperty(std::vector<TFormProperty>& Out, const TObject& Instance, const TPropInfo& Prop,
                 const std::string& Prefix, int Depth) {
  if (!IsStoredProp(Instance, Prop)) return;
  TFormProperty P;
  P.Name = Prefix + Prop.Name;
  switch (Prop.Kind) {
    case TTypeKind::Class:
      // A sub-object that (wrongly) reaches itself again would never end.
      if (Depth < 16) {
        const TObject& Sub = *Prop.GetObject(Instance);
        AddProperties(Out, Sub, SubObjectClassInfo(Prop, Sub), P.Name + ".", Depth + 1);
      }
      return;
    case TTypeKind::Strings: {
      const auto* List = dynamic_cast<const TStringList*>(Prop.GetObject(Instance));
      if (List == nullptr || List->Count() == 0) return;
      P.Name += ".Strings";
      P.Value.Kind = TFormValueKind::List;
      for (const std::string& Line : *List) {
        TFormValue Item;
        Item.Kind = TFormValueKind::String;
        Item.Text = Line;
        P.Value.Items.push_back(std::move(Item));
      }
      break;
    }
    case TTypeKind::Float:
      P.Value.Kind = TFormValueKind::Float;
      P.Value.Float = Prop.GetFloat(Instance);
      if (!std::isfinite(P.Value.Float))
        throw EWriteError("Cannot write " + P.Name + ": its value is not a finite number");
      break;
    case TTypeKind::String:
      P.Value.Kind = TFormValueKind::String;
      P.Value.Text = Prop.GetStr(Instance);
      break;
    case TTypeKind::Binary:
      P.Value.Kind = TFormValueKind::Binary;
      P.Value.Text = Prop.GetStr(Instance);
      break;
    case TTypeKind::Method:
      P.Value = Ident(Prop.GetStr(Instance));
      break;
    case TTypeKind::Component:
      P.Value = Ident(GetPropText(Instance, Prop));
      if (P.Value.Text.empty()) return;
      break;
    default:
      P.Value = OrdinalValue(Instance, Prop);
      break;
  }
  Out.push_back(std::move(P));
}

void AddProperties(std::vector<TFormProperty>& Out, const TObject& Instance, const TClassInfo* Info,
                   const std::string& Prefix, int Depth) {
  for (const TPropInfo* Prop : GetPropList(Info)) AddProperty(Out, Instance, *Prop, Prefix, Depth);
}

TFormObject ObjectTree(const TComponent& Instance, const TComponent& Root) {
  TFormObject Obj;
  Obj.Name = Instance.Name();
  Obj.ClassName = Instance.ClassName();
  AddProperties(Obj.Properties, Instance, Instance.ClassInfo(), std::string(), 0);
  Instance.GetChildren([&](TComponent* Child) { Obj.Children.push_back(ObjectTree(*Child, Root)); },
                       &Root);
  return Obj;
}

}  // namespace

TFormObject ComponentToTree(const TComponent& Root) {
  return ObjectTree(Root, Root);
}

std::string FormTreeToText(const TFormObject& Tree) {
  std::string Out;
  WriteObject(Out, Tree, 0);
  return Out;
}

std::string WriteComponentText(const TComponent& Root) {
  return FormTreeToText(ComponentToTree(Root));
}

}  // namespace rtl
