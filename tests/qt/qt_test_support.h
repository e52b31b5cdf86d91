// SPDX-License-Identifier: MIT
// Helpers for the Qt suites: the screen the run was started for, and a way
// to act on a modal window from inside its modal loop.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <QtTest/QTest>
#include <cstdlib>
#include <functional>
#include <string>

namespace quindle::testing {

// The screen's density the run is for: 192 with QUINDLE_TEST_SCREEN set.
inline int TestDpi() {
  return std::getenv("QUINDLE_TEST_SCREEN") != nullptr ? 192 : 96;
}

// Runs Act on the next modal window that shows, from within its modal loop
// (so that a test can look at it and answer it). A window still open ten
// seconds later fails the test and is ended, so that a broken answer cannot
// hang the suite.
inline void OnNextModal(std::function<void(QWidget&)> Act) {
  auto* Poll = new QTimer(qApp);
  QObject::connect(Poll, &QTimer::timeout, [Poll, Act = std::move(Act)] {
    QWidget* W = QApplication::activeModalWidget();
    if (W == nullptr || !W->isVisible()) return;
    Poll->stop();
    Poll->deleteLater();
    QPointer<QWidget> Guarded(W);
    QTimer::singleShot(10000, W, [Guarded] {
      if (Guarded == nullptr || !Guarded->isVisible()) return;
      ADD_FAILURE() << "the window " << Guarded->objectName().toStdString() << " stayed open";
      if (auto* D = qobject_cast<QDialog*>(Guarded.data())) D->done(0);
    });
    EXPECT_TRUE(QTest::qWaitForWindowActive(W)) << W->objectName().toStdString();
    Act(*W);
  });
  Poll->start(5);
}

}  // namespace quindle::testing
