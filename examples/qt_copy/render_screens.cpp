// SPDX-License-Identifier: MIT
// Renders the screenshots of docs/images on whatever platform Qt runs on
// (scripts/render_screens.sh uses the offscreen one): the overwrite dialog
// and a message box as real runs meet them, the About box, and the Qt example
// after a run. The offscreen platform draws no window frames, so each
// picture gets a plain title bar with the window's caption, and a close box
// where the window has one.
//
//   render_screens OUTPUT-FOLDER [SUFFIX]      (writes NAME[SUFFIX].png)
#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QTimer>
#include <QtTest/QTest>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <random>
#include <thread>

#include "dialogs/about_box.h"
#include "examples/qt_copy/copy_window.h"
#include "rtl/files/fileutils.h"
#include "widgetsets/qt/qt_widgetset.h"

namespace {

namespace fs = std::filesystem;

std::string Output, Suffix;
bool Failed = false;

QImage Framed(QWidget& W) {
  const QPixmap Body = W.grab();
  const qreal Dpr = Body.devicePixelRatio();
  const int Title = 26;
  const QSize Size(W.width() + 2, W.height() + Title + 1);
  QImage Out(Size * Dpr, QImage::Format_RGB32);
  Out.setDevicePixelRatio(Dpr);
  QPainter P(&Out);
  P.fillRect(QRect(QPoint(0, 0), Size), QColor(0x3C, 0x41, 0x4B));
  QFont Font = QApplication::font();
  Font.setBold(true);
  P.setFont(Font);
  P.setPen(Qt::white);
  P.drawText(QRect(10, 0, W.width() - 40, Title), Qt::AlignVCenter | Qt::AlignLeft,
             W.windowTitle());
  if (W.windowFlags() & Qt::WindowCloseButtonHint) {
    // A close box: a cross in the right corner.
    P.setPen(QPen(Qt::white, 1.6));
    const QPoint C(Size.width() - 16, Title / 2);
    P.drawLine(C + QPoint(-4, -4), C + QPoint(4, 4));
    P.drawLine(C + QPoint(-4, 4), C + QPoint(4, -4));
  }
  P.drawPixmap(1, Title, Body);
  return Out;
}

void Save(QWidget& W, const std::string& Name) {
  const std::string Path = Output + "/" + Name + Suffix + ".png";
  if (!Framed(W).save(QString::fromStdString(Path))) {
    std::cerr << "render_screens: cannot write " << Path << '\n';
    Failed = true;
    return;
  }
  std::cout << Path << '\n';
}

// Runs Act on the next modal window, from inside its modal loop.
void OnNextModal(std::function<void(QWidget&)> Act) {
  auto* Poll = new QTimer(qApp);
  QObject::connect(Poll, &QTimer::timeout, [Poll, Act = std::move(Act)] {
    QWidget* W = QApplication::activeModalWidget();
    if (W == nullptr || !W->isVisible()) return;
    Poll->stop();
    Poll->deleteLater();
    if (!QTest::qWaitForWindowExposed(W)) std::cerr << "render_screens: a window never showed\n";
    Act(*W);
  });
  Poll->start(10);
}

// Saves the next modal window as Name, then answers it with Key.
void CaptureNext(const std::string& Name, Qt::Key Key) {
  OnNextModal([Name, Key](QWidget& W) {
    Save(W, Name);
    QTest::keyClick(&W, Key);
  });
}

// Runs Quindle on a worker thread, as an application does, until it ends.
void RunOnWorker(quindle::TQuindle& Quindle) {
  std::atomic<bool> Done = false;
  std::thread Worker([&] {
    Quindle.Execute();
    Done = true;
  });
  QElapsedTimer Clock;
  Clock.start();
  while (!Done && Clock.elapsed() < 30000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  if (!Done) {
    std::cerr << "render_screens: a run did not end\n";
    std::exit(1);
  }
  Worker.join();
}

void WriteFile(const std::string& Name, size_t Size, rtl::TDateTime Modified) {
  std::ofstream(Name, std::ios::binary) << std::string(Size, 'x');
  const rtl::THandle H = rtl::FileOpen(Name, rtl::fmOpenReadWrite);
  rtl::FileSetDate(H, rtl::DateTimeToFileDate(Modified));
  rtl::FileClose(H);
}

rtl::TDateTime At(int Year, int Month, int Day, int Hour, int Min, int Sec) {
  return rtl::EncodeDate(Year, Month, Day) + rtl::EncodeTime(Hour, Min, Sec, 0);
}

// A folder of its own, with names as a user would have them.
fs::path MakeFolder() {
  std::random_device Random;
  const fs::path Dir = fs::temp_directory_path() / ("quindle-screens-" + std::to_string(Random()));
  fs::create_directories(Dir / "src");
  fs::create_directories(Dir / "backup");
  fs::current_path(Dir);
  WriteFile("src/Quarterly Report.txt", 48213, At(2026, 3, 14, 9, 26, 53));
  WriteFile("src/notes.txt", 1870, At(2026, 3, 2, 16, 40, 5));
  WriteFile("src/budget.csv", 12402, At(2026, 3, 12, 11, 3, 48));
  WriteFile("backup/Quarterly Report.txt", 45902, At(2026, 2, 27, 17, 5, 12));
  return Dir;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: render_screens OUTPUT-FOLDER [SUFFIX]\n";
    return 2;
  }
  Output = fs::absolute(argv[1]).string();
  Suffix = argc > 2 ? argv[2] : "";
  fs::create_directories(Output);
  QApplication Application(argc, argv);
  rtl::TQtWidgetSet Qt;
  rtl::TWidgetSetScope Scope(Qt);
  const fs::path Dir = MakeFolder();

  {  // The overwrite dialog, as a run meets the existing target.
    quindle::TQuindle Quindle(nullptr);
    rtl::TStringList Sources;
    Sources.Add("src/Quarterly Report.txt");
    Quindle.SetMultiSrcFN(&Sources);
    Quindle.SetTargetFilename("backup/");
    Quindle.SetShowMessages(true);
    CaptureNext("overwrite_dialog", Qt::Key_Escape);
    RunOnWorker(Quindle);
  }
  {  // The question about a missing target folder.
    quindle::TQuindle Quindle(nullptr);
    rtl::TStringList Sources;
    Sources.Add("src/*.txt");
    Quindle.SetMultiSrcFN(&Sources);
    Quindle.SetTargetFilename("archive/");
    Quindle.SetShowMessages(true);
    CaptureNext("message_box", Qt::Key_Escape);
    RunOnWorker(Quindle);
  }
  {  // The About box.
    quindle::TQDAboutBox Box(nullptr);
    CaptureNext("about_box", Qt::Key_Return);
    Box.ShowModal();
  }
  {  // The example after a run that replaced one file.
    TCopyWindow Window;
    Window.SetSource("src/*");
    Window.SetTarget("backup/");
    Window.show();
    if (!QTest::qWaitForWindowExposed(&Window)) std::cerr << "render_screens: no example window\n";
    OnNextModal([](QWidget& W) { QTest::keyClick(&W, Qt::Key_Return); });
    Window.StartCopy();
    QElapsedTimer Clock;
    Clock.start();
    while (Window.Running() && Clock.elapsed() < 30000)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QCoreApplication::processEvents();
    Save(Window, "qt_copy");
  }
  fs::current_path(Dir.parent_path());
  fs::remove_all(Dir);
  return Failed ? 1 : 0;
}
