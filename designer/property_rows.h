// SPDX-License-Identifier: MIT
// The object inspector's content, apart from any window: one row per
// property of the selection, as its editor presents it, with the way the
// value may be changed. The Qt inspector draws these rows.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "rtl/ui/designintf.h"

namespace designer {

struct TInspectorRow {
  int Depth = 0;  // 0 for a property, 1 for its sub-property, ...
  std::string Name;
  // The editor's value when every selected component has the same one,
  // else empty.
  std::string Value;
  std::string EditorClass;
  rtl::TPropertyAttributes Attributes = 0;
  bool Ellipsis = false;  // a button that calls Edit
  bool ReadOnly = false;  // the value cannot be typed
  bool Choices = false;   // the value is chosen from Values (sorted for paSortList)
  std::vector<std::string> Values;
  rtl::TPropertyEditor* Editor = nullptr;  // owned by the model
};

class TInspectorModel {
 public:
  // Rows for the selection (empty for none). Sub-properties are listed under
  // their property, unfolded. OnModified is called after every change an
  // editor stores.
  void Select(const std::vector<rtl::TObject*>& Selection, std::function<void()> OnModified = {});
  const std::vector<TInspectorRow>& Rows() const { return FRows; }
  // The row of a property by its path ("SrcFileTypes.Hidden"), or nullptr.
  const TInspectorRow* Find(const std::string& Path) const;
  // Reads every row's value again (after an editor stored one).
  void Refresh();

 private:
  void Add(std::unique_ptr<rtl::TPropertyEditor> Editor, int Depth, const std::string& Prefix);

  std::vector<TInspectorRow> FRows;
  std::vector<std::string> FPaths;
  std::vector<std::unique_ptr<rtl::TPropertyEditor>> FEditors;
  std::function<void()> FOnModified;
};

}  // namespace designer
