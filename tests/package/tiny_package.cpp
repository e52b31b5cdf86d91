// SPDX-License-Identifier: MIT
// A package written only for the tests: one component, TTinyLamp, with a
// Boolean and a string property, on a palette page of its own ("Tiny").
#include <memory>
#include <string>

#include "rtl/core/packages.h"
#include "rtl/core/typinfo.h"
#include "rtl/ui/designintf.h"
#include "rtl/ui/modules.h"

namespace {

class TTinyLamp : public rtl::TComponent {
 public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TTinyLamp"; }
  static const rtl::TClassInfo* StaticClassInfo() {
    static const rtl::TClassInfo Info =
        rtl::TClassBuilder<TTinyLamp>("TTinyLamp", nullptr)
            .Factory()
            .Boolean("Lit", &TTinyLamp::Lit, &TTinyLamp::SetLit, false)
            .String("Caption", &TTinyLamp::Caption, &TTinyLamp::SetCaption)
            .Build();
    return &Info;
  }
  const rtl::TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  bool Lit() const { return FLit; }
  void SetLit(bool Value) { FLit = Value; }
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value) { FCaption = Value; }

 private:
  bool FLit = false;
  std::string FCaption;
};

// Shows a caption in capitals: an editor the tests can tell from the
// standard one.
class TTinyCaptionProperty : public rtl::TStringProperty {
 public:
  std::string ClassName() const override { return "TTinyCaptionProperty"; }
};

rtl::TLibModule Module;

[[gnu::constructor]] void Attach() {
  Module.Instance = rtl::HInstance();
  Module.ResInstance = Module.Instance;
  rtl::RegisterModule(&Module);
}
[[gnu::destructor]] void Detach() {
  rtl::UnregisterModule(&Module);
}

constexpr char kUnit[] = "tiny_lamp";
void UnitInit() {
  rtl::EnterUnit(kUnit);
}
void UnitFInit() {
  rtl::LeaveUnit(kUnit);
}

const rtl::TPackageUnitEntry* Units() {
  static const rtl::TPackageUnitEntry Entries[] = {
      rtl::RuntimeUnit("System"), rtl::RuntimeUnit("rtl.core.classes"), {&UnitInit, &UnitFInit}};
  return Entries;
}
const rtl::TPackageInfoTable Table{3, Units()};

}  // namespace

extern "C" {
[[gnu::visibility("default")]] void Initialize() {
  rtl::PackageLoad(&Table, Table.UnitCount);
}
[[gnu::visibility("default")]] void Finalize() {
  rtl::PackageUnload(&Table, Table.UnitCount);
}
[[gnu::visibility("default")]] const rtl::TPackageInfoTable* GetPackageInfoTable() {
  return &Table;
}
[[gnu::visibility("default")]] void Register() {
  rtl::RegisterComponents("Tiny", {TTinyLamp::StaticClassInfo()});
  rtl::RegisterPropertyEditor("string", TTinyLamp::StaticClassInfo(), "Caption",
                              rtl::EditorClassOf<TTinyCaptionProperty>());
}
}
