// SPDX-License-Identifier: MIT
// Published-property tables and the class registry.
//
// A class that takes part in form files or in the design host's object
// inspector describes its published interface once, in a TClassInfo built
// with TClassBuilder, and returns it from ClassInfo(). The form reader creates
// registered classes by name, and the form writer and the inspector walk the
// same table.
//
// Example (a label with two properties, an event and a font sub-object):
//
//   const rtl::TClassInfo* TLabel::StaticClassInfo() {
//     static const rtl::TClassInfo Info =
//         rtl::TClassBuilder<TLabel>("TLabel", TControl::StaticClassInfo())
//             .Factory()  // the reader may create it: new TLabel(Owner)
//             .Integer("Left", &TLabel::Left, &TLabel::SetLeft)
//             .Boolean("Transparent", &TLabel::Transparent, &TLabel::SetTransparent, false)
//             .Enumeration("Layout", {"tlTop", "tlCenter", "tlBottom"}, &TLabel::Layout,
//                          &TLabel::SetLayout, tlTop)
//             .Object("Font", [](const TLabel& L) { return L.Font(); })
//             .Event("OnClick", &TLabel::OnClickName, &TLabel::SetOnClick)
//             .Build();
//     return &Info;
//   }
//   const rtl::TClassInfo* TLabel::ClassInfo() const { return StaticClassInfo(); }
//   ... and once, before a layout is read: rtl::RegisterClass(TLabel::StaticClassInfo());
//
// A form class also lists its published fields (components bound by name
// after a read) and its published methods (handlers that `OnClick = Name`
// binds to):
//
//   .Field("YesButton", &TOverwriteDialog::YesButton)        // TButton* member
//   .Method("YesButtonClick", &TOverwriteDialog::YesButtonClick)  // void(TObject*)
//
// Getters and setters may be member-function pointers or lambdas taking the
// object (const T& for getters, T& for setters).
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "rtl/core/classes.h"
#include "rtl/core/export.h"

namespace rtl {

enum class TTypeKind {
  Integer,      // 32-bit signed
  Int64,        // 64-bit signed
  Float,        // double
  Boolean,      // False / True
  Enumeration,  // one of ValueNames, as its index
  Set,          // a subset of ValueNames, bit i standing for ValueNames[i]
  String,       // UTF-8 text
  Class,        // an owned sub-object, streamed as dotted names (Font.Style)
  Strings,      // an owned TStringList, streamed as `Name.Strings = ( ... )`
  Component,    // a reference to another component, streamed as its name
  Method,       // an event, streamed as the name of a published method of the root
  Binary,       // raw bytes, streamed as `{ hex }`
};

// An event handler bound to a published method: it gets the Sender.
using TMethodHandler = std::function<void(TObject* Sender)>;

struct QUINDLE_RTL_CORE_EXPORT TPropInfo {
  std::string Name;
  TTypeKind Kind = TTypeKind::Integer;
  // Enumeration and Set: the identifiers of the values, in ordinal order.
  std::vector<std::string> ValueNames;

  // Integer, Int64, Boolean (0/1), Enumeration (index), Set (bit mask).
  std::function<int64_t(const TObject&)> GetOrd;
  std::function<void(TObject&, int64_t)> SetOrd;
  std::function<double(const TObject&)> GetFloat;
  std::function<void(TObject&, double)> SetFloat;
  // String (text), Binary (bytes), Method (the bound method's name, empty when none).
  std::function<std::string(const TObject&)> GetStr;
  std::function<void(TObject&, const std::string&)> SetStr;
  // Class (the sub-object), Strings (the TStringList), Component (the reference).
  std::function<TPersistent*(const TObject&)> GetObject;
  // Class: the sub-object's table, for a sub-object whose ClassInfo() gives
  // none (see SubObjectClassInfo). Component: the class of the components
  // the property refers to, when the table names it (see Type).
  const TClassInfo* ClassOf = nullptr;
  // The name of the property's type when the kind alone does not say it
  // (TCopyType for an enumeration); empty otherwise. The design host finds
  // property editors by it.
  std::string TypeName;
  // Component only: stores a reference (nullptr clears it). Returns false when
  // the component is of a class the property does not accept.
  std::function<bool(TObject&, TComponent*)> SetComponent;
  // Method only: binds a handler; an empty Name and handler unbind it.
  std::function<void(TObject&, const std::string& Name, TMethodHandler)> SetMethod;

  // Integer and Int64: named values that form files and the inspector may use
  // instead of numbers (clWindowText); the writer prefers the name.
  std::vector<std::pair<std::string, int64_t>> Constants;

  // Ordinal default: an ordinal property equal to it is not written. Without
  // one, ordinals are always written. Strings are written when not empty,
  // floats when not zero, references and methods when assigned.
  std::optional<int64_t> Default;
  // When set and false for an object, the property is not written.
  std::function<bool(const TObject&)> Stored;

  // False for a property without a setter (Progress, SizeFile); such a
  // property is never written or read. Class and Strings are changed in place
  // and count as writable.
  bool Writable() const;
};

struct TFieldInfo {
  std::string Name;
  // Stores a component in the root's field; nullptr clears it. Returns false
  // when the component is not of the field's class.
  std::function<bool(TObject& Root, TComponent*)> Bind;
};

struct TMethodInfo {
  std::string Name;
  std::function<void(TObject& Root, TObject* Sender)> Code;
};

struct QUINDLE_RTL_CORE_EXPORT TClassInfo {
  std::string Name;
  const TClassInfo* Parent = nullptr;
  // Set for the classes a form file may create: constructs one with Owner.
  std::function<TComponent*(TComponent* Owner)> Create;
  // This class's own published members, in published order.
  std::vector<TPropInfo> Props;
  std::vector<TFieldInfo> Fields;
  std::vector<TMethodInfo> Methods;

  bool InheritsFrom(const TClassInfo* Ancestor) const;
  bool InheritsFrom(const std::string& AncestorName) const;
};

// Every published property of a class, its ancestors' first, in published
// order. A class may redeclare an inherited name; the later entry wins.
QUINDLE_RTL_CORE_EXPORT std::vector<const TPropInfo*> GetPropList(const TClassInfo* Info);
// Property, field and method look-up by name, ignoring ASCII case, through
// the ancestors; nullptr when absent.
QUINDLE_RTL_CORE_EXPORT const TPropInfo* FindPropInfo(const TClassInfo* Info,
                                                      const std::string& Name);
QUINDLE_RTL_CORE_EXPORT const TFieldInfo* FindFieldInfo(const TClassInfo* Info,
                                                        const std::string& Name);
QUINDLE_RTL_CORE_EXPORT const TMethodInfo* FindMethodInfo(const TClassInfo* Info,
                                                          const std::string& Name);

// The table that describes a Class property's sub-object: the object's own
// ClassInfo(), else the property's ClassOf.
QUINDLE_RTL_CORE_EXPORT const TClassInfo* SubObjectClassInfo(const TPropInfo& Prop,
                                                             const TObject& SubObject);

// True when the property's current value would be written to a form file:
// writable, stored, and different from its default (see TPropInfo::Default).
// Class and Strings properties are never "default" as a whole; the writer
// looks inside them.
QUINDLE_RTL_CORE_EXPORT bool IsStoredProp(const TObject& Instance, const TPropInfo& Prop);

// The value as the object inspector shows it: decimal integers, True/False,
// the enumeration identifier, a set as `[a,b]`, the text of a string, the
// component's or method's name, `(TClassName)` for a sub-object or list.
QUINDLE_RTL_CORE_EXPORT std::string GetPropText(const TObject& Instance, const TPropInfo& Prop);
// Parses Text in the same form and stores it. Raises EConvertError for text
// that is not a value of the property's type, a read-only property, or an
// unknown component (looked up among Lookup's components when given).
QUINDLE_RTL_CORE_EXPORT void SetPropText(TObject& Instance, const TPropInfo& Prop,
                                         const std::string& Text,
                                         const TComponent* Lookup = nullptr);

// The registry of classes that form files may create. Registering a name
// again replaces the earlier entry.
QUINDLE_RTL_CORE_EXPORT void RegisterClass(const TClassInfo* Info);
QUINDLE_RTL_CORE_EXPORT void RegisterClasses(std::initializer_list<const TClassInfo*> Infos);
QUINDLE_RTL_CORE_EXPORT void UnregisterClass(const TClassInfo* Info);
// nullptr when not registered. The name is compared ignoring ASCII case.
QUINDLE_RTL_CORE_EXPORT const TClassInfo* FindClass(const std::string& Name);
// As FindClass, but raises EClassNotFound ("Class TX not found").
QUINDLE_RTL_CORE_EXPORT const TClassInfo* GetClass(const std::string& Name);

class QUINDLE_RTL_CORE_EXPORT EClassNotFound : public Exception {
  using Exception::Exception;
};

// Builds a TClassInfo for class T with member-function pointers or lambdas.
// Each adder appends one published member in the order of the calls.
template <class T>
class QUINDLE_RTL_CORE_EXPORT TClassBuilder {
 public:
  TClassBuilder(std::string Name, const TClassInfo* Parent) {
    FInfo.Name = std::move(Name);
    FInfo.Parent = Parent;
  }

  // Lets form files create T: new T(Owner).
  TClassBuilder& Factory() {
    FInfo.Create = [](TComponent* Owner) -> TComponent* { return new T(Owner); };
    return *this;
  }
  TClassBuilder& Factory(std::function<TComponent*(TComponent*)> Create) {
    FInfo.Create = std::move(Create);
    return *this;
  }

  template <class G, class S>
  TClassBuilder& Integer(std::string Name, G Get, S Set, std::optional<int64_t> Default = {}) {
    return Ordinal(std::move(Name), TTypeKind::Integer, {}, Get, Set, Default);
  }
  template <class G, class S>
  TClassBuilder& Int64(std::string Name, G Get, S Set, std::optional<int64_t> Default = {}) {
    return Ordinal(std::move(Name), TTypeKind::Int64, {}, Get, Set, Default);
  }
  template <class G, class S>
  TClassBuilder& Boolean(std::string Name, G Get, S Set, std::optional<bool> Default = {}) {
    std::optional<int64_t> D;
    if (Default) D = *Default ? 1 : 0;
    return Ordinal(std::move(Name), TTypeKind::Boolean, {}, Get, Set, D);
  }
  template <class G, class S, class E = std::optional<int64_t>>
  TClassBuilder& Enumeration(std::string Name, std::vector<std::string> Values, G Get, S Set,
                             E Default = {}) {
    return Ordinal(std::move(Name), TTypeKind::Enumeration, std::move(Values), Get, Set,
                   ToOptional(Default));
  }
  // The getter returns the bit mask (bit i = Values[i]); the setter takes it.
  template <class G, class S>
  TClassBuilder& Set(std::string Name, std::vector<std::string> Values, G Get, S Set,
                     std::optional<int64_t> Default = {}) {
    return Ordinal(std::move(Name), TTypeKind::Set, std::move(Values), Get, Set, Default);
  }
  // A read-only ordinal: shown by the inspector, never streamed.
  template <class G>
  TClassBuilder& ReadOnlyInteger(std::string Name, G Get, TTypeKind Kind = TTypeKind::Integer) {
    TPropInfo P = Make(std::move(Name), Kind);
    P.GetOrd = [Get](const TObject& O) { return static_cast<int64_t>(Invoke(Get, O)); };
    return Add(std::move(P));
  }

  template <class G, class S>
  TClassBuilder& Float(std::string Name, G Get, S Set) {
    TPropInfo P = Make(std::move(Name), TTypeKind::Float);
    P.GetFloat = [Get](const TObject& O) { return static_cast<double>(Invoke(Get, O)); };
    P.SetFloat = [Set](TObject& O, double V) { std::invoke(Set, Self(O), V); };
    return Add(std::move(P));
  }
  template <class G, class S>
  TClassBuilder& String(std::string Name, G Get, S Set) {
    return Text(std::move(Name), TTypeKind::String, Get, Set);
  }
  template <class G, class S>
  TClassBuilder& Binary(std::string Name, G Get, S Set) {
    return Text(std::move(Name), TTypeKind::Binary, Get, Set);
  }

  // An owned sub-object (Font, SrcFileTypes); its own ClassInfo(), or Info
  // when that gives none, describes the nested properties.
  template <class G>
  TClassBuilder& Object(std::string Name, G Get, const TClassInfo* Info = nullptr) {
    Owned(std::move(Name), TTypeKind::Class, Get);
    FInfo.Props.back().ClassOf = Info;
    return *this;
  }
  // An owned string list, read and written in place.
  template <class G>
  TClassBuilder& Strings(std::string Name, G Get) {
    return Owned(std::move(Name), TTypeKind::Strings, Get);
  }
  // A reference to a component of class C (or a descendant).
  template <class C, class G, class S>
  TClassBuilder& Component(std::string Name, G Get, S Set) {
    TPropInfo P = Make(std::move(Name), TTypeKind::Component);
    P.GetObject = [Get](const TObject& O) -> TPersistent* { return Invoke(Get, O); };
    P.SetComponent = [Set](TObject& O, TComponent* V) {
      C* Typed = dynamic_cast<C*>(V);
      if (V != nullptr && Typed == nullptr) return false;
      std::invoke(Set, Self(O), Typed);
      return true;
    };
    return Add(std::move(P));
  }
  // An event: Get returns the bound method's name; Set takes the name and
  // the handler (both empty to unbind).
  template <class G, class S>
  TClassBuilder& Event(std::string Name, G Get, S Set) {
    TPropInfo P = Make(std::move(Name), TTypeKind::Method);
    P.GetStr = [Get](const TObject& O) { return std::string(Invoke(Get, O)); };
    P.SetMethod = [Set](TObject& O, const std::string& N, TMethodHandler H) {
      std::invoke(Set, Self(O), N, std::move(H));
    };
    return Add(std::move(P));
  }

  // The type of the last property added, by name (an enumeration's type),
  // or by its class's table (a sub-object's or a reference's class).
  TClassBuilder& Type(std::string Name) {
    FInfo.Props.back().TypeName = std::move(Name);
    return *this;
  }
  TClassBuilder& Type(const TClassInfo* Class) {
    FInfo.Props.back().ClassOf = Class;
    FInfo.Props.back().TypeName = Class->Name;
    return *this;
  }

  // Named values for the last property added (an Integer or Int64).
  TClassBuilder& Constants(std::vector<std::pair<std::string, int64_t>> Values) {
    FInfo.Props.back().Constants = std::move(Values);
    return *this;
  }

  // Not written when Pred is false for the object. Applies to the last property added.
  template <class P>
  TClassBuilder& Stored(P Pred) {
    FInfo.Props.back().Stored = [Pred](const TObject& O) {
      return static_cast<bool>(Invoke(Pred, O));
    };
    return *this;
  }

  // A published field of a form: `C* T::*` member bound by component name.
  template <class C>
  TClassBuilder& Field(std::string Name, C* T::*Member) {
    FInfo.Fields.push_back({std::move(Name), [Member](TObject& Root, TComponent* V) {
                              C* Typed = dynamic_cast<C*>(V);
                              if (V != nullptr && Typed == nullptr) return false;
                              Self(Root).*Member = Typed;
                              return true;
                            }});
    return *this;
  }
  // A published method of a form: member function or lambda (T&, TObject* Sender).
  template <class M>
  TClassBuilder& Method(std::string Name, M Code) {
    FInfo.Methods.push_back({std::move(Name), [Code](TObject& Root, TObject* Sender) {
                               std::invoke(Code, Self(Root), Sender);
                             }});
    return *this;
  }

  TClassInfo Build() { return std::move(FInfo); }

 private:
  static T& Self(TObject& O) { return static_cast<T&>(O); }
  static const T& Self(const TObject& O) { return static_cast<const T&>(O); }
  template <class F>
  static decltype(auto) Invoke(F& Fn, const TObject& O) {
    return std::invoke(Fn, Self(O));
  }
  template <class E>
  static std::optional<int64_t> ToOptional(E Value) {
    if constexpr (std::is_same_v<E, std::optional<int64_t>>)
      return Value;
    else
      return static_cast<int64_t>(Value);
  }
  static TPropInfo Make(std::string Name, TTypeKind Kind) {
    TPropInfo P;
    P.Name = std::move(Name);
    P.Kind = Kind;
    return P;
  }
  TClassBuilder& Add(TPropInfo P) {
    FInfo.Props.push_back(std::move(P));
    return *this;
  }
  template <class G, class S>
  TClassBuilder& Ordinal(std::string Name, TTypeKind Kind, std::vector<std::string> Values, G Get,
                         S Set, std::optional<int64_t> Default) {
    TPropInfo P = Make(std::move(Name), Kind);
    P.ValueNames = std::move(Values);
    P.Default = Default;
    P.GetOrd = [Get](const TObject& O) { return static_cast<int64_t>(Invoke(Get, O)); };
    P.SetOrd = [Set](TObject& O, int64_t V) {
      using V_t = std::decay_t<std::invoke_result_t<G&, const T&>>;
      std::invoke(Set, Self(O), static_cast<V_t>(V));
    };
    return Add(std::move(P));
  }
  template <class G, class S>
  TClassBuilder& Text(std::string Name, TTypeKind Kind, G Get, S Set) {
    TPropInfo P = Make(std::move(Name), Kind);
    P.GetStr = [Get](const TObject& O) { return std::string(Invoke(Get, O)); };
    P.SetStr = [Set](TObject& O, const std::string& V) { std::invoke(Set, Self(O), V); };
    return Add(std::move(P));
  }
  template <class G>
  TClassBuilder& Owned(std::string Name, TTypeKind Kind, G Get) {
    TPropInfo P = Make(std::move(Name), Kind);
    P.GetObject = [Get](const TObject& O) -> TPersistent* { return Invoke(Get, O); };
    return Add(std::move(P));
  }

  TClassInfo FInfo;
};

}  // namespace rtl
