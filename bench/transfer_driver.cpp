// SPDX-License-Identifier: MIT
// Copies one file through the component's public interface with a chosen
// transfer method, so that bench/transfer.sh can time it against cp and dd.
//
//   transfer_driver stream|block|lz|move SOURCE TARGET
//
// Exits with 0 when the run reported no failure, 1 when it did, 2 on bad usage.
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/quindle.h"

namespace {

bool ParseMethod(const char* Name, quindle::TCopyType& Type) {
  for (const quindle::TCopyTypeName& T : quindle::kCopyTypes) {
    if (std::strcmp(Name, T.CommandName) == 0) {
      Type = T.Value;
      return true;
    }
  }
  return false;
}

// "stream|block|lz|move"
std::string MethodNames() {
  std::string Names;
  for (const quindle::TCopyTypeName& T : quindle::kCopyTypes)
    Names += (Names.empty() ? "" : "|") + std::string(T.CommandName);
  return Names;
}

}  // namespace

int main(int argc, char** argv) {
  quindle::TCopyType Type = quindle::ctStream;
  if (argc != 4 || !ParseMethod(argv[1], Type)) {
    std::fprintf(stderr, "usage: %s %s SOURCE TARGET\n", argv[0], MethodNames().c_str());
    return 2;
  }
  quindle::TQuindle Q(nullptr);
  Q.SourceFilenames()->Add(argv[2]);
  Q.SetTargetFilename(argv[3]);
  Q.SetCopyType(Type);
  Q.SetOverwriteIfExist(true);
  Q.SetShowMessages(false);
  bool Failed = false;
  const auto Fail = [&Failed](const char* What) {
    return [&Failed, What](rtl::TObject*) {
      std::fprintf(stderr, "transfer_driver: %s\n", What);
      Failed = true;
    };
  };
  Q.SetOnOpenSrcError(Fail("cannot open the source"));
  Q.SetOnOpenTgtError(Fail("cannot create or write the target"));
  Q.SetOnLZCopyError(Fail("LZ expansion failed"));
  Q.SetOnMoveFileError(Fail("the source is read-only"));
  Q.SetOnSrcFileNotExist(Fail("the source does not exist"));
  Q.SetOnDirNotExist(Fail("the target directory does not exist"));
  Q.Execute();
  return Failed ? 1 : 0;
}
