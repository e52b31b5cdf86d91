// SPDX-License-Identifier: MIT
// The text form parser and the tree writer: the real-world corpus, the
// expected parse trees shipped with two of its files, every value syntax, and
// malformed text.
#include "rtl/core/form_parser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <string>

#include "rtl/core/form_writer.h"
#include "support/test_support.h"

namespace {

using nlohmann::json;
using quindle::testing::CorpusDir;
using quindle::testing::ReadFile;
using rtl::TFormObject;
using rtl::TFormValue;
using rtl::TFormValueKind;

std::string Hex(const std::string& Bytes) {
  static const char Digits[] = "0123456789ABCDEF";
  std::string S;
  for (unsigned char B : Bytes) {
    S += Digits[B >> 4];
    S += Digits[B & 15];
  }
  return S;
}

// A number as the expected trees give it: integer, fraction and exponent
// digits of the literal.
json NumberParts(const std::string& Literal) {
  json J = json::object();
  const size_t E = Literal.find_first_of("eE");
  const std::string Mantissa = Literal.substr(0, E);
  const size_t Dot = Mantissa.find('.');
  J["integer"] = Mantissa.substr(0, Dot);
  if (Dot != std::string::npos) J["fraction"] = Mantissa.substr(Dot + 1);
  if (E != std::string::npos) J["exponent"] = Literal.substr(E + 1);
  return J;
}

json ToAst(const rtl::TFormProperty& P);

// The tree in the shape of the expected files. With Literal false, numbers
// are compared by value, so a tree and its rewritten text compare equal.
json ToAst(const TFormValue& V, bool Literal) {
  json J;
  switch (V.Kind) {
    case TFormValueKind::Integer:
      if (!Literal) return {{"astType", "integer"}, {"value", std::to_string(V.Int)}};
      if (V.Text[0] == '$') return {{"astType", "hexCode"}, {"value", V.Text.substr(1)}};
      return {{"astType", "integer"}, {"value", V.Text}};
    case TFormValueKind::Float: {
      static const std::map<char, const char*> Types = {
          {0, "double"}, {'s', "single"}, {'c', "currency"}, {'d', "dateTime"}};
      char Buf[64];
      const auto R = std::to_chars(Buf, Buf + sizeof Buf, V.Float);
      return {{"astType", Types.at(V.FloatSuffix)},
              {"value", Literal ? NumberParts(V.Text) : json(std::string(Buf, R.ptr))}};
    }
    case TFormValueKind::String: {
      json Parts = json::array();
      if (!Literal) return {{"astType", "string"}, {"text", V.Text}};
      for (const auto& Part : V.Parts)
        Parts.push_back(
            {{"astType", Part.Control ? "controlString" : "literalString"}, {"value", Part.Text}});
      return {{"astType", "string"}, {"value", Parts}};
    }
    case TFormValueKind::Identifier:
      if (V.Text == "True" || V.Text == "False")
        return {{"astType", "boolean"}, {"value", V.Text == "True"}};
      return {{"astType", "identifier"}, {"value", V.Text}};
    case TFormValueKind::Set:
      J = {{"astType", "identifierList"}, {"values", json::array()}};
      for (const auto& N : V.Names)
        J["values"].push_back({{"astType", "identifier"}, {"value", N}});
      return J;
    case TFormValueKind::List:
      J = {{"astType", "variantList"}, {"values", json::array()}};
      for (const auto& Item : V.Items) J["values"].push_back(ToAst(Item, Literal));
      return J;
    case TFormValueKind::Binary:
      return {{"astType", "binaryStringList"}, {"hex", Hex(V.Text)}};
    case TFormValueKind::Collection:
      J = {{"astType", "itemList"}, {"values", json::array()}};
      for (const auto& Item : V.CollectionItems) {
        json Props = json::array();
        for (const auto& P : Item.Properties) {
          json PJ = ToAst(P);
          PJ["value"] = ToAst(P.Value, Literal);
          Props.push_back(PJ);
        }
        J["values"].push_back({{"astType", "item"}, {"properties", Props}});
      }
      return J;
  }
  return J;
}

json ToAst(const rtl::TFormProperty& P) {
  return {{"astType", "property"}, {"name", P.Name}, {"value", ToAst(P.Value, true)}};
}

json ToAst(const TFormObject& O, bool Literal) {
  static const char* const Kinds[] = {"object", "inherited", "inline"};
  json J = {{"astType", "object"},
            {"kind", Kinds[static_cast<int>(O.Kind)]},
            {"type", O.ClassName},
            {"properties", json::array()},
            {"children", json::array()}};
  if (!O.Name.empty()) J["name"] = O.Name;
  if (O.Index) J["order"] = std::to_string(*O.Index);
  for (const auto& P : O.Properties)
    J["properties"].push_back(
        {{"astType", "property"}, {"name", P.Name}, {"value", ToAst(P.Value, Literal)}});
  for (const auto& C : O.Children) J["children"].push_back(ToAst(C, Literal));
  return J;
}

// The expected file without its whitespace records, binary lines joined.
json Normalise(const json& J) {
  if (J.is_array()) {
    json Out = json::array();
    for (const auto& E : J) Out.push_back(Normalise(E));
    return Out;
  }
  if (!J.is_object()) return J;
  if (J.value("astType", "") == "binaryStringList") {
    std::string HexText;
    for (const auto& Line : J["values"]) HexText += Line["value"].get<std::string>();
    return {{"astType", "binaryStringList"}, {"hex", HexText}};
  }
  json Out = json::object();
  for (const auto& [Key, Value] : J.items())
    if (Key != "raws") Out[Key] = Normalise(Value);
  return Out;
}

std::vector<std::filesystem::path> CorpusForms() {
  std::vector<std::filesystem::path> Files;
  if (CorpusDir().empty()) return Files;
  for (const auto& E : std::filesystem::directory_iterator(CorpusDir() / "forms"))
    if (E.path().extension() == ".dfm" || E.path().extension() == ".lfm") Files.push_back(E.path());
  std::sort(Files.begin(), Files.end());
  return Files;
}

TEST(FormParserCorpus, EveryFormParsesAndRewritesToTheSameTree) {
  const auto Files = CorpusForms();
  if (Files.empty()) GTEST_SKIP() << "corpus not present";
  EXPECT_GE(Files.size(), 10u);
  for (const auto& Path : Files) {
    SCOPED_TRACE(Path.filename().string());
    TFormObject Tree;
    ASSERT_NO_THROW(Tree = rtl::ParseFormText(ReadFile(Path.string())));
    EXPECT_FALSE(Tree.ClassName.empty());
    // Written and parsed again, the tree holds the same objects and values,
    // and writing it once more gives the same text.
    const std::string Text = rtl::FormTreeToText(Tree);
    const TFormObject Again = rtl::ParseFormText(Text);
    EXPECT_EQ(ToAst(Again, false), ToAst(Tree, false));
    EXPECT_EQ(rtl::FormTreeToText(Again), Text);
  }
}

TEST(FormParserCorpus, MatchesTheExpectedParseTrees) {
  if (CorpusDir().empty()) GTEST_SKIP() << "corpus not present";
  for (const char* Name : {"postdfm-everything", "postdfm-strings"}) {
    SCOPED_TRACE(Name);
    const auto Base = CorpusDir() / "forms" / Name;
    const json Expected = Normalise(json::parse(ReadFile(Base.string() + ".ast.json")))["child"];
    const TFormObject Tree = rtl::ParseFormText(ReadFile(Base.string() + ".dfm"));
    EXPECT_EQ(ToAst(Tree, true).dump(1), Expected.dump(1));
  }
}

TEST(FormParserCorpus, OddSpacingGivesTheSameTreeAsTheTidyFile) {
  if (CorpusDir().empty()) GTEST_SKIP() << "corpus not present";
  const auto Dir = CorpusDir() / "forms";
  const TFormObject Tidy = rtl::ParseFormText(ReadFile((Dir / "postdfm-everything.dfm").string()));
  const TFormObject Odd =
      rtl::ParseFormText(ReadFile((Dir / "postdfm-weird-spacing.dfm").string()));
  // The odd file leaves out the tidy one's last two nameless objects.
  json TidyJ = ToAst(Tidy, true), OddJ = ToAst(Odd, true);
  TidyJ["children"].erase(TidyJ["children"].end() - 2, TidyJ["children"].end());
  EXPECT_EQ(OddJ.dump(1), TidyJ.dump(1));
}

// A compact rendering of a value for the syntax table.
std::string Show(const TFormValue& V) {
  std::string S;
  switch (V.Kind) {
    case TFormValueKind::Integer:
      return "int:" + std::to_string(V.Int);
    case TFormValueKind::Float: {
      char Buf[64];
      const auto R = std::to_chars(Buf, Buf + sizeof Buf, V.Float);
      return "float:" + std::string(Buf, R.ptr) +
             (V.FloatSuffix ? std::string(1, V.FloatSuffix) : "");
    }
    case TFormValueKind::String:
      return "str:" + V.Text;
    case TFormValueKind::Identifier:
      return "id:" + V.Text;
    case TFormValueKind::Set:
      for (const auto& N : V.Names) S += (S.empty() ? "" : ",") + N;
      return "set:[" + S + "]";
    case TFormValueKind::List:
      for (const auto& I : V.Items) S += (S.empty() ? "" : " ") + Show(I);
      return "list:(" + S + ")";
    case TFormValueKind::Binary:
      return "bin:" + Hex(V.Text);
    case TFormValueKind::Collection:
      for (const auto& Item : V.CollectionItems) {
        S += " item";
        if (Item.Index) S += "[" + std::to_string(*Item.Index) + "]";
        for (const auto& P : Item.Properties) S += " " + P.Name + "=" + Show(P.Value);
      }
      return "coll:<" + S + " >";
  }
  return S;
}

struct ValueCase {
  const char* Text;
  const char* Expected;
};

TEST(FormParserValues, EachSyntaxGivesItsValue) {
  const ValueCase Cases[] = {
      {"192", "int:192"},
      {"-123456", "int:-123456"},
      {"$7F7F7F", "int:8355711"},
      {"$FFFFFFFF", "int:4294967295"},
      {"-$10", "int:-16"},
      {"9223372036854775807", "int:9223372036854775807"},
      {"123.456", "float:123.456"},
      {"6e20", "float:6e+20"},
      {"-20e1", "float:-200"},
      {"1.5E-3", "float:0.0015"},
      {"2s", "float:2s"},
      {"-2.4e5s", "float:-240000s"},
      {"32.5c", "float:32.5c"},
      {"3d", "float:3d"},
      {"''", "str:"},
      {"'Hello''world!'", "str:Hello'world!"},
      {"'Hello'#13#10'world!'", "str:Hello\r\nworld!"},
      {"'a' +\n    'b' + #37'c'", "str:ab%c"},
      {"'Espa\xC3\xB1ol'", "str:Espa\xC3\xB1ol"},
      {"#1088#1091", "str:\xD1\x80\xD1\x83"},
      {"#$41#9", "str:A\t"},
      {"#55357#56832", "str:\xF0\x9F\x98\x80"},
      {"True", "id:True"},
      {"bsDialog", "id:bsDialog"},
      {"TEdit.TypeEnum.PASSWORD", "id:TEdit.TypeEnum.PASSWORD"},
      {"[]", "set:[]"},
      {"[fsBold]", "set:[fsBold]"},
      {"[ biSystemMenu ,biMinimize,\n biMaximize ]", "set:[biSystemMenu,biMinimize,biMaximize]"},
      {"()", "list:()"},
      {"(\n  'a'\n  'b' + 'c')", "list:(str:a str:bc)"},
      {"( 255 255 True 1.5 )", "list:(int:255 int:255 id:True float:1.5)"},
      {"{}", "bin:"},
      {"{\n  0a1B\n  2C }", "bin:0A1B2C"},
      {"<>", "coll:< >"},
      {"<\n  item\n    A = 1\n  end\n  item [3]\n  end>", "coll:< item A=int:1 item[3] >"},
  };
  for (const ValueCase& C : Cases) {
    SCOPED_TRACE(C.Text);
    for (const char* Eol : {"\n", "\r\n"}) {
      std::string Text;
      for (const char Ch : "object X: T\n  P = " + std::string(C.Text) + "\nend\n")
        Text += Ch == '\n' ? std::string(Eol) : std::string(1, Ch);
      const TFormObject Tree = rtl::ParseFormText(Text);
      ASSERT_EQ(Tree.Properties.size(), 1u);
      EXPECT_EQ(Show(Tree.Properties[0].Value), C.Expected);
    }
  }
}

TEST(FormParserValues, ObjectHeadersAndPositions) {
  const TFormObject Tree = rtl::ParseFormText(
      "\xEF\xBB\xBFinherited Main: TMain\n"
      "  object Label1: TLabel[0]\n"
      "  end\n"
      "  inline Edit: TEdit [2]\n"
      "    Font.Style = [fsBold]\n"
      "  end\n"
      "  object TNameless\n"
      "  end\n"
      "end\n");
  EXPECT_EQ(Tree.Kind, rtl::TFormObjectKind::Inherited);
  EXPECT_EQ(Tree.Name, "Main");
  ASSERT_EQ(Tree.Children.size(), 3u);
  EXPECT_EQ(Tree.Children[0].Index, 0);
  EXPECT_EQ(Tree.Children[1].Kind, rtl::TFormObjectKind::Inline);
  EXPECT_EQ(Tree.Children[1].Index, 2);
  EXPECT_EQ(Tree.Children[1].Properties[0].Line, 5);
  EXPECT_EQ(Tree.Children[1].Properties[0].Column, 5);
  EXPECT_EQ(Tree.Children[2].Name, "");
  EXPECT_EQ(Tree.Children[2].ClassName, "TNameless");
}

struct MalformedCase {
  const char* Text;
  int Line;
  const char* Fragment;
};

TEST(FormParserErrors, MalformedTextNamesTheLine) {
  const MalformedCase Cases[] = {
      {"", 1, "expected 'object'"},
      {"object A: T\n  P = 'abc\nend\n", 2, "unterminated string"},
      {"object A: T\n  object B: T\n  end\n", 4, "'end' of the object begun at line 1"},
      {"object A: T\n  P = @\nend\n", 2, "expected a value but found '@'"},
      {"object A: T\n  P 5\nend\n", 2, "expected '=' but found '5'"},
      {"object A: T\nend\nxyz\n", 3, "expected end of text"},
      {"object A: T\n  P = [a b]\nend\n", 2, "expected ',' or ']'"},
      {"object A: T\n  P = {\n ABC }\nend\n", 3, "odd number of hexadecimal digits"},
      {"object A: T\n  P = {\n AB\nend\n", 4, "expected a hexadecimal digit or '}'"},
      {"object A: T\n  P = (\n 'a'\n", 4, "')' closing the list begun at line 2"},
      {"object A: T\n  P = 'a' + 5\nend\n", 2, "expected a string after '+'"},
      {"object A: T\n  P = 99999999999999999999\nend\n", 2, "integer out of range"},
      {"object A: T\n  P = < foo >\nend\n", 2, "expected 'item' or '>'"},
      {"object A: T\n  P = 12abc\nend\n", 2, "after a number"},
      {"object : T\nend\n", 1, "expected an object name or class name"},
      {"object A: T [x]\nend\n", 1, "expected an index"},
      {"object A: T\n  object B: T [99999999999999999999]\n  end\nend\n", 2,
       "integer out of range"},
      {"thing A: T\nend\n", 1, "expected 'object', 'inherited' or 'inline' but found 'thing'"},
  };
  for (const MalformedCase& C : Cases) {
    SCOPED_TRACE(C.Text);
    try {
      rtl::ParseFormText(C.Text);
      ADD_FAILURE() << "no error";
    } catch (const rtl::EParserError& E) {
      EXPECT_EQ(E.Line(), C.Line);
      EXPECT_EQ(std::string(E.what()).rfind("Line " + std::to_string(C.Line) + ", column ", 0), 0u)
          << E.what();
      EXPECT_NE(std::string(E.what()).find(C.Fragment), std::string::npos) << E.what();
    }
  }
}

TEST(FormParserErrors, ColumnPointsAtTheOffendingCharacter) {
  try {
    rtl::ParseFormText("object A: T\r\n  Left = 1\r\n  Top = ?\r\nend\r\n");
    FAIL() << "no error";
  } catch (const rtl::EParserError& E) {
    EXPECT_EQ(E.Line(), 3);
    EXPECT_EQ(E.Column(), 9);
  }
}

TEST(FormParserErrors, DeepNestingFailsCleanly) {
  auto Repeat = [](const std::string& Piece, int Times) {
    std::string S;
    for (int I = 0; I < Times; ++I) S += Piece;
    return S;
  };
  // Each text opens one level per line, far beyond what a stack could take.
  const struct {
    const char* Kind;
    std::string Text;
  } Cases[] = {
      {"lists", "object A: T\nP = (\n" + Repeat("(\n", 100000)},
      {"objects", Repeat("object A: T\n", 100000)},
      {"collections", "object A: T\nP = <\n" + Repeat("item P = <\n", 100000)},
      {"mixed", "object A: T\nP = <\n" + Repeat("item P = (\n<\n", 50000)},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Kind);
    try {
      rtl::ParseFormText(C.Text);
      ADD_FAILURE() << "no error";
    } catch (const rtl::EParserError& E) {
      EXPECT_NE(std::string(E.what()).find("nested too deeply"), std::string::npos) << E.what();
      // The level past the limit is on line MaxFormNesting + 1.
      EXPECT_EQ(E.Line(), rtl::MaxFormNesting + 1);
    }
  }
  // At the limit itself the text is still read.
  const std::string AtLimit = "object A: T\nP = <\n" +
                              Repeat("item P = <\n", rtl::MaxFormNesting - 2) +
                              Repeat("> end\n", rtl::MaxFormNesting - 2) + ">\nend\n";
  EXPECT_NO_THROW(rtl::ParseFormText(AtLimit));
}

TEST(FormTreeWriter, WritesTheCanonicalLayout) {
  const TFormObject Tree = rtl::ParseFormText(
      "object F: TF Caption='It''s'#13#10'ok' Tags=[b,a] Data={00FF}\n"
      "Lines.Strings=('x' 'y') Cols=<item A=1 end> Empty=<> F1=2.0 F2=1.5c\n"
      "object TNoName [1] end end");
  EXPECT_EQ(rtl::FormTreeToText(Tree),
            "object F: TF\n"
            "  Caption = 'It''s'#13#10'ok'\n"
            "  Tags = [b, a]\n"
            "  Data = {\n"
            "    00FF}\n"
            "  Lines.Strings = (\n"
            "    'x'\n"
            "    'y')\n"
            "  Cols = <\n"
            "    item\n"
            "      A = 1\n"
            "    end>\n"
            "  Empty = <>\n"
            "  F1 = 2.0\n"
            "  F2 = 1.5c\n"
            "  object TNoName [1]\n"
            "  end\n"
            "end\n");
}

}  // namespace
