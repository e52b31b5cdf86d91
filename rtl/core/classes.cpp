// SPDX-License-Identifier: MIT
#include "rtl/core/classes.h"

#include <algorithm>

namespace rtl {

void TPersistent::Assign(const TPersistent* Source) {
  if (Source != nullptr) {
    Source->AssignTo(this);
    return;
  }
  AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* Dest) const {
  Dest->AssignError(this);
}

void TPersistent::AssignError(const TPersistent* Source) const {
  const std::string SourceName = Source ? Source->ClassName() : std::string("nil");
  throw EConvertError("Cannot assign a " + SourceName + " to a " + ClassName());
}

TComponent::TComponent(TComponent* AOwner) : FOwner(AOwner) {
  if (FOwner != nullptr) {
    FOwner->FComponents.push_back(this);
    if (FOwner->FComponentState & csDesigning) FComponentState |= csDesigning;
  }
}

TComponent::~TComponent() {
  FComponentState |= csDestroying;
  // Free the owned components, last created first; each one's destructor
  // finds this owner marked as destroying and leaves the list alone.
  while (!FComponents.empty()) {
    TComponent* Child = FComponents.back();
    FComponents.pop_back();
    Child->FOwner = nullptr;
    delete Child;
  }
  if (FOwner != nullptr) FOwner->RemoveComponent(this);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  auto It = std::find(FComponents.begin(), FComponents.end(), AComponent);
  if (It != FComponents.end()) FComponents.erase(It);
}

void TComponent::SetDesigning(bool Value) {
  if (Value)
    FComponentState |= csDesigning;
  else
    FComponentState &= ~static_cast<uint32_t>(csDesigning);
  for (TComponent* Child : FComponents) Child->SetDesigning(Value);
}

void TComponent::SetStateFlag(TComponentStateFlag Flag, bool Value) {
  if (Value)
    FComponentState |= Flag;
  else
    FComponentState &= ~static_cast<uint32_t>(Flag);
}

void TComponent::Loaded() {
  SetStateFlag(csLoading, false);
}

void TComponent::GetChildren(const std::function<void(TComponent*)>& Proc,
                             const TComponent* Root) const {
  if (Root != this) return;
  for (TComponent* Child : FComponents)
    if (Child->GetParentComponent() == nullptr) Proc(Child);
}

TComponent* TComponent::FindComponent(const std::string& AName) const {
  for (TComponent* Child : FComponents)
    if (!AName.empty() && Child->Name() == AName) return Child;
  return nullptr;
}

int TStringList::Add(std::string S) {
  FItems.push_back(std::move(S));
  return Count() - 1;
}

const std::string& TStringList::operator[](int Index) const {
  if (Index < 0 || Index >= Count())
    throw EStringListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FItems[static_cast<size_t>(Index)];
}

void TStringList::Assign(const TStringList& Source) {
  if (&Source != this) FItems = Source.FItems;
}

void TStringList::Assign(const TPersistent* Source) {
  if (const auto* List = dynamic_cast<const TStringList*>(Source)) {
    Assign(*List);
    return;
  }
  TPersistent::Assign(Source);
}

std::string TStringList::Text() const {
  std::string Result;
  for (const auto& Line : FItems) {
    Result += Line;
    Result += '\n';
  }
  return Result;
}

}  // namespace rtl
