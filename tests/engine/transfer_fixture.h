// SPDX-License-Identifier: MIT
// Drives the transfer methods one file at a time, as the run would, and records
// every event they raise in order.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/quindle.h"
#include "engine/quindle_access.h"
#include "rtl/files/lz/szdd_encoder.h"
#include "support/test_support.h"

namespace quindle {

// A last-write time with a microsecond part, in the layer's packed encoding.
constexpr int64_t kSrcAge = 1234567890123456;    // 2009-02-13
constexpr int64_t kOtherAge = 1500000000654321;  // 2017-07-14

// Sets a file's last-write time, packed (microseconds since 1970).
inline void SetAge(const std::string& Name, int64_t Age) {
  struct timespec Times[2];
  Times[0].tv_sec = 0;
  Times[0].tv_nsec = UTIME_OMIT;
  Times[1].tv_sec = static_cast<time_t>(Age / 1000000);
  Times[1].tv_nsec = static_cast<long>(Age % 1000000) * 1000;
  ASSERT_EQ(utimensat(AT_FDCWD, Name.c_str(), Times, 0), 0) << Name;
}

inline bool Exists(const std::string& Name) {
  struct stat St;
  return ::lstat(Name.c_str(), &St) == 0;
}

class TransferFixture : public ::testing::Test {
 protected:
  TransferFixture() {
    Q.SetOnProgressChange([this](rtl::TObject*) {
      Log.push_back("P" + std::to_string(Q.Progress()));
      if (ProgressHook) ProgressHook();
    });
    Q.SetOnSetAttr([this](rtl::TObject*, std::string, int32_t& Attr, rtl::TDateTime& Date) {
      Log.push_back("SetAttr");
      if (SetAttrHook) SetAttrHook(Attr, Date);
    });
    Q.SetOnOpenSrcError([this](rtl::TObject*) { Log.push_back("OpenSrcError"); });
    Q.SetOnOpenTgtError([this](rtl::TObject*) {
      Log.push_back("OpenTgtError");
      if (OpenTgtHook) OpenTgtHook();
    });
    Q.SetOnLZCopyError([this](rtl::TObject*) { Log.push_back("LZCopyError"); });
    Q.SetOnMoveFileError([this](rtl::TObject*) { Log.push_back("MoveFileError"); });
    SetEntries(1);
  }

  // N entries in SourceFilenames; only their number matters to the methods.
  void SetEntries(int N) {
    Q.SourceFilenames()->Clear();
    for (int I = 0; I < N; ++I) Q.SourceFilenames()->Add("entry" + std::to_string(I));
  }

  // Writes a source with the fixed last-write time and returns its full name.
  std::string MakeSource(const std::string& Name, const std::string& Content) {
    const std::string Full = Dir / Name;
    testing::WriteFile(Full, Content);
    SetAge(Full, kSrcAge);
    return Full;
  }

  // Fills the current-file fields as the run does after its search.
  void Select(const std::string& Src, const std::string& Tgt, uint8_t Attr) {
    struct stat St {};
    ::stat(Src.c_str(), &St);
    Access.SetCurrentFile(Src, Tgt, Attr, rtl::FileDateToDateTime(kSrcAge), St.st_size);
  }

  // The attribute word a file given Attr reads back with here: where the file
  // system keeps no extended attributes only the read-only bit survives.
  int32_t Readable(int32_t Attr) {
    const std::string Probe = Dir / "attr-probe";
    testing::WriteFile(Probe, "");
    const bool Stored =
        rtl::FileSetAttr(Probe, rtl::faArchive) == 0 && rtl::FileGetAttr(Probe) == rtl::faArchive;
    ::unlink(Probe.c_str());
    return Stored ? Attr : Attr & rtl::faReadOnly;
  }

  void Run(TCopyType Type) {
    switch (Type) {
      case ctStream:
        Access.StreamCopy();
        break;
      case ctBlock:
        Access.BlockCopy();
        break;
      case ctLZCopy:
        Access.LZExpandCopy();
        break;
      case ctMove:
        Access.MoveCopy();
        break;
    }
  }

  testing::TempDir Dir;
  TQuindle Q{nullptr};
  TQuindleTestAccess Access{Q};
  std::vector<std::string> Log;
  std::function<void()> ProgressHook;
  std::function<void(int32_t&, rtl::TDateTime&)> SetAttrHook;
  std::function<void()> OpenTgtHook;
};

// The source a method reads to produce Data: LZ expansion reads its
// compressed form.
inline std::string SourceBytes(TCopyType Type, const std::string& Data) {
  return Type == ctLZCopy ? rtl::SZDDCompress(Data) : Data;
}

inline const char* MethodName(TCopyType Type) {
  static const char* const Names[] = {"Stream", "Block", "LZ", "Move"};
  return Names[Type];
}

}  // namespace quindle
