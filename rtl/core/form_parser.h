// SPDX-License-Identifier: MIT
// The text form file syntax, parsed into a generic tree that knows nothing of
// classes or property tables (rtl/form_reader.h gives the tree its meaning).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "rtl/core/classes.h"
#include "rtl/core/export.h"

namespace rtl {

// Malformed text, or text that cannot be read into objects. The message names
// the line (and column) and what was expected there.
class QUINDLE_RTL_CORE_EXPORT EParserError : public Exception {
 public:
  EParserError(const std::string& Msg, int Line, int Column)
      : Exception(Msg), FLine(Line), FColumn(Column) {}
  // 1-based; 0 when unknown.
  int Line() const { return FLine; }
  int Column() const { return FColumn; }

 private:
  int FLine;
  int FColumn;
};

enum class TFormValueKind {
  Integer,     // 12, -3, $7F
  Float,       // 1.5, 6e20, 32.5c (with its suffix)
  String,      // 'a''b'#13#10 + 'c'
  Identifier,  // True, bsDialog, TEdit.TypeEnum.PASSWORD
  Set,         // [a, b]
  List,        // ( value value ... )
  Binary,      // { 0A1B... }
  Collection,  // < item ... end item ... end >
};

// A piece of a string value as written: a quoted literal, or a `#nn` character.
struct TFormStringPart {
  bool Control = false;
  std::string Text;   // the literal's bytes; for a control part, the character in UTF-8
  uint32_t Code = 0;  // a control part's number
};

struct TFormItem;

struct TFormValue {
  TFormValueKind Kind = TFormValueKind::Integer;
  int64_t Int = 0;
  double Float = 0;
  char FloatSuffix = 0;  // 's', 'c', 'd' or 0
  // String: the joined text (UTF-8); Identifier: the name; Binary: the
  // bytes; Integer and Float: the literal as written, sign and '$' included,
  // without a suffix.
  std::string Text;
  std::vector<TFormStringPart> Parts;  // String only
  std::vector<std::string> Names;      // Set only
  std::vector<TFormValue> Items;       // List only
  std::vector<TFormItem> CollectionItems;
  int Line = 0;
  int Column = 0;
};

struct TFormProperty {
  std::string Name;  // may be dotted: Font.Style
  TFormValue Value;
  int Line = 0;
  int Column = 0;
};

struct TFormItem {
  std::optional<int64_t> Index;  // `item [n]`
  std::vector<TFormProperty> Properties;
  int Line = 0;
};

enum class TFormObjectKind { Object, Inherited, Inline };

struct TFormObject {
  TFormObjectKind Kind = TFormObjectKind::Object;
  std::string Name;  // empty for `object TClass`
  std::string ClassName;
  std::optional<int64_t> Index;  // `[n]` after the class
  std::vector<TFormProperty> Properties;
  std::vector<TFormObject> Children;
  int Line = 0;
  int Column = 0;
};

// How deep objects, lists and collections may be nested, counted together
// (an object in an object, a list in a collection item, ...). Deeper text is
// refused with the line where the limit was passed, rather than exhausting
// the stack.
inline constexpr int MaxFormNesting = 200;

// The largest text a form may be. Longer text is refused with the line and
// column where this size is reached, so a reader of form files need read no
// further than one byte past it.
inline constexpr size_t MaxFormTextSize = size_t{16} << 20;

// Parses one top-level object. Line ends may be CR LF or LF; anything but
// blanks after the final `end` is an error. Strings are taken as UTF-8, and
// `#nn` characters above 127 are stored UTF-8 encoded. The tree takes at most
// about 32 times the text's size, plus 16 MiB: text made of so many tiny
// values that it would need more is refused with the line where that is
// reached, as is text longer than MaxFormTextSize.
QUINDLE_RTL_CORE_EXPORT TFormObject ParseFormText(std::string_view Text);

}  // namespace rtl
