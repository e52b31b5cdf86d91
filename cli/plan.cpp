// SPDX-License-Identifier: MIT
#include "cli/plan.h"

#include <algorithm>
#include <filesystem>
#include <set>

#include "engine/selection.h"
#include "rtl/files/lz/lz.h"

namespace quindle::cli {

namespace {

namespace fs = std::filesystem;

// Closes a directory search on every way out.
class TSearch {
 public:
  TSearch(const std::string& Spec, int32_t Mask) : FFound(rtl::FindFirst(Spec, Mask, FRec) == 0) {}
  ~TSearch() { rtl::FindClose(FRec); }
  TSearch(const TSearch&) = delete;
  TSearch& operator=(const TSearch&) = delete;

  bool Found() const { return FFound; }
  const rtl::TSearchRec& Rec() const { return FRec; }
  bool Next() { return FFound = rtl::FindNext(FRec) == 0; }

 private:
  rtl::TSearchRec FRec;
  bool FFound;
};

// A name as a key: one spelling for "dst//a" and "dst/a", none for a
// trailing separator.
std::string Key(const std::string& Name) {
  std::string K = fs::path(Name).lexically_normal().string();
  while (K.size() > 1 && K.back() == '/') K.pop_back();
  return K;
}

// The attribute bits of the sub-directories a walk descends into: hidden
// and system ones only when the filter selects such files.
int32_t DescendMask(const TSrcFileTypes& Filter) {
  int32_t Mask = rtl::faDirectory | rtl::faReadOnly | rtl::faArchive;
  if (Filter.Hidden() || Filter.AnyFile()) Mask |= rtl::faHidden;
  if (Filter.System() || Filter.AnyFile()) Mask |= rtl::faSysFile;
  return Mask;
}

class TPlanner {
 public:
  TPlanner(const TQuindle& Settings, const TCliOptions& Options, TPlan& Plan, bool Detailed)
      : FSettings(Settings),
        FOptions(Options),
        FPlan(Plan),
        FFilter(*Settings.SrcFileTypes()),
        // The refusal needs the files selected for a target file.
        FDetailed(Detailed || !TargetIsDirectory(Settings.TargetFilename())) {}

  void Build();

 private:
  void PlanLevel(size_t Index);
  void PlanEntry(size_t Level, const std::string& Entry, const std::string& Target,
                 bool TargetIsDir);
  void PlanFile(size_t Level, const std::string& Source, const std::string& Target, int64_t Size);
  void Descend(const std::string& Entry, const std::string& TargetDir);
  bool SelectsSomething(const std::string& Entry) const;
  std::vector<std::string> SubDirectories(const std::string& Spec) const;
  void Problem(size_t Level, std::string Text) {
    TStep S;
    S.Problem = std::move(Text);
    S.Level = Level;
    FPlan.Steps.push_back(std::move(S));
  }
  void Step(size_t Level, TStepKind Kind, std::string Source, std::string Target,
            int64_t Size = 0) {
    TStep S;
    S.Kind = Kind;
    S.Source = std::move(Source);
    S.Target = std::move(Target);
    S.Size = Size;
    S.Level = Level;
    FPlan.Steps.push_back(std::move(S));
  }

  const TQuindle& FSettings;
  const TCliOptions& FOptions;
  TPlan& FPlan;
  const TSrcFileTypes& FFilter;
  const bool FDetailed;
  // The run ended early (a missing source, an empty entry or target, a
  // missing target directory): nothing after it is done.
  bool FStopped = false;
  int FTopFiles = 0;
  std::set<std::string> FWritten;  // targets the plan has written, by Key
  std::set<std::string> FMadeDirs;
  // The directories the walk is inside, outermost first, and the target's.
  std::vector<fs::path> FAncestors;
  fs::path FTargetDir;
};

void TPlanner::Build() {
  TLevel Top;
  const rtl::TStringList& Sources = *FSettings.SourceFilenames();
  for (int I = 0; I < Sources.Count(); ++I) Top.Sources.push_back(Sources[I]);
  Top.Target = FSettings.TargetFilename();
  // The walk starts from every operand, those the run over them leaves out too.
  const std::vector<std::string> Operands = Top.Sources;
  if (FOptions.Recursive) {
    // A directory that selects no file of its own is walked, not reported
    // as a source without matches.
    auto Empty = [this](const std::string& E) {
      int32_t Attr = 0;
      return !E.empty() && detail::NamesDirectory(E, Attr) && rtl::DirectoryExists(E) &&
             !SelectsSomething(E);
    };
    std::vector<std::string> Kept;
    std::copy_if(Top.Sources.begin(), Top.Sources.end(), std::back_inserter(Kept),
                 [&](const std::string& E) { return !Empty(E); });
    Top.Run = !Kept.empty() || Top.Sources.empty();
    Top.Sources = std::move(Kept);
  }
  FPlan.Levels.push_back(Top);
  PlanLevel(0);
  if (FOptions.Recursive && !FStopped) {
    std::error_code Ec;
    std::string TargetDir = rtl::ExtractFilePath(Top.Target);
    if (TargetIsDirectory(Top.Target) && !rtl::IsPathDelimiter(Top.Target.back()))
      TargetDir = Top.Target + "/";
    FTargetDir = fs::canonical(TargetDir.empty() ? "." : TargetDir, Ec);
    for (auto E = Operands.rbegin(); E != Operands.rend() && !FStopped; ++E) {
      FAncestors.assign(1, fs::canonical(rtl::ExtractFilePath(detail::NormaliseSpec(*E)).empty()
                                             ? "."
                                             : rtl::ExtractFilePath(detail::NormaliseSpec(*E)),
                                         Ec));
      Descend(*E, TargetDir);
    }
  }
  const std::string& Target = FPlan.Levels[0].Target;
  if (!Target.empty() && !TargetIsDirectory(Target) && (FTopFiles > 1 || FPlan.Levels.size() > 1))
    FPlan.Refusal = "target '" + Target + "' is not a directory";
}

bool TPlanner::SelectsSomething(const std::string& Entry) const {
  const int32_t Mask = detail::AttrMask(FFilter);
  if (detail::SelectsNothing(Mask, FFilter)) return false;
  for (TSearch S(detail::NormaliseSpec(Entry), Mask); S.Found(); S.Next())
    if (detail::EntrySelected(S.Rec().Name, S.Rec().Attr, Mask, FFilter)) return true;
  return false;
}

void TPlanner::PlanLevel(size_t Index) {
  TLevel& L = FPlan.Levels[Index];
  std::string Target = L.Target;
  if (!Target.empty() && !rtl::IsPathDelimiter(Target.back()) && rtl::DirectoryExists(Target))
    Target += '/';
  int32_t Attr = 0;
  const bool IsDir = detail::NamesDirectory(Target, Attr);
  if (IsDir && !rtl::DirectoryExists(Target) && !FMadeDirs.count(Key(Target))) {
    if (!L.SourceDir.empty() || FSettings.CreateTgtDir()) {
      Step(Index, TStepKind::CreateDir, L.SourceDir, rtl::ExtractFileDir(Target));
      FMadeDirs.insert(Key(Target));
    } else if (L.Run) {
      Problem(Index, "target directory '" + rtl::ExtractFilePath(Target) +
                         "' does not exist (use -d to create it)");
      FStopped = true;
      return;
    }
  }
  if (!L.Run) return;
  if (!FDetailed) {
    if (!L.SourceDir.empty()) L.Run = SelectsSomething(L.SourceDir);
    return;
  }
  const size_t StepsBefore = FPlan.Steps.size();
  const size_t Count = L.Sources.size();
  for (size_t I = Count > 0 ? Count : 1; I >= 1 && !FStopped; --I)
    PlanEntry(Index, Count > 0 ? L.Sources[I - 1] : std::string(), Target, IsDir);
  if (!L.SourceDir.empty()) L.Run = FPlan.Steps.size() > StepsBefore;
}

void TPlanner::PlanEntry(size_t Level, const std::string& Entry, const std::string& Target,
                         bool TargetIsDir) {
  if (Entry.empty()) {
    Problem(Level, DefaultText(TCondition::SrcFileError, Entry, Target));
    FStopped = true;
    return;
  }
  if (Target.empty()) {
    Problem(Level, DefaultText(TCondition::TgtFileError, Entry, Target));
    FStopped = true;
    return;
  }
  const std::string Spec = detail::NormaliseSpec(Entry);
  if (Spec == Target) {
    const bool Move = FSettings.CopyType() == ctMove;
    Problem(Level, DefaultText(Move ? TCondition::MoveToSelfError : TCondition::CopyToSelfError,
                               Spec, Target));
    return;
  }
  const int32_t Mask = detail::AttrMask(FFilter);
  if (detail::SelectsNothing(Mask, FFilter)) return;
  TSearch S(Spec, Mask);
  if (!S.Found()) {
    // A directory met by the walk may hold no file; only a source the user
    // named is missing.
    if (FPlan.Levels[Level].SourceDir.empty()) {
      Problem(Level, DefaultText(TCondition::SrcFileNotExist, Spec, Target));
      FStopped = true;
    }
    return;
  }
  const std::string Dir = rtl::ExtractFilePath(Spec);
  do {
    const rtl::TSearchRec& R = S.Rec();
    if (!detail::EntrySelected(R.Name, R.Attr, Mask, FFilter)) continue;
    const std::string Source = Dir + R.Name;
    if ((R.Attr & rtl::faDirectory) != 0 && (Mask & rtl::faDirectory) != 0) {
      const std::string Sub = rtl::ExtractFileDir(Target) + "/" + R.Name;
      if (rtl::DirectoryExists(Sub) || FMadeDirs.count(Key(Sub))) {
        // The walk takes an existing directory as it is (see run.cpp).
        if (!FOptions.Recursive)
          Problem(Level, DefaultText(TCondition::CannotCreateTgtDir, std::string(), Sub));
      } else {
        Step(Level, TStepKind::CreateDir, Source, Sub);
        FMadeDirs.insert(Key(Sub));
      }
      continue;
    }
    std::string TargetName = Target;
    if (TargetIsDir) {
      std::string Expanded;
      if (FSettings.CopyType() == ctLZCopy && rtl::GetExpandedNameA(Source, Expanded) == 1)
        TargetName = rtl::ExtractFilePath(Target) + rtl::ExtractFileName(Expanded);
      else
        TargetName = rtl::ExtractFilePath(Target) + R.Name;
    }
    if (Level == 0) ++FTopFiles;
    PlanFile(Level, Source, TargetName, R.Size);
  } while (S.Next());
}

void TPlanner::PlanFile(size_t Level, const std::string& Source, const std::string& Target,
                        int64_t Size) {
  if (FWritten.count(Key(Target))) {
    Problem(Level, "will not overwrite just-created '" + Target + "' with '" + Source + "'");
    return;
  }
  TStepKind Kind = TStepKind::Copy;
  if (rtl::FileExists(Target))
    Kind = FSettings.OverwriteIfExist() ? TStepKind::Overwrite : TStepKind::SkipExisting;
  else if (FSettings.CopyType() == ctLZCopy)
    Kind = TStepKind::Expand;
  else if (FSettings.CopyType() == ctMove)
    Kind = TStepKind::Move;
  Step(Level, Kind, Source, Target, Size);
  if (Kind == TStepKind::SkipExisting) return;
  FWritten.insert(Key(Target));
  ++FPlan.Files;
  FPlan.Bytes += Size;
}

// Plans a run for every sub-directory the entry selects by name, and the
// walk under each, depth first in the order the names sort.
void TPlanner::Descend(const std::string& Entry, const std::string& TargetDir) {
  const std::string Spec = detail::NormaliseSpec(Entry);
  const std::string Dir = rtl::ExtractFilePath(Spec);
  for (const std::string& Name : SubDirectories(Spec)) {
    if (FStopped) return;
    const std::string Source = Dir + Name;
    std::error_code Ec;
    if (fs::is_symlink(Source, Ec) && !FOptions.FollowLinks) continue;
    const fs::path Real = fs::canonical(Source, Ec);
    if (Ec) continue;
    const size_t Level = FPlan.Levels.size();
    const auto Loop = std::find(FAncestors.begin(), FAncestors.end(), Real);
    if (Loop != FAncestors.end() || (!FTargetDir.empty() && Real == FTargetDir)) {
      TLevel Skipped;
      Skipped.Run = false;
      Skipped.Problem =
          Loop != FAncestors.end()
              ? "directory loop: '" + Source + "' leads back to '" + Loop->string() + "'"
              : "will not copy directory '" + Source + "' into itself";
      Problem(Level, Skipped.Problem);
      FPlan.Levels.push_back(std::move(Skipped));
      continue;
    }
    TLevel Sub;
    Sub.SourceDir = Source;
    Sub.Sources = {Source};
    Sub.Target = TargetDir + Name + "/";
    FPlan.Levels.push_back(Sub);
    PlanLevel(Level);
    FAncestors.push_back(Real);
    Descend(Source, Sub.Target);
    FAncestors.pop_back();
  }
}

// The names of the sub-directories Spec matches that a walk descends into,
// in byte order. A whole directory ("dir/*.*") is read without looking at
// every file's attributes: only its directories are looked up.
std::vector<std::string> TPlanner::SubDirectories(const std::string& Spec) const {
  std::vector<std::string> Names;
  const int32_t Mask = DescendMask(FFilter);
  const std::string Dir = rtl::ExtractFilePath(Spec);
  if (rtl::ExtractFileName(Spec) != "*.*") {
    for (TSearch S(Spec, Mask); S.Found(); S.Next())
      if ((S.Rec().Attr & rtl::faDirectory) != 0 && S.Rec().Name != "." && S.Rec().Name != "..")
        Names.push_back(S.Rec().Name);
    return Names;
  }
  std::error_code Ec;
  for (fs::directory_iterator It(Dir.empty() ? "." : Dir, Ec), End; !Ec && It != End;
       It.increment(Ec)) {
    std::error_code TypeEc;
    if (!It->is_directory(TypeEc)) continue;
    const std::string Name = It->path().filename().string();
    const int32_t Attr = rtl::FileGetAttr(Dir + Name);
    if (Attr < 0 || (Attr & ~Mask) != 0) continue;
    Names.push_back(Name);
  }
  std::sort(Names.begin(), Names.end());
  return Names;
}

}  // namespace

const char* StepName(TStepKind Kind) {
  switch (Kind) {
    case TStepKind::Copy:
      return "copy";
    case TStepKind::Overwrite:
      return "overwrite";
    case TStepKind::SkipExisting:
      return "skip-existing";
    case TStepKind::CreateDir:
      return "create-dir";
    case TStepKind::Expand:
      return "expand";
    case TStepKind::Move:
      break;
  }
  return "move";
}

bool TPlan::HasProblems() const {
  return std::any_of(Steps.begin(), Steps.end(), [](const TStep& S) { return !S.Problem.empty(); });
}

bool TargetIsDirectory(const std::string& Target) {
  return !Target.empty() && (rtl::IsPathDelimiter(Target.back()) || rtl::DirectoryExists(Target));
}

TPlan MakePlan(const TQuindle& Settings, const TCliOptions& Options, bool Detailed) {
  TPlan Plan;
  TPlanner(Settings, Options, Plan, Detailed).Build();
  return Plan;
}

}  // namespace quindle::cli
