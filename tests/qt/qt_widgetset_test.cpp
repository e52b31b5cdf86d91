// SPDX-License-Identifier: MIT
// The Qt widgetset around the component: a run on a worker thread that asks
// on the GUI thread, the locale of dates, and when a display is there.
#include "widgetsets/qt/qt_widgetset.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QLabel>
#include <QThread>
#include <QtTest/QTest>
#include <atomic>
#include <clocale>
#include <thread>

#include "engine/quindle.h"
#include "qt/qt_test_support.h"
#include "support/test_support.h"

namespace {

using namespace rtl;
using quindle::testing::OnNextModal;
using quindle::testing::ReadFile;
using quindle::testing::TempDir;
using quindle::testing::WriteFile;

struct TRunCase {
  const char* Name;
  Qt::Key Key;
  const char* After;  // dst/a.txt after the run
  bool SecondCopied;  // whether b.txt, after a.txt, was copied
};

TEST(QtWidgetSet, ARunOnAWorkerAsksOnTheGuiThreadAndGoesOnWithTheAnswer) {
  const TRunCase Cases[] = {
      {"Yes", Qt::Key_Return, "new a", true},
      {"No", Qt::Key_N, "old a", true},
      {"Cancel", Qt::Key_Escape, "old a", false},
  };
  TQtWidgetSet Qt;
  TWidgetSetScope Scope(Qt);
  for (const TRunCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    TempDir Dir;
    std::filesystem::create_directories(Dir.path() / "src");
    std::filesystem::create_directories(Dir.path() / "dst");
    WriteFile(Dir / "src/a.txt", "new a");
    WriteFile(Dir / "src/b.txt", "b");
    WriteFile(Dir / "dst/a.txt", "old a");
    quindle::TQuindle Quindle(nullptr);
    Quindle.SourceFilenames()->Add(Dir / "src/*.txt");
    Quindle.SetTargetFilename(Dir / "dst/");
    Quindle.SetShowMessages(true);

    QThread* AskedOn = nullptr;
    OnNextModal([&](QWidget& W) {
      AskedOn = QThread::currentThread();
      EXPECT_EQ(W.objectName(), "OverwriteDialog");
      EXPECT_EQ(W.findChild<QLabel*>("SrcFNLabel2")->text(), "A.txt");
      EXPECT_EQ(W.findChild<QLabel*>("TgtFileSizeLabel")->text(), "5 bytes");
      EXPECT_EQ(ReadFile(Dir / "dst/a.txt"), "old a") << "the worker waits for the answer";
      QTest::keyClick(C.Key == Qt::Key_N ? &W : QApplication::focusWidget(), C.Key,
                      C.Key == Qt::Key_N ? Qt::AltModifier : Qt::NoModifier);
    });
    std::atomic<bool> Done = false;
    std::thread Worker([&] {
      Quindle.Execute();
      Done = true;
    });
    QElapsedTimer Clock;
    Clock.start();
    while (!Done && Clock.elapsed() < 20000)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    Worker.join();
    EXPECT_EQ(AskedOn, qApp->thread());
    EXPECT_EQ(ReadFile(Dir / "dst/a.txt"), C.After);
    EXPECT_EQ(std::filesystem::exists(Dir.path() / "dst/b.txt"), C.SecondCopied);
    EXPECT_EQ(Quindle.Progress(), 100);
  }
}

// Restores an environment variable when it goes out of scope.
class TEnvScope {
 public:
  explicit TEnvScope(const char* Name) : FName(Name) {
    const char* V = std::getenv(Name);
    if (V != nullptr) FOld = V;
    FHad = V != nullptr;
  }
  ~TEnvScope() {
    if (FHad)
      setenv(FName, FOld.c_str(), 1);
    else
      unsetenv(FName);
  }
  void Set(const char* Value) {
    if (Value == nullptr)
      unsetenv(FName);
    else
      setenv(FName, Value, 1);
  }

 private:
  const char* FName;
  std::string FOld;
  bool FHad = false;
};

TEST(QtWidgetSet, DatesFollowTheUsersLocaleAndNumbersStayPlain) {
  TEnvScope Time("LC_TIME"), Numeric("LC_NUMERIC"), All("LC_ALL");
  All.Set(nullptr);
  Time.Set("C.UTF-8");
  Numeric.Set("C.UTF-8");
  std::setlocale(LC_TIME, "C");
  std::setlocale(LC_NUMERIC, "C.UTF-8");
  TQtWidgetSet Qt;
  EXPECT_STREQ(std::setlocale(LC_TIME, nullptr), "C.UTF-8");
  EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
  std::setlocale(LC_TIME, "C");
}

TEST(QtWidgetSet, ADisplayIsThereWhenThePlatformQtPicksFindsOne) {
  struct TCase {
    const char* Platform;
    const char* Display;
    const char* Wayland;
    bool Available;
  };
  const TCase Cases[] = {
      {nullptr, nullptr, nullptr, false},
      {nullptr, "", "", false},
      {nullptr, ":0", nullptr, true},
      {nullptr, nullptr, "wayland-0", true},
      {"xcb", nullptr, "wayland-0", false},
      {"xcb:nograb", ":1", nullptr, true},
      {"wayland;xcb", ":0", nullptr, true},
      {"wayland;xcb", nullptr, nullptr, false},
      {"offscreen", nullptr, nullptr, true},
      {"offscreen:configfile=/tmp/screens.json", nullptr, nullptr, true},
  };
  TEnvScope Platform("QT_QPA_PLATFORM"), Display("DISPLAY"), Wayland("WAYLAND_DISPLAY");
  for (const TCase& C : Cases) {
    Platform.Set(C.Platform);
    Display.Set(C.Display);
    Wayland.Set(C.Wayland);
    EXPECT_EQ(TQtWidgetSet::DisplayAvailable(), C.Available)
        << (C.Platform ? C.Platform : "(unset)")
        << " DISPLAY=" << (C.Display ? C.Display : "(unset)")
        << " WAYLAND_DISPLAY=" << (C.Wayland ? C.Wayland : "(unset)");
  }
}

}  // namespace
