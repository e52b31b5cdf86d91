// SPDX-License-Identifier: MIT
// The component's form file: which properties are written and how, reading
// them back, and the file entry points.
#include "engine/form_file.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>

#include "rtl/core/form_reader.h"
#include "rtl/core/form_writer.h"
#include "support/test_support.h"

namespace {

using quindle::TQuindle;
using quindle::testing::ReadFile;
using quindle::testing::TempDir;
using quindle::testing::WriteFile;

// Every published value, by its getter, for comparing two components.
std::string Values(const TQuindle& Q) {
  std::ostringstream S;
  const quindle::TSrcFileTypes& F = *Q.SrcFileTypes();
  S << "CopyType=" << int(Q.CopyType()) << " CreateTgtDir=" << Q.CreateTgtDir()
    << " Types=" << F.AnyFile() << F.Archive() << F.Directories() << F.Hidden() << F.Normal()
    << F.ReadOnly() << F.System() << " Overwrite=" << Q.OverwriteIfExist()
    << " Recurse=" << Q.RecurseDirs() << " Show=" << Q.ShowMessages() << " Sources=";
  for (const std::string& Line : *Q.SourceFilenames()) S << "[" << Line << "]";
  S << " Target=" << Q.TargetFilename() << " Validate=" << Q.Validate();
  return S.str();
}

std::string Form(const std::string& Body) {
  return "object Quindle1: TQuindle\n" + Body + "end\n";
}

const std::string Defaults =
    "  CopyType = ctStream\n"
    "  ShowMessages = False\n"
    "  Validate = False\n";

TEST(QuindleFormFile, NewComponentWritesOnlyTheThreeWithoutDefault) {
  TQuindle Q(nullptr);
  Q.SetName("Quindle1");
  EXPECT_EQ(quindle::WriteQuindleForm(Q), Form(Defaults));
}

struct PropertyCase {
  const char* Name;
  std::function<void(TQuindle&)> Change;
  const char* Body;  // the whole written body
};

TEST(QuindleFormFile, EachNonDefaultValueIsWrittenAndReadBack) {
  const PropertyCase Cases[] = {
      {"CopyType block", [](TQuindle& Q) { Q.SetCopyType(quindle::ctBlock); },
       "  CopyType = ctBlock\n  ShowMessages = False\n  Validate = False\n"},
      {"CopyType LZ", [](TQuindle& Q) { Q.SetCopyType(quindle::ctLZCopy); },
       "  CopyType = ctLZCopy\n  ShowMessages = False\n  Validate = False\n"},
      {"CopyType move", [](TQuindle& Q) { Q.SetCopyType(quindle::ctMove); },
       "  CopyType = ctMove\n  ShowMessages = False\n  Validate = False\n"},
      {"CreateTgtDir", [](TQuindle& Q) { Q.SetCreateTgtDir(true); },
       "  CopyType = ctStream\n  CreateTgtDir = True\n  ShowMessages = False\n  Validate = "
       "False\n"},
      {"AnyFile", [](TQuindle& Q) { Q.SrcFileTypes()->SetAnyFile(true); },
       "  CopyType = ctStream\n  SrcFileTypes.AnyFile = True\n  SrcFileTypes.Normal = False\n"
       "  ShowMessages = False\n  Validate = False\n"},
      {"Archive", [](TQuindle& Q) { Q.SrcFileTypes()->SetArchive(true); },
       "  CopyType = ctStream\n  SrcFileTypes.Archive = True\n  ShowMessages = False\n"
       "  Validate = False\n"},
      {"Directories", [](TQuindle& Q) { Q.SrcFileTypes()->SetDirectories(true); },
       "  CopyType = ctStream\n  SrcFileTypes.Directories = True\n  ShowMessages = False\n"
       "  Validate = False\n"},
      {"Hidden", [](TQuindle& Q) { Q.SrcFileTypes()->SetHidden(true); },
       "  CopyType = ctStream\n  SrcFileTypes.Hidden = True\n  ShowMessages = False\n"
       "  Validate = False\n"},
      {"Normal off", [](TQuindle& Q) { Q.SrcFileTypes()->SetNormal(false); },
       "  CopyType = ctStream\n  SrcFileTypes.Normal = False\n  ShowMessages = False\n"
       "  Validate = False\n"},
      {"ReadOnly", [](TQuindle& Q) { Q.SrcFileTypes()->SetReadOnly(true); },
       "  CopyType = ctStream\n  SrcFileTypes.ReadOnly = True\n  ShowMessages = False\n"
       "  Validate = False\n"},
      {"System", [](TQuindle& Q) { Q.SrcFileTypes()->SetSystem(true); },
       "  CopyType = ctStream\n  SrcFileTypes.System = True\n  ShowMessages = False\n"
       "  Validate = False\n"},
      {"OverwriteIfExist off", [](TQuindle& Q) { Q.SetOverwriteIfExist(false); },
       "  CopyType = ctStream\n  OverwriteIfExist = False\n  ShowMessages = False\n"
       "  Validate = False\n"},
      {"RecurseDirs", [](TQuindle& Q) { Q.SetRecurseDirs(true); },
       "  CopyType = ctStream\n  RecurseDirs = True\n  ShowMessages = False\n  Validate = False\n"},
      {"ShowMessages", [](TQuindle& Q) { Q.SetShowMessages(true); },
       "  CopyType = ctStream\n  ShowMessages = True\n  Validate = False\n"},
      {"SourceFilenames",
       [](TQuindle& Q) {
         Q.SourceFilenames()->Add("/data/it's *.txt");
         Q.SourceFilenames()->Add("");
         Q.SourceFilenames()->Add("/d\xC3\xA9j\xC3\xA0/x");
       },
       "  CopyType = ctStream\n  ShowMessages = False\n  SourceFilenames.Strings = (\n"
       "    '/data/it''s *.txt'\n    ''\n    '/d\xC3\xA9j\xC3\xA0/x')\n  Validate = False\n"},
      {"TargetFilename", [](TQuindle& Q) { Q.SetTargetFilename("/out dir/"); },
       "  CopyType = ctStream\n  ShowMessages = False\n  TargetFilename = '/out dir/'\n"
       "  Validate = False\n"},
      {"Validate", [](TQuindle& Q) { Q.SetValidate(true); },
       "  CopyType = ctStream\n  ShowMessages = False\n  Validate = True\n"},
  };
  for (const PropertyCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    TQuindle Q(nullptr);
    Q.SetName("Quindle1");
    C.Change(Q);
    const std::string Text = quindle::WriteQuindleForm(Q);
    EXPECT_EQ(Text, Form(C.Body));
    TQuindle Copy(nullptr);
    quindle::ReadQuindleForm(Copy, Text);
    EXPECT_EQ(Copy.Name(), "Quindle1");
    EXPECT_EQ(Values(Copy), Values(Q));
    EXPECT_EQ(quindle::WriteQuindleForm(Copy), Text);
  }
}

TEST(QuindleFormFile, ProgressAndSizeFileAreNeverWrittenNorRead) {
  TempDir Dir;
  WriteFile(Dir / "a.bin", std::string(5000, 'x'));
  TQuindle Q(nullptr);
  Q.SourceFilenames()->Add(Dir / "a.bin");
  Q.SetTargetFilename(Dir / "b.bin");
  Q.Execute();
  ASSERT_EQ(Q.Progress(), 100);
  ASSERT_EQ(Q.SizeFile(), 5000);
  const std::string Text = quindle::WriteQuindleForm(Q);
  EXPECT_EQ(Text.find("Progress"), std::string::npos);
  EXPECT_EQ(Text.find("SizeFile"), std::string::npos);

  for (const char* Line : {"  Progress = 5\n", "  SizeFile = 10\n"}) {
    TQuindle Copy(nullptr);
    try {
      quindle::ReadQuindleForm(Copy, Form(std::string("  Validate = True\n") + Line));
      ADD_FAILURE() << "read-only property accepted";
    } catch (const rtl::EParserError& E) {
      EXPECT_EQ(E.Line(), 3);
      EXPECT_NE(std::string(E.what()).find("read-only"), std::string::npos) << E.what();
    }
  }
}

TEST(QuindleFormFile, ReadingDoesNotBuildTheSourceListing) {
  TempDir Dir;
  WriteFile(Dir / "a.txt", "a");
  WriteFile(Dir / "b.txt", "b");
  const std::string Text =
      Form(Defaults + "  SourceFilenames.Strings = (\n    '" + Dir / "*.*" + "')\n");
  TQuindle Q(nullptr);
  quindle::ReadQuindleForm(Q, Text);
  ASSERT_EQ(Q.SourceFilenames()->Count(), 1);
  EXPECT_EQ(Q.FileList().Count(), 0);
  // Setting the same list from code does build it.
  Q.SetMultiSrcFN(Q.SourceFilenames());
  EXPECT_EQ(Q.FileList().Count(), 2);
}

TEST(QuindleFormFile, FailedReadLeavesTheComponentAsItWas) {
  const char* Bodies[] = {
      "  TargetFilename = 'elsewhere'\n  Colour = 1\n",
      "  SrcFileTypes.Hidden = True\n  SrcFileTypes.Blue = True\n",
      "  SourceFilenames.Strings = ('x')\n  CopyType = ctTeleport\n",
      "  Validate = True\n  object Child: TNoSuchClass\n  end\n",
  };
  for (const char* Body : Bodies) {
    SCOPED_TRACE(Body);
    TQuindle Q(nullptr);
    Q.SetName("Keep");
    Q.SetTargetFilename("/target");
    Q.SourceFilenames()->Add("/src");
    const std::string Before = Values(Q);
    try {
      quindle::ReadQuindleForm(Q, Form(Body), "q.form");
      ADD_FAILURE() << "no error";
    } catch (const rtl::EParserError& E) {
      EXPECT_EQ(E.Line(), 3);
      EXPECT_EQ(std::string(E.what()).rfind("q.form: Line 3, ", 0), 0u) << E.what();
    }
    EXPECT_EQ(Values(Q), Before);
    EXPECT_EQ(Q.Name(), "Keep");
    EXPECT_EQ(Q.ComponentCount(), 0);
  }
}

TEST(QuindleFormFile, PropertiesTheTextLeavesOutKeepTheirValues) {
  TQuindle Q(nullptr);
  Q.SetTargetFilename("/kept");
  quindle::ReadQuindleForm(Q, Form("  Validate = True\n"));
  EXPECT_TRUE(Q.Validate());
  EXPECT_EQ(Q.TargetFilename(), "/kept");
}

TEST(QuindleFormFile, SavesAndLoadsFiles) {
  TempDir Dir;
  TQuindle Q(nullptr);
  Q.SetName("Copier");
  Q.SetCopyType(quindle::ctMove);
  Q.SrcFileTypes()->SetHidden(true);
  Q.SourceFilenames()->Add("a\tb");
  quindle::SaveQuindleForm(Q, Dir / "q.txt");
  EXPECT_EQ(ReadFile(Dir / "q.txt"), quindle::WriteQuindleForm(Q));
  TQuindle Copy(nullptr);
  quindle::LoadQuindleForm(Copy, Dir / "q.txt");
  EXPECT_EQ(Values(Copy), Values(Q));

  // CR LF line ends read the same.
  std::string Crlf;
  for (char C : ReadFile(Dir / "q.txt"))
    Crlf += C == '\n' ? std::string("\r\n") : std::string(1, C);
  WriteFile(Dir / "crlf.txt", Crlf);
  TQuindle FromCrlf(nullptr);
  quindle::LoadQuindleForm(FromCrlf, Dir / "crlf.txt");
  EXPECT_EQ(Values(FromCrlf), Values(Q));
}

TEST(QuindleFormFile, FileErrorsNameTheFile) {
  TempDir Dir;
  TQuindle Q(nullptr);
  auto Message = [](const std::function<void()>& Call) -> std::string {
    try {
      Call();
    } catch (const rtl::Exception& E) {
      return E.what();
    }
    return "no error";
  };
  const std::string Missing = Dir / "missing.txt";
  EXPECT_THROW(quindle::LoadQuindleForm(Q, Missing), rtl::EFOpenError);
  EXPECT_NE(Message([&] { quindle::LoadQuindleForm(Q, Missing); }).find(Missing),
            std::string::npos);
  EXPECT_THROW(quindle::LoadQuindleForm(Q, Dir.path().string()), rtl::EFOpenError);
  EXPECT_THROW(quindle::SaveQuindleForm(Q, Dir / "no/such/dir/q.txt"), rtl::EFCreateError);
  EXPECT_THROW(quindle::SaveQuindleForm(Q, "/dev/full"), rtl::EWriteError);

  WriteFile(Dir / "bad.txt",
            "object Quindle1: TQuindle\n  Validate = True\n  ShowMessages = 'x\nend\n");
  const std::string Bad = Message([&] { quindle::LoadQuindleForm(Q, Dir / "bad.txt"); });
  EXPECT_EQ(Bad.rfind(Dir / "bad.txt" + ": Line 3, column 18: unterminated string", 0), 0u) << Bad;
  WriteFile(Dir / "empty.txt", "");
  EXPECT_THROW(quindle::LoadQuindleForm(Q, Dir / "empty.txt"), rtl::EParserError);
}

TEST(QuindleFormFile, TheComponentReadsAndWritesInsideAnOwnersForm) {
  quindle::RegisterQuindleClasses();
  const std::string Text =
      "object Owner: TComponent\n"
      "  object Quindle1: TQuindle\n"
      "    CopyType = ctBlock\n"
      "    ShowMessages = True\n"
      "    Validate = False\n"
      "  end\n"
      "end\n";
  rtl::TComponent Owner(nullptr);
  rtl::ReadComponentText(Owner, Text);
  auto* Q = dynamic_cast<TQuindle*>(Owner.FindComponent("Quindle1"));
  ASSERT_NE(Q, nullptr);
  EXPECT_EQ(Q->CopyType(), quindle::ctBlock);
  EXPECT_TRUE(Q->ShowMessages());
  EXPECT_EQ(rtl::WriteComponentText(Owner), Text);
}

}  // namespace
