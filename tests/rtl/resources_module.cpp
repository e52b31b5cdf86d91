// SPDX-License-Identifier: MIT
// A shared module with a resource table of its own, for the resources suite.
// It leaves the platform layer to the program that loads it.
#include "rtl/ui/resources.h"

extern "C" rtl::HINSTANCE resources_test_module_instance() {
  return rtl::HInstance();
}
