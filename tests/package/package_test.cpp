// SPDX-License-Identifier: MIT
// The component's package as a host meets it: loaded and unloaded through
// the platform's loader, its module record, its units, its registrations
// and every resource of its module.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>

#include "designer/package_host.h"
#include "designer/property_rows.h"
#include "rtl/core/packages.h"
#include "rtl/ui/designintf.h"
#include "rtl/ui/modules.h"
#include "support/test_support.h"
#include "widgetsets/scripted/scripted_widgetset.h"

namespace {

namespace fs = std::filesystem;
using quindle::testing::ReadFile;
using quindle::testing::TempDir;

const std::string kPackage = QUINDLE_PACKAGE;
const std::string kTiny = QUINDLE_TINY_PACKAGE;
const std::string kLanguageModule = QUINDLE_LANGUAGE_MODULE;
const std::string kSource = QUINDLE_SOURCE_DIR;

// The language is taken from the environment when the module is attached.
class LanguageScope {
 public:
  explicit LanguageScope(const char* Value) {
    if (const char* Old = getenv("LC_ALL")) FOld = Old;
    setenv("LC_ALL", Value, 1);
  }
  ~LanguageScope() {
    if (FOld.empty())
      unsetenv("LC_ALL");
    else
      setenv("LC_ALL", FOld.c_str(), 1);
  }

 private:
  std::string FOld;
};

const rtl::TLibModule* RecordOf(rtl::HINSTANCE Instance) {
  for (const rtl::TLibModule* M : rtl::ModuleList())
    if (M->Instance == Instance) return M;
  return nullptr;
}

std::string Bytes(const rtl::TResourceEntry* E) {
  return E == nullptr ? std::string()
                      : std::string(reinterpret_cast<const char*>(E->Data), E->Size);
}

TEST(PackageModule, AttachRegistersTheModuleAndDetachTakesItOff) {
  LanguageScope Language("C");
  const size_t Before = rtl::ModuleList().size();
  const rtl::HINSTANCE Instance = rtl::LoadLibrary(kPackage);
  ASSERT_NE(Instance, nullptr) << rtl::LoadError();
  const rtl::TLibModule* Record = RecordOf(Instance);
  ASSERT_NE(Record, nullptr);
  EXPECT_EQ(rtl::ModuleList().size(), Before + 1);
  // Without a language module the module serves its own resources.
  EXPECT_EQ(Record->ResInstance, Instance);
  EXPECT_EQ(rtl::FindResourceHInstance(Instance), Instance);
  EXPECT_EQ(rtl::GetModuleFileName(Instance), fs::canonical(kPackage).string());
  ASSERT_TRUE(rtl::FreeLibrary(Instance));
  EXPECT_EQ(RecordOf(Instance), nullptr);
  EXPECT_EQ(rtl::ModuleList().size(), Before);
}

TEST(PackageModule, LanguageModuleServesTheFormsAndIsReleasedOnce) {
  TempDir Dir;
  const std::string Package = Dir / "quindle_design.so";
  fs::copy_file(kPackage, Package);
  fs::copy_file(kLanguageModule, Dir / "quindle_design.so.de");
  LanguageScope Language("de_DE.UTF-8");
  // The test holds the language module itself too, so that its count shows
  // how often the package released it.
  const rtl::HINSTANCE Held = rtl::LoadLibrary(Dir / "quindle_design.so.de");
  ASSERT_NE(Held, nullptr) << rtl::LoadError();

  const rtl::HINSTANCE Instance = rtl::LoadLibrary(Package);
  ASSERT_NE(Instance, nullptr) << rtl::LoadError();
  const rtl::TLibModule* Record = RecordOf(Instance);
  ASSERT_NE(Record, nullptr);
  EXPECT_EQ(Record->ResInstance, Held);
  // The language module's layout of the About box, not the package's own.
  const std::string Layout =
      Bytes(rtl::FindModuleResource(Instance, rtl::RT_RCDATA, "TQDABOUTBOX"));
  EXPECT_NE(Layout.find("Caption = 'Info'"), std::string::npos);
  EXPECT_NE(Bytes(rtl::FindResource(Instance, rtl::RT_RCDATA, "TQDABOUTBOX")), Layout);

  ASSERT_TRUE(rtl::FreeLibrary(Instance));
  EXPECT_TRUE(rtl::FreeLibrary(Held)) << "the package released the language module twice";
  EXPECT_FALSE(rtl::FreeLibrary(Held)) << "the package did not release the language module";
}

TEST(PackageModule, LanguageModuleNamesFollowTheLanguage) {
  struct TCase {
    const char* Language;
    std::vector<std::string> Names;
  } Cases[] = {
      {"de_DE", {"/p/m.so.de_DE", "/p/m.so.de"}},
      {"fr", {"/p/m.so.fr"}},
      {"", {}},
      {"../x", {}},  // never a name outside the module's folder
  };
  for (const TCase& C : Cases)
    EXPECT_EQ(rtl::ResourceModuleNames("/p/m.so", C.Language), C.Names) << C.Language;
  LanguageScope Language("pt_BR.UTF-8@latin");
  EXPECT_EQ(rtl::UserLanguage(), "pt_BR");
}

TEST(PackageUnits, InitializeAndFinalizeCountEveryUnitOnce) {
  designer::TPackageHost Host;
  const rtl::HINSTANCE Instance = Host.Load(kPackage).Instance;
  auto Table = Host.Packages().front().GetPackageInfoTable();
  ASSERT_EQ(Table->UnitCount, 30);
  // Load did Initialize: each of the package's units is initialized once,
  // and a runtime unit it holds once more than before.
  for (const char* Unit : {"about_box", "overwrite_dialog", "quindle", "quindle_reg"})
    EXPECT_EQ(rtl::UnitInitCount(Unit), 1) << Unit;
  const int Forms = rtl::UnitInitCount("rtl.ui.forms");
  EXPECT_GE(Forms, 1);
  // The package's own units sit where their pairs belong.
  for (int Pair : {21, 27, 29, 30}) {
    const rtl::TPackageUnitEntry& E = Table->UnitInfo[Pair - 1];
    EXPECT_EQ(rtl::FindHInstance(reinterpret_cast<const void*>(E.Init)), Instance) << Pair;
  }
  Host.Unload(Instance);
  for (const char* Unit : {"about_box", "overwrite_dialog", "quindle", "quindle_reg"})
    EXPECT_EQ(rtl::UnitInitCount(Unit), 0) << Unit;
  EXPECT_EQ(rtl::UnitInitCount("rtl.ui.forms"), Forms - 1);
}

TEST(PackageUnits, AFailingUnitLeavesNothingInitialized) {
  static int Finalized = 0;
  const rtl::TPackageUnitEntry Units[] = {
      {[] { rtl::EnterUnit("t.first"); }, [] { rtl::LeaveUnit("t.first"); }},
      {nullptr, [] { ++Finalized; }},
      {[] { throw rtl::Exception("broken unit"); }, [] { ++Finalized; }},
  };
  const rtl::TPackageInfoTable Table{3, Units};
  EXPECT_THROW(rtl::PackageLoad(&Table, 3), rtl::Exception);
  EXPECT_EQ(rtl::UnitInitCount("t.first"), 0);
  EXPECT_EQ(Finalized, 1);  // the unit without initialization, not the broken one
  EXPECT_THROW(rtl::PackageLoad(&Table, 4), rtl::EPackageError);
}

TEST(PackageRegister, OneComponentOnVantrelAndTheAboutEditorWhereTheRuleSays) {
  designer::TPackageHost Host;
  Host.Load(kPackage);
  std::vector<std::string> OnVantrel;
  for (const rtl::TPaletteEntry& E : rtl::PaletteEntries())
    if (E.Page == "Vantrel") OnVantrel.push_back(E.Class->Name);
  EXPECT_EQ(OnVantrel, std::vector<std::string>{"TQuindle"});
  ASSERT_EQ(rtl::PropertyEditorRegistrations().size(), 1u);

  const rtl::TClassInfo* Quindle = rtl::FindClass("TQuindle");
  const rtl::TClassInfo* AboutBox = rtl::FindPropInfo(Quindle, "About")->ClassOf;
  ASSERT_NE(AboutBox, nullptr);
  // A descendant of TQuindle, an unrelated class, and a class derived from
  // the About box, each publishing properties of chosen types.
  rtl::TClassInfo Descendant{"TMyQuindle", Quindle, nullptr, {}, {}, {}};
  rtl::TClassInfo Other{"TOther", nullptr, nullptr, {}, {}, {}};
  rtl::TClassInfo BoxChild{"TMyAboutBox", AboutBox, nullptr, {}, {}, {}};
  auto Reference = [](const char* Name, const rtl::TClassInfo* Type) {
    rtl::TPropInfo P;
    P.Name = Name;
    P.Kind = rtl::TTypeKind::Component;
    P.ClassOf = Type;
    P.TypeName = Type->Name;
    return P;
  };
  rtl::TPropInfo Text;
  Text.Name = "About";
  Text.Kind = rtl::TTypeKind::String;
  struct TCase {
    const char* Case;
    rtl::TPropInfo Prop;
    const rtl::TClassInfo* Component;
    const char* Editor;
  } Cases[] = {
      {"TheComponent", Reference("About", AboutBox), Quindle, "TQDPropAbout"},
      {"Descendant", Reference("About", AboutBox), &Descendant, "TQDPropAbout"},
      {"NameIgnoresCase", Reference("about", AboutBox), Quindle, "TQDPropAbout"},
      {"TypeDescendant", Reference("About", &BoxChild), Quindle, "TQDPropAbout"},
      {"OtherClass", Reference("About", AboutBox), &Other, "TComponentProperty"},
      {"OtherName", Reference("Info", AboutBox), Quindle, "TComponentProperty"},
      {"OtherType", Text, Quindle, "TStringProperty"},
  };
  for (const TCase& C : Cases)
    EXPECT_EQ(rtl::GetEditorClass(C.Prop, C.Component).Name, C.Editor) << C.Case;
}

TEST(PackageRegister, AnInspectorShowsAboutAsADialogThatCannotBeTyped) {
  designer::TPackageHost Host;
  Host.Load(kPackage);
  const rtl::TClassInfo* Quindle = rtl::FindClass("TQuindle");
  std::unique_ptr<rtl::TComponent> A(Quindle->Create(nullptr));
  std::unique_ptr<rtl::TComponent> B(Quindle->Create(nullptr));

  designer::TInspectorModel Model;
  Model.Select({A.get()});
  const designer::TInspectorRow* About = Model.Find("About");
  ASSERT_NE(About, nullptr);
  EXPECT_EQ(About->EditorClass, "TQDPropAbout");
  EXPECT_EQ(About->Attributes, 76);
  EXPECT_EQ(About->Value, "(TQDAboutBox)");
  EXPECT_TRUE(About->Ellipsis);
  EXPECT_TRUE(About->ReadOnly);
  EXPECT_EQ(Model.Find("About.Caption"), nullptr) << "the About box is not unfolded";
  EXPECT_THROW(About->Editor->SetValue("x"), rtl::Exception);
  // SrcFileTypes unfolds into its seven flags, each a choice of two.
  int Flags = 0;
  for (const designer::TInspectorRow& R : Model.Rows())
    if (R.Depth == 1) {
      ++Flags;
      EXPECT_EQ(R.Values, (std::vector<std::string>{"False", "True"})) << R.Name;
    }
  EXPECT_EQ(Flags, 7);
  ASSERT_NE(Model.Find("SrcFileTypes.Hidden"), nullptr);
  Model.Find("SrcFileTypes.Hidden")->Editor->SetValue("True");
  Model.Refresh();
  EXPECT_EQ(Model.Find("SrcFileTypes.Hidden")->Value, "True");
  EXPECT_EQ(Model.Find("CopyType")->Values,
            (std::vector<std::string>{"ctBlock", "ctLZCopy", "ctMove", "ctStream"}));
  EXPECT_EQ(Model.Find("Progress")->ReadOnly, true) << "a result of a run is not typed";

  // Opened from the inspector: one box at a time, each freed when it closes.
  rtl::TScriptedWidgetSet Script;
  rtl::TWidgetSetScope Scope(Script);
  Script.Queue({rtl::TScriptedAnswer::Enter(), rtl::TScriptedAnswer::Press("OK")});
  About->Editor->Edit();
  About->Editor->Edit();
  ASSERT_EQ(Script.Shown().size(), 2u);
  EXPECT_EQ(Script.Shown()[0].ClassName, "TQDAboutBox");
  EXPECT_NE(Script.Shown()[1].Result, rtl::mrNone);
  EXPECT_EQ(rtl::Application()->ComponentCount(), 0);

  // Two selected: About stays; values that differ show as nothing.
  Model.Select({A.get(), B.get()});
  ASSERT_NE(Model.Find("About"), nullptr);
  EXPECT_EQ(Model.Find("SrcFileTypes.Hidden")->Value, "");
  EXPECT_EQ(Model.Find("TargetFilename")->Value, "");
  Model.Find("TargetFilename")->Editor->SetValue("/tmp/out/");
  Model.Refresh();
  EXPECT_EQ(Model.Find("TargetFilename")->Value, "/tmp/out/");
  Model.Select({});
}

TEST(PackageRegister, TwoPackagesSideBySideAndOneUnloaded) {
  designer::TPackageHost Host;
  const rtl::HINSTANCE Main = Host.Load(kPackage).Instance;
  const rtl::HINSTANCE Tiny = Host.Load(kTiny).Instance;
  std::vector<std::string> Pages;
  for (const rtl::TPaletteEntry& E : rtl::PaletteEntries())
    Pages.push_back(E.Page + ":" + E.Class->Name);
  EXPECT_EQ(Pages, (std::vector<std::string>{"Vantrel:TQuindle", "Tiny:TTinyLamp"}));
  const int Classes = rtl::UnitInitCount("rtl.core.classes");

  std::unique_ptr<rtl::TComponent> Lamp(rtl::FindClass("TTinyLamp")->Create(nullptr));
  designer::TInspectorModel Model;
  Model.Select({Lamp.get()});
  ASSERT_NE(Model.Find("Lit"), nullptr);
  EXPECT_EQ(Model.Find("Lit")->Values, (std::vector<std::string>{"False", "True"}));
  EXPECT_EQ(Model.Find("Caption")->EditorClass, "TTinyCaptionProperty");
  Model.Find("Lit")->Editor->SetValue("True");
  Model.Find("Caption")->Editor->SetValue("hall");
  Model.Refresh();
  EXPECT_EQ(Model.Find("Lit")->Value, "True");
  EXPECT_EQ(Model.Find("Caption")->Value, "hall");
  Model.Select({});
  Lamp.reset();

  // A lamp and a TQuindle share no property.
  std::unique_ptr<rtl::TComponent> Q(rtl::FindClass("TQuindle")->Create(nullptr));
  std::unique_ptr<rtl::TComponent> L(rtl::FindClass("TTinyLamp")->Create(nullptr));
  Model.Select({Q.get(), L.get()});
  EXPECT_TRUE(Model.Rows().empty());
  Model.Select({});
  L.reset();

  Host.Unload(Tiny);
  EXPECT_EQ(rtl::FindClass("TTinyLamp"), nullptr);
  EXPECT_EQ(rtl::UnitInitCount("rtl.core.classes"), Classes - 1);
  ASSERT_EQ(rtl::PaletteEntries().size(), 1u);
  EXPECT_EQ(rtl::PaletteEntries()[0].Class->Name, "TQuindle");
  Model.Select({Q.get()});
  EXPECT_EQ(Model.Find("About")->EditorClass, "TQDPropAbout");
  Model.Select({});
  Q.reset();
  Host.Unload(Main);
  EXPECT_TRUE(rtl::PaletteEntries().empty());
  EXPECT_TRUE(rtl::PropertyEditorRegistrations().empty());
}

TEST(PackageHost, RefusesWhatIsNoUsableDesignTimePackage) {
  designer::TPackageHost Host;
  struct TCase {
    const char* Case;
    std::string File;
    const char* Says;
  } Cases[] = {
      {"Missing", "/nonexistent/quindle_design.so", "/nonexistent/quindle_design.so"},
      {"NoPackageInfo", kLanguageModule, "no package information"},
  };
  for (const TCase& C : Cases) {
    try {
      Host.Load(C.File);
      ADD_FAILURE() << C.Case << ": loaded";
    } catch (const rtl::EPackageError& E) {
      EXPECT_NE(std::string(E.what()).find(C.Says), std::string::npos)
          << C.Case << ": " << E.what();
    }
  }
  EXPECT_TRUE(Host.Packages().empty());
  Host.Load(kPackage);
  EXPECT_THROW(Host.Load(kPackage), rtl::EPackageError);
  EXPECT_EQ(Host.Packages().size(), 1u);
}

}  // namespace
