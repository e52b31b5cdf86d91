// SPDX-License-Identifier: MIT
// A form of the platform layer as a modal Qt dialog.
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <exception>
#include <functional>
#include <vector>

#include "rtl/core/sysutils.h"
#include "rtl/ui/widgetset.h"
#include "widgetsets/qt/qt_presenters.h"

namespace rtl::qt {

namespace {

// Families that layouts name for the desktop's own dialog face.
bool IsDesktopFace(const std::string& Name) {
  for (const char* Face : {"MS Sans Serif", "System", "MS Shell Dlg", "MS Shell Dlg 2"})
    if (SameText(Name, Face)) return true;
  return false;
}

QString FromUtf8(const std::string& S) {
  return QString::fromUtf8(S.data(), static_cast<qsizetype>(S.size()));
}

// Draws a panel: its colour, the outer bevel, the border, the inner bevel,
// and the caption in what is left.
class TPanelWidget : public QWidget {
 public:
  TPanelWidget(TPanel& Panel, double Scale, QWidget* Parent)
      : QWidget(Parent), FPanel(Panel), FScale(Scale) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter P(this);
    P.fillRect(rect(), ToQColor(FPanel.Color()));
    const int Width = std::max(1, qRound(FPanel.BevelWidth() * FScale));
    QRect R = rect();
    auto Bevel = [&](TPanelBevel Kind) {
      if (Kind == bvNone) return;
      if (Kind != bvSpace) {
        const QColor Light = ToQColor(clBtnHighlight), Dark = ToQColor(clBtnShadow);
        const QColor& TopLeft = Kind == bvRaised ? Light : Dark;
        const QColor& BottomRight = Kind == bvRaised ? Dark : Light;
        for (int I = 0; I < Width; ++I) {
          const QRect E = R.adjusted(I, I, -I, -I);
          P.fillRect(E.left(), E.top(), E.width(), 1, TopLeft);
          P.fillRect(E.left(), E.top(), 1, E.height(), TopLeft);
          P.fillRect(E.left() + 1, E.bottom(), E.width() - 1, 1, BottomRight);
          P.fillRect(E.right(), E.top() + 1, 1, E.height() - 1, BottomRight);
        }
      }
      R.adjust(Width, Width, -Width, -Width);
    };
    Bevel(FPanel.BevelOuter());
    const int Border = qRound(FPanel.BorderWidth() * FScale);
    R.adjust(Border, Border, -Border, -Border);
    Bevel(FPanel.BevelInner());
    if (FPanel.Caption().empty()) return;
    P.setFont(FontOf(*FPanel.Font(), FScale));
    P.setPen(ToQColor(FPanel.Font()->Color()));
    const Qt::Alignment Horizontal = FPanel.Alignment() == taLeftJustify    ? Qt::AlignLeft
                                     : FPanel.Alignment() == taRightJustify ? Qt::AlignRight
                                                                            : Qt::AlignHCenter;
    P.drawText(R, static_cast<int>(Horizontal | Qt::AlignVCenter),
               FromUtf8(StripAccelerator(FPanel.Caption())));
  }

 private:
  TPanel& FPanel;
  double FScale;
};

// Draws an image's picture at its own size from the top-left corner, or
// stretched over the control.
class TImageWidget : public QWidget {
 public:
  TImageWidget(TImage& Image, double Scale, QWidget* Parent)
      : QWidget(Parent), FImage(Image), FScale(Scale) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    const QImage Picture = ImageOf(FImage.Picture().Graphic());
    if (Picture.isNull()) return;
    QPainter P(this);
    const QRect Target = FImage.Stretch() ? rect()
                                          : QRect(0, 0, qRound(Picture.width() * FScale),
                                                  qRound(Picture.height() * FScale));
    // Pixel art stays crisp when it is scaled.
    P.setRenderHint(QPainter::SmoothPixmapTransform, false);
    P.drawImage(Target, Picture);
  }

 private:
  TImage& FImage;
  double FScale;
};

class TFormDialog : public QDialog {
 public:
  TFormDialog(TCustomForm& Form, QWidget* Parent);
  void Run();

 protected:
  void keyPressEvent(QKeyEvent* Event) override;
  void closeEvent(QCloseEvent* Event) override;
  // Places the window again now that its frame is known.
  void showEvent(QShowEvent* Event) override {
    QDialog::showEvent(Event);
    Place();
  }

 private:
  int Px(int Value) const { return qRound(Value * FScale); }
  void Build(const TWinControl& Parent, QWidget* Into);
  QWidget* Make(TControl& Control, QWidget* Into);
  void PlaceLabel(QLabel& Widget, const TLabel& Label);
  void Refresh();
  void Place();
  QWidget* WidgetOf(const TControl* Control) const;
  // Runs what the user did, then ends the loop once the form has a result.
  // A handler's exception ends it too, and Run rethrows it.
  void Use(const std::function<void()>& Action);

  TCustomForm& FForm;
  double FScale;
  std::vector<std::pair<QWidget*, TControl*>> FWidgets;
  std::vector<std::pair<TButton*, char>> FKeys;
  std::exception_ptr FError;
  bool FEnded = false;
};

TFormDialog::TFormDialog(TCustomForm& Form, QWidget* Parent)
    : QDialog(Parent), FForm(Form), FScale(LayoutScale(Form.PixelsPerInch())) {
  setObjectName(FromUtf8(Form.Name()));
  setWindowTitle(FromUtf8(Form.Caption()));
  Qt::WindowFlags Flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  const TBorderIcons Icons = Form.BorderIcons();
  if (Form.HasCloseBox()) Flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  // Dialog frames never carry the minimise and maximise boxes.
  const bool Framed = Form.BorderStyle() == bsSingle || Form.BorderStyle() == bsSizeable;
  if (Form.HasCloseBox() && Framed && (Icons & BorderIcon(biMinimize)))
    Flags |= Qt::WindowMinimizeButtonHint;
  if (Form.HasCloseBox() && Framed && (Icons & BorderIcon(biMaximize)))
    Flags |= Qt::WindowMaximizeButtonHint;
  if (Form.HasCloseBox() && !Framed && (Icons & BorderIcon(biHelp)))
    Flags |= Qt::WindowContextHelpButtonHint;
  if (Form.BorderStyle() == bsNone) Flags = Qt::Dialog | Qt::FramelessWindowHint;
  setWindowFlags(Flags);
  setWindowModality(Qt::ApplicationModal);

  QPalette Ground = palette();
  Ground.setColor(QPalette::Window, ToQColor(Form.Color()));
  setPalette(Ground);
  setAutoFillBackground(true);
  setFont(FontOf(*Form.Font(), FScale));

  const QSize Client(Px(Form.ClientWidth()), Px(Form.ClientHeight()));
  if (Form.BorderStyle() == bsSizeable || Form.BorderStyle() == bsSizeToolWin)
    resize(Client);
  else
    setFixedSize(Client);

  // Keys as the other widgetsets give them: N for No, unless taken.
  std::vector<TButton*> Buttons;
  for (TControl* C : ReadingOrder(Form))
    if (auto* B = dynamic_cast<TButton*>(C)) Buttons.push_back(B);
  const std::vector<char> Keys = ButtonKeys(Buttons);
  for (size_t I = 0; I < Buttons.size(); ++I) FKeys.emplace_back(Buttons[I], Keys[I]);

  Build(Form, this);
  const std::vector<TWinControl*> Order = Form.FocusOrder();
  for (size_t I = 0; I < Order.size(); ++I) {
    WidgetOf(Order[I])->setFocusPolicy(Qt::StrongFocus);
    if (I > 0) QWidget::setTabOrder(WidgetOf(Order[I - 1]), WidgetOf(Order[I]));
  }
  Refresh();
  Place();
}

QWidget* TFormDialog::WidgetOf(const TControl* Control) const {
  for (const auto& [W, C] : FWidgets)
    if (C == Control) return W;
  return nullptr;
}

void TFormDialog::Build(const TWinControl& Parent, QWidget* Into) {
  for (TControl* C : Parent.Controls()) {
    QWidget* W = Make(*C, Into);
    if (W == nullptr) continue;
    W->setObjectName(FromUtf8(C->Name()));
    FWidgets.emplace_back(W, C);
    if (auto* Container = dynamic_cast<TWinControl*>(C)) Build(*Container, W);
  }
}

QWidget* TFormDialog::Make(TControl& Control, QWidget* Into) {
  QWidget* W = nullptr;
  if (auto* B = dynamic_cast<TButton*>(&Control)) {
    auto* Button = new QPushButton(Into);
    Button->setFocusPolicy(Qt::ClickFocus);
    Button->setDefault(B->Default());
    if (auto* Bit = dynamic_cast<TBitBtn*>(B)) {
      const QImage Glyph = ImageOf(Bit->Glyph(), true);
      if (!Glyph.isNull()) {
        const int Width = Glyph.width() / Bit->NumGlyphs();
        Button->setIcon(QIcon(QPixmap::fromImage(Glyph.copy(0, 0, Width, Glyph.height()))));
        Button->setIconSize(QSize(Px(Width), Px(Glyph.height())));
      }
    }
    QObject::connect(Button, &QPushButton::clicked, this, [this, B] { Use([B] { B->Click(); }); });
    W = Button;
  } else if (dynamic_cast<TLabel*>(&Control) != nullptr) {
    auto* Label = new QLabel(Into);
    Label->setTextFormat(Qt::PlainText);
    W = Label;
  } else if (auto* I = dynamic_cast<TImage*>(&Control)) {
    W = new TImageWidget(*I, FScale, Into);
  } else if (auto* P = dynamic_cast<TPanel*>(&Control)) {
    W = new TPanelWidget(*P, FScale, Into);
  } else if (dynamic_cast<TWinControl*>(&Control) != nullptr) {
    W = new QWidget(Into);  // a plain container
  } else {
    return nullptr;  // a graphic control this widgetset does not draw
  }
  if (dynamic_cast<TButton*>(&Control) == nullptr) W->setFocusPolicy(Qt::NoFocus);
  W->setFont(FontOf(*Control.Font(), FScale));
  W->setGeometry(Px(Control.Left()), Px(Control.Top()), Px(Control.Width()), Px(Control.Height()));
  return W;
}

// A label sized to its text. Text that would pass the right edge of its
// parent's client area is set a little narrower (semi-condensed) when that
// makes it fit, else elided in the middle and shown whole in a tool tip.
void TFormDialog::PlaceLabel(QLabel& Widget, const TLabel& Label) {
  const QString Text = ScreenText(StripAccelerator(Label.Caption()));
  QFont Font = FontOf(*Label.Font(), FScale);
  const int Left = Px(Label.Left()), Top = Px(Label.Top());
  const int Room = Px(Label.Parent()->ClientRect().Right) - Left - Px(4);
  const int Limit = Label.AutoSize() ? Room : std::min(Room, Px(Label.Width()));
  QString Shown = Text, Tip;
  const bool MultiLine = Text.contains(QLatin1Char('\n'));
  if (!MultiLine && QFontMetrics(Font).horizontalAdvance(Text) > Limit) {
    QFont Narrow = Font;
    Narrow.setStretch(QFont::SemiCondensed);
    if (QFontMetrics(Narrow).horizontalAdvance(Text) <= Limit) {
      Font = Narrow;
    } else {
      Shown = QFontMetrics(Font).elidedText(Text, Qt::ElideMiddle, Limit);
      Tip = Text;
    }
  }
  const QFontMetrics Metrics(Font);
  Widget.setFont(Font);
  Widget.setText(Shown);
  Widget.setToolTip(Tip);
  QPalette Colours = Widget.palette();
  Colours.setColor(QPalette::WindowText, ToQColor(Label.Font()->Color()));
  Colours.setColor(QPalette::Window, ToQColor(Label.Color()));
  Widget.setPalette(Colours);
  Widget.setAutoFillBackground(!Label.Transparent());
  if (!Label.AutoSize())
    return Widget.setGeometry(Left, Top, Px(Label.Width()), Px(Label.Height()));
  const QRect Extent = Metrics.boundingRect(QRect(0, 0, std::max(Room, 1), 1 << 16),
                                            static_cast<int>(Qt::AlignLeft), Shown);
  Widget.setGeometry(Left, Top, MultiLine ? Extent.width() : Metrics.horizontalAdvance(Shown) + 1,
                     MultiLine ? Extent.height() : Metrics.height());
}

// Captions, states and pictures may change while the form is showing (a
// handler that keeps the form open).
void TFormDialog::Refresh() {
  for (const auto& [W, C] : FWidgets) {
    W->setVisible(C->Visible());
    W->setEnabled(C->Enabled());
    if (auto* L = dynamic_cast<TLabel*>(C)) PlaceLabel(*static_cast<QLabel*>(W), *L);
    if (auto* B = dynamic_cast<TButton*>(C)) {
      char Key = 0;
      for (const auto& [Button, K] : FKeys)
        if (Button == B) Key = K;
      static_cast<QPushButton*>(W)->setText(FromUtf8(CaptionWithAccelerator(B->Caption(), Key)));
    }
    W->update();
  }
}

void TFormDialog::Place() {
  QWidget* Owner = parentWidget();
  QScreen* Screen = Owner != nullptr ? Owner->screen() : QGuiApplication::primaryScreen();
  if (Screen == nullptr) return;
  const QRect Area = Screen->availableGeometry();
  switch (FForm.Position()) {
    case poDesigned:
      move(Area.topLeft() + QPoint(Px(FForm.Left()), Px(FForm.Top())));
      break;
    case poMainFormCenter:
    case poOwnerFormCenter:
      if (Owner != nullptr) {
        move(Owner->frameGeometry().center() -
             (frameGeometry().center() - frameGeometry().topLeft()));
        break;
      }
      [[fallthrough]];
    case poScreenCenter:
    case poDesktopCenter:
      // The whole window, frame included once the window system has one.
      move(Area.center() - (frameGeometry().center() - frameGeometry().topLeft()));
      break;
    default:
      break;  // where the window system puts it
  }
}

void TFormDialog::Run() {
  if (QWidget* W = WidgetOf(FForm.ActiveControl())) W->setFocus(Qt::ActiveWindowFocusReason);
  if (FForm.ModalResult() == mrNone) exec();
  if (FError) std::rethrow_exception(FError);
}

void TFormDialog::Use(const std::function<void()>& Action) {
  if (FEnded) return;
  const QWidget* Focused = focusWidget();
  for (const auto& [W, C] : FWidgets)
    if (W == Focused) FForm.SetActiveControl(dynamic_cast<TWinControl*>(C));
  try {
    Action();
  } catch (...) {
    FError = std::current_exception();
  }
  if (FError == nullptr && FForm.ModalResult() == mrNone) return Refresh();
  FEnded = true;
  done(FForm.ModalResult());
}

void TFormDialog::keyPressEvent(QKeyEvent* Event) {
  switch (Event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return Use([this] { FForm.KeyEnter(); });
    case Qt::Key_Escape:
      return Use([this] { FForm.KeyEscape(); });
    default:
      return QDialog::keyPressEvent(Event);
  }
}

// The close box ends the loop with mrCancel and presses nothing; a form
// without one stays open.
void TFormDialog::closeEvent(QCloseEvent* Event) {
  Event->ignore();
  if (FForm.HasCloseBox()) Use([this] { FForm.Close(); });
}

}  // namespace

double LayoutScale(int PixelsPerInch) {
  const QScreen* Screen = QGuiApplication::primaryScreen();
  const double Dpi = Screen != nullptr ? Screen->logicalDotsPerInch() : 96.0;
  return Dpi / (PixelsPerInch > 0 ? PixelsPerInch : 96);
}

QFont FontOf(const TFont& Font, double Scale) {
  QFont F = IsDesktopFace(Font.Name()) ? QFontDatabase::systemFont(QFontDatabase::GeneralFont)
                                       : QFont(FromUtf8(Font.Name()));
  F.setStyleHint(QFont::SansSerif);
  const int Height = Font.Height();
  if (Height < 0) {
    F.setPixelSize(std::max(1, qRound(-Height * Scale)));
  } else if (Height > 0) {
    // A cell height: the character height is what remains of it.
    const double Cell = Height * Scale;
    F.setPixelSize(std::max(1, qRound(Cell)));
    const double Measured = QFontMetricsF(F).height();
    if (Measured > 0) F.setPixelSize(std::max(1, qRound(Cell * Cell / Measured)));
  }
  F.setBold((Font.Style() & FontStyle(fsBold)) != 0);
  F.setItalic((Font.Style() & FontStyle(fsItalic)) != 0);
  F.setUnderline((Font.Style() & FontStyle(fsUnderline)) != 0);
  F.setStrikeOut((Font.Style() & FontStyle(fsStrikeOut)) != 0);
  return F;
}

QColor ToQColor(TColor Color) {
  const TColor C = ColorToRGB(Color);
  return QColor(C & 0xFF, (C >> 8) & 0xFF, (C >> 16) & 0xFF);
}

QImage ImageOf(const TGraphic* Graphic, bool TransparentGround) {
  if (Graphic == nullptr || Graphic->Empty()) return QImage();
  const int W = Graphic->Width(), H = Graphic->Height();
  QImage Image(W, H, QImage::Format_RGBA8888);
  auto* Bitmap = dynamic_cast<const TBitmap*>(Graphic);
  auto* Icon = dynamic_cast<const TIcon*>(Graphic);
  for (int Y = 0; Y < H; ++Y) {
    auto* Row = reinterpret_cast<uint8_t*>(Image.scanLine(Y));
    for (int X = 0; X < W; ++X) {
      TRGBA P = Bitmap != nullptr ? Bitmap->Pixel(X, Y)
                : Icon != nullptr ? Icon->Handle()->Pixel(X, Y)
                                  : TRGBA{};
      if (Bitmap != nullptr) P.A = 255;
      Row[4 * X] = P.R;
      Row[4 * X + 1] = P.G;
      Row[4 * X + 2] = P.B;
      Row[4 * X + 3] = P.A;
    }
  }
  if (TransparentGround) {
    const QRgb Ground = Image.pixel(0, H - 1);
    for (int Y = 0; Y < H; ++Y)
      for (int X = 0; X < W; ++X)
        if (Image.pixel(X, Y) == Ground) Image.setPixel(X, Y, qRgba(0, 0, 0, 0));
  }
  return Image;
}

QString ScreenText(const std::string& Text) {
  QString S = FromUtf8(Text);
  S.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  S.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return S;
}

void PresentForm(TCustomForm& Form) {
  QWidget* Owner = QApplication::activeWindow();
  TFormDialog Dialog(Form, Owner);
  Dialog.Run();
}

}  // namespace rtl::qt
