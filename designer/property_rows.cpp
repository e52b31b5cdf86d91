// SPDX-License-Identifier: MIT
#include "designer/property_rows.h"

#include <algorithm>

namespace designer {

void TInspectorModel::Select(const std::vector<rtl::TObject*>& Selection,
                             std::function<void()> OnModified) {
  FRows.clear();
  FPaths.clear();
  FEditors.clear();
  FOnModified = std::move(OnModified);
  if (Selection.empty()) return;
  for (std::unique_ptr<rtl::TPropertyEditor>& E : rtl::GetComponentProperties(Selection))
    Add(std::move(E), 0, std::string());
}

void TInspectorModel::Add(std::unique_ptr<rtl::TPropertyEditor> Editor, int Depth,
                          const std::string& Prefix) {
  Editor->SetOnModified(FOnModified);
  TInspectorRow Row;
  Row.Depth = Depth;
  Row.Name = Editor->GetName();
  Row.EditorClass = Editor->ClassName();
  Row.Attributes = Editor->GetAttributes();
  Row.Ellipsis = rtl::HasPropAttr(Row.Attributes, rtl::paDialog);
  Row.ReadOnly = rtl::HasPropAttr(Row.Attributes, rtl::paReadOnly);
  Row.Choices = rtl::HasPropAttr(Row.Attributes, rtl::paValueList) && !Row.ReadOnly;
  if (Row.Choices) {
    Editor->GetValues([&Row](const std::string& V) { Row.Values.push_back(V); });
    if (rtl::HasPropAttr(Row.Attributes, rtl::paSortList))
      std::sort(Row.Values.begin(), Row.Values.end());
  }
  Row.Value = Editor->AllEqual() ? Editor->GetValue() : std::string();
  Row.Editor = Editor.get();
  const std::string Path = Prefix + Row.Name;
  FRows.push_back(std::move(Row));
  FPaths.push_back(Path);
  rtl::TPropertyEditor* Parent = Editor.get();
  FEditors.push_back(std::move(Editor));
  if (rtl::HasPropAttr(FRows.back().Attributes, rtl::paSubProperties))
    Parent->GetProperties([this, Depth, &Path](std::unique_ptr<rtl::TPropertyEditor> Sub) {
      Add(std::move(Sub), Depth + 1, Path + ".");
    });
}

const TInspectorRow* TInspectorModel::Find(const std::string& Path) const {
  for (size_t I = 0; I < FPaths.size(); ++I)
    if (FPaths[I] == Path) return &FRows[I];
  return nullptr;
}

void TInspectorModel::Refresh() {
  for (TInspectorRow& Row : FRows)
    Row.Value = Row.Editor->AllEqual() ? Row.Editor->GetValue() : std::string();
}

}  // namespace designer
