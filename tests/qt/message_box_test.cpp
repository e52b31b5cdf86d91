// SPDX-License-Identifier: MIT
// MessageDlg as a Qt message box.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QtTest/QTest>
#include <atomic>
#include <thread>

#include "qt/qt_test_support.h"
#include "rtl/ui/dialogs.h"
#include "widgetsets/qt/qt_widgetset.h"

namespace {

using namespace rtl;
using quindle::testing::OnNextModal;

std::vector<std::string> ButtonTexts(const QMessageBox& Box) {
  std::vector<std::string> Texts;
  for (const QAbstractButton* B : Box.buttons()) Texts.push_back(B->text().toStdString());
  std::sort(Texts.begin(), Texts.end());
  return Texts;
}

struct TBoxCase {
  const char* Name;
  TMsgDlgButtons Buttons;
  std::vector<std::string> Shown;  // sorted, with their keys
  std::function<void(QWidget&)> Act;
  int Result;
};

TEST(QtMessageBox, ShowsTheTextAsGivenWithTheButtonsAskedFor) {
  const auto Enter = [](QWidget& W) { QTest::keyClick(&W, Qt::Key_Return); };
  const auto Escape = [](QWidget& W) { QTest::keyClick(&W, Qt::Key_Escape); };
  const auto Close = [](QWidget& W) { W.close(); };
  const TBoxCase Cases[] = {
      {"Yes/No, Enter", {mbYes, mbNo}, {"&No", "&Yes"}, Enter, mrYes},
      {"Yes/No, Escape", {mbYes, mbNo}, {"&No", "&Yes"}, Escape, mrNo},
      {"Yes/No, Alt+N",
       {mbYes, mbNo},
       {"&No", "&Yes"},
       [](QWidget& W) { QTest::keyClick(&W, Qt::Key_N, Qt::AltModifier); },
       mrNo},
      {"Yes/No, close box", {mbYes, mbNo}, {"&No", "&Yes"}, Close, mrCancel},
      {"OK, Enter", {mbOK}, {"&OK"}, Enter, mrOk},
      {"OK, Escape", {mbOK}, {"&OK"}, Escape, mrOk},
      {"no buttons asked: OK", {}, {"&OK"}, Enter, mrOk},
      {"Abort/Retry/Ignore, click Ignore",
       mbAbortRetryIgnore,
       {"&Abort", "&Ignore", "&Retry"},
       [](QWidget& W) { QTest::mouseClick(W.findChild<QPushButton*>("Ignore"), Qt::LeftButton); },
       mrIgnore},
  };
  TQtWidgetSet Qt;
  TWidgetSetScope Scope(Qt);
  for (const TBoxCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    OnNextModal([&](QWidget& W) {
      auto* Box = qobject_cast<QMessageBox*>(&W);
      ASSERT_NE(Box, nullptr);
      EXPECT_EQ(Box->windowTitle(), "Information");
      EXPECT_EQ(Box->icon(), QMessageBox::Information);
      // A carriage return is a line break on screen; the rest is as given.
      EXPECT_EQ(Box->text().toStdString(), "Cannot create target directory \n/tmp/<new> & more");
      EXPECT_EQ(Box->textFormat(), Qt::PlainText);
      EXPECT_EQ(ButtonTexts(*Box), C.Shown);
      C.Act(W);
    });
    EXPECT_EQ(MessageDlg("Cannot create target directory \r/tmp/<new> & more", mtInformation,
                         C.Buttons, 0),
              C.Result);
  }
}

TEST(QtMessageBox, ABoxAskedForOnAWorkerIsShownOnTheGuiThread) {
  TQtWidgetSet Qt;
  TWidgetSetScope Scope(Qt);
  QThread* ShownOn = nullptr;
  OnNextModal([&](QWidget& W) {
    ShownOn = QThread::currentThread();
    QTest::keyClick(&W, Qt::Key_Y, Qt::AltModifier);
  });
  int Result = 0;
  std::atomic<bool> Done = false;
  std::thread Worker([&] {
    Result = MessageDlg("Directory x/ does not exist. Create it?", mtInformation, {mbYes, mbNo}, 0);
    Done = true;
  });
  QElapsedTimer Clock;
  Clock.start();
  while (!Done && Clock.elapsed() < 20000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  Worker.join();
  EXPECT_EQ(ShownOn, qApp->thread());
  EXPECT_EQ(Result, mrYes);
}

}  // namespace
