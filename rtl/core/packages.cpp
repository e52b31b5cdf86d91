// SPDX-License-Identifier: MIT
#include "rtl/core/packages.h"

#include <array>
#include <exception>
#include <map>
#include <mutex>
#include <utility>

namespace rtl {

namespace {

struct TUnitCounters {
  std::mutex Lock;
  std::map<std::string, int, std::less<>> Counts;
};

// Never destroyed: packages finalize their units while the process ends too.
TUnitCounters& Counters() {
  static TUnitCounters* Instance = new TUnitCounters;
  return *Instance;
}

const std::array<const char*, 26> kRuntimeUnits = {
    "System",
    "SysInit",
    "rtl.core.sysutils",
    "rtl.core.memory",
    "rtl.core.classes",
    "rtl.core.typinfo",
    "rtl.core.form_parser",
    "rtl.core.form_reader",
    "rtl.core.form_writer",
    "rtl.core.packages",
    "rtl.files.fileutils",
    "rtl.files.file_identity",
    "rtl.files.handles",
    "rtl.files.streams",
    "rtl.files.block_file",
    "rtl.files.lz",
    "rtl.files.console",
    "rtl.ui.graphics",
    "rtl.ui.resources",
    "rtl.ui.modules",
    "rtl.ui.controls",
    "rtl.ui.bitbtn",
    "rtl.ui.forms",
    "rtl.ui.dialogs",
    "rtl.ui.widgetset",
    "rtl.ui.designintf",
};

template <size_t I>
void RuntimeInit() {
  EnterUnit(kRuntimeUnits[I]);
}
template <size_t I>
void RuntimeFInit() {
  LeaveUnit(kRuntimeUnits[I]);
}
template <size_t... I>
constexpr std::array<TPackageUnitEntry, sizeof...(I)> MakeRuntimeEntries(
    std::index_sequence<I...>) {
  return {TPackageUnitEntry{&RuntimeInit<I>, &RuntimeFInit<I>}...};
}
constexpr auto kRuntimeEntries =
    MakeRuntimeEntries(std::make_index_sequence<kRuntimeUnits.size()>());

void CheckTable(const TPackageInfoTable* Table, int32_t Count) {
  if (Table == nullptr || Count < 0 || Count > Table->UnitCount ||
      (Count > 0 && Table->UnitInfo == nullptr))
    throw EPackageError("Invalid package unit table");
}

}  // namespace

void PackageLoad(const TPackageInfoTable* Table, int32_t Count) {
  CheckTable(Table, Count);
  int32_t Done = 0;
  try {
    for (; Done < Count; ++Done)
      if (TUnitProc Init = Table->UnitInfo[Done].Init) Init();
  } catch (...) {
    while (Done > 0) {
      --Done;
      try {
        if (TUnitProc FInit = Table->UnitInfo[Done].FInit) FInit();
      } catch (...) {
        // The first failure is the one to report.
      }
    }
    throw;
  }
}

void PackageUnload(const TPackageInfoTable* Table, int32_t Count) {
  CheckTable(Table, Count);
  std::exception_ptr First;
  for (int32_t I = Count; I-- > 0;) {
    try {
      if (TUnitProc FInit = Table->UnitInfo[I].FInit) FInit();
    } catch (...) {
      if (!First) First = std::current_exception();
    }
  }
  if (First) std::rethrow_exception(First);
}

bool EnterUnit(std::string_view Name) {
  TUnitCounters& C = Counters();
  std::lock_guard Guard(C.Lock);
  auto It = C.Counts.find(Name);
  if (It == C.Counts.end()) It = C.Counts.emplace(std::string(Name), 0).first;
  return ++It->second == 1;
}

bool LeaveUnit(std::string_view Name) {
  TUnitCounters& C = Counters();
  std::lock_guard Guard(C.Lock);
  auto It = C.Counts.find(Name);
  if (It == C.Counts.end() || It->second == 0) return false;
  return --It->second == 0;
}

int UnitInitCount(std::string_view Name) {
  TUnitCounters& C = Counters();
  std::lock_guard Guard(C.Lock);
  auto It = C.Counts.find(Name);
  return It == C.Counts.end() ? 0 : It->second;
}

const std::vector<std::string>& RuntimeUnitNames() {
  static const std::vector<std::string> Names(kRuntimeUnits.begin(), kRuntimeUnits.end());
  return Names;
}

TPackageUnitEntry RuntimeUnit(std::string_view Name) {
  for (size_t I = 0; I < kRuntimeUnits.size(); ++I)
    if (Name == kRuntimeUnits[I]) return kRuntimeEntries[I];
  throw EPackageError("Unit " + std::string(Name) + " is not a unit of the runtime");
}

uint8_t PackageNameHash(std::string_view Name) {
  uint8_t Hash = 0;
  for (char C : Name) {
    const auto Byte = static_cast<uint8_t>(C >= 'a' && C <= 'z' ? C - 'a' + 'A' : C);
    Hash = static_cast<uint8_t>(((Hash << 1) | (Hash >> 7)) ^ Byte);
  }
  return Hash;
}

namespace {

class TInfoReader {
 public:
  explicit TInfoReader(std::string_view Bytes) : FBytes(Bytes) {}
  uint32_t Word() {
    Need(4);
    uint32_t V = 0;
    for (int I = 3; I >= 0; --I) V = (V << 8) | static_cast<uint8_t>(FBytes[FPos + I]);
    FPos += 4;
    return V;
  }
  uint8_t Byte() {
    Need(1);
    return static_cast<uint8_t>(FBytes[FPos++]);
  }
  std::string Name(uint8_t Hash) {
    const size_t End = FBytes.find('\0', FPos);
    if (End == std::string_view::npos) Fail("a name has no end");
    std::string Result(FBytes.substr(FPos, End - FPos));
    FPos = End + 1;
    if (Result.empty()) Fail("a name is empty");
    if (PackageNameHash(Result) != Hash) Fail("the hash of " + Result + " does not match");
    return Result;
  }
  void Done() {
    if (FPos != FBytes.size()) Fail("bytes follow the last unit");
  }

 private:
  void Need(size_t N) {
    if (FBytes.size() - FPos < N) Fail("it ends early");
  }
  [[noreturn]] static void Fail(const std::string& Why) {
    throw EPackageError("Invalid package information: " + Why);
  }
  std::string_view FBytes;
  size_t FPos = 0;
};

}  // namespace

TPackageInfo DecodePackageInfo(std::string_view Bytes) {
  TInfoReader R(Bytes);
  TPackageInfo Info;
  Info.Flags = R.Word();
  // A count larger than the bytes can hold ends at the first name that runs
  // past the end.
  for (uint32_t Count = R.Word(), I = 0; I < Count; ++I) {
    TPackageRequire Require;
    Require.Hash = R.Byte();
    Require.Name = R.Name(Require.Hash);
    Info.Requires.push_back(std::move(Require));
  }
  for (uint32_t Count = R.Word(), I = 0; I < Count; ++I) {
    TPackageUnit Unit;
    Unit.Flags = R.Byte();
    Unit.Hash = R.Byte();
    Unit.Name = R.Name(Unit.Hash);
    Info.Units.push_back(std::move(Unit));
  }
  R.Done();
  return Info;
}

const char* RuntimePackageName() {
  return "vcl30";
}

}  // namespace rtl
