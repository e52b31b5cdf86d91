// SPDX-License-Identifier: MIT
// Component and persistence bases, string lists and the exception family of
// the platform layer.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "rtl/core/export.h"

namespace rtl {

struct TClassInfo;  // rtl/typinfo.h

// Base of every exception the platform layer raises. A failure of the
// system carries its reason (Code) and the file it concerns (FileName); other
// failures leave both empty.
class QUINDLE_RTL_CORE_EXPORT Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& Msg) : std::runtime_error(Msg) {}
  Exception(const std::string& Msg, std::error_code Code, std::string FileName = std::string())
      : std::runtime_error(Msg), FCode(Code), FFileName(std::move(FileName)) {}
  std::string Message() const { return what(); }
  const std::error_code& Code() const { return FCode; }
  const std::string& FileName() const { return FFileName; }

 private:
  std::error_code FCode;
  std::string FFileName;
};

class QUINDLE_RTL_CORE_EXPORT EConvertError : public Exception {
  using Exception::Exception;
};
class QUINDLE_RTL_CORE_EXPORT EOutOfMemory : public Exception {
  using Exception::Exception;
};
class QUINDLE_RTL_CORE_EXPORT EInOutError : public Exception {
 public:
  EInOutError(const std::string& Msg, int Code, std::string FileName = std::string())
      : Exception(Msg, std::error_code(Code, std::generic_category()), std::move(FileName)),
        ErrorCode(Code) {}
  int ErrorCode;
};
class QUINDLE_RTL_CORE_EXPORT EStreamError : public Exception {
  using Exception::Exception;
};
class QUINDLE_RTL_CORE_EXPORT EFOpenError : public EStreamError {
  using EStreamError::EStreamError;
};
class QUINDLE_RTL_CORE_EXPORT EFCreateError : public EStreamError {
  using EStreamError::EStreamError;
};
class QUINDLE_RTL_CORE_EXPORT EReadError : public EStreamError {
  using EStreamError::EStreamError;
};
class QUINDLE_RTL_CORE_EXPORT EWriteError : public EStreamError {
  using EStreamError::EStreamError;
};

class QUINDLE_RTL_CORE_EXPORT TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;
  // The class's name as the form files and the design host know it.
  virtual std::string ClassName() const { return "TObject"; }
  // The published-property table (rtl/typinfo.h); nullptr for a class that
  // publishes nothing.
  virtual const TClassInfo* ClassInfo() const { return nullptr; }
};

class QUINDLE_RTL_CORE_EXPORT TPersistent : public TObject {
 public:
  std::string ClassName() const override { return "TPersistent"; }
  // Copies the content of Source into this object. The base raises
  // EConvertError ("Cannot assign a nil to a TX", "Cannot assign a TY to a TX").
  virtual void Assign(const TPersistent* Source);

 protected:
  // Lets Source push its content into Dest; the base raises the same error.
  virtual void AssignTo(TPersistent* Dest) const;
  [[noreturn]] void AssignError(const TPersistent* Source) const;
};

enum TComponentStateFlag : uint32_t {
  csLoading = 1u << 0,
  csReading = 1u << 1,
  csWriting = 1u << 2,
  csDestroying = 1u << 3,
  csDesigning = 1u << 4,
};

// A component with an owner. The owner frees the components it owns when it
// is destroyed; a component freed earlier takes itself off its owner's list.
class QUINDLE_RTL_CORE_EXPORT TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;
  std::string ClassName() const override { return "TComponent"; }

  TComponent* Owner() const { return FOwner; }
  const std::string& Name() const { return FName; }
  void SetName(const std::string& Value) { FName = Value; }

  uint32_t ComponentState() const { return FComponentState; }
  // The design host marks the components it edits; the flag passes to the
  // components they own.
  void SetDesigning(bool Value);

  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  TComponent* Components(int Index) const { return FComponents.at(Index); }
  TComponent* FindComponent(const std::string& AName) const;

  // Persistence hooks. The form reader sets csLoading and csReading on each
  // component while it reads it, then calls Loaded() on every component it
  // read once the whole text is in; the base clears csLoading.
  void SetStateFlag(TComponentStateFlag Flag, bool Value);
  virtual void Loaded();
  // The component that a form file nests this one under (a control's parent
  // control); the reader passes the enclosing object.
  virtual TComponent* GetParentComponent() const { return nullptr; }
  virtual void SetParentComponent(TComponent* /*Value*/) {}
  // Calls Proc for each component the writer nests directly under this one,
  // Root being the component written at the top. The base lists, when this
  // is Root, its owned components that have no parent component.
  virtual void GetChildren(const std::function<void(TComponent*)>& Proc,
                           const TComponent* Root) const;

 private:
  void RemoveComponent(TComponent* AComponent);

  TComponent* FOwner = nullptr;
  std::string FName;
  uint32_t FComponentState = 0;
  std::vector<TComponent*> FComponents;
};

// Base of the non-visual dialog components.
class QUINDLE_RTL_CORE_EXPORT TCommonDialog : public TComponent {
 public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TCommonDialog"; }
};

// An ordered list of strings, unsorted, that admits duplicates.
class QUINDLE_RTL_CORE_EXPORT TStringList : public TPersistent {
 public:
  TStringList() = default;
  std::string ClassName() const override { return "TStringList"; }

  int Add(std::string S);
  void Clear() { FItems.clear(); }
  int Count() const { return static_cast<int>(FItems.size()); }
  // Read access by 0-based index; an index out of range raises EStringListError.
  const std::string& operator[](int Index) const;
  const std::string& Strings(int Index) const { return (*this)[Index]; }
  void Assign(const TStringList& Source);
  void Assign(const TPersistent* Source) override;
  // The lines, each followed by a line feed.
  std::string Text() const;

  auto begin() const { return FItems.begin(); }
  auto end() const { return FItems.end(); }

 private:
  std::vector<std::string> FItems;
};

class QUINDLE_RTL_CORE_EXPORT EStringListError : public Exception {
  using Exception::Exception;
};

}  // namespace rtl
