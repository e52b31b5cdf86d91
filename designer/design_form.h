// SPDX-License-Identifier: MIT
// The form being designed: the components put on it, apart from any window.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "rtl/core/typinfo.h"
#include "rtl/ui/forms.h"

namespace designer {

class TDesignForm {
 public:
  TDesignForm();
  ~TDesignForm();

  // A new component of the class, named after it without its T and with the
  // first number no component of the form has (Quindle1, Quindle2, ...).
  rtl::TComponent* Add(const rtl::TClassInfo* Class);
  void Remove(rtl::TComponent* Component);
  std::vector<rtl::TComponent*> Components() const;
  // Frees every component of a class that Module holds (its package is
  // about to be unloaded). Returns how many.
  int RemoveModuleComponents(rtl::HINSTANCE Module);

  // The form as text. A form with one component is that component's own
  // text (object Quindle1: TQuindle), which `quindle --form` runs; a form
  // with several is an `object Form1: TForm` that holds them all.
  std::string Text() const;
  // Saves Text() to Path; raises rtl::EFCreateError or rtl::EWriteError.
  void Save(const std::string& Path) const;
  // Replaces the form's components with those of a text Text() wrote.
  // Raises rtl::EParserError (the form keeps what it had) for a text that
  // names a class no loaded package registered.
  void Load(const std::string& Text, const std::string& SourceName = std::string());
  void Open(const std::string& Path);

 private:
  std::unique_ptr<rtl::TForm> FRoot;
};

}  // namespace designer
