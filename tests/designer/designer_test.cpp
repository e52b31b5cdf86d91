// SPDX-License-Identifier: MIT
// quindle-designer under Qt's offscreen platform: the palette of two
// packages, a component put on the form by a click, the inspector opening
// the About box and editing values, a form saved that `quindle --form` runs,
// and one package unloaded while the other goes on working. Then the
// command line: --dump and --resource.
#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/wait.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QToolButton>

#include "designer/main_window.h"
#include "qt/qt_test_support.h"
#include "rtl/ui/designintf.h"
#include "support/test_support.h"
#include "widgetsets/qt/qt_widgetset.h"

namespace {

using quindle::testing::OnNextModal;
using quindle::testing::ReadFile;
using quindle::testing::TempDir;
using quindle::testing::WriteFile;

// Runs a command line; returns its exit status and standard output.
std::pair<int, std::string> RunCommand(const std::string& Command) {
  std::string Out;
  FILE* Pipe = popen((Command + " 2>/dev/null").c_str(), "r");
  if (Pipe == nullptr) return {-1, Out};
  char Buffer[4096];
  size_t N = 0;
  while ((N = fread(Buffer, 1, sizeof Buffer, Pipe)) > 0) Out.append(Buffer, N);
  const int Status = pclose(Pipe);
  return {WIFEXITED(Status) ? WEXITSTATUS(Status) : -1, Out};
}

template <class W>
W* Find(QWidget& Root, const QString& Name) {
  W* Found = Root.findChild<W*>(Name);
  EXPECT_NE(Found, nullptr) << Name.toStdString();
  return Found;
}

TEST(Designer, PutsAComponentOnTheFormEditsItAndSavesWhatQuindleRuns) {
  TempDir Dir;
  WriteFile(Dir / "in.txt", "designed\n");
  designer::TPackageHost Host;
  rtl::TQtWidgetSet WidgetSet;
  rtl::TWidgetSetScope Scope(WidgetSet);
  designer::TMainWindow Window(Host);
  ASSERT_TRUE(Window.LoadPackage(QUINDLE_PACKAGE));
  ASSERT_TRUE(Window.LoadPackage(QUINDLE_TINY_PACKAGE));
  Window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&Window));

  auto* Palette = Find<QTabWidget>(Window, "palette");
  ASSERT_EQ(Palette->count(), 2);
  EXPECT_EQ(Palette->tabText(0), "Vantrel");
  EXPECT_EQ(Palette->tabText(1), "Tiny");
  auto* Put = Find<QToolButton>(Window, "palette:TQuindle");
  ASSERT_NE(Put, nullptr);
  EXPECT_FALSE(Put->icon().isNull()) << "the palette shows the TQUINDLE bitmap";
  QTest::mouseClick(Put, Qt::LeftButton);
  ASSERT_EQ(Window.Form().Components().size(), 1u);
  EXPECT_EQ(Window.Form().Components()[0]->Name(), "Quindle1");

  // About: its class name, not typed, and an ellipsis that opens the box.
  auto* AboutValue = Find<QLineEdit>(Window, "value:About");
  ASSERT_NE(AboutValue, nullptr);
  EXPECT_EQ(AboutValue->text(), "(TQDAboutBox)");
  EXPECT_TRUE(AboutValue->isReadOnly());
  QString Title;
  OnNextModal([&Title](QWidget& Box) {
    Title = Box.windowTitle();
    QTest::keyClick(&Box, Qt::Key_Return);
  });
  QTest::mouseClick(Find<QToolButton>(Window, "ellipsis:About"), Qt::LeftButton);
  EXPECT_EQ(Title, "About");
  EXPECT_EQ(rtl::Application()->ComponentCount(), 0) << "the About box was freed";

  // The sources in the lines editor, the target typed.
  OnNextModal([&Dir](QWidget& Dialog) {
    Find<QPlainTextEdit>(Dialog, "lines")->setPlainText(QString::fromStdString(Dir / "in.txt"));
    QTest::keyClick(&Dialog, Qt::Key_Return, Qt::ControlModifier);
    if (Dialog.isVisible()) static_cast<QDialog&>(Dialog).accept();
  });
  QTest::mouseClick(Find<QToolButton>(Window, "ellipsis:SourceFilenames"), Qt::LeftButton);
  QApplication::processEvents();
  auto* Target = Find<QLineEdit>(Window, "value:TargetFilename");
  ASSERT_NE(Target, nullptr);
  Target->setText(QString::fromStdString(Dir / "out.txt"));
  emit Target->editingFinished();
  QApplication::processEvents();

  const std::string Form = Dir / "copy.form";
  ASSERT_TRUE(Window.SaveForm(Form));
  EXPECT_NE(ReadFile(Form).find("object Quindle1: TQuindle"), std::string::npos) << ReadFile(Form);
  const auto [Status, Output] = RunCommand(std::string(QUINDLE_BINARY) + " --form " + Form);
  EXPECT_EQ(Status, 0) << Output;
  EXPECT_EQ(ReadFile(Dir / "out.txt"), "designed\n");

  // A lamp beside it; the form then keeps both, and opens again as saved.
  QTest::mouseClick(Find<QToolButton>(Window, "palette:TTinyLamp"), Qt::LeftButton);
  ASSERT_EQ(Window.Form().Components().size(), 2u);
  auto* Lit = Find<QComboBox>(Window, "value:Lit");
  ASSERT_NE(Lit, nullptr);
  Lit->setCurrentText("True");
  emit Lit->textActivated("True");
  QApplication::processEvents();
  ASSERT_TRUE(Window.SaveForm(Dir / "both.form"));
  EXPECT_NE(ReadFile(Dir / "both.form").find("Lit = True"), std::string::npos);
  ASSERT_TRUE(Window.OpenForm(Dir / "both.form"));
  EXPECT_EQ(Window.Form().Components().size(), 2u);

  // Unloading the tiny package takes its page and its lamp; the rest works.
  rtl::HINSTANCE Tiny = nullptr;
  for (const designer::TLoadedPackage& P : Host.Packages())
    if (P.FileName == QUINDLE_TINY_PACKAGE) Tiny = P.Instance;
  Window.UnloadPackage(Tiny);
  EXPECT_EQ(Palette->count(), 1);
  ASSERT_EQ(Window.Form().Components().size(), 1u);
  Window.Select(Window.Form().Components());
  EXPECT_EQ(Find<QLineEdit>(Window, "value:About")->text(), "(TQDAboutBox)");
}

TEST(DesignerCommand, DumpsWhatThePackageRegisters) {
  const auto [Status, Output] =
      RunCommand(std::string(QUINDLE_DESIGNER) + " --dump " + QUINDLE_PACKAGE);
  ASSERT_EQ(Status, 0);
  for (const char* Line :
       {"\nflags 0x40000002\n", "\nrequires dclstd30\n", "\nrequires VCLDB30\n",
        "\nrequires vcl30\n", "\ncontains quindle_design flags 3\n", "\ncontains SysInit flags 0\n",
        "\npage Vantrel: TQuindle\n", "\neditor TQuindle About TQDAboutBox TQDPropAbout 76\n",
        " (the module)\n"})
    EXPECT_NE(Output.find(Line), std::string::npos) << Line << "\n" << Output;
}

TEST(DesignerCommand, WritesOneResourceOrSaysThereIsNone) {
  const std::string Designer = std::string(QUINDLE_DESIGNER) + " --resource " + QUINDLE_PACKAGE;
  struct TCase {
    const char* Args;
    int Status;
    size_t Size;
  } Cases[] = {
      {" bitmap TQUINDLE", 0, 392},       {" rcdata DESCRIPTION", 0, 48},
      {" rcdata PACKAGEINFO", 0, 120},    {" version 1", 0, 816},
      {" icon-group ZZZZZZ_ICO", 0, 766}, {" rcdata NOSUCH", 1, 0},
      {" bitmap DESCRIPTION", 1, 0},      {" cursor TQUINDLE", 2, 0},
  };
  for (const TCase& C : Cases) {
    const auto [Status, Output] = RunCommand(Designer + C.Args);
    EXPECT_EQ(Status, C.Status) << C.Args;
    EXPECT_EQ(Output.size(), C.Size) << C.Args;
  }
}

}  // namespace
