// SPDX-License-Identifier: MIT
// quindle-designer's window: the palette pages of the loaded packages, the
// form with the components put on it, and the object inspector.
#pragma once

#include <QMainWindow>
#include <string>

#include "designer/design_form.h"
#include "designer/package_host.h"
#include "designer/property_rows.h"

class QListWidget;
class QTabWidget;
class QTreeWidget;
class QMenu;

namespace designer {

class TMainWindow : public QMainWindow {
 public:
  explicit TMainWindow(TPackageHost& Host);
  ~TMainWindow() override;

  // Loads a package and shows its palette page; false (after telling the
  // user) when it cannot be loaded.
  bool LoadPackage(const std::string& FileName);
  void UnloadPackage(rtl::HINSTANCE Instance);
  // Puts a new component of the class on the form and selects it.
  rtl::TComponent* AddComponent(const rtl::TClassInfo* Class);
  void Select(const std::vector<rtl::TComponent*>& Components);
  bool SaveForm(const std::string& Path);
  bool OpenForm(const std::string& Path);

  TDesignForm& Form() { return FForm; }
  const TInspectorModel& Inspector() const { return FModel; }

 private:
  void RebuildPalette();
  void RebuildPackagesMenu();
  void RefreshFormView();
  void RefreshInspector();
  void SelectionChanged();
  void Failed(const QString& What, const std::exception& E);

  TPackageHost& FHost;
  TDesignForm FForm;
  TInspectorModel FModel;
  std::vector<rtl::TComponent*> FSelection;
  QTabWidget* FPalette = nullptr;
  QListWidget* FFormView = nullptr;
  QTreeWidget* FInspectorView = nullptr;
  QMenu* FPackagesMenu = nullptr;
  bool FUpdating = false;
};

}  // namespace designer
