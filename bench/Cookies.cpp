// The cookie page at scale: loading a folder of many cookie files, sorting and searching many rows.
// Each case runs beside a plain baseline doing the same job the simplest way, in the same run, and
// the summary gives each time as a multiple of the baseline's.
//
// The files are real files in a fresh temp folder, reached through the file-system substitute, so
// the load pays for real directory listing, opening and reading. The folder is removed at the end.
#include <cstdlib>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "tests/support/Installed.h"
#include "app/MainForm.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimRegistry.h"
#include "privacy/CookieText.h"
#include "services/MainFunc.h"
#include "tests/support/KeyPaths.h"
#include "ui/headless/ScriptedDialogs.h"

namespace {

using nqtest::kShellFolders;

namespace fs = std::filesystem;


// A cookie file as the browser writes it: name, value, domain and path, flags, times, "*".
std::string CookieFileText(int i) {
  return "id\n" + std::to_string(1000003 * i % 999983) + "\nwww.site" + std::to_string(i) +
         ".example.com/\n1536\n2118254592\n30124911\n3245711376\n29527010\n*\n";
}

std::string CookieName(int i) { return "user@site" + std::to_string(i) + (i % 3 == 0 ? ".COM" : ".com") + "[1].txt"; }

// The whole setting of one run: registry, file tree, dialogs and the main window.
class World {
 public:
  World() : root_(fs::temp_directory_path() / ("nqbench-cookies-" + std::to_string(std::random_device{}()))) {
    fs::create_directories(root_);
    files_ = std::make_unique<platform::SimFileSystem>(root_);
    installedFiles_.emplace(*files_);
  }
  ~World() {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }

  // A cookie folder of `count` files (made once per count).
  fs::path Folder(int count) {
    const fs::path folder = root_ / ("c" + std::to_string(count));
    if (!fs::exists(folder)) {
      fs::create_directories(folder);
      for (int i = 0; i < count; ++i) {
        std::ofstream(folder / CookieName(i), std::ios::binary) << CookieFileText(i);
      }
    }
    return folder;
  }

  // Points the "Cookies" value at a folder of `count` files.
  void UseFolder(int count) {
    Folder(count);
    nq::TRegistry reg;
    if (!reg.OpenKey(kShellFolders, true)) std::abort();
    reg.WriteString("Cookies", "C:\\c" + std::to_string(count));
  }

  nq::TMainForm form;
  ui::ScriptedDialogs dialogs_;

 private:
  fs::path root_;
  platform::SimRegistry registry_;
  std::unique_ptr<platform::SimFileSystem> files_;
  nqtest::Installed<platform::IRegistry> installedRegistry_{registry_};
  nqtest::Installed<ui::IDialogs> installedDialogs_{dialogs_};
  std::optional<nqtest::Installed<platform::IFileSystem>> installedFiles_;
};

World* world = nullptr;

// ---- load

void LoadBaseline(benchmark::State& state, int count) {
  const fs::path folder = world->Folder(count);
  std::string line;
  for (auto _ : state) {
    std::size_t sites = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
      if (entry.path().extension() != ".txt" || !entry.is_regular_file()) continue;
      std::ifstream in(entry.path(), std::ios::binary);
      for (int n = 0; n < 3 && std::getline(in, line); ++n) {
      }
      sites += line.size();
    }
    benchmark::DoNotOptimize(sites);
  }
}

// The file-system substitute's own calls for the same job (search, then one read of each file),
// without the page: tells the page's cost apart from the substitute's.
void LoadSubstituteCalls(benchmark::State& state, int count) {
  world->UseFolder(count);
  platform::IFileSystem& files = platform::FileSystem();
  const std::string folder = "C:\\c" + std::to_string(count) + "\\";
  std::string bytes;
  std::string site;
  for (auto _ : state) {
    std::size_t sites = 0;
    platform::FindData found;
    const platform::SearchHandle search = files.FindFirst(folder + "*.txt", &found);
    if (search == 0) continue;
    do {
      files.ReadFilePrefix(folder + found.name, nq::kCookieFirstRead + 1, &bytes);
      nq::FindCookieSite(bytes, true, site);
      sites += site.size();
    } while (files.FindNext(search, &found));
    files.FindClose(search);
    benchmark::DoNotOptimize(sites);
  }
}

void LoadPage(benchmark::State& state, int count) {
  world->UseFolder(count);
  for (auto _ : state) {
    world->form.LoadCookiesExecute();
    benchmark::DoNotOptimize(world->form.CookieListView.Items.data());
  }
  if (world->form.CookieListView.Items.size() != static_cast<std::size_t>(count)) state.SkipWithError("wrong row count");
}

// ---- sort and search over rows made in memory

std::vector<ui::TListItem> Rows(int count) {
  std::vector<ui::TListItem> rows(count);
  for (int i = 0; i < count; ++i) {
    rows[i].Caption = CookieName(i);
    rows[i].SubItems = {"www.site" + std::to_string(i) + ".example.com/"};
  }
  std::shuffle(rows.begin(), rows.end(), std::mt19937(42));
  return rows;
}

void SortBaseline(benchmark::State& state, int count) {
  std::vector<std::string> names;
  for (const ui::TListItem& row : Rows(count)) names.push_back(row.Caption);
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<std::string> copy = names;
    state.ResumeTiming();
    std::sort(copy.begin(), copy.end());
    benchmark::DoNotOptimize(copy.data());
  }
}

void SortPage(benchmark::State& state, int count) {
  const std::vector<ui::TListItem> rows = Rows(count);
  nq::TMainForm& form = world->form;
  for (auto _ : state) {
    state.PauseTiming();
    form.CookieListView.Items = rows;
    form.SortColumn = 1;  // so the click sorts by name, ascending
    state.ResumeTiming();
    form.CookieListViewColumnClick(0);
    benchmark::DoNotOptimize(form.CookieListView.Items.data());
  }
}

const char* const kSearchText = "site42";  // matches about one row in ninety

// The same rows as the page searches, so both walk the same memory.
void SearchBaseline(benchmark::State& state, int count) {
  std::vector<ui::TListItem>& rows = world->form.CookieListView.Items;
  rows = Rows(count);
  std::string needle = kSearchText;
  nq::AsciiUpperCase(needle);
  std::vector<char> hits(rows.size());
  std::string upper;
  for (auto _ : state) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
      upper = rows[i].Caption;
      for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      hits[i] = std::strstr(upper.c_str(), needle.c_str()) != nullptr;
    }
    benchmark::DoNotOptimize(hits.data());
  }
}

void SearchPage(benchmark::State& state, int count) {
  nq::TMainForm& form = world->form;
  form.CookieListView.Items = Rows(count);
  for (auto _ : state) {
    world->dialogs_.AnswerInput(kSearchText);
    form.SearchCookieExecute();
    benchmark::DoNotOptimize(form.CookieListView.Items.data());
  }
  world->dialogs_.shown.clear();
}

// ---- the summary: each time over its case's baseline

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      // With repetitions, the median stands for the case; without, the one run does.
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") continue;
      times_[run.run_name.function_name] = {run.GetAdjustedCPUTime(), run.GetAdjustedRealTime()};
    }
    ConsoleReporter::ReportRuns(runs);
  }

  // CPU time leads: on a shared machine the wall clock also counts other people's work.
  void PrintRatios() const {
    std::printf("\nEach case against its baseline (time / baseline time):\n");
    std::printf("%-24s %11s %9s %11s %9s\n", "case", "cpu", "ratio", "real", "ratio");
    for (const auto& [name, time] : times_) {
      const std::string::size_type slash = name.rfind('/');
      if (slash == std::string::npos) continue;
      const auto base = times_.find(name.substr(0, slash) + "/baseline");
      if (base == times_.end() || base->second.cpu <= 0 || base->second.real <= 0) continue;
      std::printf("%-24s %8.2f ms %9.2f %8.2f ms %9.2f\n", name.c_str(), time.cpu, time.cpu / base->second.cpu,
                  time.real, time.real / base->second.real);
    }
  }

 private:
  struct Times {
    double cpu = 0, real = 0;
  };
  std::map<std::string, Times> times_;
};

}  // namespace

int main(int argc, char** argv) {
  World setting;
  world = &setting;

  for (const int count : {20000, 100000}) {
    const std::string kase = "load_" + std::to_string(count);
    const int iterations = count > 50000 ? 2 : 5;
    benchmark::RegisterBenchmark((kase + "/baseline").c_str(), LoadBaseline, count)
        ->Unit(benchmark::kMillisecond)->Iterations(iterations)->Repetitions(3)->ReportAggregatesOnly(true);
    benchmark::RegisterBenchmark((kase + "/page").c_str(), LoadPage, count)
        ->Unit(benchmark::kMillisecond)->Iterations(iterations)->Repetitions(3)->ReportAggregatesOnly(true);
    benchmark::RegisterBenchmark((kase + "/substitute").c_str(), LoadSubstituteCalls, count)
        ->Unit(benchmark::kMillisecond)->Iterations(iterations)->Repetitions(3)->ReportAggregatesOnly(true);
  }
  const int rows = 100000;
  benchmark::RegisterBenchmark("sort_100000/baseline", SortBaseline, rows)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("sort_100000/page", SortPage, rows)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("search_100000/baseline", SearchBaseline, rows)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("search_100000/page", SearchPage, rows)->Unit(benchmark::kMillisecond);

  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
