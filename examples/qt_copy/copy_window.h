// SPDX-License-Identifier: MIT
// The window of the Qt example: a source, a target, the method, Validate, a
// progress bar and a log of the component's events. The copy runs on a
// worker thread; the component's own questions and messages come up as
// windows through the Qt widgetset, which the program chose.
#pragma once

#include <QWidget>
#include <memory>
#include <string>
#include <thread>

#include "engine/quindle.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

class TCopyWindow : public QWidget {
 public:
  explicit TCopyWindow(QWidget* Parent = nullptr);
  ~TCopyWindow() override;

  void SetSource(const QString& Source);
  void SetTarget(const QString& Target);
  // Starts a run with the fields as they are; nothing when one is running.
  void StartCopy();
  bool Running() const { return FWorker.joinable(); }

 protected:
  // Closing while a run is going stops it first.
  void closeEvent(QCloseEvent* Event) override;

 private:
  void Bind();
  void Browse(QLineEdit* Field, bool Directory);
  // Called on the worker thread: adds a line to the log on the GUI thread.
  void Log(const std::string& Line);
  void Finished();

  quindle::TQuindle FQuindle{nullptr};
  std::thread FWorker;
  bool FCloseWhenDone = false;
  QLineEdit* FSource;
  QLineEdit* FTarget;
  QComboBox* FMethod;
  QCheckBox* FValidate;
  QPushButton* FCopy;
  QPushButton* FCancel;
  QProgressBar* FProgress;
  QPlainTextEdit* FLog;
};
