// SPDX-License-Identifier: MIT
#include "rtl/ui/resources.h"

#include <algorithm>
#include <mutex>

#include "rtl/core/sysutils.h"

namespace rtl {

namespace {

struct TTable {
  HINSTANCE Instance;
  const TResourceEntry* Entries;
  size_t Count;
};

struct TRegistry {
  std::mutex Lock;
  std::vector<TTable> Tables;
};

// Made on first use, so tables registered during static initialisation find
// it ready, and never destroyed, because registrations of other modules end
// during their own finalisation, in an order no module controls.
TRegistry& Registry() {
  static TRegistry* Instance = new TRegistry;
  return *Instance;
}

}  // namespace

TResourceRegistration::TResourceRegistration(const TResourceEntry* Entries, size_t Count)
    : FEntries(Entries) {
  TRegistry& R = Registry();
  std::lock_guard Guard(R.Lock);
  R.Tables.push_back({FindHInstance(Entries), Entries, Count});
}

TResourceRegistration::~TResourceRegistration() {
  TRegistry& R = Registry();
  std::lock_guard Guard(R.Lock);
  std::erase_if(R.Tables, [this](const TTable& T) { return T.Entries == FEntries; });
}

const TResourceEntry* FindResource(HINSTANCE Instance, std::string_view Type,
                                   std::string_view Name) {
  if (Instance == nullptr) return nullptr;
  TRegistry& R = Registry();
  std::lock_guard Guard(R.Lock);
  for (const TTable& T : R.Tables) {
    if (T.Instance != Instance) continue;
    for (size_t I = 0; I < T.Count; ++I) {
      const TResourceEntry& E = T.Entries[I];
      if (SameText(Type, E.Type) && SameText(Name, E.Name)) return &E;
    }
  }
  return nullptr;
}

std::vector<std::string> EnumResourceNames(HINSTANCE Instance, std::string_view Type) {
  std::vector<std::string> Names;
  TRegistry& R = Registry();
  std::lock_guard Guard(R.Lock);
  for (const TTable& T : R.Tables) {
    if (T.Instance != Instance) continue;
    for (size_t I = 0; I < T.Count; ++I)
      if (SameText(Type, T.Entries[I].Type)) Names.emplace_back(T.Entries[I].Name);
  }
  return Names;
}

std::string_view LoadResource(HINSTANCE Instance, std::string_view Type, std::string_view Name) {
  const TResourceEntry* E = FindResource(Instance, Type, Name);
  if (E == nullptr) throw EResNotFound("Resource " + std::string(Name) + " not found");
  return {reinterpret_cast<const char*>(E->Data), E->Size};
}

}  // namespace rtl
