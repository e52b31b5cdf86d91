// SPDX-License-Identifier: MIT
#include "support/test_support.h"

#include <atomic>

#include "rtl/files/fileutils.h"

#if QUINDLE_TEST_POSIX
#include <sys/xattr.h>
#endif

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace quindle::testing {

TempDir::TempDir() {
#if QUINDLE_TEST_POSIX
  std::string pattern = (std::filesystem::temp_directory_path() / "quindle-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
#else
  // create_directory fails for a name that exists, which makes the name ours.
  static std::atomic<uint32_t> Counter{0};
  static const uint32_t Seed = std::random_device()();
  for (int Attempt = 0; Attempt < 100; ++Attempt) {
    std::mt19937 Gen(Seed + Counter++);
    const auto Name = "quindle-test-" + std::to_string(Gen() % 1000000000u);
    path_ = std::filesystem::temp_directory_path() / Name;
    if (std::filesystem::create_directory(path_)) return;
  }
  throw std::runtime_error("cannot create a temporary folder");
#endif
}

TempDir::~TempDir() {
  std::error_code ec;
  // Restore write permission so that read-only entries can be removed.
  for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
  }
  std::filesystem::remove_all(path_, ec);
}

void WriteFile(const std::string& name, const std::string& content) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot write " + name);
  out << content;
}

std::string ReadFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + name);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::string RandomBytes(size_t size, uint32_t seed) {
  std::mt19937 gen(seed);
  std::string out(size, '\0');
  for (auto& c : out) c = static_cast<char>(gen() & 0xFF);
  return out;
}

bool ArchiveBitCanBeCleared(const std::string& Dir) {
  const std::string Probe = (std::filesystem::path(Dir) / "archive-probe").string();
  WriteFile(Probe, "");
  const bool Cleared = rtl::FileSetAttr(Probe, 0) == 0 && rtl::FileGetAttr(Probe) == 0;
  std::filesystem::remove(Probe);
  return Cleared;
}

std::filesystem::path CorpusDir() {
  std::filesystem::path dir = QUINDLE_CORPUS_DIR;
  std::error_code ec;
  return std::filesystem::is_directory(dir, ec) ? dir : std::filesystem::path();
}

bool SetReadOnlyDefaultAcl(const std::string& Dir) {
#if !QUINDLE_TEST_POSIX
  (void)Dir;
  return false;
#else
  // The kernel's form of an access control list: a version word, then one
  // entry (tag, permissions, id) each for the owner, the group and others.
  constexpr uint16_t kUserObj = 0x01, kGroupObj = 0x04, kOther = 0x20, kRead = 4;
  constexpr uint32_t kNoId = 0xFFFFFFFF;
  std::string Value;
  auto Put = [&Value](uint32_t V, int Bytes) {
    for (int I = 0; I < Bytes; ++I) Value.push_back(static_cast<char>((V >> (8 * I)) & 0xFF));
  };
  Put(2, 4);
  for (uint16_t Tag : {kUserObj, kGroupObj, kOther}) {
    Put(Tag, 2);
    Put(kRead, 2);
    Put(kNoId, 4);
  }
  return setxattr(Dir.c_str(), "system.posix_acl_default", Value.data(), Value.size(), 0) == 0;
#endif
}

}  // namespace quindle::testing
