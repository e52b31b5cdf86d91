// SPDX-License-Identifier: MIT
// The file services as Windows defines them: both separators and drive
// letters, names compared without regard to case, the system's attribute
// bits, names kept for devices, long names and same-file identity.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "rtl/files/file_identity.h"
#include "rtl/files/fileutils.h"
#include "rtl/files/handles.h"
#include "support/test_support.h"

namespace {

using quindle::testing::ReadFile;
using quindle::testing::TempDir;
using quindle::testing::WriteFile;

std::vector<std::string> Search(const std::string& Path, int32_t Mask) {
  std::vector<std::string> Names;
  rtl::TSearchRec F;
  for (int32_t Rc = rtl::FindFirst(Path, Mask, F); Rc == 0; Rc = rtl::FindNext(F))
    Names.push_back(F.Name);
  rtl::FindClose(F);
  return Names;
}

TEST(WindowsNames, BothSeparatorsAndTheDriveColonSplitNames) {
  struct Case {
    const char* Name;
    const char* File;
    const char* Path;
    const char* Dir;
  };
  const Case Cases[] = {
      {"C:\\dir\\a.txt", "a.txt", "C:\\dir\\", "C:\\dir"},
      {"C:\\a.txt", "a.txt", "C:\\", "C:\\"},
      {"C:a.txt", "a.txt", "C:", "C:"},
      {"dir/sub\\x.txt", "x.txt", "dir/sub\\", "dir/sub"},
      {"dir\\sub/x.txt", "x.txt", "dir\\sub/", "dir\\sub"},
      {"\\\\server\\share\\f", "f", "\\\\server\\share\\", "\\\\server\\share"},
      {"dir\\\\*.*", "*.*", "dir\\\\", "dir\\\\"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    EXPECT_EQ(rtl::ExtractFileName(C.Name), C.File);
    EXPECT_EQ(rtl::ExtractFilePath(C.Name), C.Path);
    EXPECT_EQ(rtl::ExtractFileDir(C.Name), C.Dir);
  }
}

TEST(WindowsSearch, PatternsIgnoreCaseAndFollowTheWindowsRules) {
  TempDir Dir;
  for (const char* Name : {"ReadMe.TXT", "notes.txt", "Makefile", "b.TxT2", "data.tar.gz"})
    WriteFile(Dir / Name, "x");
  struct Case {
    const char* Pattern;
    std::vector<std::string> Names;  // in the order a search yields them
  };
  const Case Cases[] = {
      {"*.*", {"b.TxT2", "data.tar.gz", "Makefile", "notes.txt", "ReadMe.TXT"}},
      {"*", {"b.TxT2", "data.tar.gz", "Makefile", "notes.txt", "ReadMe.TXT"}},
      {"*.txt", {"notes.txt", "ReadMe.TXT"}},
      {"README.*", {"ReadMe.TXT"}},
      {"makefile.*", {"Makefile"}},
      {"*.", {"Makefile"}},
      {"?.t*", {"b.TxT2"}},
      {"*.GZ", {"data.tar.gz"}},
      {"*.none", {}},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Pattern);
    EXPECT_EQ(Search(Dir / C.Pattern, 0), C.Names);
    // With the directory bit in the mask the entries "." and ".." come too.
    std::vector<std::string> Any = Search(Dir / C.Pattern, rtl::faAnyFile);
    std::erase_if(Any, [](const std::string& N) { return N == "." || N == ".."; });
    EXPECT_EQ(Any, C.Names);
  }
  // A name without wild cards is found in any case and reported as stored.
  EXPECT_EQ(Search(Dir / "NOTES.TXT", 0), std::vector<std::string>{"notes.txt"});
  EXPECT_EQ(rtl::FileGetAttr(Dir / "MAKEFILE") >= 0, true);
  EXPECT_TRUE(rtl::SameFile(Dir / "readme.txt", Dir / "README.TXT"));
  EXPECT_FALSE(rtl::SameFile(Dir / "readme.txt", Dir / "notes.txt"));
}

TEST(WindowsAttributes, TheSystemsOwnBitsAreReadSetAndFilterTheSearch) {
  TempDir Dir;
  const bool Archive = quindle::testing::ArchiveBitCanBeCleared(Dir.path().string());
  const int32_t Forced = Archive ? 0 : rtl::faArchive;
  struct Case {
    const char* Name;
    int32_t Attr;
  };
  const Case Cases[] = {{"plain", 0},
                        {"ro", rtl::faReadOnly},
                        {"hidden", rtl::faHidden},
                        {"system", rtl::faSysFile},
                        {"archive", rtl::faArchive},
                        {"all", rtl::faReadOnly | rtl::faHidden | rtl::faSysFile | rtl::faArchive}};
  for (const Case& C : Cases) {
    WriteFile(Dir / C.Name, C.Name);
    ASSERT_EQ(rtl::FileSetAttr(Dir / C.Name, C.Attr), 0) << C.Name;
    EXPECT_EQ(rtl::FileGetAttr(Dir / C.Name), C.Attr | Forced) << C.Name;
    EXPECT_EQ(rtl::FileGetReadOnly(Dir / C.Name), C.Attr & rtl::faReadOnly) << C.Name;
  }
  // Hidden and system entries only when the mask asks for them.
  EXPECT_EQ(Search(Dir / "*.*", 0), (std::vector<std::string>{"archive", "plain", "ro"}));
  EXPECT_EQ(Search(Dir / "*.*", rtl::faHidden),
            (std::vector<std::string>{"archive", "hidden", "plain", "ro"}));
  EXPECT_EQ(Search(Dir / "*.*", rtl::faHidden | rtl::faSysFile),
            (std::vector<std::string>{"all", "archive", "hidden", "plain", "ro", "system"}));
  // A read-only file's bits can be set again: nothing is left read-only.
  for (const Case& C : Cases) EXPECT_EQ(rtl::FileSetAttr(Dir / C.Name, 0), 0) << C.Name;
  EXPECT_EQ(rtl::FileGetAttr(Dir / "all"), Forced);
  EXPECT_TRUE(rtl::DeleteFile(Dir / "all"));
  // Directories carry the directory bit; the search gives them only on request.
  ASSERT_TRUE(rtl::CreateDir(Dir / "sub"));
  EXPECT_EQ(rtl::FileGetAttr(Dir / "sub") & rtl::faDirectory, rtl::faDirectory);
  EXPECT_EQ(Search(Dir / "su*", 0), (std::vector<std::string>{}));
  EXPECT_EQ(Search(Dir / "su*", rtl::faDirectory), (std::vector<std::string>{"sub"}));
}

// Names Windows keeps for devices reach the device, not a file: every call
// refuses them, and nothing is written to a device in their place.
TEST(WindowsNames, DeviceNamesAreRefusedByEveryCall) {
  TempDir Dir;
  WriteFile(Dir / "src.txt", "source");
  for (const std::string& Name :
       {std::string("CON"), std::string("aux.txt"), std::string("NUL"), std::string("com1.log"),
        std::string("Lpt9"), std::string("prn .txt"), std::string("nul\\inside.txt")}) {
    SCOPED_TRACE(Name);
    const std::string Full = Dir / Name;
    EXPECT_EQ(rtl::FileGetAttr(Full), -1);
    EXPECT_FALSE(rtl::FileExists(Full));
    EXPECT_FALSE(rtl::CreateDir(Full));
    EXPECT_FALSE(rtl::RenameFile(Dir / "src.txt", Full));
    rtl::TFileHandle H;
    EXPECT_TRUE(rtl::OpenFile(Full, rtl::TAccess::Read, H));
    EXPECT_TRUE(rtl::CreateFile(Full, rtl::TCreateMode::CreateOrTruncate, H));
    EXPECT_EQ(rtl::FileOpen(Full, rtl::fmOpenWrite), rtl::InvalidHandle);
    rtl::TSearchRec F;
    EXPECT_NE(rtl::FindFirst(Full, rtl::faAnyFile, F), 0);
  }
  EXPECT_EQ(ReadFile(Dir / "src.txt"), "source");
  // Names that only contain a device name are ordinary.
  for (const char* Name : {"console", "auxiliary.txt", "com10", "nul1"}) {
    WriteFile(Dir / Name, Name);
    EXPECT_EQ(ReadFile(Dir / Name), Name);
    EXPECT_TRUE(rtl::FileExists(Dir / Name)) << Name;
  }
}

// Beyond the classic 260 characters every call still works.
TEST(WindowsNames, LongNamesWork) {
  TempDir Dir;
  std::string Deep = Dir.path().string();
  for (int Level = 0; Level < 4; ++Level) {
    Deep += "\\" + std::string(80, static_cast<char>('a' + Level));
    ASSERT_TRUE(rtl::CreateDir(Deep)) << Deep.size();
  }
  ASSERT_GT(Deep.size(), 300u);
  const std::string File = Deep + "\\file.txt";
  {
    rtl::TFileHandle H;
    ASSERT_FALSE(rtl::CreateFile(File, rtl::TCreateMode::Exclusive, H));
    ASSERT_FALSE(rtl::WriteAll(H.Get(), "long", 4));
  }
  EXPECT_TRUE(rtl::FileExists(File));
  EXPECT_EQ(Search(Deep + "\\*.*", 0), std::vector<std::string>{"file.txt"});
  EXPECT_EQ(rtl::FileSetAttr(File, rtl::faHidden), 0);
  EXPECT_EQ(rtl::FileGetAttr(File) & rtl::faHidden, rtl::faHidden);
  EXPECT_GT(rtl::FileAge(File), 0);
  EXPECT_TRUE(rtl::RenameFile(File, Deep + "/moved.txt"));
  rtl::TFileHandle R;
  ASSERT_FALSE(rtl::OpenFile(Deep + "\\moved.txt", rtl::TAccess::Read, R));
  char Buf[8];
  std::error_code Error;
  EXPECT_EQ(rtl::ReadFull(R.Get(), Buf, sizeof Buf, Error), 4);
  R.Close();
  EXPECT_TRUE(rtl::DeleteFile(Deep + "\\moved.txt"));
  EXPECT_FALSE(rtl::FileExists(Deep + "\\moved.txt"));
}

TEST(WindowsErrors, SystemErrorsComeBackAsTheirPosixMeaning) {
  TempDir Dir;
  WriteFile(Dir / "f", "x");
  rtl::TFileHandle H;
  EXPECT_EQ(rtl::OpenFile(Dir / "missing", rtl::TAccess::Read, H),
            std::errc::no_such_file_or_directory);
  EXPECT_EQ(rtl::OpenFile(Dir / "nodir\\f", rtl::TAccess::Read, H),
            std::errc::no_such_file_or_directory);
  EXPECT_EQ(rtl::OpenFile(Dir.path().string(), rtl::TAccess::Read, H), std::errc::is_a_directory);
  EXPECT_EQ(rtl::CreateFile(Dir / "f", rtl::TCreateMode::Exclusive, H), std::errc::file_exists);
  EXPECT_EQ(rtl::CreateFile(Dir / "new", rtl::TCreateMode::Truncate, H),
            std::errc::no_such_file_or_directory);
  rtl::SetErrorMode(1);
  EXPECT_EQ(rtl::SetErrorMode(1), 1u);  // the process keeps the mode
}

}  // namespace
