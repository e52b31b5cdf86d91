// SPDX-License-Identifier: MIT
// The two dialogs as Qt windows: geometry at the screen's density, captions
// and fonts, the keys of the modal loop, the painted icons, long names.
#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QtTest/QTest>
#include <stdexcept>

#include "dialogs/about_box.h"
#include "dialogs/overwrite_dialog.h"
#include "qt/qt_test_support.h"
#include "widgetsets/qt/qt_widgetset.h"

namespace {

using namespace rtl;
using quindle::testing::OnNextModal;
using quindle::testing::TestDpi;

struct TControlRow {
  const char* Name;
  int Left, Top, Width, Height;  // in layout pixels, relative to the parent
  const char* Text;              // as shown; nullptr for images and panels
  bool Bold;
  int FontHeight;  // pixels at 96 dpi
};

const TControlRow OverwriteRows[] = {
    {"MainImage1", 12, 8, 32, 32, nullptr, false, 13},
    {"MainText1", 52, 16, 0, 0, "This directory already contains a file called ", false, 13},
    {"SrcFNLabel1", 96, 36, 0, 0, "'TargetFilename'.", true, 13},
    {"MainText2", 52, 60, 0, 0, "Would you like to replace the existing file", false, 13},
    {"TgtFileSizeLabel", 96, 96, 0, 0, "0 bytes", false, 13},
    {"TgtModifiedLabel", 96, 112, 0, 0, "modified on Day, Date, Time", false, 13},
    {"MainText3", 52, 136, 0, 0, "with this one?", false, 13},
    {"SrcFileSizeLabel", 96, 172, 0, 0, "0 bytes", false, 13},
    {"SrcModifiedLabel", 96, 188, 0, 0, "modified on Day, Date, Time", false, 13},
    {"SrcFNLabel2", 96, 156, 0, 0, "SourceFilename", false, 13},
    {"TgtFNLabel1", 96, 80, 0, 0, "TargetFilename", false, 13},
    {"TgtImage1", 52, 80, 32, 32, nullptr, false, 13},
    {"SrcImage1", 52, 156, 32, 32, nullptr, false, 13},
    {"YesButton", 208, 216, 75, 23, "Yes", false, 13},
    {"No1Button", 288, 216, 75, 23, "No", false, 13},
    {"CancelButton", 128, 216, 75, 23, "Cancel", false, 13},
};

const TControlRow AboutRows[] = {
    {"Panel1", 0, 0, 352, 134, nullptr, false, 13},
    {"ProgramIcon", 16, 12, 32, 32, nullptr, false, 13},
    {"ProductName", 68, 8, 0, 0, "Quindle Component (32 Bit)", true, 19},
    {"Version", 104, 36, 0, 0, "Version", false, 13},
    {"VersionNumber", 156, 36, 0, 0, "2.00", false, 13},
    {"Copyright", 8, 72, 0, 0, "Copyright (c) 2026 The Quindle developers", false, 13},
    {"Comments", 8, 100, 0, 0, "A component to Copy Files.", false, 13},
    {"Panel5", 0, 134, 352, 45, nullptr, false, 13},
    {"Panel6", 132, 4, 81, 37, nullptr, false, 13},
    {"BitBtn1", 4, 4, 73, 29, "OK", false, 13},
};

// Layout pixels to device-independent pixels, and to device pixels.
struct TScale {
  double Dip, Device;
  int D(int V) const { return qRound(V * Dip); }
};

TScale ScaleOf(const QWidget& W) {
  const double Dpr = W.devicePixelRatioF();
  // The run is at the density it was started for, whichever way Qt gets there.
  EXPECT_DOUBLE_EQ(W.screen()->logicalDotsPerInch() * Dpr, TestDpi());
  return {TestDpi() / 96.0 / Dpr, TestDpi() / 96.0};
}

QString Shown(const QWidget* W) {
  if (auto* L = qobject_cast<const QLabel*>(W)) return L->text();
  if (auto* B = qobject_cast<const QAbstractButton*>(W))
    return QString::fromStdString(StripAccelerator(B->text().toStdString()));
  return QString();
}

// Every control where the layout puts it, at the screen's density: images,
// panels and buttons at their scaled size; labels sized to their text, in
// the desktop's face at the scaled pixel height, bold where the layout says,
// and never past the right edge of what holds them.
template <size_t N>
void ExpectControls(QWidget& Dialog, const TControlRow (&Rows)[N]) {
  const TScale S = ScaleOf(Dialog);
  const QString Desktop = QFontInfo(QFontDatabase::systemFont(QFontDatabase::GeneralFont)).family();
  for (const TControlRow& R : Rows) {
    SCOPED_TRACE(R.Name);
    const auto* W = Dialog.findChild<QWidget*>(R.Name);
    ASSERT_NE(W, nullptr);
    EXPECT_TRUE(W->isVisible());
    EXPECT_EQ(W->pos(), QPoint(S.D(R.Left), S.D(R.Top)));
    if (R.Width > 0) {
      EXPECT_EQ(W->size(), QSize(S.D(R.Width), S.D(R.Height)));
    }
    if (R.Text == nullptr) continue;
    EXPECT_EQ(Shown(W).toStdString(), R.Text);
    EXPECT_EQ(W->font().bold(), R.Bold);
    EXPECT_EQ(W->font().pixelSize(), S.D(R.FontHeight));
    EXPECT_EQ(QFontInfo(W->font()).family(), Desktop);
    if (qobject_cast<const QLabel*>(W) == nullptr) continue;
    const QFontMetrics M(W->font());
    EXPECT_GE(W->width(), M.horizontalAdvance(QString::fromUtf8(R.Text)));
    EXPECT_EQ(W->height(), M.height());
    EXPECT_LE(W->geometry().right(), W->parentWidget()->width()) << "clipped at the right";
  }
}

TEST(QtForms, TheOverwriteDialogAtTheScreensDensity) {
  TQtWidgetSet Qt;
  quindle::TOverwriteDialog D(nullptr);
  OnNextModal([&](QWidget& W) {
    const TScale S = ScaleOf(W);
    EXPECT_EQ(W.objectName(), "OverwriteDialog");
    EXPECT_EQ(W.windowTitle(), "Confirm File Replace");
    EXPECT_EQ(W.size(), QSize(S.D(371), S.D(246)));
    EXPECT_EQ(W.grab().size(), QSize(qRound(371 * S.Device), qRound(246 * S.Device)))
        << "in device pixels";
    EXPECT_EQ(W.minimumSize(), W.maximumSize()) << "a fixed dialog frame";
    EXPECT_TRUE(W.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(W.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    const QPoint Centre = W.screen()->availableGeometry().center();
    EXPECT_LE((W.frameGeometry().center() - Centre).manhattanLength(), 1);
    ExpectControls(W, OverwriteRows);
    EXPECT_EQ(QApplication::focusWidget(), W.findChild<QWidget*>("YesButton"));
    const std::pair<const char*, const char*> Keys[] = {
        {"YesButton", "&Yes"}, {"No1Button", "&No"}, {"CancelButton", "&Cancel"}};
    for (const auto& [Name, Text] : Keys)
      EXPECT_EQ(W.findChild<QPushButton*>(Name)->text().toStdString(), Text);
    QTest::keyClick(&W, Qt::Key_Escape);
  });
  EXPECT_EQ(D.ShowModal(Qt), mrCancel);
}

TEST(QtForms, TheAboutBoxAtTheScreensDensity) {
  TQtWidgetSet Qt;
  quindle::TQDAboutBox Box(nullptr);
  OnNextModal([&](QWidget& W) {
    const TScale S = ScaleOf(W);
    EXPECT_EQ(W.windowTitle(), "About");
    EXPECT_EQ(W.size(), QSize(S.D(352), S.D(179)));
    EXPECT_FALSE(W.windowFlags() & (Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint |
                                    Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                                    Qt::WindowContextHelpButtonHint))
        << "no title-bar buttons";
    ExpectControls(W, AboutRows);
    auto* Ok = W.findChild<QPushButton*>("BitBtn1");
    EXPECT_TRUE(Ok->isDefault());
    EXPECT_FALSE(Ok->icon().isNull()) << "the OK glyph";
    EXPECT_EQ(QApplication::focusWidget(), Ok);
    QTest::keyClick(&W, Qt::Key_Escape);  // no Cancel button: nothing happens
    W.close();                            // no close box: stays open
    EXPECT_TRUE(W.isVisible());
    QTest::keyClick(&W, Qt::Key_Return);
  });
  Box.ShowModal(Qt);
}

struct TAnswerCase {
  const char* Name;
  std::function<void(QWidget&)> Act;
  TModalResult Result;
  quindle::TOverwriteType Answer;
};

void KeyToFocus(Qt::Key Key) {
  QTest::keyClick(QApplication::focusWidget(), Key);
}

TEST(QtForms, TheOverwriteDialogAnswersKeysClicksAndTheCloseBox) {
  using quindle::owCancel, quindle::owNo, quindle::owYes;
  const TAnswerCase Cases[] = {
      {"Enter straight after opening", [](QWidget&) { KeyToFocus(Qt::Key_Return); }, mrYes, owYes},
      {"Enter on the form", [](QWidget& W) { QTest::keyClick(&W, Qt::Key_Enter); }, mrYes, owYes},
      {"Escape", [](QWidget& W) { QTest::keyClick(&W, Qt::Key_Escape); }, mrCancel, owCancel},
      {"Alt+N", [](QWidget& W) { QTest::keyClick(&W, Qt::Key_N, Qt::AltModifier); }, mrNo, owNo},
      {"Alt+C", [](QWidget& W) { QTest::keyClick(&W, Qt::Key_C, Qt::AltModifier); }, mrCancel,
       owCancel},
      {"Tab, then Enter",
       [](QWidget&) {
         KeyToFocus(Qt::Key_Tab);
         KeyToFocus(Qt::Key_Return);
       },
       mrNo, owNo},
      {"a click on No",
       [](QWidget& W) {
         QTest::mouseClick(W.findChild<QPushButton*>("No1Button"), Qt::LeftButton);
       },
       mrNo, owNo},
      {"the close box", [](QWidget& W) { W.close(); }, mrCancel, owNo},
  };
  TQtWidgetSet Qt;
  for (const TAnswerCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    quindle::TOverwriteDialog D(nullptr);
    int Clicks = 0;
    for (TButton* B : {D.YesButton, D.No1Button, D.CancelButton}) {
      const TNotifyEvent Handler = B->OnClick();
      B->SetOnClick([&Clicks, Handler](TObject* Sender) {
        ++Clicks;
        Handler(Sender);
      });
    }
    OnNextModal(C.Act);
    EXPECT_EQ(D.ShowModal(Qt), C.Result);
    EXPECT_EQ(D.Answer, C.Answer);
    EXPECT_EQ(Clicks, std::string(C.Name) == "the close box" ? 0 : 1);
  }
}

TEST(QtForms, TheAboutBoxClosesWithEnterAndWithAClickOnOK) {
  TQtWidgetSet Qt;
  const std::function<void(QWidget&)> Ways[] = {
      [](QWidget&) { KeyToFocus(Qt::Key_Enter); },
      [](QWidget& W) { QTest::mouseClick(W.findChild<QPushButton*>("BitBtn1"), Qt::LeftButton); },
  };
  for (const auto& Way : Ways) {
    quindle::TQDAboutBox Box(nullptr);
    bool Clicked = false;
    const TNotifyEvent Handler = Box.BitBtn1->OnClick();
    Box.BitBtn1->SetOnClick([&](TObject* Sender) {
      Clicked = true;
      Handler(Sender);
    });
    OnNextModal(Way);
    Box.ShowModal(Qt);
    EXPECT_TRUE(Clicked);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  }
}

// Each icon pixel as the screen shows it: the icon's colour where it is
// opaque and the dialog's own ground where it is transparent.
TEST(QtForms, ThePaintedIconsSitOnTheFormsColour) {
  TQtWidgetSet Qt;
  quindle::TOverwriteDialog D(nullptr);
  OnNextModal([&](QWidget& W) {
    const TScale S = ScaleOf(W);
    const QImage Shot = W.grab().toImage();
    ASSERT_EQ(Shot.width(), qRound(371 * S.Device));
    const QColor Ground = W.palette().color(QPalette::Window);
    EXPECT_EQ(ColorToRGB(clBtnFace), Ground.red() | Ground.green() << 8 | Ground.blue() << 16)
        << "the form's colour is the desktop's";
    const std::pair<const char*, const char*> Images[] = {
        {"MainImage1", "ZZZZZZ_ICO"}, {"TgtImage1", "ZZZZZY_ICO"}, {"SrcImage1", "ZZZZZY_ICO"}};
    for (const auto& [Name, Resource] : Images) {
      SCOPED_TRACE(Name);
      // The icons are resources of the module that holds the dialog.
      const HICON Icon =
          LoadIconA(FindHInstance(quindle::TOverwriteDialog::StaticClassInfo()), Resource);
      ASSERT_TRUE(Icon);
      const QPoint At = W.findChild<QWidget*>(Name)->mapTo(&W, QPoint(0, 0));
      int Opaque = 0, Clear = 0;
      for (int Y = 0; Y < 32; ++Y)
        for (int X = 0; X < 32; ++X) {
          const TRGBA P = Icon->Pixel(X, Y);
          const QColor Want = P.A == 0 ? Ground : QColor(P.R, P.G, P.B);
          (P.A == 0 ? Clear : Opaque)++;
          const QColor Got =
              Shot.pixelColor(int((At.x() * S.Device / S.Dip) + (X + 0.5) * S.Device),
                              int((At.y() * S.Device / S.Dip) + (Y + 0.5) * S.Device));
          ASSERT_EQ(Got.rgb(), Want.rgb()) << X << "," << Y;
        }
      EXPECT_GT(Opaque, 100);
      EXPECT_GT(Clear, 100);
    }
    QTest::keyClick(&W, Qt::Key_Escape);
  });
  D.ShowModal(Qt);
}

TEST(QtForms, ALongNameIsElidedInTheMiddleAndShownWholeInATip) {
  TQtWidgetSet Qt;
  quindle::TOverwriteDialog D(nullptr);
  const std::string Long = "A_report_with_a_very_long_name_that_goes_on_and_on_2026.txt";
  D.SrcFNLabel2->SetCaption(Long);
  D.TgtFNLabel1->SetCaption("Short.txt");
  OnNextModal([&](QWidget& W) {
    const auto* L = W.findChild<QLabel*>("SrcFNLabel2");
    EXPECT_NE(L->text().toStdString(), Long);
    EXPECT_TRUE(L->text().startsWith("A_report")) << L->text().toStdString();
    EXPECT_TRUE(L->text().endsWith("2026.txt")) << L->text().toStdString();
    EXPECT_TRUE(L->text().contains(QChar(0x2026))) << "an ellipsis in the middle";
    EXPECT_EQ(L->toolTip().toStdString(), Long);
    EXPECT_LE(L->geometry().right(), W.width());
    const auto* Short = W.findChild<QLabel*>("TgtFNLabel1");
    EXPECT_EQ(Short->text(), "Short.txt");
    EXPECT_TRUE(Short->toolTip().isEmpty());
    QTest::keyClick(&W, Qt::Key_Escape);
  });
  D.ShowModal(Qt);
}

TEST(QtForms, AHandlersExceptionLeavesShowModalAndTheWindowCloses) {
  TQtWidgetSet Qt;
  quindle::TOverwriteDialog D(nullptr);
  D.YesButton->SetOnClick([](TObject*) { throw std::runtime_error("handler failed"); });
  OnNextModal([](QWidget&) { KeyToFocus(Qt::Key_Return); });
  EXPECT_THROW(D.ShowModal(Qt), std::runtime_error);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_FALSE(D.Modal());
}

TEST(QtForms, AHandlerThatKeepsTheFormOpenSeesItsChangesShown) {
  TQtWidgetSet Qt;
  quindle::TOverwriteDialog D(nullptr);
  int Presses = 0;
  D.YesButton->SetOnClick([&](TObject*) {
    if (++Presses == 1) {
      D.SetModalResult(mrNone);  // not yet
      D.MainText3->SetCaption("really?");
      D.No1Button->SetEnabled(false);
    }
  });
  OnNextModal([&](QWidget& W) {
    KeyToFocus(Qt::Key_Return);
    EXPECT_TRUE(W.isVisible());
    EXPECT_EQ(W.findChild<QLabel*>("MainText3")->text(), "really?");
    EXPECT_FALSE(W.findChild<QPushButton*>("No1Button")->isEnabled());
    KeyToFocus(Qt::Key_Return);
  });
  EXPECT_EQ(D.ShowModal(Qt), mrYes);
  EXPECT_EQ(Presses, 2);
}

}  // namespace
