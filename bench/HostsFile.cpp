// Listing the findings of a machine whose hosts file is a block list of 100,000 lines, against
// reading the same file and splitting it into its lines (a string each, in a fresh vector) in a
// plain loop. Reports the listing's time as a multiple of the loop's, measured in the same run; the
// goal is at most 1.5. Beside it, the read and the judgment of every line alone, without the rows.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/CpuTime.h"
#include "browsers/Browsers.h"
#include "browsers/HostsText.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimFiles.h"
#include "platform/sim/SimLinks.h"
#include "platform/sim/SimRegistry.h"
#include "tests/support/Installed.h"

namespace {

constexpr int kLines = 100000;
constexpr const char* kHostsPath = "C:\\Windows\\System32\\drivers\\etc\\hosts";

using nqbench::CpuNanoseconds;

// A machine with nothing but the hosts file: a published block list's header, localhost, and
// 100,000 names sent to 0.0.0.0, with CR LF line ends.
class TMachine {
 public:
  TMachine() {
    std::filesystem::create_directories(root_ / "Windows" / "System32" / "drivers" / "etc");
    std::ofstream out(root_ / "Windows" / "System32" / "drivers" / "etc" / "hosts", std::ios::binary);
    out << "# This hosts file blocks ads and trackers.\r\n# Updated daily.\r\n\r\n127.0.0.1 localhost\r\n::1 localhost\r\n\r\n";
    for (int i = 0; i < kLines; ++i) out << "0.0.0.0 ads" << i << ".tracker-network.example\r\n";
  }
  ~TMachine() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  TMachine(const TMachine&) = delete;
  TMachine& operator=(const TMachine&) = delete;

  // First: the tree is made on it.
  const std::filesystem::path root_ = std::filesystem::temp_directory_path() / ("nq-bench-hosts-" + std::to_string(::getpid()));
  platform::SimRegistry registry;
  platform::SimFileSystem tree{root_};
  platform::SimFiles files{tree};
  platform::SimShellLinks links{tree};
  platform::SimTaskScheduler tasks;
  platform::SimManagement management;  // a workgroup machine
};

TMachine& Machine() {
  static TMachine machine;
  return machine;
}

double g_loopPerIteration = 0;

void BM_ReadAndSplitBaseline(benchmark::State& state) {
  TMachine& machine = Machine();
  std::size_t count = 0;
  const double start = CpuNanoseconds();
  for (auto _ : state) {
    std::string text;
    machine.files.ReadWholeFile(kHostsPath, 64u << 20, &text);
    std::vector<std::string> lines;
    std::size_t begin = 0;
    while (begin < text.size()) {
      std::size_t end = text.find('\n', begin);
      if (end == std::string::npos) end = text.size();
      lines.emplace_back(text, begin, end - begin - (end > begin && text[end - 1] == '\r' ? 1 : 0));
      begin = end + 1;
    }
    benchmark::DoNotOptimize(lines.data());
    count = lines.size();
  }
  g_loopPerIteration = (CpuNanoseconds() - start) / static_cast<double>(state.iterations());
  state.counters["lines"] = static_cast<double>(count);
}

// Where the listing's time goes: the same read and the judgment of every line, without making rows.
void BM_ReadAndJudgeLines(benchmark::State& state) {
  TMachine& machine = Machine();
  std::size_t found = 0;
  const double start = CpuNanoseconds();
  for (auto _ : state) {
    std::string text;
    machine.files.ReadWholeFile(kHostsPath, nq::kMaxHostsTextBytes, &text);
    found = 0;
    nq::ForEachHostsMapping(text, [&found](const nq::THostsMapping& mapping) { found += mapping.blocked ? 1 : 0; });
    benchmark::DoNotOptimize(found);
  }
  const double perIteration = (CpuNanoseconds() - start) / static_cast<double>(state.iterations());
  state.counters["mappings"] = static_cast<double>(found);
  if (g_loopPerIteration > 0) state.counters["vs_read_split"] = perIteration / g_loopPerIteration;
}

void BM_ListHostsFile(benchmark::State& state) {
  TMachine& machine = Machine();
  nqtest::Installed installedRegistry(static_cast<platform::IRegistry&>(machine.registry));
  nqtest::Installed installedTree(static_cast<platform::IFileSystem&>(machine.tree));
  nqtest::Installed installedFiles(static_cast<platform::IFiles&>(machine.files));
  nqtest::Installed installedLinks(static_cast<platform::IShellLinks&>(machine.links));
  nqtest::Installed installedTasks(static_cast<platform::ITaskScheduler&>(machine.tasks));
  nqtest::Installed installedManagement(static_cast<platform::IManagement&>(machine.management));
  nq::TFindings findings;
  const double start = CpuNanoseconds();
  for (auto _ : state) {
    findings = nq::FindBrowserHijacks();
    benchmark::DoNotOptimize(findings.data());
  }
  const double perIteration = (CpuNanoseconds() - start) / static_cast<double>(state.iterations());
  state.counters["findings"] = static_cast<double>(findings.size());
  // The block list is one row, which stands for every line of it.
  if (findings.size() != 1 || findings[0].name != "7-" + std::to_string(kLines + 6)) state.SkipWithError("the block list was not found whole");
  if (g_loopPerIteration > 0) state.counters["vs_read_split"] = perIteration / g_loopPerIteration;
}

// The baseline first, so that the listing can report its ratio.
BENCHMARK(BM_ReadAndSplitBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAndJudgeLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListHostsFile)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
