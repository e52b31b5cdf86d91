// SPDX-License-Identifier: MIT
// The design interface: what a package gives a design host. Register puts
// component classes on palette pages (RegisterComponents) and names the
// property editors that the host's object inspector uses for chosen
// properties (RegisterPropertyEditor). A property editor shows one published
// property of one or more selected components as text, offers values or a
// dialog, and stores what the user chose.
//
// Registrations belong to the module whose code made them (the class's
// table, the editor's factory); a host that unloads a package first drops
// that module's registrations (UnregisterModuleRegistrations), so that none
// outlives the code it names.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "rtl/core/classes.h"
#include "rtl/core/typinfo.h"
#include "rtl/ui/export.h"
#include "rtl/ui/resources.h"

namespace rtl {

enum TPropertyAttribute : uint8_t {
  paValueList,      // the value is one of GetValues
  paSubProperties,  // GetProperties gives editors for the parts of the value
  paDialog,         // Edit opens a dialog: the inspector shows an ellipsis
  paMultiSelect,    // shown when several components are selected
  paAutoUpdate,     // SetValue on every change, not only when done
  paSortList,       // GetValues sorted
  paReadOnly,       // the value cannot be typed
};
// A set of TPropertyAttribute: bit n stands for attribute n.
using TPropertyAttributes = uint8_t;
constexpr TPropertyAttributes PropAttrs(std::initializer_list<TPropertyAttribute> List) {
  TPropertyAttributes Bits = 0;
  for (TPropertyAttribute A : List) Bits = static_cast<TPropertyAttributes>(Bits | (1u << A));
  return Bits;
}
constexpr bool HasPropAttr(TPropertyAttributes Set, TPropertyAttribute A) {
  return (Set & (1u << A)) != 0;
}

class TPropertyEditor;
using TGetPropProc = std::function<void(std::unique_ptr<TPropertyEditor>)>;
using TGetStrProc = std::function<void(const std::string&)>;

class QUINDLE_RTL_UI_EXPORT TPropertyEditor : public TObject {
 public:
  std::string ClassName() const override { return "TPropertyEditor"; }

  // What the editor edits: the property Prop names in each of Components
  // (Prop is the first one's; the others' are found by name). The inspector
  // calls this once, then Initialize.
  void SetTarget(std::vector<TObject*> Components, const TPropInfo* Prop);
  // The same with each component's own entry, for components (sub-objects)
  // whose ClassInfo() gives no table.
  void SetTarget(std::vector<TObject*> Components, std::vector<const TPropInfo*> Props);
  // Called after every change the editor stores (the host marks its form
  // modified and refreshes the inspector).
  void SetOnModified(std::function<void()> Handler) { FOnModified = std::move(Handler); }

  // The operations an editor may change, in the inspector's order of use.
  virtual void Activate() {}
  // True when every component has the same value (the inspector shows the
  // value then, and nothing otherwise).
  virtual bool AllEqual();
  virtual void Edit() {}
  virtual TPropertyAttributes GetAttributes();
  virtual int GetEditLimit() { return 255; }
  virtual std::string GetName() const;
  virtual void GetProperties(const TGetPropProc& Proc);
  virtual std::string GetValue();
  virtual void GetValues(const TGetStrProc& Proc);
  virtual void Initialize() {}
  // Stores Value in every component; raises EConvertError (text that is no
  // value of the type) and EPropertyError (a read-only property).
  virtual void SetValue(const std::string& Value);

  const TPropInfo* PropInfo() const { return FProps.empty() ? nullptr : FProps.front(); }
  int PropCount() const { return static_cast<int>(FComponents.size()); }
  TObject* GetComponent(int Index) const { return FComponents.at(static_cast<size_t>(Index)); }
  const TPropInfo* GetPropInfo(int Index) const { return FProps.at(static_cast<size_t>(Index)); }

 protected:
  void Modified();
  // The modified-handler, for the editors of sub-properties.
  const std::function<void()>& OnModified() const { return FOnModified; }

 private:
  std::vector<TObject*> FComponents;
  std::vector<const TPropInfo*> FProps;
  std::function<void()> FOnModified;
};

class QUINDLE_RTL_UI_EXPORT EPropertyError : public Exception {
  using Exception::Exception;
};

// Integers, strings and the other kinds that are typed as text.
class QUINDLE_RTL_UI_EXPORT TStringProperty : public TPropertyEditor {
 public:
  std::string ClassName() const override { return "TStringProperty"; }
};

// Booleans and enumerations: one of the type's names.
class QUINDLE_RTL_UI_EXPORT TEnumProperty : public TPropertyEditor {
 public:
  std::string ClassName() const override { return "TEnumProperty"; }
  TPropertyAttributes GetAttributes() override;
  void GetValues(const TGetStrProc& Proc) override;
};

// An owned sub-object: its class name in parentheses, its own published
// properties as sub-properties; nothing to type.
class QUINDLE_RTL_UI_EXPORT TClassProperty : public TPropertyEditor {
 public:
  std::string ClassName() const override { return "TClassProperty"; }
  TPropertyAttributes GetAttributes() override;
  void GetProperties(const TGetPropProc& Proc) override;
  std::string GetValue() override;
};

// A string list, edited as lines in a dialog that the host provides
// (SetStringsEditor); without one Edit does nothing.
class QUINDLE_RTL_UI_EXPORT TStringsProperty : public TClassProperty {
 public:
  std::string ClassName() const override { return "TStringsProperty"; }
  TPropertyAttributes GetAttributes() override;
  void GetProperties(const TGetPropProc&) override {}
  void Edit() override;
};

// A reference to another component: the names of the root's components of
// the property's class.
class QUINDLE_RTL_UI_EXPORT TComponentProperty : public TPropertyEditor {
 public:
  std::string ClassName() const override { return "TComponentProperty"; }
  TPropertyAttributes GetAttributes() override;
};

// The host's editor of string lists: shows Lines and returns true when the
// user changed and accepted them. Returns the previous one.
using TStringsEditor = std::function<bool(const std::string& Caption, TStringList& Lines)>;
QUINDLE_RTL_UI_EXPORT TStringsEditor SetStringsEditor(TStringsEditor Editor);

// An editor class: its name and how to make one.
struct TPropertyEditorClass {
  std::string Name;
  std::unique_ptr<TPropertyEditor> (*Create)() = nullptr;
};
template <class E>
std::unique_ptr<TPropertyEditor> CreatePropertyEditor() {
  return std::make_unique<E>();
}
template <class E>
TPropertyEditorClass EditorClassOf() {
  return {E().ClassName(), &CreatePropertyEditor<E>};
}

// The type of a property as editors are registered for: its TypeName when
// the table gives one, else the class of a sub-object or reference, else
// the kind's own name (Integer, Int64, Double, Boolean, string, TStrings,
// ...). Instance, when given, names a sub-object by its own class.
QUINDLE_RTL_UI_EXPORT std::string PropertyTypeName(const TPropInfo& Prop,
                                                   const TObject* Instance = nullptr);

// Puts the classes on the palette page (created on first use), in order, and
// lets form files create them (RegisterClass). A class already on the
// palette moves to the page named last.
QUINDLE_RTL_UI_EXPORT void RegisterComponents(const std::string& Page,
                                              std::initializer_list<const TClassInfo*> Classes);
QUINDLE_RTL_UI_EXPORT void RegisterComponents(const std::string& Page,
                                              const std::vector<const TClassInfo*>& Classes);

// Names EditorClass for the properties of type PropertyType (or a class that
// inherits from it) that ComponentClass and its descendants publish under
// PropertyName. ComponentClass nullptr stands for every class and an empty
// PropertyName for every name. Of the registrations that fit a property,
// the one naming both a class and a name wins, then one naming a name, then
// one naming a class; among equals the latest.
QUINDLE_RTL_UI_EXPORT void RegisterPropertyEditor(const std::string& PropertyType,
                                                  const TClassInfo* ComponentClass,
                                                  const std::string& PropertyName,
                                                  const TPropertyEditorClass& EditorClass);
QUINDLE_RTL_UI_EXPORT void RegisterPropertyEditor(const TClassInfo* PropertyType,
                                                  const TClassInfo* ComponentClass,
                                                  const std::string& PropertyName,
                                                  const TPropertyEditorClass& EditorClass);

struct TPaletteEntry {
  std::string Page;
  const TClassInfo* Class;
  HINSTANCE Module;  // the module that holds the class
};
struct TEditorRegistration {
  std::string PropertyType;
  const TClassInfo* ComponentClass;
  std::string PropertyName;
  TPropertyEditorClass EditorClass;
  HINSTANCE Module;  // the module that holds the editor
};

// The palette, pages in the order first named, classes in registration order.
QUINDLE_RTL_UI_EXPORT std::vector<TPaletteEntry> PaletteEntries();
QUINDLE_RTL_UI_EXPORT std::vector<TEditorRegistration> PropertyEditorRegistrations();

// The editor class for Prop of a component of class ComponentClass: the
// registration that fits best, else the standard editor of the kind.
QUINDLE_RTL_UI_EXPORT TPropertyEditorClass GetEditorClass(const TPropInfo& Prop,
                                                          const TClassInfo* ComponentClass,
                                                          const TObject* Instance = nullptr);

// Editors for the properties that every one of Components publishes (by
// name and kind), in the first component's published order, each set up
// and initialized. With several components only those whose editor has
// paMultiSelect are given, and only when every component gets an editor of
// the same class. Events and binary properties are not given.
QUINDLE_RTL_UI_EXPORT std::vector<std::unique_ptr<TPropertyEditor>> GetComponentProperties(
    const std::vector<TObject*>& Components);

// Drops the palette entries and editors that Module registered, and the
// classes it put in the class registry. Returns how many were dropped.
QUINDLE_RTL_UI_EXPORT int UnregisterModuleRegistrations(HINSTANCE Module);

}  // namespace rtl
