// SPDX-License-Identifier: MIT
// Rules that turn one source entry and the attribute filter into a directory
// search, shared by the source listing and the copy run.
#pragma once

#include <cstdint>
#include <string>

#include "engine/export.h"
#include "engine/quindle.h"

namespace quindle::detail {

// The directory test: Name names a directory when its name part is empty and
// its path part is not (it ends in a separator), or when its attributes say
// so. Attr receives the attribute word, read once, for the caller's further use.
QUINDLE_ENGINE_EXPORT bool NamesDirectory(const std::string& Name, int32_t& Attr);

// A spec that names a directory is turned into a search of its entries: an
// existing directory without a trailing separator gets "/*.*", and a spec
// ending in a separator gets "/*.*" as well, so that two separators stand in
// a row. Anything else is returned unchanged.
QUINDLE_ENGINE_EXPORT std::string NormaliseSpec(const std::string& Spec);

// The search mask of the filter: Archive 32, Directories 16, Hidden 2,
// ReadOnly 1, System 4, AnyFile 63; Normal adds nothing.
QUINDLE_ENGINE_EXPORT int32_t AttrMask(const TSrcFileTypes& Filter);

// True when no flag selects anything: the mask is 0 and Normal is off.
QUINDLE_ENGINE_EXPORT bool SelectsNothing(int32_t Mask, const TSrcFileTypes& Filter);

// The entry filter: not "." or "..", the attribute word equal to the mask
// unless Normal or AnyFile is on, and not a bare volume label.
QUINDLE_ENGINE_EXPORT bool EntrySelected(const std::string& Name, int32_t Attr, int32_t Mask,
                                         const TSrcFileTypes& Filter);

}  // namespace quindle::detail
