// SPDX-License-Identifier: MIT
// Every resource of the package module, read back from the built module and
// checked against what the package must carry, byte by byte where the bytes
// are fixed.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>

#include "rtl/core/packages.h"
#include "rtl/ui/modules.h"
#include "support/test_support.h"

namespace {

using quindle::testing::ReadFile;
const std::string kSource = QUINDLE_SOURCE_DIR;

class PackageResources : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Instance = rtl::LoadLibrary(QUINDLE_PACKAGE);
    ASSERT_NE(Instance, nullptr) << rtl::LoadError();
  }
  static void TearDownTestSuite() { rtl::FreeLibrary(Instance); }
  static std::string Resource(const char* Type, const char* Name) {
    const rtl::TResourceEntry* E = rtl::FindResource(Instance, Type, Name);
    return E == nullptr ? std::string("<missing>")
                        : std::string(reinterpret_cast<const char*>(E->Data), E->Size);
  }
  static rtl::HINSTANCE Instance;
};
rtl::HINSTANCE PackageResources::Instance = nullptr;

uint32_t U32(const std::string& B, size_t At) {
  return static_cast<uint8_t>(B.at(At)) | static_cast<uint8_t>(B.at(At + 1)) << 8 |
         static_cast<uint8_t>(B.at(At + 2)) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(B.at(At + 3))) << 24;
}
uint16_t U16(const std::string& B, size_t At) {
  return static_cast<uint16_t>(static_cast<uint8_t>(B.at(At)) | static_cast<uint8_t>(B.at(At + 1))
                                                                    << 8);
}

std::string Utf16z(const std::string& Ascii) {
  std::string Out;
  for (char C : Ascii) Out += std::string{C, '\0'};
  return Out + std::string(2, '\0');
}

TEST_F(PackageResources, FilesOfTheTreeAreEmbeddedUnchanged) {
  struct TCase {
    const char* Type;
    const char* Name;
    const char* File;
    size_t Skip;  // a bitmap resource is its file without the 14-byte header
  } Cases[] = {
      {rtl::RT_BITMAP, "TQUINDLE", "dialogs/icons/emblem24.bmp", 14},
      {rtl::RT_GROUP_ICON, "ZZZZZZ_ICO", "dialogs/icons/replace.ico", 0},
      {rtl::RT_GROUP_ICON, "ZZZZZY_ICO", "dialogs/icons/document.ico", 0},
      {rtl::RT_RCDATA, "TQDABOUTBOX", "dialogs/about_box.lfm", 0},
      {rtl::RT_RCDATA, "TOVERWRITEDIALOG", "dialogs/overwrite_dialog.lfm", 0},
  };
  for (const TCase& C : Cases)
    EXPECT_EQ(Resource(C.Type, C.Name), ReadFile(kSource + "/" + C.File).substr(C.Skip)) << C.Name;
}

TEST_F(PackageResources, PaletteBitmapIs24By24In16Colours) {
  const std::string B = Resource(rtl::RT_BITMAP, "TQUINDLE");
  ASSERT_EQ(B.size(), 392u);
  EXPECT_EQ(U32(B, 0), 40u);  // header size
  EXPECT_EQ(U32(B, 4), 24u);  // width
  EXPECT_EQ(U32(B, 8), 24u);  // height, bottom-up
  EXPECT_EQ(U16(B, 12), 1u);  // planes
  EXPECT_EQ(U16(B, 14), 4u);  // bits per pixel
  EXPECT_EQ(U32(B, 16), 0u);  // uncompressed
  // The standard 16-colour palette, as blue, green, red, 0.
  const uint32_t Palette[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
  for (int I = 0; I < 16; ++I) EXPECT_EQ(U32(B, 40 + 4 * I), Palette[I]) << I;
  // 24 rows of 12 bytes, each padded to 12 (a multiple of 4).
  EXPECT_EQ(B.size(), 40u + 64u + 24u * 12u);
}

TEST_F(PackageResources, DescriptionIsZeroTerminatedUtf16) {
  EXPECT_EQ(Resource(rtl::RT_RCDATA, "DESCRIPTION"), Utf16z("Vantrel Quindle Package"));
  EXPECT_EQ(Resource(rtl::RT_RCDATA, "DESCRIPTION").size(), 48u);
}

TEST_F(PackageResources, PackageInfoIsExactlyTheLayout) {
  // Built here by hand: the flags, three required packages, six units.
  auto Hash = [](const std::string& Name) {
    uint8_t H = 0;
    for (char C : Name) H = static_cast<uint8_t>((H << 1 | H >> 7) ^ std::toupper(C));
    return static_cast<char>(H);
  };
  std::string Expected("\x02\x00\x00\x40\x03\x00\x00\x00", 8);
  for (const std::string P : {"dclstd30", "VCLDB30", "vcl30"})
    Expected += Hash(P) + P + std::string(1, '\0');
  Expected += std::string("\x06\x00\x00\x00", 4);
  const std::pair<char, std::string> Units[] = {{3, "quindle_design"},   {0, "quindle"},
                                                {0, "SysInit"},          {0, "about_box"},
                                                {0, "overwrite_dialog"}, {0, "quindle_reg"}};
  for (const auto& [Flags, Name] : Units)
    Expected += std::string(1, Flags) + Hash(Name) + Name + std::string(1, '\0');
  const std::string Info = Resource(rtl::RT_RCDATA, "PACKAGEINFO");
  EXPECT_EQ(Info, Expected);
  EXPECT_EQ(Info.size(), 120u);

  const rtl::TPackageInfo Decoded = rtl::DecodePackageInfo(Info);
  EXPECT_EQ(Decoded.Flags, rtl::pfPackageModule | rtl::pfDesignOnly);
  ASSERT_EQ(Decoded.Units.size(), 6u);
  EXPECT_EQ(Decoded.Units[0].Flags, rtl::ufMainUnit | rtl::ufPackageUnit);
  // Damaged blocks are refused, never read past their end.
  for (const std::string& Bad : {Info.substr(0, Info.size() - 1), Info + '\0', Info.substr(0, 9),
                                 std::string("\x02\x00\x00\x40\xff\xff\xff\xff", 8)})
    EXPECT_THROW(rtl::DecodePackageInfo(Bad), rtl::EPackageError) << Bad.size();
  std::string WrongHash = Info;
  WrongHash[8] = static_cast<char>(WrongHash[8] ^ 1);
  EXPECT_THROW(rtl::DecodePackageInfo(WrongHash), rtl::EPackageError);
}

TEST_F(PackageResources, OptionsCarryTheDescriptionAgain) {
  const std::string Options = Resource(rtl::RT_RCDATA, "PACKAGEOPTIONS");
  ASSERT_GE(Options.size(), 8u);
  EXPECT_EQ(U32(Options, 0), 1u);
  EXPECT_NE(Options.find("\x17Vantrel Quindle Package"), std::string::npos);
}

// A walk of the standard version-resource layout: each block is its length,
// its value's length, its type, a zero-terminated UTF-16 key padded to 4
// bytes, the value padded to 4, then its children.
struct TBlock {
  std::string Key;
  uint16_t Type = 0;
  std::string Value;
  std::vector<TBlock> Children;
};

std::string Ascii(const std::string& B, size_t& At) {
  std::string S;
  for (; U16(B, At) != 0; At += 2) S += static_cast<char>(U16(B, At));
  At += 2;
  return S;
}

TBlock ReadBlock(const std::string& B, size_t At, size_t& End) {
  TBlock Block;
  const uint16_t Length = U16(B, At);
  const uint16_t ValueLength = U16(B, At + 2);
  Block.Type = U16(B, At + 4);
  End = At + Length;
  EXPECT_LE(End, B.size());
  size_t P = At + 6;
  Block.Key = Ascii(B, P);
  P = (P + 3) & ~size_t{3};
  const size_t ValueBytes = Block.Type == 1 ? ValueLength * 2u : ValueLength;
  Block.Value = B.substr(P, ValueBytes);
  P = (P + ValueBytes + 3) & ~size_t{3};
  while (P < End) {
    size_t ChildEnd = 0;
    Block.Children.push_back(ReadBlock(B, P, ChildEnd));
    P = (ChildEnd + 3) & ~size_t{3};
  }
  return Block;
}

TEST_F(PackageResources, VersionBlockInTheStandardLayout) {
  const std::string B = Resource("VERSION", "1");
  size_t End = 0;
  const TBlock Root = ReadBlock(B, 0, End);
  EXPECT_EQ(End, B.size());
  EXPECT_EQ(Root.Key, "VS_VERSION_INFO");
  ASSERT_EQ(Root.Value.size(), 52u);
  const uint32_t Fixed[13] = {0xFEEF04BD, 0x00010000, 0x00020000, 0, 0x00020000, 0, 0x3F,
                              0,          4,          1,          0, 0,          0};
  for (int I = 0; I < 13; ++I) EXPECT_EQ(U32(Root.Value, 4 * I), Fixed[I]) << "word " << I;

  ASSERT_EQ(Root.Children.size(), 2u);
  const TBlock& Strings = Root.Children[0];
  EXPECT_EQ(Strings.Key, "StringFileInfo");
  ASSERT_EQ(Strings.Children.size(), 1u);
  EXPECT_EQ(Strings.Children[0].Key, "040904E4");
  std::vector<std::pair<std::string, std::string>> Table;
  for (const TBlock& S : Strings.Children[0].Children) {
    size_t At = 0;
    const std::string Text =
        S.Value.empty() ? std::string() : Ascii(S.Value + std::string(2, '\0'), At);
    Table.emplace_back(S.Key, Text);
  }
  const std::vector<std::pair<std::string, std::string>> Expected = {
      {"CompanyName", "The Quindle developers"},
      {"FileDescription", "Quindle Component"},
      {"FileVersion", "2.0.0.0"},
      {"InternalName", ""},
      {"LegalCopyright", "Copyright (c) 2026 The Quindle developers"},
      {"LegalTrademarks", ""},
      {"OriginalFilename", ""},
      {"ProductName", "Quindle Component"},
      {"ProductVersion", "2.0.0.0"},
      {"Comments", ""},
  };
  EXPECT_EQ(Table, Expected);

  const TBlock& Vars = Root.Children[1];
  EXPECT_EQ(Vars.Key, "VarFileInfo");
  ASSERT_EQ(Vars.Children.size(), 1u);
  EXPECT_EQ(Vars.Children[0].Key, "Translation");
  EXPECT_EQ(Vars.Children[0].Value, std::string("\x09\x04\xE4\x04", 4));
}

TEST_F(PackageResources, NothingElseIsEmbedded) {
  std::map<std::string, std::vector<std::string>> Names;
  for (const char* Type : {rtl::RT_BITMAP, rtl::RT_GROUP_ICON, rtl::RT_RCDATA, "VERSION"})
    Names[Type] = rtl::EnumResourceNames(Instance, Type);
  std::sort(Names[rtl::RT_RCDATA].begin(), Names[rtl::RT_RCDATA].end());
  EXPECT_EQ(Names[rtl::RT_BITMAP], std::vector<std::string>{"TQUINDLE"});
  EXPECT_EQ(Names[rtl::RT_GROUP_ICON].size(), 2u);
  EXPECT_EQ(Names[rtl::RT_RCDATA],
            (std::vector<std::string>{"DESCRIPTION", "PACKAGEINFO", "PACKAGEOPTIONS",
                                      "TOVERWRITEDIALOG", "TQDABOUTBOX"}));
  EXPECT_EQ(Names["VERSION"], std::vector<std::string>{"1"});
}

}  // namespace
