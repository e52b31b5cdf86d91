// SPDX-License-Identifier: MIT
// The platform-neutral part of the handle interface.
#include "rtl/files/handles.h"

namespace rtl {

std::string FileErrorText(const char* What, const std::string& FileName,
                          const std::error_code& Error) {
  return std::string(What) + " \"" + FileName + "\". " + Error.message();
}

}  // namespace rtl
