// SPDX-License-Identifier: MIT
#include "rtl/files/file_identity.h"

#include "rtl/files/handles.h"

namespace rtl {

// The volume's serial number and the file's index, which GetFileInfo reads
// from the open file, name a file whatever the spelling that led to it.
bool SameFile(const std::string& A, const std::string& B) {
  TFileInfo IA, IB;
  if (A.empty() || B.empty() || GetFileInfo(A, IA) || GetFileInfo(B, IB)) return false;
  return IA.Identity == IB.Identity && IA.Identity != TFileIdentity{};
}

}  // namespace rtl
