// SPDX-License-Identifier: MIT
// DOS attributes on POSIX: permission bits, leading dots and user.DOSATTRIB.
#include "rtl/files/posix/dosattrib.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>

#include "rtl/files/fileutils.h"
#include "support/test_support.h"

namespace {

using quindle::testing::TempDir;
using quindle::testing::WriteFile;
using rtl::posix::ParseDosAttrib;

std::string Bytes(std::initializer_list<int> List) {
  std::string S;
  for (int B : List) S.push_back(static_cast<char>(B));
  return S;
}

// Version 5 as written by Samba 4.23 (base64 AAAFAAUAAAARAAAAIAQAAJmcGa5UqtwB):
// attribute 0x420, archive plus a bit this layer does not use.
const std::string SambaV5 =
    Bytes({0x00, 0x00, 0x05, 0x00, 0x05, 0x00, 0x00, 0x00, 0x11, 0x00, 0x00, 0x00,
           0x20, 0x04, 0x00, 0x00, 0x99, 0x9c, 0x19, 0xae, 0x54, 0xaa, 0xdc, 0x01});

TEST(DosAttribValue, Parse) {
  struct Case {
    const char* Label;
    std::string Value;
    std::optional<uint32_t> Attr;
  };
  // Version 3 with a non-empty attrib_hex "0x22": the info starts at offset 12.
  std::string V3 = std::string("0x22", 5) + Bytes({0x00, 0x03, 0x00, 0x03, 0x00, 0x00, 0x00}) +
                   Bytes({0x01, 0, 0, 0, 0x26, 0, 0, 0}) + std::string(36, '\0');
  std::string V3Invalid = V3;
  V3Invalid[12] = 0x02;  // valid_flags without the attribute flag
  const std::string V1 = Bytes({0, 0, 1, 0, 1, 0, 0, 0, 0x07, 0, 0, 0}) + std::string(36, '\0');
  const std::string V2 = Bytes({0, 0, 2, 0, 2, 0, 0, 0, 0xFF, 0, 0, 0, 0x24, 0, 0, 0});
  const Case Cases[] = {
      {"text with NUL", std::string("0x22", 5), 0x22},
      {"text without NUL", "0x26", 0x26},
      {"upper-case hex", "0X2A", 0x2A},
      {"samba v5", SambaV5, 0x420},
      {"samba v3", V3, 0x26},
      {"samba v3 attrib not valid", V3Invalid, std::nullopt},
      {"samba v1", V1, 0x07},
      {"samba v2", V2, 0x24},
      {"version 6", Bytes({0, 0, 6, 0, 6, 0, 0, 0, 1, 0, 0, 0, 0x20, 0, 0, 0}), std::nullopt},
      {"versions differ", Bytes({0, 0, 5, 0, 4, 0, 0, 0, 1, 0, 0, 0, 0x20, 0, 0, 0}), std::nullopt},
      {"binary cut short", SambaV5.substr(0, 14), std::nullopt},
      {"empty", "", std::nullopt},
      {"lone NUL", std::string(1, '\0'), std::nullopt},
      {"no digits", "0x", std::nullopt},
      {"not hex", "0x2g", std::nullopt},
      {"decimal", "34", std::nullopt},
      {"too large", "0x100000000", std::nullopt},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Label);
    EXPECT_EQ(ParseDosAttrib(C.Value), C.Attr);
  }
}

class FileAttributes : public ::testing::Test {
 protected:
  void SetUp() override {
    Name = Dir / "file.txt";
    WriteFile(Name, "data");
    if (setxattr(Name.c_str(), "user.probe", "1", 1, 0) != 0) {
      GTEST_SKIP() << "no user extended attributes under " << Dir.path();
    }
    removexattr(Name.c_str(), "user.probe");
  }
  std::optional<std::string> Stored() const {
    char Buf[256];
    const ssize_t Len = getxattr(Name.c_str(), rtl::posix::kDosAttribName, Buf, sizeof Buf);
    if (Len < 0) return std::nullopt;
    return std::string(Buf, static_cast<size_t>(Len));
  }
  void Store(const std::string& Value) const {
    ASSERT_EQ(setxattr(Name.c_str(), rtl::posix::kDosAttribName, Value.data(), Value.size(), 0), 0);
  }
  TempDir Dir;
  std::string Name;
};

TEST_F(FileAttributes, RoundTrip) {
  const int32_t Words[] = {0,
                           rtl::faReadOnly,
                           rtl::faHidden,
                           rtl::faSysFile,
                           rtl::faArchive,
                           rtl::faHidden | rtl::faSysFile | rtl::faArchive,
                           rtl::faReadOnly | rtl::faHidden | rtl::faArchive,
                           0};
  for (int32_t Attr : Words) {
    SCOPED_TRACE(Attr);
    ASSERT_EQ(rtl::FileSetAttr(Name, Attr), 0);
    EXPECT_EQ(rtl::FileGetAttr(Name), Attr);
  }
  // Clearing every stored bit leaves no attribute behind.
  EXPECT_FALSE(Stored().has_value());
}

TEST_F(FileAttributes, ReadOnlyIsThePermissionBits) {
  // Setting read-only clears every write bit; clearing it gives back the
  // owner's alone, whatever the umask, and no other bit moves.
  struct Case {
    mode_t Before, ReadOnly, Writable;
  } Cases[] = {
      {0666, 0444, 0644},
      {0775, 0555, 0755},
      {0600, 0400, 0600},
      {0751, 0551, 0751},
  };
  const mode_t Old = umask(0);
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Before);
    ASSERT_EQ(chmod(Name.c_str(), C.Before), 0);
    ASSERT_EQ(rtl::FileSetAttr(Name, rtl::faReadOnly), 0);
    struct stat St;
    ASSERT_EQ(stat(Name.c_str(), &St), 0);
    EXPECT_EQ(St.st_mode & 07777, C.ReadOnly);
    EXPECT_EQ(rtl::FileSetAttr(Name, 0), 0);
    ASSERT_EQ(stat(Name.c_str(), &St), 0);
    EXPECT_EQ(St.st_mode & 07777, C.Writable);
  }
  umask(Old);
  ASSERT_EQ(chmod(Name.c_str(), 0200), 0);
  EXPECT_EQ(rtl::FileGetAttr(Name), 0);  // any write bit means writable
  // A stored read-only bit does not override the permissions.
  Store(std::string("0x21", 5));
  EXPECT_EQ(rtl::FileGetAttr(Name), rtl::faArchive);
}

TEST_F(FileAttributes, WrittenAsSambaAndWineRead) {
  ASSERT_EQ(rtl::FileSetAttr(Name, rtl::faHidden | rtl::faArchive), 0);
  EXPECT_EQ(Stored(), std::string("0x22", 5));
  ASSERT_EQ(rtl::FileSetAttr(Dir.path().string(), rtl::faSysFile), 0);
  char Buf[16];
  const ssize_t Len = getxattr(Dir.path().c_str(), rtl::posix::kDosAttribName, Buf, sizeof Buf);
  EXPECT_EQ(std::string(Buf, Len > 0 ? Len : 0), std::string("0x14", 5));
  EXPECT_EQ(rtl::FileGetAttr(Dir.path().string()), rtl::faDirectory | rtl::faSysFile);
}

TEST_F(FileAttributes, ValuesFromOtherPrograms) {
  struct Case {
    const char* Label;
    std::string Value;
    int32_t Attr;
  };
  const Case Cases[] = {
      {"wine text", "0x6", rtl::faHidden | rtl::faSysFile},
      {"samba text", std::string("0x20", 5), rtl::faArchive},
      {"samba v5", SambaV5, rtl::faArchive},
      {"garbage", "hello", 0},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Label);
    Store(C.Value);
    EXPECT_EQ(rtl::FileGetAttr(Name), C.Attr);
  }
}

TEST_F(FileAttributes, SambaRecordKeptWhenNothingChanges) {
  Store(SambaV5);
  ASSERT_EQ(rtl::FileSetAttr(Name, rtl::faArchive), 0);
  EXPECT_EQ(Stored(), SambaV5);
  // A change rewrites it, keeping the bits this layer does not know (0x400).
  ASSERT_EQ(rtl::FileSetAttr(Name, rtl::faArchive | rtl::faHidden), 0);
  EXPECT_EQ(Stored(), std::string("0x422", 6));
}

TEST_F(FileAttributes, HiddenByLeadingDot) {
  const std::string Dot = Dir / ".profile";
  WriteFile(Dot, "");
  ASSERT_EQ(mkdir((Dir / ".cache").c_str(), 0755), 0);
  EXPECT_EQ(rtl::FileGetAttr(Dot), rtl::faHidden);
  EXPECT_EQ(rtl::FileGetAttr(Dir / ".cache/"), rtl::faHidden | rtl::faDirectory);
  EXPECT_EQ(rtl::FileGetAttr(Dir / "."), rtl::faDirectory);
  EXPECT_EQ(rtl::FileGetAttr(Dir / ".."), rtl::faDirectory);
  EXPECT_EQ(rtl::FileSetAttr(Dot, 0), 0);
  EXPECT_EQ(rtl::FileGetAttr(Dot), rtl::faHidden);  // the name still says so
}

TEST_F(FileAttributes, FailuresAreReported) {
  EXPECT_EQ(rtl::FileSetAttr(Dir / "missing", rtl::faHidden), ENOENT);
  EXPECT_EQ(rtl::FileGetAttr(Dir / "missing"), -1);
  EXPECT_EQ(rtl::FileGetAttr(Dir / "file.tx?"), -1);  // wild cards are never a name
  ASSERT_EQ(symlink("nowhere", (Dir / "dangling").c_str()), 0);
  EXPECT_EQ(rtl::FileGetAttr(Dir / "dangling"), -1);
  // An immutable file refuses the attribute even to root.
  const std::string Cmd = "chattr +i '" + Name + "' 2>/dev/null";
  if (std::system(Cmd.c_str()) != 0) GTEST_SKIP() << "chattr +i not supported here";
  const int32_t Rc = rtl::FileSetAttr(Name, rtl::faHidden);
  std::system(("chattr -i '" + Name + "'").c_str());
  EXPECT_EQ(Rc, EPERM);
}

// Under an attribute cache every lookup still sees each change made since the
// one before: through this layer, by another program, or by replacing the file.
// Another program's change is made in a later tick of the file system's clock
// than the one before it, as any change that is not instantaneous is.
TEST_F(FileAttributes, CacheSeesEveryChange) {
  auto Later = [] { usleep(20000); };
  const std::string Other = Dir / "other.txt";
  struct Step {
    const char* Label;
    std::function<void()> Change;
    int32_t Expected;
  };
  const Step Steps[] = {
      {"set through this layer", [&] { EXPECT_EQ(rtl::FileSetAttr(Name, rtl::faArchive), 0); },
       rtl::faArchive},
      {"nothing changed", [] {}, rtl::faArchive},
      {"made read-only",
       [&] { EXPECT_EQ(rtl::FileSetAttr(Name, rtl::faReadOnly | rtl::faArchive), 0); },
       rtl::faReadOnly | rtl::faArchive},
      {"written by another program",
       [&] {
         Later();
         Store(std::string("0x4", 4));
       },
       rtl::faReadOnly | rtl::faSysFile},
      {"removed by another program",
       [&] {
         Later();
         ASSERT_EQ(removexattr(Name.c_str(), rtl::posix::kDosAttribName), 0);
       },
       rtl::faReadOnly},
      {"replaced by another file",
       [&] {
         WriteFile(Other, "other");
         ASSERT_EQ(rtl::FileSetAttr(Other, rtl::faHidden), 0);
         ASSERT_EQ(std::rename(Other.c_str(), Name.c_str()), 0);
       },
       rtl::faHidden},
  };
  rtl::TAttributeCache Cache;
  ASSERT_EQ(rtl::FileSetAttr(Name, rtl::faHidden), 0);
  ASSERT_EQ(rtl::FileGetAttr(Name), rtl::faHidden);
  for (const Step& S : Steps) {
    SCOPED_TRACE(S.Label);
    S.Change();
    EXPECT_EQ(rtl::FileGetAttr(Name), S.Expected);
    rtl::TSearchRec Rec;
    ASSERT_EQ(rtl::FindFirst(Dir / "*.txt", rtl::faAnyFile, Rec), 0);
    EXPECT_EQ(Rec.Attr, S.Expected);
    rtl::FindClose(Rec);
  }
}

TEST(NewFiles, FollowTheUmaskUnlessTheDirectoryHasADefaultAcl) {
  TempDir Dir;
  ASSERT_TRUE(rtl::CreateDir(Dir / "plain"));
  ASSERT_TRUE(rtl::CreateDir(Dir / "acl"));
  const bool HasAcl = quindle::testing::SetReadOnlyDefaultAcl(Dir / "acl");
  struct Case {
    std::string Name;
    bool Expected;
  };
  const Case Cases[] = {
      {Dir / "plain", true},    {Dir / "plain/", true},
      {Dir / "missing", false}, {std::string("bad\0name", 8), false},
      {Dir / "acl", !HasAcl},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    EXPECT_EQ(rtl::NewFilesFollowUmask(C.Name), C.Expected);
  }
}

}  // namespace
