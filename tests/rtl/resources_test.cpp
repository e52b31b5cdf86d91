// SPDX-License-Identifier: MIT
#include "rtl/ui/resources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "rtl/ui/graphics.h"

#ifdef _WIN32
#include <windows.h>
#undef FindResource
#undef RT_RCDATA
#undef RT_BITMAP
#undef RT_GROUP_ICON
#undef EnumResourceNames

namespace {

// The module imports the platform layer from this program, so the program
// loads it once it runs (see tests/CMakeLists.txt).
rtl::HINSTANCE resources_test_module_instance() {
  static const HMODULE Module = LoadLibraryA(QUINDLE_TEST_MODULE);
  const auto Instance = reinterpret_cast<rtl::HINSTANCE (*)()>(
      reinterpret_cast<void*>(GetProcAddress(Module, "resources_test_module_instance")));
  return Instance != nullptr ? Instance() : nullptr;
}

}  // namespace
#else
extern "C" rtl::HINSTANCE resources_test_module_instance();
#endif

rtl::HINSTANCE resources_test_static_instance();

namespace {

std::string SourceFile(const std::string& Relative) {
  std::ifstream In(std::string(QUINDLE_SOURCE_DIR) + "/" + Relative, std::ios::binary);
  std::ostringstream Out;
  Out << In.rdbuf();
  return Out.str();
}

TEST(Resources, ModulesAreTold) {
  const rtl::HINSTANCE Program = rtl::HInstance();
  ASSERT_NE(Program, nullptr);
  EXPECT_NE(resources_test_module_instance(), nullptr);
  EXPECT_NE(resources_test_module_instance(), Program);
  // A static library's code belongs to the program that links it.
  EXPECT_EQ(resources_test_static_instance(), Program);
  EXPECT_EQ(rtl::FindHInstance(nullptr), nullptr);
  EXPECT_EQ(rtl::FindResource(nullptr, rtl::RT_RCDATA, "GREETING"), nullptr);
}

struct TLookup {
  const char* Case;
  bool InModule;  // look in the shared module rather than the program
  const char* Type;
  const char* Name;
  const char* File;  // expected content, or nullptr for "not found"
};

class ResourceLookup : public ::testing::TestWithParam<TLookup> {};

TEST_P(ResourceLookup, FindsExactlyTheModulesOwnResources) {
  const TLookup& L = GetParam();
  const rtl::HINSTANCE Instance = L.InModule ? resources_test_module_instance() : rtl::HInstance();
  const rtl::TResourceEntry* E = rtl::FindResource(Instance, L.Type, L.Name);
  if (L.File == nullptr) {
    EXPECT_EQ(E, nullptr);
    EXPECT_THROW(rtl::LoadResource(Instance, L.Type, L.Name), rtl::EResNotFound);
    return;
  }
  ASSERT_NE(E, nullptr);
  EXPECT_EQ(rtl::LoadResource(Instance, L.Type, L.Name), SourceFile(L.File));
}

INSTANTIATE_TEST_SUITE_P(
    Table, ResourceLookup,
    ::testing::Values(
        TLookup{"ProgramText", false, rtl::RT_RCDATA, "GREETING", "tests/rtl/data/greeting.txt"},
        TLookup{"NameIgnoresCase", false, "rcdata", "Greeting", "tests/rtl/data/greeting.txt"},
        TLookup{"EmptyFile", false, rtl::RT_RCDATA, "EMPTY", "tests/rtl/data/empty.txt"},
        TLookup{"IconGroup", false, rtl::RT_GROUP_ICON, "DOC_ICO", "dialogs/icons/document.ico"},
        TLookup{"StaticLibraryKept", false, rtl::RT_RCDATA, "STATIC_NOTE",
                "tests/rtl/data/static_note.txt"},
        TLookup{"ModuleHasItsOwn", true, rtl::RT_RCDATA, "GREETING",
                "tests/rtl/data/module_greeting.txt"},
        TLookup{"MissingName", false, rtl::RT_RCDATA, "FAREWELL", nullptr},
        TLookup{"WrongType", false, rtl::RT_BITMAP, "GREETING", nullptr},
        TLookup{"IconIsNotData", false, rtl::RT_RCDATA, "DOC_ICO", nullptr},
        TLookup{"WrongModule", true, rtl::RT_GROUP_ICON, "DOC_ICO", nullptr}),
    [](const auto& Info) { return std::string(Info.param.Case); });

TEST(Resources, EnumeratesNamesOfOneType) {
  auto Names = rtl::EnumResourceNames(rtl::HInstance(), rtl::RT_RCDATA);
  std::sort(Names.begin(), Names.end());
  EXPECT_EQ(Names, (std::vector<std::string>{"EMPTY", "GREETING", "STATIC_NOTE"}));
  EXPECT_EQ(rtl::EnumResourceNames(resources_test_module_instance(), rtl::RT_GROUP_ICON).size(),
            0u);
}

TEST(Resources, LoadIconTakesTheGroupOfThatModuleOnly) {
  rtl::HICON Icon = rtl::LoadIconA(rtl::HInstance(), "DOC_ICO");
  ASSERT_TRUE(Icon);
  EXPECT_EQ(Icon->Width, 32);
  EXPECT_EQ(Icon->Height, 32);
  EXPECT_FALSE(rtl::LoadIconA(resources_test_module_instance(), "DOC_ICO"));
  EXPECT_FALSE(rtl::LoadIconA(rtl::HInstance(), "GREETING"));
}

TEST(Resources, ABitmapResourceIsItsFileWithoutTheFileHeader) {
  const std::string File = SourceFile("dialogs/icons/emblem24.bmp");
  const std::string_view Stored = rtl::LoadResource(rtl::HInstance(), rtl::RT_BITMAP, "EMBLEM");
  EXPECT_EQ(Stored.size(), 392u);
  EXPECT_EQ(Stored, File.substr(14));
  rtl::TBitmap FromResource, FromFile;
  FromResource.LoadFromResourceName(rtl::HInstance(), "EMBLEM");
  FromFile.LoadFromData(File);
  EXPECT_EQ(FromResource.Width(), 24);
  EXPECT_EQ(FromResource.PixelData(), FromFile.PixelData());
  EXPECT_THROW(FromResource.LoadFromResourceName(rtl::HInstance(), "GREETING"), rtl::EResNotFound);
}

TEST(Resources, ARegistrationEndsWithItsObject) {
  static const unsigned char Bytes[] = {1, 2, 3};
  static const rtl::TResourceEntry Entries[] = {{rtl::RT_RCDATA, "SCOPED", Bytes, 3}};
  {
    rtl::TResourceRegistration Scoped(Entries, 1);
    EXPECT_EQ(rtl::LoadResource(rtl::HInstance(), rtl::RT_RCDATA, "SCOPED").size(), 3u);
  }
  EXPECT_EQ(rtl::FindResource(rtl::HInstance(), rtl::RT_RCDATA, "SCOPED"), nullptr);
}

}  // namespace
