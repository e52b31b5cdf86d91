// SPDX-License-Identifier: MIT
// The --trace output: one JSON object per line for every notification and
// every message the run shows, in the order they happen.
//
// Strings are written byte for byte where they are valid UTF-8; every byte
// that is not part of a valid UTF-8 sequence becomes the escape \udcXX (XX
// its value, 80 to ff), as Python's "surrogateescape" decodes such bytes, so
// that a file name survives the trip through the trace with all its bytes.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <utility>
#include <vector>

namespace quindle::cli {

// S as the contents of a JSON string (without the quotes), escaped as above.
std::string JsonEscape(const std::string& S);

class TTraceWriter {
 public:
  // A field of a line: a string, or a number when made from one.
  struct TField {
    TField(const char* Key, std::string Text) : Key(Key), Text(std::move(Text)) {}
    TField(const char* Key, int64_t Number) : Key(Key), Number(Number), Numeric(true) {}
    const char* Key;
    std::string Text;
    int64_t Number = 0;
    bool Numeric = false;
  };

  explicit TTraceWriter(std::ostream& Out) : FOut(Out) {}

  // {"event":Name,"progress":Progress}
  void Event(const std::string& Name, int32_t Progress);
  // {"event":Name,"progress":Progress,"source":Source,"target":Target}
  void FileEvent(const std::string& Name, int32_t Progress, const std::string& Source,
                 const std::string& Target);
  // {"event":"OnSetAttr","progress":Progress,"file":File,"attr":Attr}
  void SetAttr(int32_t Progress, const std::string& File, int32_t Attr);
  // {"event":"message","text":Text}
  void Message(const std::string& Text);
  // {"event":Name, then Fields in their order}
  void Line(const std::string& Name, const std::vector<TField>& Fields);

 private:
  std::ostream& FOut;
};

}  // namespace quindle::cli
