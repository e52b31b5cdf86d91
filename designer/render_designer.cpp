// SPDX-License-Identifier: MIT
// Draws the screenshot of docs/DESIGNER.md on whatever platform Qt runs on
// (scripts/render_screens.sh uses the offscreen one): the designer with the
// component's package loaded, a TQuindle on the form and selected, and the
// About box that the inspector's ellipsis opened, over the window.
//
//   render_designer PACKAGE OUTPUT.png
#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <QToolButton>
#include <QtTest/QTest>
#include <iostream>

#include "designer/main_window.h"
#include "widgetsets/qt/qt_widgetset.h"

namespace {

// A window as the desktop would frame it: the offscreen platform draws no
// frames, so each gets a plain title bar with its caption.
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
  P.drawText(QRect(10, 0, W.width() - 20, Title), Qt::AlignVCenter | Qt::AlignLeft,
             W.windowTitle());
  P.drawPixmap(1, Title, Body);
  return Out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: render_designer PACKAGE OUTPUT.png\n";
    return 2;
  }
  QApplication App(argc, argv);
  rtl::TQtWidgetSet WidgetSet;
  rtl::TWidgetSetScope Scope(WidgetSet);
  designer::TPackageHost Host;
  int Status = 1;
  {
    designer::TMainWindow Window(Host);
    if (!Window.LoadPackage(argv[1])) return 1;
    Window.show();
    if (!QTest::qWaitForWindowExposed(&Window)) return 1;
    auto* Put = Window.findChild<QToolButton*>("palette:TQuindle");
    if (Put == nullptr) return 1;
    QTest::mouseClick(Put, Qt::LeftButton);
    QApplication::processEvents();
    const QString Output = QString::fromLocal8Bit(argv[2]);

    auto* Poll = new QTimer(&App);
    QObject::connect(Poll, &QTimer::timeout, [&] {
      QWidget* Box = QApplication::activeModalWidget();
      if (Box == nullptr || !Box->isVisible() || !QTest::qWaitForWindowExposed(Box)) return;
      Poll->stop();
      QImage Shot = Framed(Window);
      const QImage BoxShot = Framed(*Box);
      {
        QPainter P(&Shot);
        // Over the form, beside the inspector's About row.
        const int Width = static_cast<int>(Shot.width() / Shot.devicePixelRatio());
        const int BoxWidth = static_cast<int>(BoxShot.width() / BoxShot.devicePixelRatio());
        const QPoint At(Width - BoxWidth - 12, 290);
        P.fillRect(QRect(At + QPoint(4, 4), BoxShot.size() / BoxShot.devicePixelRatio()),
                   QColor(0, 0, 0, 60));
        P.drawImage(At, BoxShot);
      }
      if (Shot.save(Output)) {
        std::cout << Output.toStdString() << '\n';
        Status = 0;
      } else {
        std::cerr << "render_designer: cannot write " << Output.toStdString() << '\n';
      }
      QTest::keyClick(Box, Qt::Key_Return);
    });
    Poll->start(10);
    auto* Ellipsis = Window.findChild<QToolButton*>("ellipsis:About");
    if (Ellipsis == nullptr) return 1;
    QTest::mouseClick(Ellipsis, Qt::LeftButton);
  }
  return Status;
}
