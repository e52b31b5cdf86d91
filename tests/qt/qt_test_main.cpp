// SPDX-License-Identifier: MIT
// The main of the Qt suites: one QApplication on Qt's offscreen platform for
// the whole run. QUINDLE_TEST_SCREEN picks the screen: unset for 96 dots per
// inch; "scaled" for 192 with Qt's own scaling (two device pixels to one);
// "unscaled" for a 192-dpi screen that Qt does not scale, so the widgetset
// scales the layouts itself.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  const char* Screen = std::getenv("QUINDLE_TEST_SCREEN");
  const std::string Mode = Screen != nullptr ? Screen : "";
  if (Mode == "scaled") {
    qputenv("QT_SCALE_FACTOR", "2");
  } else if (Mode == "unscaled") {
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" QUINDLE_TEST_SCREEN_192);
  } else if (!Mode.empty()) {
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication App(argc, argv);
  return RUN_ALL_TESTS();
}
