// SPDX-License-Identifier: MIT
#include "designer/main_window.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

#include "rtl/ui/designintf.h"
#include "rtl/ui/modules.h"

namespace designer {

namespace {

// The palette bitmap of a class: the resource named after the class in
// upper case, in the module that holds the class.
QIcon PaletteIcon(const rtl::TPaletteEntry& Entry) {
  QString Name = QString::fromStdString(Entry.Class->Name).toUpper();
  const rtl::TResourceEntry* Bitmap =
      rtl::FindModuleResource(Entry.Module, rtl::RT_BITMAP, Name.toStdString());
  if (Bitmap == nullptr || Bitmap->Size < 40) return QIcon();
  // A bitmap resource lacks the file header: put one in front for the reader.
  QByteArray File("BM");
  const uint32_t FileSize = static_cast<uint32_t>(Bitmap->Size + 14);
  const uint32_t HeaderSize = Bitmap->Data[0] | (Bitmap->Data[1] << 8);
  const uint32_t BitCount = Bitmap->Data[14] | (Bitmap->Data[15] << 8);
  const uint32_t Colours = BitCount <= 8 ? (1u << BitCount) : 0;
  const uint32_t Offset = 14 + HeaderSize + Colours * 4;
  for (uint32_t V : {FileSize, 0u, Offset})
    for (int I = 0; I < 4; ++I) File.append(static_cast<char>((V >> (8 * I)) & 0xFF));
  File.append(reinterpret_cast<const char*>(Bitmap->Data), static_cast<qsizetype>(Bitmap->Size));
  QImage Image;
  if (!Image.loadFromData(File, "BMP")) return QIcon();
  return QIcon(QPixmap::fromImage(Image));
}

bool EditLines(const std::string& Caption, rtl::TStringList& Lines) {
  QDialog Dialog(QApplication::activeWindow());
  Dialog.setWindowTitle(QString::fromStdString(Caption));
  auto* Layout = new QVBoxLayout(&Dialog);
  auto* Edit = new QPlainTextEdit(&Dialog);
  Edit->setObjectName("lines");
  QStringList Text;
  for (const std::string& L : Lines) Text << QString::fromStdString(L);
  Edit->setPlainText(Text.join('\n'));
  Layout->addWidget(Edit);
  auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &Dialog);
  QObject::connect(Buttons, &QDialogButtonBox::accepted, &Dialog, &QDialog::accept);
  QObject::connect(Buttons, &QDialogButtonBox::rejected, &Dialog, &QDialog::reject);
  Layout->addWidget(Buttons);
  Dialog.resize(360, 240);
  if (Dialog.exec() != QDialog::Accepted) return false;
  Lines.Clear();
  const QString All = Edit->toPlainText();
  if (!All.isEmpty())
    for (const QString& L : All.split('\n')) Lines.Add(L.toStdString());
  return true;
}

}  // namespace

TMainWindow::TMainWindow(TPackageHost& Host) : FHost(Host) {
  setWindowTitle("Quindle Designer");
  rtl::SetStringsEditor(&EditLines);

  auto* File = menuBar()->addMenu("&File");
  File->addAction("&Open...", [this] {
    const QString Path = QFileDialog::getOpenFileName(this, "Open form");
    if (!Path.isEmpty()) OpenForm(Path.toStdString());
  });
  File->addAction("Save &as...", [this] {
    const QString Path = QFileDialog::getSaveFileName(this, "Save form");
    if (!Path.isEmpty()) SaveForm(Path.toStdString());
  });
  File->addSeparator();
  File->addAction("&Quit", this, &QWidget::close);
  FPackagesMenu = menuBar()->addMenu("&Packages");

  auto* Central = new QWidget(this);
  auto* Layout = new QVBoxLayout(Central);
  FPalette = new QTabWidget(Central);
  FPalette->setObjectName("palette");
  FPalette->setMaximumHeight(76);
  Layout->addWidget(FPalette);
  auto* Split = new QSplitter(Central);
  FInspectorView = new QTreeWidget(Split);
  FInspectorView->setObjectName("inspector");
  FInspectorView->setColumnCount(2);
  FInspectorView->setHeaderLabels({"Property", "Value"});
  FInspectorView->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  FInspectorView->setRootIsDecorated(true);
  FFormView = new QListWidget(Split);
  FFormView->setObjectName("form");
  FFormView->setViewMode(QListView::IconMode);
  FFormView->setIconSize(QSize(24, 24));
  FFormView->setGridSize(QSize(96, 56));
  FFormView->setSelectionMode(QAbstractItemView::ExtendedSelection);
  Split->addWidget(FInspectorView);
  Split->addWidget(FFormView);
  Split->setSizes({380, 340});
  Layout->addWidget(Split, 1);
  setCentralWidget(Central);
  connect(FFormView, &QListWidget::itemSelectionChanged, this, [this] { SelectionChanged(); });
  resize(720, 560);
  RebuildPackagesMenu();
}

// The form's components go with it, before the host unloads the packages
// that hold their code.
TMainWindow::~TMainWindow() {
  rtl::SetStringsEditor(nullptr);
}

void TMainWindow::Failed(const QString& What, const std::exception& E) {
  QMessageBox::warning(this, "Quindle Designer", What + "\n" + QString::fromUtf8(E.what()));
}

bool TMainWindow::LoadPackage(const std::string& FileName) {
  try {
    FHost.Load(FileName);
  } catch (const std::exception& E) {
    Failed("The package cannot be loaded.", E);
    return false;
  }
  RebuildPalette();
  RebuildPackagesMenu();
  return true;
}

void TMainWindow::UnloadPackage(rtl::HINSTANCE Instance) {
  FModel.Select({});
  FSelection.clear();
  FForm.RemoveModuleComponents(Instance);
  try {
    FHost.Unload(Instance);
  } catch (const std::exception& E) {
    Failed("The package failed while finalizing.", E);
  }
  RefreshFormView();
  RefreshInspector();
  RebuildPalette();
  RebuildPackagesMenu();
}

void TMainWindow::RebuildPalette() {
  while (FPalette->count() > 0) {
    QWidget* Page = FPalette->widget(0);
    FPalette->removeTab(0);
    delete Page;
  }
  QWidget* Page = nullptr;
  std::string PageName;
  for (const rtl::TPaletteEntry& E : rtl::PaletteEntries()) {
    if (Page == nullptr || E.Page != PageName) {
      PageName = E.Page;
      Page = new QWidget(FPalette);
      Page->setObjectName(QString::fromStdString("page:" + E.Page));
      auto* Row = new QHBoxLayout(Page);
      Row->setContentsMargins(4, 2, 4, 2);
      Row->addStretch(1);
      FPalette->addTab(Page, QString::fromStdString(E.Page));
    }
    auto* Button = new QToolButton(Page);
    Button->setObjectName(QString::fromStdString("palette:" + E.Class->Name));
    Button->setIcon(PaletteIcon(E));
    Button->setIconSize(QSize(24, 24));
    Button->setToolTip(QString::fromStdString(E.Class->Name));
    Button->setAutoRaise(true);
    const rtl::TClassInfo* Class = E.Class;
    connect(Button, &QToolButton::clicked, this, [this, Class] { AddComponent(Class); });
    auto* Row = static_cast<QHBoxLayout*>(Page->layout());
    Row->insertWidget(Row->count() - 1, Button);
  }
}

void TMainWindow::RebuildPackagesMenu() {
  FPackagesMenu->clear();
  FPackagesMenu->addAction("&Load...", [this] {
    const QString Path = QFileDialog::getOpenFileName(this, "Load package");
    if (!Path.isEmpty()) LoadPackage(Path.toStdString());
  });
  if (!FHost.Packages().empty()) FPackagesMenu->addSeparator();
  for (const TLoadedPackage& P : FHost.Packages()) {
    const rtl::HINSTANCE Instance = P.Instance;
    FPackagesMenu->addAction(QString::fromStdString("Unload " + P.FileName), [this, Instance] {
      // Not from inside the menu's own signal: the menu is rebuilt.
      QTimer::singleShot(0, this, [this, Instance] { UnloadPackage(Instance); });
    });
  }
}

rtl::TComponent* TMainWindow::AddComponent(const rtl::TClassInfo* Class) {
  rtl::TComponent* C = nullptr;
  try {
    C = FForm.Add(Class);
  } catch (const std::exception& E) {
    Failed("The component cannot be created.", E);
    return nullptr;
  }
  RefreshFormView();
  Select({C});
  return C;
}

void TMainWindow::Select(const std::vector<rtl::TComponent*>& Components) {
  FUpdating = true;
  FFormView->clearSelection();
  for (int I = 0; I < FFormView->count(); ++I) {
    QListWidgetItem* Item = FFormView->item(I);
    auto* C = reinterpret_cast<rtl::TComponent*>(Item->data(Qt::UserRole).value<quintptr>());
    if (std::find(Components.begin(), Components.end(), C) != Components.end())
      Item->setSelected(true);
  }
  FUpdating = false;
  SelectionChanged();
}

void TMainWindow::RefreshFormView() {
  FUpdating = true;
  FFormView->clear();
  for (rtl::TComponent* C : FForm.Components()) {
    rtl::TPaletteEntry Entry{std::string(), C->ClassInfo(), rtl::FindHInstance(C->ClassInfo())};
    auto* Item = new QListWidgetItem(PaletteIcon(Entry), QString::fromStdString(C->Name()));
    Item->setData(Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(C)));
    FFormView->addItem(Item);
  }
  FUpdating = false;
}

void TMainWindow::SelectionChanged() {
  if (FUpdating) return;
  FSelection.clear();
  for (QListWidgetItem* Item : FFormView->selectedItems())
    FSelection.push_back(
        reinterpret_cast<rtl::TComponent*>(Item->data(Qt::UserRole).value<quintptr>()));
  RefreshInspector();
}

void TMainWindow::RefreshInspector() {
  std::vector<rtl::TObject*> Objects(FSelection.begin(), FSelection.end());
  FModel.Select(Objects, [this] {
    // After the editor's call has returned: the rows are made anew.
    QTimer::singleShot(0, this, [this] { RefreshInspector(); });
  });
  // The old cells outlive clear() until the event loop deletes them, and a
  // line edit losing the focus then still says it was edited: they must
  // reach no editor of the rows made before.
  for (QTreeWidgetItemIterator It(FInspectorView); *It != nullptr; ++It)
    if (QWidget* Cell = FInspectorView->itemWidget(*It, 1)) {
      QList<QWidget*> Parts = Cell->findChildren<QWidget*>();
      Parts.append(Cell);
      for (QWidget* W : Parts) {
        W->disconnect();
        W->setObjectName(QString());
      }
      Cell->hide();
    }
  FInspectorView->clear();
  std::vector<QTreeWidgetItem*> Parents;
  std::string Path;
  std::vector<std::string> Names;
  for (const TInspectorRow& Row : FModel.Rows()) {
    Parents.resize(static_cast<size_t>(Row.Depth));
    Names.resize(static_cast<size_t>(Row.Depth));
    auto* Item =
        Parents.empty() ? new QTreeWidgetItem(FInspectorView) : new QTreeWidgetItem(Parents.back());
    Item->setText(0, QString::fromStdString(Row.Name));
    Names.push_back(Row.Name);
    Path.clear();
    for (const std::string& N : Names) Path += (Path.empty() ? "" : ".") + N;
    Parents.push_back(Item);

    rtl::TPropertyEditor* Editor = Row.Editor;
    auto Store = [this, Editor](const QString& Text) {
      try {
        if (Text.toStdString() != Editor->GetValue()) Editor->SetValue(Text.toStdString());
      } catch (const std::exception& E) {
        Failed("The value was not stored.", E);
        QTimer::singleShot(0, this, [this] { RefreshInspector(); });
      }
    };
    QWidget* Cell = nullptr;
    const QString Id = QString::fromStdString(Path);
    if (Row.Choices) {
      auto* Box = new QComboBox;
      Box->setObjectName("value:" + Id);
      for (const std::string& V : Row.Values) Box->addItem(QString::fromStdString(V));
      Box->setCurrentIndex(Box->findText(QString::fromStdString(Row.Value)));
      connect(Box, &QComboBox::textActivated, this, Store);
      Cell = Box;
    } else {
      auto* Edit = new QLineEdit(QString::fromStdString(Row.Value));
      Edit->setObjectName("value:" + Id);
      Edit->setReadOnly(Row.ReadOnly);
      Edit->setFrame(false);
      if (!Row.ReadOnly)
        connect(Edit, &QLineEdit::editingFinished, this, [Edit, Store] { Store(Edit->text()); });
      Cell = Edit;
      if (Row.Ellipsis) {
        auto* Holder = new QWidget;
        auto* Line = new QHBoxLayout(Holder);
        Line->setContentsMargins(0, 0, 0, 0);
        Line->setSpacing(0);
        Line->addWidget(Edit, 1);
        auto* Button = new QToolButton(Holder);
        Button->setObjectName("ellipsis:" + Id);
        Button->setText("...");
        connect(Button, &QToolButton::clicked, this, [this, Editor] {
          try {
            Editor->Edit();
          } catch (const std::exception& E) {
            Failed("The property's dialog failed.", E);
          }
        });
        Line->addWidget(Button);
        Cell = Holder;
      }
    }
    FInspectorView->setItemWidget(Item, 1, Cell);
  }
  FInspectorView->expandAll();
}

bool TMainWindow::SaveForm(const std::string& Path) {
  try {
    FForm.Save(Path);
    return true;
  } catch (const std::exception& E) {
    Failed("The form was not saved.", E);
    return false;
  }
}

bool TMainWindow::OpenForm(const std::string& Path) {
  FModel.Select({});
  FSelection.clear();
  bool Opened = true;
  try {
    FForm.Open(Path);
  } catch (const std::exception& E) {
    Failed("The form cannot be opened.", E);
    Opened = false;
  }
  RefreshFormView();
  RefreshInspector();
  return Opened;
}

}  // namespace designer
