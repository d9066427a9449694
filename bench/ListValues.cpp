// Listing a key's values through the routines, on the substitute, at 10,000 and 100,000 values.
// Enumeration by index must cost the same per value however many there are, so each case reports
// its time per value and, at 100,000, that time as a multiple of the same case's at 10,000
// measured earlier in the same run: near 1 when listing is linear, near 10 when it is quadratic.
// ListValueData looks every value up by name; the baseline does only that, a case-folded hash
// lookup per name over tables of the same sizes, to show what the memory hierarchy alone does to
// the ratio once the table no longer fits in the cache.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "bench/CpuTime.h"
#include "tests/support/Installed.h"
#include "platform/sim/SimRegistry.h"
#include "services/MainFunc.h"

namespace {

const char* const kKey = "\\Software\\Microsoft\\Internet Explorer\\TypedURLs";

// A registry whose key holds `count` text values, made once per count.
platform::SimRegistry& RegistryWith(int count) {
  static std::map<int, std::unique_ptr<platform::SimRegistry>> made;
  auto& slot = made[count];
  if (!slot) {
    slot = std::make_unique<platform::SimRegistry>();
    platform::RegKey key = 0;
    slot->CreateKeyEx(platform::kHkeyCurrentUser, kKey + 1, platform::kKeyAllAccess, &key);
    char name[32], data[64];
    for (int i = 0; i < count; ++i) {
      std::snprintf(name, sizeof name, "url%d", i + 1);
      const int length = std::snprintf(data, sizeof data, "http://www.site%d.example.com/", i);
      slot->SetValueEx(key, name, platform::kRegSz, reinterpret_cast<const std::uint8_t*>(data),
                       static_cast<std::uint32_t>(length + 1));
    }
    slot->CloseKey(key);
  }
  return *slot;
}

using nqbench::CpuNanoseconds;

// Nanoseconds per value at 10,000, by routine, for the ratio at 100,000.
std::map<std::string, double>& Baselines() {
  static std::map<std::string, double> baselines;
  return baselines;
}

void Record(benchmark::State& state, const std::string& name, double elapsed, int count) {
  const double perValue = elapsed / (static_cast<double>(state.iterations()) * count);
  state.counters["cpu_ns_per_value"] = perValue;
  state.SetItemsProcessed(state.iterations() * count);
  if (count == 10000) {
    Baselines()[name] = perValue;
  } else if (Baselines().count(name)) {
    state.counters["per_value_vs_10k"] = perValue / Baselines()[name];
  }
}

template <bool (*Routine)(nq::RegKey, const std::string&, nq::TStrings&, nq::TRegView)>
void List(benchmark::State& state, const char* routine) {
  const int count = static_cast<int>(state.range(0));
  platform::SimRegistry& registry = RegistryWith(count);
  nqtest::Installed installed(registry);
  nq::TStrings list;
  const double start = CpuNanoseconds();
  for (auto _ : state) {
    Routine(nq::kHkeyCurrentUser, kKey, list, nq::TRegView::Default);
    benchmark::DoNotOptimize(list.data());
  }
  const double elapsed = CpuNanoseconds() - start;
  if (list.size() != static_cast<std::size_t>(count)) state.SkipWithError("wrong number of entries");

  Record(state, routine, elapsed, count);
}

void BM_HashLookupBaseline(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  std::unordered_map<std::string, std::size_t> index;
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) {
    names.push_back("url" + std::to_string(i + 1));
    std::string folded = names.back();
    for (char& c : folded) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    index.emplace(std::move(folded), static_cast<std::size_t>(i));
  }
  std::size_t sum = 0;
  const double start = CpuNanoseconds();
  for (auto _ : state) {
    for (const std::string& name : names) {
      std::string folded = name;
      for (char& c : folded) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
      sum += index.find(folded)->second;
    }
    benchmark::DoNotOptimize(sum);
  }
  const double elapsed = CpuNanoseconds() - start;
  Record(state, "HashLookupBaseline", elapsed, count);
}

void BM_ListValueNames(benchmark::State& state) { List<&nq::ListValueNames>(state, "ListValueNames"); }
void BM_ListValueData(benchmark::State& state) { List<&nq::ListValueData>(state, "ListValueData"); }

// The 10,000 case of each routine runs before its 100,000 case.
BENCHMARK(BM_ListValueNames)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListValueData)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HashLookupBaseline)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
