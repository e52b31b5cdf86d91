// SPDX-License-Identifier: MIT
// GetExpandedNameA: the name a compressed file records for its expanded form.

#include <gtest/gtest.h>

#include <filesystem>

#include "rtl/files/lz/lz.h"
#include "rtl/files/lz/szdd_encoder.h"
#include "support/test_support.h"

namespace {

using namespace quindle::testing;

struct NameCase {
  const char* file;      // name on disk
  std::string content;   // bytes of the file
  const char* expanded;  // expected name part of the result
};

std::string Packed(char missing) {
  return rtl::SZDDCompress("some text", missing);
}

TEST(GetExpandedNameA, NameRecordedByTheFile) {
  const NameCase cases[] = {
      {"MUANGELO.CN_", Packed('t'), "MUANGELO.CNT"},  // stored lower, name upper
      {"file.bl_", Packed('a'), "file.bla"},
      {"file.bl_", Packed('A'), "file.bla"},
      {"README.T1_", Packed('x'), "README.T1X"},  // last letter is before the digit
      {"Mixed.tXt_", Packed('q'), "Mixed.tXtq"},  // the last letter decides, not the first
      {"123._", Packed('k'), "123.k"},            // no letter: stored as it is
      {"file.bl_", Packed('\0'), "file.bl"},      // unknown: the '_' goes
      {"_", Packed('\0'), "_"},                   // no dot: the name is whole
      {"_", Packed('z'), "_"},
      {"README_", Packed('x'), "README_"},
      {"README_", Packed('\0'), "README_"},
      {".profil_", Packed('e'), ".profile"},  // a leading dot is a dot
      {"._", Packed('z'), ".z"},
      {"._", Packed('\0'), "._"},             // "." would name the folder itself
      {"._", Packed('.'), "._"},              // ".." its parent
      {"evil.tx_", Packed('/'), "evil.tx_"},  // not a name character: kept
      {"file.txt", Packed('t'), "file.txt"},  // no '_' to replace
      {"plain.tx_", "not compressed at all", "plain.tx_"},
      {"kwaj.tx_", std::string("KWAJ\x88\xF0\x27\xD1\0\0\0\0", 12), "kwaj.tx_"},
      {"short.tx_", Packed('t').substr(0, 12), "short.tx_"},  // header cut short
      {"empty.tx_", "", "empty.tx_"},
  };
  TempDir dir;
  for (const NameCase& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " -> " + c.expanded);
    WriteFile(dir / c.file, c.content);
    std::string name = "stale";
    ASSERT_EQ(rtl::GetExpandedNameA(dir / c.file, name), 1);
    EXPECT_EQ(name, dir / c.expanded);
    std::filesystem::remove(dir / c.file);
  }
}

TEST(GetExpandedNameA, NamesLongerThan255Characters) {
  TempDir dir;
  std::filesystem::path sub = dir.path() / std::string(200, 'd');
  std::filesystem::create_directory(sub);
  std::string file = (sub / (std::string(200, 'n') + ".tx_")).string();
  ASSERT_GT(file.size(), 400u);
  WriteFile(file, Packed('t'));
  std::string name;
  ASSERT_EQ(rtl::GetExpandedNameA(file, name), 1);
  EXPECT_EQ(name, file.substr(0, file.size() - 1) + "t");
}

TEST(GetExpandedNameA, UnopenableSourceFailsAndKeepsTheBuffer) {
  TempDir dir;
  std::filesystem::create_directory(dir / "folder.tx_");
  for (const std::string& source : {dir / "missing.tx_", dir / "folder.tx_", std::string()}) {
    std::string name = "unchanged";
    EXPECT_LT(rtl::GetExpandedNameA(source, name), 0) << source;
    EXPECT_EQ(name, "unchanged");
  }
}

}  // namespace
