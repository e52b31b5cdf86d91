// SPDX-License-Identifier: MIT
// GetExpandedNameA on a file whose name and bytes come from the input: the
// answer stays in the file's folder, is a usable name, and differs from the
// source only where an SZDD header completes a cut extension.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "fuzz_check.h"
#include "rtl/files/lz/lz.h"
#include "rtl/files/lz/szdd_format.h"

namespace {

std::string Folder;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char Template[] = "/tmp/quindle-fuzz-name-XXXXXX";
  FUZZ_CHECK(mkdtemp(Template) != nullptr);
  Folder = Template;
  // Removed at exit, whichever way libFuzzer ends.
  std::atexit([] { std::filesystem::remove_all(Folder); });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  // Byte 0: the name's length; then the name; then the file's bytes.
  if (Size == 0) return 0;
  const size_t NameSize = Data[0];
  if (NameSize == 0 || Size < 1 + NameSize) return 0;
  std::string Name(reinterpret_cast<const char*>(Data + 1), NameSize);
  for (char& C : Name)
    if (C == '/' || C == '\0') C = '_';
  if (Name == "." || Name == "..") return 0;
  const uint8_t* Content = Data + 1 + NameSize;
  const size_t ContentSize = Size - 1 - NameSize;

  const std::string Source = Folder + "/" + Name;
  {
    FILE* F = std::fopen(Source.c_str(), "wb");
    FUZZ_CHECK(F != nullptr);
    FUZZ_CHECK(std::fwrite(Content, 1, ContentSize, F) == ContentSize);
    std::fclose(F);
  }
  std::string Expanded = "unset";
  const int32_t Result = rtl::GetExpandedNameA(Source, Expanded);
  unlink(Source.c_str());

  FUZZ_CHECK(Result == 1);
  // Same folder; one name that is neither the folder nor its parent.
  FUZZ_CHECK(Expanded.compare(0, Folder.size() + 1, Folder + "/") == 0);
  const std::string NamePart = Expanded.substr(Folder.size() + 1);
  FUZZ_CHECK(!NamePart.empty() && NamePart != "." && NamePart != "..");
  FUZZ_CHECK(NamePart.find('/') == std::string::npos);

  namespace szdd = rtl::szdd;
  const bool Szdd =
      ContentSize >= szdd::kHeaderSize && std::memcmp(Content, szdd::kMagic, szdd::kMagicSize) == 0;
  const bool CutExtension = Name.back() == '_' && Name.find('.') != std::string::npos;
  if (!Szdd || !CutExtension) {
    FUZZ_CHECK(NamePart == Name);
    return 0;
  }
  // Only the final '_' is replaced or dropped.
  FUZZ_CHECK(NamePart.compare(0, Name.size() - 1, Name, 0, Name.size() - 1) == 0);
  FUZZ_CHECK(NamePart.size() == Name.size() || NamePart.size() + 1 == Name.size());
  return 0;
}
