// SPDX-License-Identifier: MIT
// A shared module with a resource table of its own, for the resources suite.
// It links the shared platform layer, the same one the program uses.
#include "rtl/ui/resources.h"

extern "C" rtl::HINSTANCE resources_test_module_instance() {
  return rtl::HInstance();
}
