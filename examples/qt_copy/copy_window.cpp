// SPDX-License-Identifier: MIT
#include "examples/qt_copy/copy_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTime>
#include <QVBoxLayout>

#include "dialogs/about_box.h"

namespace {

QString Text(const std::string& S) {
  return QString::fromUtf8(S.data(), static_cast<qsizetype>(S.size()));
}

}  // namespace

TCopyWindow::TCopyWindow(QWidget* Parent) : QWidget(Parent) {
  setWindowTitle(QStringLiteral("Quindle - copy files"));
  setObjectName(QStringLiteral("CopyWindow"));
  FSource = new QLineEdit(this);
  FSource->setPlaceholderText(QStringLiteral("a file, a pattern such as src/*.txt, or a folder"));
  FTarget = new QLineEdit(this);
  FTarget->setPlaceholderText(QStringLiteral("a file, or a folder (ending in /)"));
  FMethod = new QComboBox(this);
  // In the order of TCopyType.
  FMethod->addItems({QStringLiteral("Stream copy"), QStringLiteral("Block copy"),
                     QStringLiteral("Expand LZ-compressed files"), QStringLiteral("Move")});
  FValidate = new QCheckBox(QStringLiteral("&Validate each copy (CRC-32)"), this);
  FCopy = new QPushButton(QStringLiteral("&Copy"), this);
  FCopy->setDefault(true);
  FCancel = new QPushButton(QStringLiteral("C&ancel"), this);
  FCancel->setEnabled(false);
  auto* About = new QPushButton(QStringLiteral("A&bout..."), this);
  FProgress = new QProgressBar(this);
  FProgress->setRange(0, 100);
  FLog = new QPlainTextEdit(this);
  FLog->setReadOnly(true);
  FLog->setObjectName(QStringLiteral("Log"));

  auto Row = [this](QLineEdit* Field, bool Directory) {
    auto* Box = new QHBoxLayout;
    auto* Browse = new QPushButton(QStringLiteral("..."), this);
    Browse->setFixedWidth(Browse->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);
    Box->addWidget(Field);
    Box->addWidget(Browse);
    connect(Browse, &QPushButton::clicked, this, [=, this] { this->Browse(Field, Directory); });
    return Box;
  };
  // A label before a row of two widgets needs its buddy named for Alt+key.
  auto Label = [this](const QString& Caption, QWidget* Buddy) {
    auto* L = new QLabel(Caption, this);
    L->setBuddy(Buddy);
    return L;
  };
  auto* Form = new QFormLayout;
  Form->addRow(Label(QStringLiteral("&Source:"), FSource), Row(FSource, false));
  Form->addRow(Label(QStringLiteral("&Target:"), FTarget), Row(FTarget, true));
  Form->addRow(QStringLiteral("&Method:"), FMethod);
  Form->addRow(QString(), FValidate);
  auto* Buttons = new QHBoxLayout;
  Buttons->addWidget(About);
  Buttons->addStretch();
  Buttons->addWidget(FCopy);
  Buttons->addWidget(FCancel);
  auto* Layout = new QVBoxLayout(this);
  Layout->addLayout(Form);
  Layout->addWidget(FProgress);
  Layout->addWidget(FLog, 1);
  Layout->addLayout(Buttons);
  resize(560, 420);

  connect(FCopy, &QPushButton::clicked, this, [this] { StartCopy(); });
  connect(FCancel, &QPushButton::clicked, this, [this] { FQuindle.Abort(); });
  connect(About, &QPushButton::clicked, this, [] {
    quindle::TQDAboutBox Box(nullptr);
    Box.ShowModal();  // through the widgetset the program chose
  });
  Bind();
}

TCopyWindow::~TCopyWindow() {
  // The run cannot outlive the window its handlers write to.
  FQuindle.Abort();
  if (FWorker.joinable()) FWorker.join();
}

void TCopyWindow::SetSource(const QString& Source) {
  FSource->setText(Source);
}

void TCopyWindow::SetTarget(const QString& Target) {
  FTarget->setText(Target);
}

void TCopyWindow::Browse(QLineEdit* Field, bool Directory) {
  const QString Chosen =
      Directory ? QFileDialog::getExistingDirectory(this, QStringLiteral("Target folder"))
                : QFileDialog::getOpenFileName(this, QStringLiteral("Source file"));
  if (!Chosen.isEmpty()) Field->setText(Directory ? Chosen + QLatin1Char('/') : Chosen);
}

// The handlers run on the worker thread, so each one only hands a line (or a
// percentage) to the GUI thread.
void TCopyWindow::Bind() {
  using rtl::TObject;
  FQuindle.SetOnStart([this](TObject*) { Log("Started"); });
  FQuindle.SetOnBeforeCopyFile([this](TObject*, std::string Src, std::string Tgt) {
    Log("Copying " + Src + " to " + Tgt + " (" + std::to_string(FQuindle.SizeFile()) + " bytes)");
  });
  FQuindle.SetOnAfterCopyFile(
      [this](TObject*, std::string, std::string Tgt) { Log("Done: " + Tgt); });
  FQuindle.SetOnOverwriteCancelled([this](TObject*) { Log("Left as it was (not overwritten)"); });
  FQuindle.SetOnProgressChange([this](TObject*) {
    const int Percent = FQuindle.Progress();
    QMetaObject::invokeMethod(
        this, [this, Percent] { FProgress->setValue(Percent); }, Qt::QueuedConnection);
  });
  FQuindle.SetOnFinished([this](TObject*) { Log("Finished"); });
}

void TCopyWindow::Log(const std::string& Line) {
  const QString Stamped = QTime::currentTime().toString(QStringLiteral("HH:mm:ss  ")) + Text(Line);
  QMetaObject::invokeMethod(
      this, [this, Stamped] { FLog->appendPlainText(Stamped); }, Qt::QueuedConnection);
}

void TCopyWindow::StartCopy() {
  if (Running()) return;
  rtl::TStringList Sources;
  Sources.Add(FSource->text().trimmed().toStdString());
  FQuindle.SetMultiSrcFN(&Sources);
  FQuindle.SetTargetFilename(FTarget->text().trimmed().toStdString());
  FQuindle.SetCopyType(static_cast<quindle::TCopyType>(FMethod->currentIndex()));
  FQuindle.SetValidate(FValidate->isChecked());
  // Asked again on every run: the component keeps the last answer otherwise.
  FQuindle.SetOverwriteIfExist(true);
  FQuindle.SetCreateTgtDir(false);
  // The component's own questions and messages, as windows.
  FQuindle.SetShowMessages(true);
  FProgress->setValue(0);
  FCopy->setEnabled(false);
  FCancel->setEnabled(true);
  FWorker = std::thread([this] {
    FQuindle.Execute();
    QMetaObject::invokeMethod(
        this, [this] { Finished(); }, Qt::QueuedConnection);
  });
}

void TCopyWindow::Finished() {
  FWorker.join();
  FCopy->setEnabled(true);
  FCancel->setEnabled(false);
  if (FCloseWhenDone) close();
}

void TCopyWindow::closeEvent(QCloseEvent* Event) {
  if (!Running()) return QWidget::closeEvent(Event);
  FCloseWhenDone = true;
  FQuindle.Abort();
  Event->ignore();
}
