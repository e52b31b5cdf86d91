// SPDX-License-Identifier: MIT
// FindFirst, FindNext and FindClose. A search lists its directory once, keeps
// the names that match the pattern (letter case ignored, as Windows compares
// names), orders them as NTFS does (ordinal, case ignored) so that runs are
// repeatable, and looks each entry up only when it is about to be returned.
// The pattern is matched here rather than by FindFirstFileW, which would
// also match the short 8.3 names ("*.txt" finding "notes.txt~1").
#include <algorithm>
#include <cerrno>
#include <memory>
#include <string>
#include <vector>

#include "rtl/files/fileutils.h"
#include "rtl/files/win32/win_api.h"

namespace rtl {
namespace detail {

struct FindState {
  std::string Dir;  // prefix for the names: "" or ending in a separator or drive
  std::vector<std::string> Names;
  size_t Next = 0;
  int32_t Mask = 0;
};

}  // namespace detail

namespace {

constexpr int32_t kSpecialBits = faHidden | faSysFile | faVolumeID | faDirectory;

std::wstring UpperCase(std::wstring Text) {
  if (!Text.empty()) CharUpperBuffW(Text.data(), static_cast<DWORD>(Text.size()));
  return Text;
}

// One character of a UTF-16 text: a surrogate pair counts as one.
size_t CharLength(std::wstring_view S, size_t Pos) {
  return IS_HIGH_SURROGATE(S[Pos]) && Pos + 1 < S.size() && IS_LOW_SURROGATE(S[Pos + 1]) ? 2 : 1;
}

// '*' any run of characters, '?' exactly one, with a single back-track point:
// the last '*' seen. Both texts are upper-cased already.
bool Glob(std::wstring_view P, std::wstring_view N) {
  size_t Pi = 0, Ni = 0;
  size_t StarP = std::wstring_view::npos, StarN = 0;
  while (Ni < N.size()) {
    if (Pi < P.size() && P[Pi] == L'*') {
      StarP = Pi++;
      StarN = Ni;
    } else if (Pi < P.size() && P[Pi] == L'?') {
      ++Pi;
      Ni += CharLength(N, Ni);
    } else if (Pi < P.size() && P[Pi] == N[Ni]) {
      ++Pi;
      ++Ni;
    } else if (StarP != std::wstring_view::npos) {
      Pi = StarP + 1;
      StarN += CharLength(N, StarN);
      Ni = StarN;
    } else {
      return false;
    }
  }
  while (Pi < P.size() && P[Pi] == L'*') ++Pi;
  return Pi == P.size();
}

// The pattern rules of Windows for the names it shows: a pattern ending in
// ".*" also matches the name without that part ("*.*" matches every name,
// "name.*" matches "name"), and one ending in a single "." matches names
// without an extension ("*." finds "README" but not "a.txt").
bool Matches(std::wstring_view Pattern, std::wstring_view Name) {
  if (Glob(Pattern, Name)) return true;
  if (Pattern.size() >= 2 && Pattern.substr(Pattern.size() - 2) == L".*")
    return Glob(Pattern.substr(0, Pattern.size() - 2), Name);
  if (Pattern.size() >= 2 && Pattern.back() == L'.' && Pattern[Pattern.size() - 2] != L'.')
    return Name.find(L'.') == std::wstring_view::npos &&
           Glob(Pattern.substr(0, Pattern.size() - 1), Name);
  return false;
}

// The names in Dir that match Pattern, in the order described above; 0 or
// an errno value.
int ListDirectory(const std::string& Dir, const std::string& Pattern,
                  std::vector<std::string>& Names) {
  std::wstring WideDir, WidePattern;
  if (!win32::SystemName(Dir.empty() ? std::string(".") : Dir, WideDir) ||
      !win32::Widen(Pattern, WidePattern))
    return ENOENT;
  if (WideDir.back() != L'\\' && WideDir.back() != L'/' && WideDir.back() != L':')
    WideDir.push_back(L'\\');
  WidePattern = UpperCase(WidePattern);
  WIN32_FIND_DATAW Data;
  const HANDLE Find = FindFirstFileExW((WideDir + L"*").c_str(), FindExInfoBasic, &Data,
                                       FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (Find == INVALID_HANDLE_VALUE) return win32::LastError().value();
  std::vector<std::wstring> Wide;
  do {
    if (Matches(WidePattern, UpperCase(Data.cFileName))) Wide.emplace_back(Data.cFileName);
  } while (FindNextFileW(Find, &Data));
  const DWORD End = GetLastError();
  ::FindClose(Find);
  std::sort(Wide.begin(), Wide.end(), [](const std::wstring& A, const std::wstring& B) {
    const int Rc = CompareStringOrdinal(A.data(), static_cast<int>(A.size()), B.data(),
                                        static_cast<int>(B.size()), TRUE);
    return Rc == CSTR_EQUAL ? A < B : Rc == CSTR_LESS_THAN;
  });
  for (const std::wstring& W : Wide) Names.push_back(win32::Narrow(W));
  return End == ERROR_NO_MORE_FILES ? 0 : win32::ErrnoOf(End);
}

// Fills F from the next name of the search that exists and is eligible.
int32_t Advance(TSearchRec& F) {
  detail::FindState& S = *F.FindHandle;
  while (S.Next < S.Names.size()) {
    const std::string& Name = S.Names[S.Next++];
    std::wstring Full;
    WIN32_FILE_ATTRIBUTE_DATA Data;
    // A name no call may be given (a device name) is no entry, and neither
    // is one removed since the directory was read.
    if (!win32::SystemName(S.Dir + Name, Full)) continue;
    if (!GetFileAttributesExW(Full.c_str(), GetFileExInfoStandard, &Data)) continue;
    const int32_t Attr = win32::AttrWord(Data.dwFileAttributes);
    if ((Attr & ~S.Mask & kSpecialBits) != 0) continue;
    F.Name = Name;
    F.Attr = Attr;
    F.Size = static_cast<int64_t>((uint64_t{Data.nFileSizeHigh} << 32) | Data.nFileSizeLow);
    F.Time = win32::PackedOf(Data.ftLastWriteTime);
    return 0;
  }
  return ENOENT;
}

// The name as the directory holds it, for a pattern without wild cards: the
// search reports the file's own spelling, as Windows does.
bool LiteralName(const std::string& Path, std::string& Name) {
  std::wstring Wide;
  if (!win32::SystemName(Path, Wide)) return false;
  WIN32_FIND_DATAW Data;
  const HANDLE Find =
      FindFirstFileExW(Wide.c_str(), FindExInfoBasic, &Data, FindExSearchNameMatch, nullptr, 0);
  if (Find == INVALID_HANDLE_VALUE) return false;
  ::FindClose(Find);
  Name = win32::Narrow(Data.cFileName);
  return true;
}

}  // namespace

int32_t FindFirst(const std::string& Path, int32_t Attr, TSearchRec& F) {
  FindClose(F);
  auto State = std::make_shared<detail::FindState>();
  State->Dir = ExtractFilePath(Path);
  State->Mask = Attr;
  const std::string Pattern = ExtractFileName(Path);
  if (Pattern.empty() || Path.find('\0') != std::string::npos) return ENOENT;
  if (Pattern.find_first_of("*?") == std::string::npos) {
    std::string Name;
    if (!LiteralName(Path, Name)) return ENOENT;
    State->Names.push_back(Name);
  } else if (const int Rc = ListDirectory(State->Dir, Pattern, State->Names)) {
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
