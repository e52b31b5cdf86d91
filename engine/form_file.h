// SPDX-License-Identifier: MIT
// The component's form file: the published properties of TQuindle as a text
// form file (see docs/FORM_FILES.md).
#pragma once

#include <string>

#include "engine/quindle.h"
#include "rtl/core/typinfo.h"

namespace quindle {

// The published-property tables. TQuindle's lists About, CopyType,
// CreateTgtDir, SrcFileTypes, OverwriteIfExist, Progress, RecurseDirs,
// ShowMessages, SizeFile, SourceFilenames, TargetFilename and Validate, in
// this order; events are bound in code and are not part of it.
const rtl::TClassInfo* QuindleClassInfo();
const rtl::TClassInfo* SrcFileTypesClassInfo();

// Lets form files that contain the component (`object Quindle1: TQuindle`)
// create it.
void RegisterQuindleClasses();

// The component as text: `object Name: TQuindle`, its stored properties, `end`.
// A Boolean or enumeration equal to its default is left out; CopyType,
// ShowMessages and Validate are always written; Progress and SizeFile never.
std::string WriteQuindleForm(const TQuindle& Quindle);

// Reads a text written by WriteQuindleForm (or by hand) into Quindle.
// Properties the text does not name keep their values. Reading does not
// rebuild the source listing. On any error (EParserError, naming the line,
// prefixed by SourceName when given) Quindle is left exactly as it was.
void ReadQuindleForm(TQuindle& Quindle, const std::string& Text,
                     const std::string& SourceName = std::string());

// The same through a file. Saving raises rtl::EFCreateError or
// rtl::EWriteError, loading rtl::EFOpenError or rtl::EReadError, each naming
// the file and the system's reason; a file that is not a valid form raises
// EParserError whose message starts with the path and names the line.
void SaveQuindleForm(const TQuindle& Quindle, const std::string& Path);
void LoadQuindleForm(TQuindle& Quindle, const std::string& Path);

}  // namespace quindle
