// SPDX-License-Identifier: MIT
#include "rtl/core/typinfo.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>

#include "rtl/core/sysutils.h"

namespace rtl {

namespace {

std::string Lower(std::string S) {
  for (char& C : S) C = static_cast<char>(std::tolower(static_cast<unsigned char>(C)));
  return S;
}

struct TRegistry {
  std::mutex Lock;
  std::map<std::string, const TClassInfo*> Classes;  // by lower-case name
};

TRegistry& Registry() {
  static TRegistry R;
  return R;
}

std::string Trim(const std::string& S) {
  const auto First = S.find_first_not_of(" \t");
  if (First == std::string::npos) return std::string();
  const auto Last = S.find_last_not_of(" \t");
  return S.substr(First, Last - First + 1);
}

[[noreturn]] void BadValue(const TPropInfo& Prop, const std::string& Text) {
  throw EConvertError("'" + Text + "' is not a valid value for " + Prop.Name);
}

int64_t ParseInt(const TPropInfo& Prop, const std::string& Text) {
  const std::string T = Trim(Text);
  for (const auto& [Name, Value] : Prop.Constants)
    if (SameText(Name, T)) return Value;
  int64_t V = 0;
  const char* First = T.data();
  const char* Last = T.data() + T.size();
  std::from_chars_result R;
  if (!T.empty() && T[0] == '$')
    R = std::from_chars(First + 1, Last, V, 16);
  else
    R = std::from_chars(First, Last, V, 10);
  if (T.empty() || R.ec != std::errc() || R.ptr != Last) BadValue(Prop, Text);
  if (Prop.Kind == TTypeKind::Integer && (V < INT32_MIN || V > INT32_MAX)) BadValue(Prop, Text);
  return V;
}

int64_t IndexOfName(const TPropInfo& Prop, const std::string& Name) {
  for (size_t I = 0; I < Prop.ValueNames.size(); ++I)
    if (SameText(Prop.ValueNames[I], Name)) return static_cast<int64_t>(I);
  return -1;
}

int64_t ParseSet(const TPropInfo& Prop, const std::string& Text) {
  std::string T = Trim(Text);
  if (T.size() < 2 || T.front() != '[' || T.back() != ']') BadValue(Prop, Text);
  T = T.substr(1, T.size() - 2);
  int64_t Mask = 0;
  size_t Pos = 0;
  while (Pos <= T.size()) {
    const size_t Comma = std::min(T.find(',', Pos), T.size());
    const std::string Name = Trim(T.substr(Pos, Comma - Pos));
    if (!Name.empty()) {
      const int64_t I = IndexOfName(Prop, Name);
      if (I < 0 || I >= 63) BadValue(Prop, Text);
      Mask |= int64_t{1} << I;
    } else if (Comma < T.size()) {
      BadValue(Prop, Text);
    }
    Pos = Comma + 1;
  }
  return Mask;
}

}  // namespace

bool TPropInfo::Writable() const {
  switch (Kind) {
    case TTypeKind::Class:
    case TTypeKind::Strings:
      return static_cast<bool>(GetObject);
    case TTypeKind::Float:
      return static_cast<bool>(SetFloat);
    case TTypeKind::String:
    case TTypeKind::Binary:
      return static_cast<bool>(SetStr);
    case TTypeKind::Component:
      return static_cast<bool>(SetComponent);
    case TTypeKind::Method:
      return static_cast<bool>(SetMethod);
    default:
      return static_cast<bool>(SetOrd);
  }
}

bool TClassInfo::InheritsFrom(const TClassInfo* Ancestor) const {
  for (const TClassInfo* C = this; C != nullptr; C = C->Parent)
    if (C == Ancestor) return true;
  return false;
}

bool TClassInfo::InheritsFrom(const std::string& AncestorName) const {
  for (const TClassInfo* C = this; C != nullptr; C = C->Parent)
    if (SameText(C->Name, AncestorName)) return true;
  return false;
}

std::vector<const TPropInfo*> GetPropList(const TClassInfo* Info) {
  std::vector<const TClassInfo*> Chain;
  for (const TClassInfo* C = Info; C != nullptr; C = C->Parent) Chain.push_back(C);
  std::vector<const TPropInfo*> List;
  for (auto It = Chain.rbegin(); It != Chain.rend(); ++It)
    for (const TPropInfo& P : (*It)->Props) {
      auto Same = std::find_if(List.begin(), List.end(),
                               [&](const TPropInfo* Q) { return SameText(Q->Name, P.Name); });
      if (Same != List.end())
        *Same = &P;
      else
        List.push_back(&P);
    }
  return List;
}

const TPropInfo* FindPropInfo(const TClassInfo* Info, const std::string& Name) {
  for (const TClassInfo* C = Info; C != nullptr; C = C->Parent)
    for (const TPropInfo& P : C->Props)
      if (SameText(P.Name, Name)) return &P;
  return nullptr;
}

const TFieldInfo* FindFieldInfo(const TClassInfo* Info, const std::string& Name) {
  for (const TClassInfo* C = Info; C != nullptr; C = C->Parent)
    for (const TFieldInfo& F : C->Fields)
      if (SameText(F.Name, Name)) return &F;
  return nullptr;
}

const TMethodInfo* FindMethodInfo(const TClassInfo* Info, const std::string& Name) {
  for (const TClassInfo* C = Info; C != nullptr; C = C->Parent)
    for (const TMethodInfo& M : C->Methods)
      if (SameText(M.Name, Name)) return &M;
  return nullptr;
}

const TClassInfo* SubObjectClassInfo(const TPropInfo& Prop, const TObject& SubObject) {
  const TClassInfo* Info = SubObject.ClassInfo();
  return Info != nullptr ? Info : Prop.ClassOf;
}

bool IsStoredProp(const TObject& Instance, const TPropInfo& Prop) {
  if (!Prop.Writable()) return false;
  if (Prop.Stored && !Prop.Stored(Instance)) return false;
  switch (Prop.Kind) {
    case TTypeKind::Class:
    case TTypeKind::Strings:
      return Prop.GetObject(Instance) != nullptr;
    case TTypeKind::Float:
      return Prop.GetFloat(Instance) != 0;
    case TTypeKind::String:
    case TTypeKind::Binary:
    case TTypeKind::Method:
      return !Prop.GetStr(Instance).empty();
    case TTypeKind::Component:
      return Prop.GetObject(Instance) != nullptr;
    default:
      return !Prop.Default || Prop.GetOrd(Instance) != *Prop.Default;
  }
}

std::string GetPropText(const TObject& Instance, const TPropInfo& Prop) {
  switch (Prop.Kind) {
    case TTypeKind::Integer:
    case TTypeKind::Int64: {
      const int64_t V = Prop.GetOrd(Instance);
      for (const auto& [Name, Value] : Prop.Constants)
        if (Value == V) return Name;
      return std::to_string(V);
    }
    case TTypeKind::Boolean:
      return Prop.GetOrd(Instance) != 0 ? "True" : "False";
    case TTypeKind::Enumeration: {
      const int64_t V = Prop.GetOrd(Instance);
      if (V >= 0 && static_cast<size_t>(V) < Prop.ValueNames.size())
        return Prop.ValueNames[static_cast<size_t>(V)];
      return std::to_string(V);
    }
    case TTypeKind::Set: {
      const int64_t Mask = Prop.GetOrd(Instance);
      std::string S = "[";
      for (size_t I = 0; I < Prop.ValueNames.size() && I < 63; ++I)
        if (Mask & (int64_t{1} << I)) S += (S.size() > 1 ? "," : "") + Prop.ValueNames[I];
      return S + "]";
    }
    case TTypeKind::Float: {
      char Buf[40];
      std::snprintf(Buf, sizeof Buf, "%.17g", Prop.GetFloat(Instance));
      return Buf;
    }
    case TTypeKind::String:
    case TTypeKind::Binary:
    case TTypeKind::Method:
      return Prop.GetStr(Instance);
    case TTypeKind::Component: {
      const auto* C = dynamic_cast<const TComponent*>(Prop.GetObject(Instance));
      return C ? C->Name() : std::string();
    }
    case TTypeKind::Class:
    case TTypeKind::Strings: {
      const TPersistent* O = Prop.GetObject(Instance);
      return "(" + (O ? O->ClassName() : std::string("nil")) + ")";
    }
  }
  return std::string();
}

void SetPropText(TObject& Instance, const TPropInfo& Prop, const std::string& Text,
                 const TComponent* Lookup) {
  if (!Prop.Writable() || Prop.Kind == TTypeKind::Class || Prop.Kind == TTypeKind::Strings ||
      Prop.Kind == TTypeKind::Method)
    throw EConvertError("Property " + Prop.Name + " cannot be set as text");
  switch (Prop.Kind) {
    case TTypeKind::Integer:
    case TTypeKind::Int64:
      Prop.SetOrd(Instance, ParseInt(Prop, Text));
      return;
    case TTypeKind::Boolean:
      if (SameText(Trim(Text), "True"))
        Prop.SetOrd(Instance, 1);
      else if (SameText(Trim(Text), "False"))
        Prop.SetOrd(Instance, 0);
      else
        BadValue(Prop, Text);
      return;
    case TTypeKind::Enumeration: {
      const int64_t I = IndexOfName(Prop, Trim(Text));
      if (I < 0) BadValue(Prop, Text);
      Prop.SetOrd(Instance, I);
      return;
    }
    case TTypeKind::Set:
      Prop.SetOrd(Instance, ParseSet(Prop, Text));
      return;
    case TTypeKind::Float: {
      const std::string T = Trim(Text);
      char* End = nullptr;
      const double V = std::strtod(T.c_str(), &End);
      if (T.empty() || End != T.c_str() + T.size() || !std::isfinite(V)) BadValue(Prop, Text);
      Prop.SetFloat(Instance, V);
      return;
    }
    case TTypeKind::String:
    case TTypeKind::Binary:
      Prop.SetStr(Instance, Text);
      return;
    case TTypeKind::Component: {
      TComponent* C = nullptr;
      if (!Trim(Text).empty()) {
        C = Lookup ? Lookup->FindComponent(Trim(Text)) : nullptr;
        if (C == nullptr) throw EConvertError("Component " + Trim(Text) + " not found");
      }
      if (!Prop.SetComponent(Instance, C))
        throw EConvertError("Component " + Trim(Text) + " cannot be stored in " + Prop.Name);
      return;
    }
    default:
      return;
  }
}

void RegisterClass(const TClassInfo* Info) {
  TRegistry& R = Registry();
  std::lock_guard<std::mutex> Guard(R.Lock);
  R.Classes[Lower(Info->Name)] = Info;
}

void RegisterClasses(std::initializer_list<const TClassInfo*> Infos) {
  for (const TClassInfo* Info : Infos) RegisterClass(Info);
}

void UnregisterClass(const TClassInfo* Info) {
  TRegistry& R = Registry();
  std::lock_guard<std::mutex> Guard(R.Lock);
  auto It = R.Classes.find(Lower(Info->Name));
  if (It != R.Classes.end() && It->second == Info) R.Classes.erase(It);
}

const TClassInfo* FindClass(const std::string& Name) {
  TRegistry& R = Registry();
  std::lock_guard<std::mutex> Guard(R.Lock);
  auto It = R.Classes.find(Lower(Name));
  return It == R.Classes.end() ? nullptr : It->second;
}

const TClassInfo* GetClass(const std::string& Name) {
  const TClassInfo* Info = FindClass(Name);
  if (Info == nullptr) throw EClassNotFound("Class " + Name + " not found");
  return Info;
}

}  // namespace rtl
