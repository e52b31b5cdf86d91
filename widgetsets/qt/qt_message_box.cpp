// SPDX-License-Identifier: MIT
// A message box of the platform layer as a Qt message box.
#include <QApplication>
#include <QCloseEvent>
#include <QMessageBox>
#include <QPushButton>
#include <map>

#include "rtl/ui/widgetset.h"
#include "widgetsets/qt/qt_presenters.h"

namespace rtl::qt {

namespace {

// Notes a close by the close box, which answers nothing.
class TMessageBoxDialog : public QMessageBox {
 public:
  using QMessageBox::QMessageBox;
  bool Closed = false;

 protected:
  void closeEvent(QCloseEvent* Event) override {
    Closed = true;
    QMessageBox::closeEvent(Event);
  }
};

QMessageBox::Icon IconOf(TMsgDlgType Type) {
  switch (Type) {
    case mtWarning:
      return QMessageBox::Warning;
    case mtError:
      return QMessageBox::Critical;
    case mtInformation:
      return QMessageBox::Information;
    case mtConfirmation:
      return QMessageBox::Question;
    case mtCustom:
      break;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::ButtonRole RoleOf(TModalResult Result) {
  switch (Result) {
    case mrYes:
    case mrYesToAll:
    case mrAll:
      return QMessageBox::YesRole;
    case mrNo:
    case mrNoToAll:
      return QMessageBox::NoRole;
    case mrCancel:
    case mrAbort:
      return QMessageBox::RejectRole;
    case mrNone:
      return QMessageBox::HelpRole;
    default:
      return QMessageBox::AcceptRole;
  }
}

}  // namespace

int PresentMessageBox(const TMessageBoxParams& Box) {
  // The box as the platform builds it gives the buttons, their captions and
  // which one Enter and Escape press.
  const std::unique_ptr<TForm> Form = CreateMessageDialog(Box);
  std::vector<TButton*> Buttons;
  for (TControl* C : Form->AllControls())
    if (auto* B = dynamic_cast<TButton*>(C)) Buttons.push_back(B);
  const std::vector<char> Keys = ButtonKeys(Buttons);

  TMessageBoxDialog Dialog(QApplication::activeWindow());
  Dialog.setObjectName(QStringLiteral("MessageBox"));
  Dialog.setWindowTitle(QString::fromStdString(Box.Title));
  Dialog.setIcon(IconOf(Box.DlgType));
  Dialog.setTextFormat(Qt::PlainText);
  Dialog.setText(ScreenText(Box.Text));
  std::map<const QAbstractButton*, TModalResult> Results;
  for (size_t I = 0; I < Buttons.size(); ++I) {
    const TButton* B = Buttons[I];
    QPushButton* Q =
        Dialog.addButton(QString::fromStdString(CaptionWithAccelerator(B->Caption(), Keys[I])),
                         RoleOf(B->ModalResult()));
    Q->setObjectName(QString::fromStdString(B->Name()));
    Results[Q] = B->ModalResult();
    if (B->Default()) Dialog.setDefaultButton(Q);
    if (B->Cancel()) Dialog.setEscapeButton(Q);
  }
  for (;;) {
    Dialog.Closed = false;
    Dialog.exec();
    const QAbstractButton* Clicked = Dialog.clickedButton();
    if (Dialog.Closed || Clicked == nullptr) return mrCancel;
    // Help answers nothing; the question stays.
    if (Results[Clicked] != mrNone) return Results[Clicked];
  }
}

}  // namespace rtl::qt
