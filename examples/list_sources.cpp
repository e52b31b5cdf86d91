// SPDX-License-Identifier: MIT
// Prints the files that a source entry selects, with their attribute words.
//   list_sources [ENTRY]   (default: examples/data)
#include <cstdio>

#include "engine/quindle.h"

int main(int argc, char** argv) {
  quindle::TQuindle Quindle(nullptr);
  rtl::TStringList Sources;
  Sources.Add(argc > 1 ? argv[1] : "examples/data");
  Quindle.SetMultiSrcFN(&Sources);
  const auto& Files = Quindle.FileList();
  const auto& Attrs = Quindle.AttrList();
  std::printf("%d file(s) selected by %s\n", Files.Count(), Sources[0].c_str());
  for (int I = 0; I < Files.Count(); ++I)
    std::printf("%s\t%s\n", Attrs[I].c_str(), Files[I].c_str());
  return 0;
}
