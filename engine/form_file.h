// SPDX-License-Identifier: MIT
// The component's form file: the published properties of TQuindle as a text
// form file (see docs/FORM_FILES.md).
#pragma once

#include <string>

#include "engine/export.h"
#include "engine/quindle.h"
#include "rtl/core/typinfo.h"

namespace quindle {

// The published-property tables. TQuindle's lists About, CopyType,
// CreateTgtDir, SrcFileTypes, OverwriteIfExist, Progress, RecurseDirs,
// ShowMessages, SizeFile, SourceFilenames, TargetFilename and Validate, in
// this order; events are bound in code and are not part of it.
QUINDLE_ENGINE_EXPORT const rtl::TClassInfo* QuindleClassInfo();
QUINDLE_ENGINE_EXPORT const rtl::TClassInfo* SrcFileTypesClassInfo();

// Lets form files that contain the component (`object Quindle1: TQuindle`)
// create it.
QUINDLE_ENGINE_EXPORT void RegisterQuindleClasses();

// The component as text: `object Name: TQuindle`, its stored properties, `end`.
// A Boolean or enumeration equal to its default is left out; CopyType,
// ShowMessages and Validate are always written; Progress and SizeFile never.
QUINDLE_ENGINE_EXPORT std::string WriteQuindleForm(const TQuindle& Quindle);

// Reads a text written by WriteQuindleForm (or by hand) into Quindle.
// Properties the text does not name keep their values. Reading does not
// rebuild the source listing. On any error (EParserError, naming the line,
// prefixed by SourceName when given) Quindle is left exactly as it was.
QUINDLE_ENGINE_EXPORT void ReadQuindleForm(TQuindle& Quindle, const std::string& Text,
                                           const std::string& SourceName = std::string());

// The same through a file. Saving raises rtl::EFCreateError or
// rtl::EWriteError, loading rtl::EFOpenError or rtl::EReadError, each naming
// the file and the system's reason; a file that is not a valid form raises
// EParserError whose message starts with the path and names the line.
QUINDLE_ENGINE_EXPORT void SaveQuindleForm(const TQuindle& Quindle, const std::string& Path);
QUINDLE_ENGINE_EXPORT void LoadQuindleForm(TQuindle& Quindle, const std::string& Path);

}  // namespace quindle
