// SPDX-License-Identifier: MIT
// The command's windows with Qt: the application, the widgetset, and the
// progress window of a run; the window module's entry point.
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QEventLoop>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>
#include <iostream>
#include <memory>
#include <thread>

#include "cli/gui_module.h"
#include "widgetsets/qt/qt_widgetset.h"

namespace quindle::cli {

namespace {

// The Qt application and its widgetset.
struct TWindows {
  int Argc = 1;
  char Name[8] = "quindle";
  char* Argv[2] = {Name, nullptr};
  std::unique_ptr<QApplication> Application;
  std::unique_ptr<rtl::TQtWidgetSet> WidgetSet;
};

QString Text(const std::string& S) {
  return QString::fromUtf8(S.data(), static_cast<qsizetype>(S.size()));
}

// What is being copied, how far the run is, and Cancel. The Post functions
// are called on the worker thread and update the window on its own.
class TProgressWindow : public QDialog {
 public:
  explicit TProgressWindow(TQuindle& Quindle) : FQuindle(Quindle) {
    setWindowTitle(QStringLiteral("Copying - quindle"));
    setObjectName(QStringLiteral("ProgressWindow"));
    auto* Layout = new QVBoxLayout(this);
    FFile = new QLabel(this);
    FFile->setObjectName(QStringLiteral("File"));
    FFile->setFixedWidth(FFile->fontMetrics().averageCharWidth() * 60);
    FBytes = new QLabel(this);
    FBytes->setObjectName(QStringLiteral("Bytes"));
    FBar = new QProgressBar(this);
    FBar->setRange(0, 100);
    FCancel = new QPushButton(QStringLiteral("Cancel"), this);
    FCancel->setObjectName(QStringLiteral("Cancel"));
    auto* Buttons = new QHBoxLayout;
    Buttons->addStretch();
    Buttons->addWidget(FCancel);
    Layout->addWidget(FFile);
    Layout->addWidget(FBytes);
    Layout->addWidget(FBar);
    Layout->addLayout(Buttons);
    QObject::connect(FCancel, &QPushButton::clicked, this, [this] { Cancel(); });
    ShowFile(QStringLiteral("Starting..."));
    ShowBytes();
  }

  void PostFile(const std::string& Src, const std::string& Tgt, int64_t Size) {
    Post([this, Name = Text(Src + " -> " + Tgt), Size] {
      FSize = Size;
      ShowFile(Name);
      ShowBytes();
    });
  }
  void PostDone(int64_t Size) {
    Post([this, Size] {
      ++FFiles;
      FDone += Size;
      ShowBytes();
    });
  }
  void PostProgress(int Percent) {
    Post([this, Percent] { FBar->setValue(Percent); });
  }

 protected:
  // Closing the window, and Escape, are Cancel.
  void closeEvent(QCloseEvent* Event) override {
    Event->ignore();
    Cancel();
  }
  void reject() override { Cancel(); }

 private:
  template <class F>
  void Post(F Update) {
    QMetaObject::invokeMethod(this, std::move(Update), Qt::QueuedConnection);
  }
  void ShowFile(const QString& Name) {
    FFile->setText(FFile->fontMetrics().elidedText(Name, Qt::ElideMiddle, FFile->width()));
    FFile->setToolTip(Name);
  }
  void ShowBytes() {
    const QLocale L;
    FBytes->setText(QStringLiteral("This file: %1 bytes    Done: %2 files, %3 bytes")
                        .arg(L.toString(static_cast<qlonglong>(FSize)), L.toString(FFiles),
                             L.toString(static_cast<qlonglong>(FDone))));
  }
  void Cancel() {
    FQuindle.Abort();
    FCancel->setEnabled(false);
    FCancel->setText(QStringLiteral("Stopping..."));
  }

  TQuindle& FQuindle;
  QLabel* FFile;
  QLabel* FBytes;
  QProgressBar* FBar;
  QPushButton* FCancel;
  int64_t FSize = 0;
  int FFiles = 0;
  int64_t FDone = 0;
};

std::unique_ptr<TWindows> Opened;

rtl::TWidgetSet* OpenWindows() {
  if (Opened) return Opened->WidgetSet.get();
  if (!rtl::TQtWidgetSet::DisplayAvailable()) {
    std::cerr << "quindle: no display to open windows on; working in the terminal\n";
    return nullptr;
  }
  auto Windows = std::make_unique<TWindows>();
  Windows->Application = std::make_unique<QApplication>(Windows->Argc, Windows->Argv);
  Windows->WidgetSet = std::make_unique<rtl::TQtWidgetSet>();
  Opened = std::move(Windows);
  return Opened->WidgetSet.get();
}

void CloseWindows() {
  Opened.reset();
}

void RunInWindow(TQuindle& Quindle) {
  TProgressWindow Window(Quindle);
  // The window follows the run after the command's own handlers, which
  // stay as they are.
  const TQuindleEvent Before = Quindle.OnBeforeCopyFile(), After = Quindle.OnAfterCopyFile();
  const TNotifyEvent Progress = Quindle.OnProgressChange();
  Quindle.SetOnBeforeCopyFile([&](rtl::TObject* Sender, std::string Src, std::string Tgt) {
    if (Before) Before(Sender, Src, Tgt);
    Window.PostFile(Src, Tgt, Quindle.SizeFile());
  });
  Quindle.SetOnAfterCopyFile([&](rtl::TObject* Sender, std::string Src, std::string Tgt) {
    if (After) After(Sender, Src, Tgt);
    Window.PostDone(Quindle.SizeFile());
  });
  Quindle.SetOnProgressChange([&](rtl::TObject* Sender) {
    if (Progress) Progress(Sender);
    Window.PostProgress(Quindle.Progress());
  });
  std::exception_ptr Error;
  QEventLoop Loop;
  Window.show();
  std::thread Worker([&] {
    try {
      Quindle.Execute();
    } catch (...) {
      Error = std::current_exception();
    }
    QMetaObject::invokeMethod(
        &Loop, [&Loop] { Loop.quit(); }, Qt::QueuedConnection);
  });
  Loop.exec();
  Worker.join();
  Window.hide();

  Quindle.SetOnBeforeCopyFile(Before);
  Quindle.SetOnAfterCopyFile(After);
  Quindle.SetOnProgressChange(Progress);
  if (Error) std::rethrow_exception(Error);
}

}  // namespace

}  // namespace quindle::cli

const quindle::cli::TGuiModule* QuindleGuiModule() {
  static const quindle::cli::TGuiModule Module{
      quindle::cli::OpenWindows, quindle::cli::CloseWindows, quindle::cli::RunInWindow};
  return &Module;
}
