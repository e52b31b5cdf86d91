// SPDX-License-Identifier: MIT
// LZ expansion library: expands files made by the DOS/Windows COMPRESS tool
// ("SZDD" format) and tells the name such a file records for its expanded form.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "rtl/files/export.h"
#include "rtl/files/fileutils.h"

namespace rtl {

// Negative results of LZCopy and GetExpandedNameA.
constexpr int32_t LZERROR_BADINHANDLE = -1;   // source handle invalid or not readable
constexpr int32_t LZERROR_BADOUTHANDLE = -2;  // target handle invalid or not writable
constexpr int32_t LZERROR_READ = -3;          // reading the source failed
constexpr int32_t LZERROR_WRITE = -4;         // writing the target failed (disk full, ...)
constexpr int32_t LZERROR_GLOBALLOC = -5;     // no memory for the buffers
constexpr int32_t LZERROR_UNKNOWNALG = -8;    // SZDD header with a mode other than 'A'
constexpr int32_t LZERROR_STOPPED = -9;       // the caller's progress function said stop

// Reads hSource from its current position to its end. An SZDD stream is
// expanded into hTarget; a stream whose mode byte names another method gives
// LZERROR_UNKNOWNALG, even when the rest of its header is missing; anything
// else (a KWAJ file, plain data, a stream too short for a header) is copied
// unchanged. Returns the number of bytes written,
// or one of the LZERROR_ values. The expansion runs to the end of the
// compressed data and ignores the length the header claims; a token cut off by
// the end of the stream ends it. Neither handle is closed or repositioned
// beyond what reading and writing do, so pipes work as well as files. On an
// error, what was written before it stays written.
QUINDLE_RTL_FILES_EXPORT int64_t LZCopy(THandle hSource, THandle hTarget);

// Told the bytes read from the source so far, after each block written to the
// target (at most one call per 256 KiB written or read); false stops the copy.
using TLZProgress = std::function<bool(int64_t SourceBytes)>;
// LZCopy with a progress function: when it returns false the copy ends there
// with LZERROR_STOPPED, what was written staying written. An exception it
// raises leaves LZCopy with nothing held.
QUINDLE_RTL_FILES_EXPORT int64_t LZCopy(THandle hSource, THandle hTarget,
                                        const TLZProgress& Progress);

// Puts into Buffer the full name (directory kept) that the file Source records
// for its expanded form and returns 1. For an SZDD file whose name has a dot
// and ends in '_' that '_' becomes the stored character, in the case of the
// last letter before it; a stored 0 drops the '_'. Any other file, or a name
// without a dot or not ending in '_', keeps its name. A stored '/' cannot be
// part of a name, so it is treated as unknown and the name is kept, as is a
// name that would become "." or "..". A file that cannot be opened or read
// gives a negative LZERROR_ value and leaves Buffer unchanged.
QUINDLE_RTL_FILES_EXPORT int32_t GetExpandedNameA(const std::string& Source, std::string& Buffer);

}  // namespace rtl
