// SPDX-License-Identifier: MIT
#include "cli/cli_widgetset.h"

#include <algorithm>

#include "cli/progress_bar.h"
#include "cli/trace.h"

namespace quindle::cli {

void TCliWidgetSet::RunModal(rtl::TCustomForm& Form) {
  FBar.Clear();
  if (FPresenter != nullptr) return FPresenter->RunModal(Form);
  rtl::TConsoleWidgetSet::RunModal(Form);
}

int TCliWidgetSet::MessageBox(const rtl::TMessageBoxParams& Box) {
  if (FTrace != nullptr) FTrace->Message(Box.Text);
  FBar.Clear();
  if (FPresenter != nullptr) return FPresenter->MessageBox(Box);
  if (Box.Text.find('\r') == std::string::npos) return rtl::TConsoleWidgetSet::MessageBox(Box);
  rtl::TMessageBoxParams Shown = Box;
  std::replace(Shown.Text.begin(), Shown.Text.end(), '\r', FTerminal ? '\n' : ' ');
  return rtl::TConsoleWidgetSet::MessageBox(Shown);
}

}  // namespace quindle::cli
