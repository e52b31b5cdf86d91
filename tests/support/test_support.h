// SPDX-License-Identifier: MIT
// Helpers shared by the test suites: fresh temporary folders and small file
// utilities. Tests work on real files; nothing here mocks the file system.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

// 1 where the platform layer runs on its POSIX back end. Tests of what that
// back end alone does (permission bits, the DOSATTRIB extended attribute,
// FIFOs, /dev and /proc) are compiled only there, or skip themselves with
// QUINDLE_SKIP_UNLESS_POSIX(); Windows behaviour has suites of its own
// (windows_*_test.cpp).
#ifdef _WIN32
#define QUINDLE_TEST_POSIX 0
#else
#define QUINDLE_TEST_POSIX 1
#endif
#define QUINDLE_SKIP_UNLESS_POSIX() \
  if (!QUINDLE_TEST_POSIX) GTEST_SKIP() << "describes the POSIX back end"

// Skips a test that needs files without the archive bit where the file
// system sets it on every file (see ArchiveBitCanBeCleared).
#define QUINDLE_SKIP_IF_ARCHIVE_STAYS(Dir)              \
  if (!::quindle::testing::ArchiveBitCanBeCleared(Dir)) \
  GTEST_SKIP() << "this file system sets the archive bit on every file (Wine)"

namespace quindle::testing {

// A fresh directory under the system's temporary folder, removed with its
// content when the object goes out of scope.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The full name of an entry under the directory, as a string.
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

void WriteFile(const std::string& name, const std::string& content);
std::string ReadFile(const std::string& name);
// Deterministic pseudo-random bytes.
std::string RandomBytes(size_t size, uint32_t seed = 1);

// Gives the directory Dir a default access control list under which new files
// get read access only, whatever the umask. False where the file system keeps
// no access control lists, and on Windows.
bool SetReadOnlyDefaultAcl(const std::string& Dir);

// False where the file system reports the archive bit on every file, whatever
// was set (Wine does so on Linux file systems); tests that need a file
// without it skip themselves there. Probes with a file in Dir.
bool ArchiveBitCanBeCleared(const std::string& Dir);

// The external corpus folder, or an empty path when it is not present.
std::filesystem::path CorpusDir();

}  // namespace quindle::testing
