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
#include <string>
#include <vector>

#include "engine/quindle.h"

namespace quindle::testing {

class EventRecorder {
 public:
  using Lines = std::vector<std::string>;

  EventRecorder(TQuindle& Q, std::string Root) : Q(Q), Root(std::move(Root)) { Attach(); }

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

  std::string Short(const std::string& Name) const {
    if (!Root.empty() && Name.compare(0, Root.size(), Root) == 0)
      return "@" + Name.substr(Root.size());
    return Name;
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
    Q.SetOnAfterCopyFile(Named("OnAfterCopyFile"));
    Q.SetOnBeforeCopyFile(Named("OnBeforeCopyFile"));
    Q.SetOnCannotCreateTgtDir(Plain("OnCannotCreateTgtDir"));
    Q.SetOnCopyToSelfError(Plain("OnCopyToSelfError"));
    Q.SetOnDirNotExist(Plain("OnDirNotExist"));
    Q.SetOnFinished(Plain("OnFinished"));
    Q.SetOnFailValidate(Plain("OnFailValidate"));
    Q.SetOnLZCopyError(Plain("OnLZCopyError"));
    Q.SetOnMoveFileError(Plain("OnMoveFileError"));
    Q.SetOnMoveToSelfError(Plain("OnMoveToSelfError"));
    Q.SetOnOpenSrcError(Plain("OnOpenSrcError"));
    Q.SetOnOpenTgtError(Plain("OnOpenTgtError"));
    Q.SetOnOverwriteCancelled(Plain("OnOverwriteCancelled"));
    Q.SetOnProgressChange([this](rtl::TObject*) {
      Record("OnProgressChange", "OnProgressChange " + std::to_string(Q.Progress()));
    });
    Q.SetOnSetAttr([this](rtl::TObject*, std::string Name, int32_t& Attr, rtl::TDateTime& Date) {
      Record("OnSetAttr", "OnSetAttr " + Short(Name));
      if (SetAttrHook) SetAttrHook(Attr, Date);
    });
    Q.SetOnSrcFileError(Plain("OnSrcFileError"));
    Q.SetOnSrcFileNotExist(Plain("OnSrcFileNotExist"));
    Q.SetOnStart(Plain("OnStart"));
    Q.SetOnTgtFileError(Plain("OnTgtFileError"));
    Q.SetOnTgtFileExists(Plain("OnTgtFileExists"));
  }

  TQuindle& Q;
  std::string Root;
  Lines Log;
  std::map<std::string, std::function<void()>> Hooks;
  std::function<void(int32_t&, rtl::TDateTime&)> SetAttrHook;
};

}  // namespace quindle::testing
