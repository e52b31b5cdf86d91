// SPDX-License-Identifier: MIT
// A static library whose embedded resources are kept only by its anchor.
#include "rtl/ui/resources.h"

QUINDLE_USE_RESOURCES(resources_test_static);

rtl::HINSTANCE resources_test_static_instance() {
  return rtl::HInstance();
}
