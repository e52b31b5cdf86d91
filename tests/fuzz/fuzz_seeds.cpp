// SPDX-License-Identifier: MIT
// Writes the starting corpus of every fuzz target into <out>/<target>/:
// inputs made here with the library's own writers, the project's own layouts
// and icons, and the files of the shared corpus when its folder is given.
// Targets whose inputs start with a selector byte get that byte in front.
//
//   fuzz_seeds <out> <source tree> [<shared corpus>]
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/form_file.h"
#include "engine/quindle.h"
#include "rtl/files/lz/szdd_encoder.h"

namespace fs = std::filesystem;

namespace {

fs::path Out;
int Written = 0;

std::string Slurp(const fs::path& Path) {
  std::ifstream In(Path, std::ios::binary);
  return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}

void Seed(const std::string& Target, const std::string& Data) {
  fs::create_directories(Out / Target);
  std::ofstream(Out / Target / ("seed-" + std::to_string(++Written)), std::ios::binary) << Data;
}

std::vector<fs::path> FilesIn(const fs::path& Folder) {
  std::vector<fs::path> Files;
  if (fs::is_directory(Folder))
    for (const fs::directory_entry& E : fs::directory_iterator(Folder))
      if (E.is_regular_file()) Files.push_back(E.path());
  return Files;
}

std::string Bytes(std::initializer_list<int> List) {
  std::string S;
  for (int B : List) S.push_back(static_cast<char>(B));
  return S;
}

std::string Repeated(const std::string& Piece, size_t Size) {
  std::string S;
  while (S.size() < Size) S += Piece;
  return S.substr(0, Size);
}

void LzSeeds(const fs::path& Shared) {
  std::vector<std::string> Streams;
  for (const std::string& Text :
       {std::string(), std::string("a"), std::string("This is a test file."),
        Repeated("abcabcabd ", 300), Repeated("line 17 of text\n", 9000)})
    for (char Missing : {'t', '\0'}) Streams.push_back(rtl::SZDDCompress(Text, Missing));
  Streams.push_back("plain text, not compressed");
  Streams.push_back(Bytes({'K', 'W', 'A', 'J', 0x88, 0xF0, 0x27, 0xD1, 0, 0, 0, 0}));
  for (const fs::path& File : FilesIn(Shared / "szdd")) Streams.push_back(Slurp(File));
  for (const std::string& S : Streams)
    for (char Source : {'\0', '\1'}) Seed("lz", Source + S);
}

void NameSeeds() {
  const std::string Headers[] = {rtl::SZDDCompress("x", 't'), rtl::SZDDCompress("x", '\0'),
                                 rtl::SZDDCompress("x", '/'), rtl::SZDDCompress("x", '.'), "plain"};
  for (const std::string Name : {"file.tx_", "README_", "_", "._", "MUANGELO.CN_", "a.b.c_"})
    for (const std::string& H : Headers)
      Seed("expanded_name", static_cast<char>(Name.size()) + Name + H);
}

void DosAttribSeeds() {
  const std::string SambaV5 =
      Bytes({0x00, 0x00, 0x05, 0x00, 0x05, 0x00, 0x00, 0x00, 0x11, 0x00, 0x00, 0x00,
             0x20, 0x04, 0x00, 0x00, 0x99, 0x9c, 0x19, 0xae, 0x54, 0xaa, 0xdc, 0x01});
  const std::string V3 = std::string("0x22", 5) + Bytes({0, 3, 0, 3, 0, 0, 0}) +
                         Bytes({1, 0, 0, 0, 0x26, 0, 0, 0}) + std::string(36, '\0');
  for (const std::string& V :
       {std::string("0x22", 5), std::string("0x26"), std::string("0X2A"), SambaV5, V3,
        Bytes({0, 0, 1, 0, 1, 0, 0, 0, 7, 0, 0, 0}) + std::string(36, '\0'),
        Bytes({0, 0, 2, 0, 2, 0, 0, 0, 0xFF, 0, 0, 0, 0x24, 0, 0, 0}),
        Bytes({0, 0, 4, 0, 4, 0, 0, 0, 1, 0, 0, 0, 0x20, 0, 0, 0}) + std::string(40, '\0')})
    Seed("dosattrib", V);
}

void IconSeeds(const fs::path& Tree) {
  for (const fs::path& File : FilesIn(Tree / "dialogs" / "icons"))
    for (char Size : {'\x20', '\x10', '\x30'}) Seed("icon", Size + Slurp(File));
}

void FormSeeds(const fs::path& Tree, const fs::path& Shared) {
  std::vector<std::string> Texts;
  for (const fs::path& File : FilesIn(Shared / "forms"))
    if (File.extension() != ".json") Texts.push_back(Slurp(File));
  const std::string Overwrite = Slurp(Tree / "dialogs" / "overwrite_dialog.lfm");
  const std::string About = Slurp(Tree / "dialogs" / "about_box.lfm");
  Texts.push_back(Overwrite);
  Texts.push_back(About);
  Texts.push_back(Slurp(Tree / "tests" / "rtl" / "data" / "test_form.lfm"));

  quindle::TQuindle Quindle(nullptr);
  Quindle.SetName("Quindle1");
  Texts.push_back(quindle::WriteQuindleForm(Quindle));
  Quindle.SetCopyType(quindle::ctLZCopy);
  Quindle.SetTargetFilename("out/");
  Quindle.SourceFilenames()->Add("a.tx_");
  Quindle.SourceFilenames()->Add("b c/*.*");
  Quindle.SrcFileTypes()->SetHidden(true);
  Quindle.SetOverwriteIfExist(false);
  Texts.push_back(quindle::WriteQuindleForm(Quindle));

  // The first byte picks the dialog: 0 the overwrite dialog, 1 the About box.
  for (const std::string& T : Texts) {
    Seed("form_parser", T);
    Seed("form_quindle", T);
    Seed("dialog_layout", '\0' + T);
    Seed("dialog_layout", '\1' + T);
  }
  // The dialog's own controls, changed in place.
  Seed("dialog_layout", std::string(1, '\0') +
                            "object OverwriteDialog: TOverwriteDialog\n"
                            "  Caption = 'Replace?'\n"
                            "  inherited YesButton: TButton\n"
                            "    Caption = '&Sure'\n"
                            "    Default = False\n"
                            "  end\n"
                            "end\n");
  Seed("dialog_layout", std::string(1, '\1') +
                            "object QDAboutBox: TQDAboutBox\n"
                            "  inherited Panel1: TPanel\n"
                            "    inherited Version: TLabel\n"
                            "      Caption = 'Release'\n"
                            "    end\n"
                            "  end\n"
                            "end\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: fuzz_seeds <out> <source tree> [<shared corpus>]\n");
    return 2;
  }
  Out = argv[1];
  const fs::path Tree = argv[2];
  const fs::path Shared = argc > 3 ? fs::path(argv[3]) : fs::path();
  fs::remove_all(Out);
  LzSeeds(Shared);
  NameSeeds();
  DosAttribSeeds();
  IconSeeds(Tree);
  FormSeeds(Tree, Shared);
  std::printf("fuzz_seeds: %d inputs in %s\n", Written, Out.c_str());
  return 0;
}
