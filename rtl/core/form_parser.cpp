// SPDX-License-Identifier: MIT
#include "rtl/core/form_parser.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>

#include "rtl/core/sysutils.h"

namespace rtl {

namespace {

bool IsIdentStart(char C) {
  return std::isalpha(static_cast<unsigned char>(C)) || C == '_';
}
bool IsIdentChar(char C) {
  return IsIdentStart(C) || std::isdigit(static_cast<unsigned char>(C));
}
bool IsDigit(char C) {
  return std::isdigit(static_cast<unsigned char>(C)) != 0;
}
bool IsHexDigit(char C) {
  return std::isxdigit(static_cast<unsigned char>(C)) != 0;
}

// A recursive-descent parser working directly on the characters; every
// method leaves the position on the first character it did not consume.
class TParser {
 public:
  explicit TParser(std::string_view Text)
      : FText(Text), FBudget(TreeBudgetFactor * Text.size() + TreeBudgetBase) {}

  TFormObject ParseRoot() {
    if (FText.size() > MaxFormTextSize) RefuseSize();
    SkipBlanks();
    if (AtEnd()) Fail("expected 'object', 'inherited' or 'inline' but found end of text");
    TFormObject Root = ParseObject();
    SkipBlanks();
    if (!AtEnd()) Fail("expected end of text after the final 'end' but found " + Describe());
    return Root;
  }

 private:
  bool AtEnd() const { return FPos >= FText.size(); }
  char Peek(size_t Ahead = 0) const {
    return FPos + Ahead < FText.size() ? FText[FPos + Ahead] : '\0';
  }
  int Column() const { return static_cast<int>(FPos - FLineStart) + 1; }

  void Advance() {
    if (FText[FPos] == '\n') {
      ++FLine;
      FLineStart = FPos + 1;
    }
    ++FPos;
  }

  void SkipBlanks() {
    while (!AtEnd() && (Peek() == ' ' || Peek() == '\t' || Peek() == '\r' || Peek() == '\n' ||
                        Peek() == '\f' || Peek() == '\v'))
      Advance();
  }

  [[noreturn]] void FailAt(int Line, int Col, const std::string& What) const {
    throw EParserError(
        "Line " + std::to_string(Line) + ", column " + std::to_string(Col) + ": " + What, Line,
        Col);
  }
  [[noreturn]] void Fail(const std::string& What) const { FailAt(FLine, Column(), What); }

  // Reading stops where the text passes the size a form may have.
  [[noreturn]] void RefuseSize() const {
    const std::string_view Read = FText.substr(0, MaxFormTextSize);
    const size_t LastBreak = Read.rfind('\n');
    const size_t LineStart = LastBreak == std::string_view::npos ? 0 : LastBreak + 1;
    FailAt(1 + static_cast<int>(std::count(Read.begin(), Read.end(), '\n')),
           static_cast<int>(Read.size() - LineStart) + 1,
           "the text is larger than " + std::to_string(MaxFormTextSize >> 20) +
               " MiB, the most a form may hold");
  }

  // The tree's memory is accounted as it grows: a fixed allowance plus a
  // multiple of the text's size, so that text made of many tiny values (a
  // list of 0s) cannot take far more memory than it is long. The figures
  // follow the standard containers: a vector doubles its buffer, and a string
  // keeps up to 15 characters in place.
  void Charge(size_t Bytes) {
    if (Bytes > FBudget) Fail("too many values for a text of this size");
    FBudget -= Bytes;
  }
  void Refund(size_t Bytes) { FBudget += Bytes; }
  static size_t HeapOf(const std::string& S) { return S.capacity() > 15 ? S.capacity() + 17 : 0; }
  void ChargeText(const std::string& S) { Charge(HeapOf(S)); }

  template <class T>
  void Append(std::vector<T>& List, T Item) {
    if (List.size() == List.capacity()) {
      const size_t Old = List.capacity();
      const size_t New = Old == 0 ? 1 : 2 * Old;
      // Both buffers exist while the items move.
      Charge(New * sizeof(T) + 16);
      List.reserve(New);
      if (Old != 0) Refund(Old * sizeof(T) + 16);
    }
    List.push_back(std::move(Item));
  }

  // Appends Piece to Text, accounting for a larger buffer.
  void AppendText(std::string& Text, std::string_view Piece) {
    const size_t Before = HeapOf(Text);
    Text += Piece;
    if (HeapOf(Text) != Before) {
      Charge(HeapOf(Text));
      Refund(Before);
    }
  }

  // The token at the position, for messages.
  std::string Describe() const {
    if (AtEnd()) return "end of text";
    if (IsIdentStart(Peek())) {
      size_t E = FPos;
      while (E < FText.size() && (IsIdentChar(FText[E]) || FText[E] == '.')) ++E;
      return "'" + std::string(FText.substr(FPos, E - FPos)) + "'";
    }
    return "'" + std::string(1, Peek()) + "'";
  }

  void Expect(char C) {
    SkipBlanks();
    if (Peek() != C || AtEnd()) Fail(std::string("expected '") + C + "' but found " + Describe());
    Advance();
  }

  // An identifier; dotted names (Font.Style, TEdit.TypeEnum.PASSWORD) are one.
  std::string Identifier(const char* What) {
    SkipBlanks();
    if (!IsIdentStart(Peek())) Fail(std::string("expected ") + What + " but found " + Describe());
    const size_t Start = FPos;
    while (!AtEnd() && (IsIdentChar(Peek()) || (Peek() == '.' && IsIdentStart(Peek(1))))) Advance();
    return std::string(FText.substr(Start, FPos - Start));
  }

  bool AtWord(std::string_view Word) const {
    if (FText.substr(FPos, Word.size()).size() != Word.size() ||
        !SameText(FText.substr(FPos, Word.size()), Word))
      return false;
    const char After = Peek(Word.size());
    return !(IsIdentChar(After) || After == '.');
  }

  bool AtObjectKeyword(TFormObjectKind& Kind) const {
    if (AtWord("object"))
      Kind = TFormObjectKind::Object;
    else if (AtWord("inherited"))
      Kind = TFormObjectKind::Inherited;
    else if (AtWord("inline"))
      Kind = TFormObjectKind::Inline;
    else
      return false;
    return true;
  }

  TFormObject ParseObject();
  void ParseObjectHeader(TFormObject& Obj);
  int64_t ParseIndex();
  TFormProperty ParseProperty();
  TFormValue ParseValue();
  void ParseNumber(TFormValue& V);
  void ParseString(TFormValue& V);
  void ParseStringPieces(TFormValue& V);
  void ParseControlChar(TFormValue& V);
  void ParseSet(TFormValue& V);
  void ParseList(TFormValue& V);
  void ParseBinary(TFormValue& V);
  void ParseCollection(TFormValue& V);

  std::string_view FText;
  size_t FPos = 0;
  int FLine = 1;
  size_t FLineStart = 0;
  int FDepth = 0;
  size_t FBudget;

  static constexpr size_t TreeBudgetFactor = 32;
  static constexpr size_t TreeBudgetBase = size_t{16} << 20;
};

TFormObject TParser::ParseObject() {
  TFormObject Obj;
  Obj.Line = FLine;
  Obj.Column = Column();
  if (!AtObjectKeyword(Obj.Kind))
    Fail("expected 'object', 'inherited' or 'inline' but found " + Describe());
  if (++FDepth > MaxFormNesting) Fail("objects nested too deeply");
  FPos += Obj.Kind == TFormObjectKind::Inherited ? 9 : 6;  // the keyword
  ParseObjectHeader(Obj);
  ChargeText(Obj.Name);
  ChargeText(Obj.ClassName);
  for (;;) {
    SkipBlanks();
    TFormObjectKind ChildKind;
    if (AtEnd())
      Fail("expected 'end' of the object begun at line " + std::to_string(Obj.Line) +
           " but found end of text");
    if (AtWord("end")) {
      FPos += 3;
      break;
    }
    if (AtObjectKeyword(ChildKind))
      Append(Obj.Children, ParseObject());
    else
      Append(Obj.Properties, ParseProperty());
  }
  --FDepth;
  return Obj;
}

void TParser::ParseObjectHeader(TFormObject& Obj) {
  std::string First = Identifier("an object name or class name");
  SkipBlanks();
  if (Peek() == ':') {
    Advance();
    Obj.Name = std::move(First);
    Obj.ClassName = Identifier("a class name");
  } else {
    Obj.ClassName = std::move(First);
  }
  SkipBlanks();
  if (Peek() == '[') Obj.Index = ParseIndex();
}

// `[n]` after an object's class or after `item`.
int64_t TParser::ParseIndex() {
  Advance();  // '['
  SkipBlanks();
  TFormValue Index;
  Index.Line = FLine;
  Index.Column = Column();
  if (!IsDigit(Peek())) Fail("expected an index but found " + Describe());
  ParseNumber(Index);
  if (Index.Kind != TFormValueKind::Integer) Fail("expected an integer index");
  Expect(']');
  return Index.Int;
}

TFormProperty TParser::ParseProperty() {
  SkipBlanks();
  TFormProperty Prop;
  Prop.Line = FLine;
  Prop.Column = Column();
  Prop.Name = Identifier("a property name, 'object' or 'end'");
  ChargeText(Prop.Name);
  Expect('=');
  Prop.Value = ParseValue();
  return Prop;
}

TFormValue TParser::ParseValue() {
  SkipBlanks();
  TFormValue V;
  V.Line = FLine;
  V.Column = Column();
  const char C = Peek();
  if (AtEnd()) Fail("expected a value but found end of text");
  if (IsDigit(C) || C == '$' || ((C == '-' || C == '+') && (IsDigit(Peek(1)) || Peek(1) == '$'))) {
    ParseNumber(V);
  } else if (C == '\'' || C == '#') {
    ParseString(V);
  } else if (IsIdentStart(C)) {
    V.Kind = TFormValueKind::Identifier;
    V.Text = Identifier("a value");
  } else if (C == '[') {
    ParseSet(V);
  } else if (C == '(') {
    ParseList(V);
  } else if (C == '{') {
    ParseBinary(V);
  } else if (C == '<') {
    ParseCollection(V);
  } else {
    Fail("expected a value but found " + Describe());
  }
  if (V.Kind != TFormValueKind::String) ChargeText(V.Text);
  return V;
}

void TParser::ParseNumber(TFormValue& V) {
  const size_t Start = FPos;
  bool Negative = false;
  if (Peek() == '-' || Peek() == '+') {
    Negative = Peek() == '-';
    Advance();
  }
  if (Peek() == '$') {
    Advance();
    const size_t Digits = FPos;
    while (IsHexDigit(Peek())) Advance();
    if (FPos == Digits || FPos - Digits > 16) Fail("expected hexadecimal digits after '$'");
    V.Kind = TFormValueKind::Integer;
    V.Text = (Negative ? "-$" : "$") + std::string(FText.substr(Digits, FPos - Digits));
    const uint64_t U =
        std::strtoull(std::string(FText.substr(Digits, FPos - Digits)).c_str(), nullptr, 16);
    V.Int = static_cast<int64_t>(Negative ? 0 - U : U);
  } else {
    bool IsFloat = false;
    while (IsDigit(Peek())) Advance();
    if (Peek() == '.' && IsDigit(Peek(1))) {
      IsFloat = true;
      Advance();
      while (IsDigit(Peek())) Advance();
    }
    if ((Peek() == 'e' || Peek() == 'E') &&
        (IsDigit(Peek(1)) || ((Peek(1) == '-' || Peek(1) == '+') && IsDigit(Peek(2))))) {
      IsFloat = true;
      Advance();
      Advance();
      while (IsDigit(Peek())) Advance();
    }
    const std::string Digits(FText.substr(Start, FPos - Start));
    const char Suffix = static_cast<char>(std::tolower(static_cast<unsigned char>(Peek())));
    if ((Suffix == 's' || Suffix == 'c' || Suffix == 'd') && !IsIdentChar(Peek(1))) {
      V.FloatSuffix = Suffix;
      IsFloat = true;
      Advance();
    }
    V.Text = Digits;
    if (IsFloat) {
      // Beyond the range of a double the value becomes infinite; the literal
      // stays in Text, and the reader refuses it for a Float property.
      V.Kind = TFormValueKind::Float;
      V.Float = std::strtod(Digits.c_str(), nullptr);
    } else {
      V.Kind = TFormValueKind::Integer;
      // from_chars takes a '-' but not a '+'.
      const char* First = Digits.data() + (Digits.front() == '+' ? 1 : 0);
      const auto [End, Error] = std::from_chars(First, Digits.data() + Digits.size(), V.Int);
      if (Error == std::errc::result_out_of_range)
        FailAt(V.Line, V.Column, "integer out of range: " + Digits);
    }
  }
  if (IsIdentChar(Peek()) || Peek() == '.') Fail("unexpected " + Describe() + " after a number");
}

// One or more string tokens joined with '+'.
void TParser::ParseString(TFormValue& V) {
  V.Kind = TFormValueKind::String;
  ParseStringPieces(V);
  for (;;) {
    const size_t Save = FPos;
    const int SaveLine = FLine;
    const size_t SaveStart = FLineStart;
    SkipBlanks();
    if (Peek() != '+' || AtEnd()) {
      FPos = Save;
      FLine = SaveLine;
      FLineStart = SaveStart;
      return;
    }
    Advance();
    SkipBlanks();
    if (Peek() != '\'' && Peek() != '#')
      Fail("expected a string after '+' but found " + Describe());
    ParseStringPieces(V);
  }
}

// Adjacent quoted literals and #nn characters, with no blank between them.
void TParser::ParseStringPieces(TFormValue& V) {
  while (Peek() == '\'' || Peek() == '#') {
    if (Peek() == '#') {
      ParseControlChar(V);
      continue;
    }
    const int StartLine = FLine;
    const int StartCol = Column();
    Advance();
    TFormStringPart Part;
    for (;;) {
      if (AtEnd() || Peek() == '\n' || Peek() == '\r')
        FailAt(StartLine, StartCol, "unterminated string");
      if (Peek() == '\'') {
        if (Peek(1) != '\'') break;
        Advance();
      }
      Part.Text += Peek();
      Advance();
    }
    Advance();
    ChargeText(Part.Text);
    AppendText(V.Text, Part.Text);
    Append(V.Parts, std::move(Part));
  }
}

void TParser::ParseControlChar(TFormValue& V) {
  Advance();  // '#'
  const bool Hex = Peek() == '$';
  if (Hex) Advance();
  const size_t Start = FPos;
  while (Hex ? IsHexDigit(Peek()) : IsDigit(Peek())) Advance();
  if (FPos == Start || FPos - Start > 7) Fail("expected a character code after '#'");
  uint32_t Code = static_cast<uint32_t>(
      std::strtoul(std::string(FText.substr(Start, FPos - Start)).c_str(), nullptr, Hex ? 16 : 10));
  if (Code > 0x10FFFF) Fail("character code out of range");
  // A UTF-16 surrogate pair written as two codes stands for one character.
  if (!V.Parts.empty() && V.Parts.back().Control && Code >= 0xDC00 && Code <= 0xDFFF &&
      V.Parts.back().Code >= 0xD800 && V.Parts.back().Code <= 0xDBFF) {
    const uint32_t High = V.Parts.back().Code;
    V.Text.resize(V.Text.size() - V.Parts.back().Text.size());
    V.Parts.pop_back();
    Code = 0x10000 + ((High - 0xD800) << 10) + (Code - 0xDC00);
  }
  TFormStringPart Part;
  Part.Control = true;
  Part.Code = Code;
  AppendUtf8(Part.Text, (Code >= 0xD800 && Code <= 0xDFFF) ? 0xFFFD : static_cast<char32_t>(Code));
  AppendText(V.Text, Part.Text);
  Append(V.Parts, std::move(Part));
}

void TParser::ParseSet(TFormValue& V) {
  V.Kind = TFormValueKind::Set;
  Advance();  // '['
  SkipBlanks();
  if (Peek() == ']') {
    Advance();
    return;
  }
  for (;;) {
    std::string Name = Identifier("a set element");
    ChargeText(Name);
    Append(V.Names, std::move(Name));
    SkipBlanks();
    if (Peek() == ']') break;
    if (Peek() != ',' || AtEnd()) Fail("expected ',' or ']' but found " + Describe());
    Advance();
  }
  Advance();
}

void TParser::ParseList(TFormValue& V) {
  V.Kind = TFormValueKind::List;
  const int StartLine = V.Line;
  Advance();  // '('
  if (++FDepth > MaxFormNesting) Fail("values nested too deeply");
  for (;;) {
    SkipBlanks();
    if (AtEnd())
      Fail("expected ')' closing the list begun at line " + std::to_string(StartLine) +
           " but found end of text");
    if (Peek() == ')') break;
    Append(V.Items, ParseValue());
  }
  Advance();
  --FDepth;
}

void TParser::ParseBinary(TFormValue& V) {
  V.Kind = TFormValueKind::Binary;
  Advance();  // '{'
  int High = -1;
  for (;;) {
    SkipBlanks();
    if (AtEnd()) Fail("expected '}' closing the binary value but found end of text");
    const char C = Peek();
    if (C == '}') break;
    if (!IsHexDigit(C)) Fail("expected a hexadecimal digit or '}' but found " + Describe());
    const int Nibble =
        IsDigit(C) ? C - '0' : std::tolower(static_cast<unsigned char>(C)) - 'a' + 10;
    if (High < 0) {
      High = Nibble;
    } else {
      V.Text += static_cast<char>((High << 4) | Nibble);
      High = -1;
    }
    Advance();
  }
  if (High >= 0) Fail("odd number of hexadecimal digits in a binary value");
  Advance();
}

void TParser::ParseCollection(TFormValue& V) {
  V.Kind = TFormValueKind::Collection;
  Advance();  // '<'
  if (++FDepth > MaxFormNesting) Fail("values nested too deeply");
  for (;;) {
    SkipBlanks();
    if (Peek() == '>' && !AtEnd()) break;
    TFormItem Item;
    Item.Line = FLine;
    if (!AtWord("item")) Fail("expected 'item' or '>' but found " + Describe());
    FPos += 4;
    SkipBlanks();
    if (Peek() == '[') Item.Index = ParseIndex();
    for (;;) {
      SkipBlanks();
      if (AtWord("end")) break;
      if (AtEnd()) Fail("expected 'end' of the item begun at line " + std::to_string(Item.Line));
      Append(Item.Properties, ParseProperty());
    }
    FPos += 3;
    Append(V.CollectionItems, std::move(Item));
  }
  Advance();
  --FDepth;
}

}  // namespace

TFormObject ParseFormText(std::string_view Text) {
  // A UTF-8 byte order mark is not part of the text.
  if (Text.substr(0, 3) == "\xEF\xBB\xBF") Text.remove_prefix(3);
  return TParser(Text).ParseRoot();
}

}  // namespace rtl
