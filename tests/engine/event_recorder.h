// SPDX-License-Identifier: MIT
// Records every event a TQuindle raises, in order, as one line each: the
// event's name, then Progress for OnProgressChange and the file names for the
// events that carry them. Names under a given root are written with "@" in
// place of the root, so expectations stay short and independent of the
// temporary folder. A hook per event lets a test answer or throw after the
// line is recorded.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/quindle.h"
#include "support/test_support.h"

namespace quindle::testing {

class EventRecorder {
 public:
  using Lines = std::vector<std::string>;

  EventRecorder(TQuindle& Q, std::string Root) : Q(Q), Root(std::move(Root)) { Attach(); }

  // Leaves the named events (e.g. "OnTgtFileExists") without a handler, so
  // that the component's default behaviour shows; the others stay recorded.
  void Unassign(const std::vector<std::string>& Names) {
    Skipped.insert(Names.begin(), Names.end());
    Attach();
  }

  // Runs after the event named Name (e.g. "OnTgtFileExists") is recorded.
  void On(const std::string& Name, std::function<void()> Hook) { Hooks[Name] = std::move(Hook); }
  // Runs after OnSetAttr is recorded, with the cells the handler may change.
  void OnSetAttr(std::function<void(int32_t&, rtl::TDateTime&)> Hook) {
    SetAttrHook = std::move(Hook);
  }

  const Lines& Events() const { return Log; }
  void Clear() { Log.clear(); }
  // Assigns all twenty handlers afresh, without hooks and with an empty log.
  void Reset() {
    Log.clear();
    Hooks.clear();
    SetAttrHook = nullptr;
    Skipped.clear();
    Attach();
  }

  // The lines whose event name is not among Names.
  Lines Without(const std::vector<std::string>& Names) const {
    Lines Out;
    for (const auto& L : Log)
      if (std::find(Names.begin(), Names.end(), NameOf(L)) == Names.end()) Out.push_back(L);
    return Out;
  }
  // The lines whose event name is among Names.
  Lines Only(const std::vector<std::string>& Names) const {
    Lines Out;
    for (const auto& L : Log)
      if (std::find(Names.begin(), Names.end(), NameOf(L)) != Names.end()) Out.push_back(L);
    return Out;
  }
  int Count(const std::string& Name) const {
    return static_cast<int>(
        std::count_if(Log.begin(), Log.end(), [&](const auto& L) { return NameOf(L) == Name; }));
  }

  // Every separator is written as '/', so that one expectation serves both
  // platforms ('\\' and '/' both separate on Windows).
  std::string Short(const std::string& Name) const {
    std::string Out = Name;
    if (!Root.empty() && Name.compare(0, Root.size(), Root) == 0)
      Out = "@" + Name.substr(Root.size());
    if (!QUINDLE_TEST_POSIX) std::replace(Out.begin(), Out.end(), '\\', '/');
    return Out;
  }

 private:
  static std::string NameOf(const std::string& Line) { return Line.substr(0, Line.find(' ')); }

  void Record(const std::string& Name, const std::string& Line) {
    Log.push_back(Line);
    auto It = Hooks.find(Name);
    if (It != Hooks.end() && It->second) It->second();
  }

  TNotifyEvent Plain(const std::string& Name) {
    return [this, Name](rtl::TObject* Sender) {
      EXPECT_EQ(Sender, &Q) << Name;
      Record(Name, Name);
    };
  }

  TQuindleEvent Named(const std::string& Name) {
    return [this, Name](rtl::TObject* Sender, std::string Src, std::string Tgt) {
      EXPECT_EQ(Sender, &Q) << Name;
      Record(Name, Name + " " + Short(Src) + " " + Short(Tgt));
    };
  }

  void Attach() {
#define QUINDLE_RECORD(Event, Handler) \
  Q.Set##Event(Skipped.count(#Event) ? decltype(Handler)() : (Handler))
    QUINDLE_RECORD(OnAfterCopyFile, Named("OnAfterCopyFile"));
    QUINDLE_RECORD(OnBeforeCopyFile, Named("OnBeforeCopyFile"));
    QUINDLE_RECORD(OnCannotCreateTgtDir, Plain("OnCannotCreateTgtDir"));
    QUINDLE_RECORD(OnCopyToSelfError, Plain("OnCopyToSelfError"));
    QUINDLE_RECORD(OnDirNotExist, Plain("OnDirNotExist"));
    QUINDLE_RECORD(OnFinished, Plain("OnFinished"));
    QUINDLE_RECORD(OnFailValidate, Plain("OnFailValidate"));
    QUINDLE_RECORD(OnLZCopyError, Plain("OnLZCopyError"));
    QUINDLE_RECORD(OnMoveFileError, Plain("OnMoveFileError"));
    QUINDLE_RECORD(OnMoveToSelfError, Plain("OnMoveToSelfError"));
    QUINDLE_RECORD(OnOpenSrcError, Plain("OnOpenSrcError"));
    QUINDLE_RECORD(OnOpenTgtError, Plain("OnOpenTgtError"));
    QUINDLE_RECORD(OnOverwriteCancelled, Plain("OnOverwriteCancelled"));
    QUINDLE_RECORD(OnProgressChange, TNotifyEvent([this](rtl::TObject*) {
                     Record("OnProgressChange", "OnProgressChange " + std::to_string(Q.Progress()));
                   }));
    QUINDLE_RECORD(OnSetAttr, TSetAttrEvent([this](rtl::TObject*, std::string Name, int32_t& Attr,
                                                   rtl::TDateTime& Date) {
                     Record("OnSetAttr", "OnSetAttr " + Short(Name));
                     if (SetAttrHook) SetAttrHook(Attr, Date);
                   }));
    QUINDLE_RECORD(OnSrcFileError, Plain("OnSrcFileError"));
    QUINDLE_RECORD(OnSrcFileNotExist, Plain("OnSrcFileNotExist"));
    QUINDLE_RECORD(OnStart, Plain("OnStart"));
    QUINDLE_RECORD(OnTgtFileError, Plain("OnTgtFileError"));
    QUINDLE_RECORD(OnTgtFileExists, Plain("OnTgtFileExists"));
#undef QUINDLE_RECORD
  }

  TQuindle& Q;
  std::string Root;
  Lines Log;
  std::map<std::string, std::function<void()>> Hooks;
  std::function<void(int32_t&, rtl::TDateTime&)> SetAttrHook;
  std::set<std::string> Skipped;
};

}  // namespace quindle::testing
