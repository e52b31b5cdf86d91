// SPDX-License-Identifier: MIT
// The --trace output: one JSON object per line for every notification and
// every message the run shows, in the order they happen.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

namespace quindle::cli {

class TTraceWriter {
 public:
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

 private:
  std::ostream& FOut;
};

}  // namespace quindle::cli
