// SPDX-License-Identifier: MIT
// What a command-line program asks of the terminal it runs in, and how it
// hears that the user or the system wants it to stop.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "rtl/files/export.h"

namespace rtl {

enum class TStdStream : uint8_t { Input, Output, Error };

// Sets the standard streams up for a program that reads and writes UTF-8
// text: on Windows the console shows and takes UTF-8, bytes pass through
// unchanged (no CR added before each LF, as on POSIX) and the console
// understands the terminal's control sequences. Nothing to do on POSIX.
// Call it at the start of main, before anything is written.
QUINDLE_RTL_FILES_EXPORT void PrepareConsole();
// The program's arguments in UTF-8, argv[0] included: argv as given on
// POSIX; on Windows the wide command line, so that any name survives
// whatever the code page.
QUINDLE_RTL_FILES_EXPORT std::vector<std::string> CommandLineArguments(int argc, char** argv);

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
// Ends standard input: from now on every read of it, one in progress
// included, finds its end, so that a question waiting for an answer returns
// as at the end of input. Safe in a signal handler.
QUINDLE_RTL_FILES_EXPORT void EndInput();
// The exit status a program interrupted so conventionally gives: 128 plus
// the signal's number on POSIX (130, 143, 129); the same numbers on Windows,
// so that scripts see one status on both.
QUINDLE_RTL_FILES_EXPORT int InterruptExitStatus(TInterrupt Why);

}  // namespace rtl
