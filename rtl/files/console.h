// SPDX-License-Identifier: MIT
// What a command-line program asks of the terminal it runs in, and how it
// hears that the user or the system wants it to stop.
#pragma once

#include <cstdint>

#include "rtl/files/export.h"

namespace rtl {

enum class TStdStream : uint8_t { Input, Output, Error };

// True when the stream is a terminal (not a pipe or a file).
QUINDLE_RTL_FILES_EXPORT bool IsTerminal(TStdStream Stream);
// The terminal's width in columns; 0 when the stream is no terminal or the
// width cannot be told.
QUINDLE_RTL_FILES_EXPORT int TerminalColumns(TStdStream Stream);

// Why a program is asked to stop from outside.
enum class TInterrupt : uint8_t {
  Interrupt,  // the user pressed Ctrl-C
  Terminate,  // the system or another program asked it to end
  HangUp,     // its terminal went away
};

// Called when one of the three arrives. It runs in the context of a signal
// handler: it may only do what is safe there (store to a lock-free atomic,
// call TQuindle::Abort()).
using TInterruptHandler = void (*)(TInterrupt Why);
// Installs Handler for the three (nullptr puts the system's default back).
QUINDLE_RTL_FILES_EXPORT void SetInterruptHandler(TInterruptHandler Handler);
// The exit status a program interrupted so conventionally gives: 128 plus
// the signal's number on POSIX (130, 143, 129).
QUINDLE_RTL_FILES_EXPORT int InterruptExitStatus(TInterrupt Why);

}  // namespace rtl
