// SPDX-License-Identifier: MIT
// Drives the transfer methods one file at a time, as the run would, and records
// every event they raise in order.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/quindle.h"
#include "engine/quindle_access.h"
#include "rtl/files/handles.h"
#include "rtl/files/lz/szdd_encoder.h"
#include "support/test_support.h"

namespace quindle {

// Last-write times in the layer's packed encoding. kSrcAge has every digit
// of its tick set (to the microsecond on POSIX, to the 100 ns on Windows), so
// a copy that loses a digit shows; kOtherAge, a date a handler gives,
// passes through a TDateTime and is whole microseconds.
constexpr int64_t kTick = rtl::FileDateTicksPerSecond / 1000000;  // ticks per microsecond
constexpr int64_t kSrcAge =
    1234567890 * rtl::FileDateTicksPerSecond + 123456 * kTick + (kTick - 1);  // 2009-02-13
constexpr int64_t kOtherAge = 1500000000 * rtl::FileDateTicksPerSecond + 654321 * kTick;  // 2017

// Sets a file's last-write time, packed.
inline void SetAge(const std::string& Name, int64_t Age) {
  rtl::TFileHandle H;
  ASSERT_FALSE(rtl::OpenFile(Name, rtl::TAccess::Write, H)) << Name;
  ASSERT_EQ(rtl::FileSetDate(H.Get(), Age), 0) << Name;
}

// True for a name that exists, also as a dangling link.
inline bool Exists(const std::string& Name) {
  std::error_code Error;
  return std::filesystem::symlink_status(Name, Error).type() !=
         std::filesystem::file_type::not_found;
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
    std::error_code Error;
    const auto Size = std::filesystem::file_size(Src, Error);
    Access.SetCurrentFile(Src, Tgt, Attr, rtl::FileDateToDateTime(kSrcAge),
                          Error ? 0 : static_cast<int64_t>(Size), kSrcAge);
  }

  // The attribute word a file given Attr reads back with here: where the file
  // system keeps no extended attributes only the read-only bit survives;
  // where it sets the archive bit on every file (Wine), that comes too.
  int32_t Readable(int32_t Attr) {
    if (!testing::ArchiveBitCanBeCleared(Dir.path().string())) Attr |= rtl::faArchive;
    const std::string Probe = Dir / "attr-probe";
    testing::WriteFile(Probe, "");
    const bool Stored =
        rtl::FileSetAttr(Probe, rtl::faArchive) == 0 && rtl::FileGetAttr(Probe) == rtl::faArchive;
    std::filesystem::remove(Probe);
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
