// SPDX-License-Identifier: MIT
// FindFirst, FindNext and FindClose. A search reads its directory once, sorts
// the names by byte value so that runs are repeatable, and looks each entry up
// only when it is about to be returned.
#include "rtl/files/posix/file_search.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <string>
#include <vector>

#include "rtl/files/fileutils.h"
#include "rtl/files/posix/file_attr.h"

namespace rtl {
namespace detail {

struct FindState {
  FindState() = default;
  FindState(const FindState&) = delete;
  FindState& operator=(const FindState&) = delete;
  ~FindState() {
    if (Stream != nullptr) closedir(Stream);
  }

  std::string Dir;  // prefix for the names: "" or ending in the separator
  std::vector<std::string> Names;
  size_t Next = 0;
  int32_t Mask = 0;
  // The directory read, kept open so that its entries are looked up
  // relative to it rather than by their whole path; none for a search of
  // one name.
  DIR* Stream = nullptr;
};

}  // namespace detail

namespace {

constexpr int32_t kSpecialBits = faHidden | faSysFile | faVolumeID | faDirectory;

size_t Utf8Length(std::string_view S, size_t Pos) {
  const auto Lead = static_cast<unsigned char>(S[Pos]);
  size_t Len = Lead < 0x80           ? 1
               : (Lead >> 5) == 0x6  ? 2
               : (Lead >> 4) == 0xE  ? 3
               : (Lead >> 3) == 0x1E ? 4
                                     : 1;
  if (Pos + Len > S.size()) return 1;
  for (size_t I = 1; I < Len; ++I) {
    if ((static_cast<unsigned char>(S[Pos + I]) & 0xC0) != 0x80) return 1;
  }
  return Len;
}

// Iterative matching with a single back-track point: the last '*' seen.
bool Glob(std::string_view P, std::string_view N) {
  size_t Pi = 0, Ni = 0;
  size_t StarP = std::string_view::npos, StarN = 0;
  while (Ni < N.size()) {
    if (Pi < P.size() && P[Pi] == '*') {
      StarP = Pi++;
      StarN = Ni;
    } else if (Pi < P.size() && P[Pi] == '?') {
      ++Pi;
      Ni += Utf8Length(N, Ni);
    } else if (Pi < P.size() && P[Pi] == N[Ni]) {
      ++Pi;
      ++Ni;
    } else if (StarP != std::string_view::npos) {
      Pi = StarP + 1;
      StarN += Utf8Length(N, StarN);
      Ni = StarN;
    } else {
      return false;
    }
  }
  while (Pi < P.size() && P[Pi] == '*') ++Pi;
  return Pi == P.size();
}

// Fills F from the next name of the search that exists and is eligible.
int32_t Advance(TSearchRec& F) {
  detail::FindState& S = *F.FindHandle;
  while (S.Next < S.Names.size()) {
    const std::string& Name = S.Names[S.Next++];
    const std::string Full = S.Dir + Name;
    struct stat St;
    // A dangling link, or an entry removed since the directory was read.
    if (S.Stream != nullptr ? fstatat(dirfd(S.Stream), Name.c_str(), &St, 0) != 0
                            : stat(Full.c_str(), &St) != 0)
      continue;
    const int32_t Attr = posix::AttrFromStat(Full, Name, St);
    if ((Attr & ~S.Mask & kSpecialBits) != 0) continue;
    F.Name = Name;
    F.Attr = Attr;
    F.Size = static_cast<int64_t>(St.st_size);
    F.Time = posix::PackedMTime(St);
    return 0;
  }
  return ENOENT;
}

int ListDirectory(detail::FindState& S, std::string_view Pattern) {
  DIR* D = opendir(S.Dir.empty() ? "." : S.Dir.c_str());
  if (D == nullptr) return errno;
  S.Stream = D;
  std::vector<std::string>& Names = S.Names;
  int Rc = 0;
  for (;;) {
    errno = 0;
    const dirent* E = readdir(D);
    if (E == nullptr) {
      Rc = errno;
      break;
    }
    if (posix::MatchesPattern(Pattern, E->d_name)) Names.emplace_back(E->d_name);
  }
  std::sort(Names.begin(), Names.end());
  return Rc;
}

}  // namespace

bool posix::MatchesPattern(std::string_view Pattern, std::string_view Name) {
  if (Glob(Pattern, Name)) return true;
  return Pattern.size() >= 2 && Pattern.substr(Pattern.size() - 2) == ".*" &&
         Glob(Pattern.substr(0, Pattern.size() - 2), Name);
}

int32_t FindFirst(const std::string& Path, int32_t Attr, TSearchRec& F) {
  FindClose(F);
  if (!posix::UsableName(Path)) return ENOENT;
  auto State = std::make_shared<detail::FindState>();
  State->Dir = ExtractFilePath(Path);
  State->Mask = Attr;
  const std::string Pattern = ExtractFileName(Path);
  if (Pattern.empty()) return ENOENT;
  if (Pattern.find_first_of("*?") == std::string::npos) {
    State->Names.push_back(Pattern);
  } else if (const int Rc = ListDirectory(*State, Pattern)) {
    return Rc;
  }
  F.ExcludeAttr = ~Attr & kSpecialBits;
  F.FindHandle = std::move(State);
  const int32_t Rc = Advance(F);
  if (Rc != 0) FindClose(F);
  return Rc;
}

int32_t FindNext(TSearchRec& F) {
  if (!F.FindHandle) return EBADF;
  return Advance(F);
}

void FindClose(TSearchRec& F) {
  F.FindHandle.reset();
}

}  // namespace rtl
