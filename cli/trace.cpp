// SPDX-License-Identifier: MIT
#include "cli/trace.h"

#include <nlohmann/json.hpp>
#include <ostream>

namespace quindle::cli {

namespace {

using Json = nlohmann::ordered_json;

// File names need not be UTF-8; an invalid byte becomes U+FFFD so that every
// line stays valid JSON.
void WriteLine(std::ostream& Out, const Json& Object) {
  Out << Object.dump(-1, ' ', false, Json::error_handler_t::replace) << '\n' << std::flush;
}

}  // namespace

void TTraceWriter::Event(const std::string& Name, int32_t Progress) {
  WriteLine(FOut, Json{{"event", Name}, {"progress", Progress}});
}

void TTraceWriter::FileEvent(const std::string& Name, int32_t Progress, const std::string& Source,
                             const std::string& Target) {
  WriteLine(FOut,
            Json{{"event", Name}, {"progress", Progress}, {"source", Source}, {"target", Target}});
}

void TTraceWriter::SetAttr(int32_t Progress, const std::string& File, int32_t Attr) {
  WriteLine(FOut,
            Json{{"event", "OnSetAttr"}, {"progress", Progress}, {"file", File}, {"attr", Attr}});
}

void TTraceWriter::Message(const std::string& Text) {
  WriteLine(FOut, Json{{"event", "message"}, {"text", Text}});
}

}  // namespace quindle::cli
