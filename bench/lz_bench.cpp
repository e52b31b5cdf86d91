// SPDX-License-Identifier: MIT
// LZ expansion speed: LZCopy next to msexpand on the same compressed files.
//
//   build/bench/lz_bench [--benchmark_repetitions=N] [--benchmark_filter=REGEX]
//
// Inputs are made once per run in a fresh folder under TMPDIR: text-like data
// (words from a small vocabulary, which compresses to about a fifth) and
// random bytes (no matches: the literal-only worst case; 96 MiB of them make
// a compressed file of 108 MiB), compressed with SZDDCompress. Each timed run expands one file from
// the page cache into a truncated target file; opening and truncating are not timed. msexpand gets
// a smaller file because it makes a system call per byte. The summary at the
// end gives every median as GB/s of output and the ratio of LZCopy to
// msexpand on the same file.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <stdexcept>
#include <string>

#include "rtl/files/lz/lz.h"
#include "rtl/files/lz/szdd_encoder.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

std::string TextData(size_t size) {
  static const char* const kWords[] = {"copy ",   "file ",    "target ", "source ", "the ", "of ",
                                       "expand ", "window\n", "name ",   "0123 ",   "LZ ",  "a "};
  std::mt19937 gen(1);
  std::string s;
  s.reserve(size + 16);
  while (s.size() < size) s += kWords[gen() % std::size(kWords)];
  s.resize(size);
  return s;
}

std::string RandomData(size_t size) {
  std::mt19937_64 gen(2);
  std::string s(size, '\0');
  for (size_t i = 0; i + 8 <= size; i += 8) {
    uint64_t v = gen();
    std::memcpy(&s[i], &v, 8);
  }
  return s;
}

class WorkDir {
 public:
  WorkDir() {
    std::string pattern = (fs::temp_directory_path() / "quindle-lz-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~WorkDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

WorkDir& Work() {
  static WorkDir dir;
  return dir;
}

// Output size per benchmark name, for the summary.
std::map<std::string, int64_t>& OutputSizes() {
  static std::map<std::string, int64_t> sizes;
  return sizes;
}

struct Input {
  std::string packed;  // compressed file
  int64_t size;        // bytes it expands to
};

const Input& PackedFile(bool random, size_t mib) {
  static std::map<std::pair<bool, size_t>, Input> made;
  auto [it, fresh] = made.try_emplace({random, mib});
  if (fresh) {
    std::string data = random ? RandomData(mib << 20) : TextData(mib << 20);
    it->second.packed =
        (Work().path() / ((random ? "random-" : "text-") + std::to_string(mib))).string();
    it->second.size = int64_t(data.size());
    std::string packed = rtl::SZDDCompress(data);
    FILE* f = std::fopen(it->second.packed.c_str(), "wb");
    if (!f || std::fwrite(packed.data(), 1, packed.size(), f) != packed.size()) {
      throw std::runtime_error("cannot write " + it->second.packed);
    }
    std::fclose(f);
  }
  return it->second;
}

// Runs msexpand with stdin and stdout on the given files; true on success.
bool RunMsexpand(int in, int out) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in, 0);
  posix_spawn_file_actions_adddup2(&actions, out, 1);
  char name[] = "msexpand";
  char* argv[] = {name, nullptr};
  pid_t pid;
  int rc = posix_spawnp(&pid, name, &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  return rc == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

void Expand(benchmark::State& state, bool random, size_t mib, bool msexpand) {
  const Input& input = PackedFile(random, mib);
  std::string target = (Work().path() / "out").string();
  for (auto _ : state) {
    int in = ::open(input.packed.c_str(), O_RDONLY);
    int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    auto start = std::chrono::steady_clock::now();
    int64_t written = input.size;
    if (msexpand) {
      if (!RunMsexpand(in, out)) written = -1;
    } else {
      written = rtl::LZCopy(in, out);
    }
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    ::close(in);
    ::close(out);
    if (written != input.size || int64_t(fs::file_size(target)) != input.size) {
      state.SkipWithError("expanded size is wrong");
      break;
    }
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * input.size);
}

void Register(const char* tool, bool random, size_t mib, int repetitions) {
  std::string name =
      std::string(tool) + (random ? "/random/" : "/text/") + std::to_string(mib) + "MiB";
  OutputSizes()[name] = int64_t(mib) << 20;
  bool msexpand = std::string(tool) == "msexpand";
  auto* b = benchmark::RegisterBenchmark(
      name.c_str(), [=](benchmark::State& s) { Expand(s, random, mib, msexpand); });
  b->UseManualTime()->Unit(benchmark::kMillisecond)->Repetitions(repetitions);
  b->ReportAggregatesOnly(true);
  if (msexpand) b->Iterations(1);
}

// Prints the usual table, then medians as GB/s and the LZCopy/msexpand ratios.
class SummaryReporter : public benchmark::ConsoleReporter {
 public:
  SummaryReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      if (r.run_type != Run::RT_Aggregate || r.aggregate_name != "median" || r.error_occurred) {
        continue;
      }
      medians_[r.run_name.function_name] =
          r.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(r.time_unit);
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\nmedians, GB/s of output:\n");
    for (const auto& [name, seconds] : medians_) {
      std::printf("  %-22s %12.2f ms %10.3g GB/s\n", name.c_str(), seconds * 1e3,
                  double(OutputSizes()[name]) / seconds / 1e9);
    }
    for (const auto& [name, seconds] : medians_) {
      if (name.rfind("msexpand/", 0) != 0) continue;
      auto ours = medians_.find("LZCopy/" + name.substr(9));
      if (ours == medians_.end()) continue;
      std::printf("LZCopy is %.0fx as fast as msexpand on %s\n", seconds / ours->second,
                  name.substr(9).c_str());
    }
  }

 private:
  std::map<std::string, double> medians_;
};

}  // namespace

int main(int argc, char** argv) {
  Register("LZCopy", false, 100, 5);
  Register("LZCopy", true, 96, 5);
  Register("LZCopy", false, 2, 5);
  Register("msexpand", false, 2, 3);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  SummaryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
