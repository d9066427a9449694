// Listing the findings of today's browsers on a profile of 10,000 policy values (other policies
// and findings, in the browsers' own keys and their list subkeys, for the user and the machine),
// against a raw walk of the same keys through the registry interface: open each key, enumerate its
// values and read each one's data. Reports the findings' time as a multiple of the walk's,
// measured in the same run; the goal is at most 1.5.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/CpuTime.h"
#include "tests/support/Installed.h"
#include "browsers/Browsers.h"
#include "platform/management.h"
#include "platform/shell.h"
#include "platform/sim/SimLinks.h"
#include "platform/sim/SimRegistry.h"

namespace {

constexpr const char* kPolicyKeys[] = {"Software\\Policies\\Microsoft\\Edge", "Software\\Policies\\Google\\Chrome",
                                       "Software\\Policies\\BraveSoftware\\Brave", "Software\\Policies\\Mozilla\\Firefox"};
constexpr int kValues = 10000;

void Set(platform::SimRegistry& reg, platform::RegKey root, const std::string& path, const std::string& name,
         const std::string& text) {
  platform::RegKey key = 0;
  if (reg.CreateKeyEx(root, path.c_str(), platform::kKeyAllAccess, &key) != platform::kErrorSuccess) return;
  reg.SetValueEx(key, name.c_str(), platform::kRegSz, reinterpret_cast<const std::uint8_t*>(text.c_str()),
                 static_cast<std::uint32_t>(text.size() + 1));
  reg.CloseKey(key);
}

// 1,250 values under each browser's key in each root, as a managed profile has them: other
// policies in the key itself, one in fifty of them a finding, and a list subkey of forced
// extensions holding a tenth of the values.
platform::SimRegistry& Profile() {
  static platform::SimRegistry reg;
  static bool made = false;
  if (made) return reg;
  made = true;
  const int each = kValues / 8;
  for (const platform::RegKey root : {platform::kHkeyCurrentUser, platform::kHkeyLocalMachine}) {
    for (const char* base : kPolicyKeys) {
      const bool firefox = std::string(base).find("Firefox") != std::string::npos;
      const std::string list = std::string(base) + (firefox ? "\\Extensions\\Install" : "\\ExtensionInstallForcelist");
      for (int i = 0; i < each; ++i) {
        if (i % 10 == 0) {
          Set(reg, root, list, std::to_string(i), "abcdefghijklmnopabcdefghijklmnop;https://u.example/" + std::to_string(i));
          continue;
        }
        const std::string name = i == 1        ? (firefox ? "NewTabPage" : "HomepageLocation")
                                 : i % 50 == 1 ? "DefaultSearchProvider" + std::to_string(i)
                                               : "OtherPolicy" + std::to_string(i);
        Set(reg, root, base, name, "http://site" + std::to_string(i) + ".example/");
      }
    }
  }
  return reg;
}

using nqbench::CpuNanoseconds;

// Every value of a key and its subkeys, read whole.
std::size_t RawWalk(platform::IRegistry& reg, platform::RegKey root, const std::string& path) {
  platform::RegKey key = 0;
  if (reg.OpenKeyEx(root, path.c_str(), platform::kKeyRead, &key) != platform::kErrorSuccess) return 0;
  std::size_t read = 0;
  std::uint32_t subkeys = 0, longestKey = 0, values = 0, longestValue = 0;
  (void)reg.QueryInfoKey(key, &subkeys, &longestKey, &values, &longestValue);
  std::vector<char> name(std::max(longestKey, longestValue) + 1);
  std::vector<std::uint8_t> data;
  for (std::uint32_t i = 0; i < values; ++i) {
    std::uint32_t length = static_cast<std::uint32_t>(name.size());
    if (reg.EnumValue(key, i, name.data(), &length) != platform::kErrorSuccess) continue;
    std::uint32_t type = 0, size = 0;
    if (reg.QueryValueEx(key, name.data(), &type, nullptr, &size) != platform::kErrorSuccess) continue;
    data.resize(size);
    if (reg.QueryValueEx(key, name.data(), &type, data.data(), &size) == platform::kErrorSuccess) ++read;
  }
  std::vector<std::string> children;
  for (std::uint32_t i = 0; i < subkeys; ++i) {
    std::uint32_t length = static_cast<std::uint32_t>(name.size());
    if (reg.EnumKeyEx(key, i, name.data(), &length) == platform::kErrorSuccess) children.emplace_back(name.data(), length);
  }
  reg.CloseKey(key);
  for (const std::string& child : children) read += RawWalk(reg, root, path + "\\" + child);
  return read;
}

class TNotManaged final : public platform::IManagement {
 public:
  long NetGetJoinInformation(std::string* name, platform::NetSetupJoinStatus* status) override {
    if (name != nullptr) name->clear();
    if (status != nullptr) *status = platform::NetSetupJoinStatus::Workgroup;
    return platform::kNerrSuccess;
  }
  std::int32_t NetGetAadJoinInformation(platform::DsregJoinType* type) override {
    if (type != nullptr) *type = platform::DsregJoinType::Unknown;
    return platform::kProcNotFound;
  }
  bool HasCertificate(platform::CertStoreLocation, const std::string&, const std::string&) override { return false; }
  bool ProcessIsElevated() override { return false; }
};

double g_rawPerIteration = 0;

void BM_RawWalkBaseline(benchmark::State& state) {
  platform::SimRegistry& reg = Profile();
  std::size_t read = 0;
  const double start = CpuNanoseconds();
  for (auto _ : state) {
    read = 0;
    for (const platform::RegKey root : {platform::kHkeyCurrentUser, platform::kHkeyLocalMachine}) {
      for (const char* base : kPolicyKeys) read += RawWalk(reg, root, base);
    }
    benchmark::DoNotOptimize(read);
  }
  g_rawPerIteration = (CpuNanoseconds() - start) / static_cast<double>(state.iterations());
  if (read != static_cast<std::size_t>(kValues)) state.SkipWithError(("the walk read " + std::to_string(read)).c_str());
  state.counters["values"] = static_cast<double>(read);
}

void BM_FindBrowserHijacks(benchmark::State& state) {
  nqtest::Installed installedRegistry(Profile());
  TNotManaged management;
  nqtest::Installed installedManagement(management);
  platform::SimTaskScheduler tasks;  // none: the policies are what is measured
  nqtest::Installed installedTasks(tasks);
  nq::TFindings findings;
  const double start = CpuNanoseconds();
  for (auto _ : state) {
    findings = nq::FindBrowserHijacks();
    benchmark::DoNotOptimize(findings.data());
  }
  const double perIteration = (CpuNanoseconds() - start) / static_cast<double>(state.iterations());
  state.counters["findings"] = static_cast<double>(findings.size());
  if (g_rawPerIteration > 0) state.counters["vs_raw_walk"] = perIteration / g_rawPerIteration;
}

// The baseline first, so that the findings' case can report its ratio.
BENCHMARK(BM_RawWalkBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindBrowserHijacks)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
