// Listing the extensions of 5 Chrome profiles with 200 extensions each, against reading the same
// files whole and parsing each with nlohmann::json in a plain loop (each profile's Preferences and
// Secure Preferences, each extension's manifest). Reports the listing's time as a multiple of the
// loop's, measured in the same run; the goal is at most 1.5.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "bench/CpuTime.h"
#include "browsers/Extensions.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimFiles.h"
#include "platform/sim/SimRegistry.h"
#include "services/Registry.h"
#include "tests/support/BrowserProfiles.h"
#include "tests/support/Installed.h"

namespace {

using nqtest::profiles::json;

constexpr int kProfiles = 5;
constexpr int kExtensions = 200;
constexpr const char* kLocal = "C:\\Users\\me\\AppData\\Local";
constexpr const char* kUserData = "C:\\Users\\me\\AppData\\Local\\Google\\Chrome\\User Data";

using nqbench::CpuNanoseconds;

// The i-th of the extension ids: letters 'a' to 'p' as hexadecimal digits.
std::string IdOf(int i) {
  std::string id(32, 'a');
  for (int at = 31; i > 0; --at, i /= 16) id[static_cast<std::size_t>(at)] = static_cast<char>('a' + i % 16);
  return id;
}

// A manifest of the size store extensions have: scripts, icons, a few permissions.
json ManifestOf(int i) {
  return nqtest::profiles::Manifest(
      "Extension number " + std::to_string(i), "1." + std::to_string(i) + ".0",
      {{"description", "Does the " + std::to_string(i) + "th useful thing on every page you visit, quickly."},
       {"update_url", "https://clients2.google.com/service/update2/crx"},
       {"permissions", json::array({"storage", "tabs", "contextMenus", "scripting"})},
       {"host_permissions", json::array({"https://*.example.com/*", "https://example.org/*"})},
       {"background", {{"service_worker", "background.js"}}},
       {"action", {{"default_popup", "popup.html"}, {"default_title", "Open"}}},
       {"icons", {{"16", "icons/16.png"}, {"48", "icons/48.png"}, {"128", "icons/128.png"}}},
       {"content_scripts", json::array({{{"matches", json::array({"https://*.example.com/*"})},
                                          {"js", json::array({"content.js", "helpers.js"})},
                                          {"run_at", "document_idle"}}})},
       {"key", std::string(400, 'K')}});
}

class TMachine {
 public:
  TMachine() {
    namespace fs = std::filesystem;
    const fs::path userData = root_ / "Users" / "me" / "AppData" / "Local" / "Google" / "Chrome" / "User Data";
    std::vector<std::pair<std::string, std::string>> named;
    for (int p = 0; p < kProfiles; ++p) {
      const std::string folder = p == 0 ? "Default" : "Profile " + std::to_string(p);
      named.push_back({folder, "Person " + std::to_string(p + 1)});
      json settings = json::object();
      for (int i = 0; i < kExtensions; ++i) {
        const json manifest = ManifestOf(i);
        const std::string version = manifest["version"];
        const std::string relative = nqtest::profiles::InstalledPath(IdOf(i), version);
        settings[IdOf(i)] = nqtest::profiles::Setting(1, relative, {{"manifest", manifest}});
        const fs::path dir = userData / folder / "Extensions" / IdOf(i) / (version + "_0");
        fs::create_directories(dir);
        Write(dir / "manifest.json", manifest.dump(3));
        manifests_.push_back(std::string(kUserData) + "\\" + folder + "\\Extensions\\" + relative + "\\manifest.json");
      }
      json protection = {{"macs", {{"extensions", {{"settings", json::object()}}}}}};
      for (int i = 0; i < kExtensions; ++i) protection["macs"]["extensions"]["settings"][IdOf(i)] = std::string(64, 'F');
      Write(userData / folder / "Secure Preferences", nqtest::profiles::Prefs(settings, {{"protection", protection}}));
      // The rest of a profile's preferences: a few hundred settings of every kind.
      json prefs = {{"extensions", {{"ui", {{"developer_mode", false}}}, {"last_chrome_version", "120.0.6099.130"}}}};
      for (int i = 0; i < 300; ++i) prefs["profile"]["content_settings"]["https://site" + std::to_string(i) + ".example:443,*"] = {{"last_modified", "13350000000000000"}, {"setting", 1}};
      Write(userData / folder / "Preferences", prefs.dump());
      preferences_.push_back(std::string(kUserData) + "\\" + folder + "\\Preferences");
      preferences_.push_back(std::string(kUserData) + "\\" + folder + "\\Secure Preferences");
    }
    Write(userData / "Local State", nqtest::profiles::LocalState(named));
    nqtest::Installed installed(static_cast<platform::IRegistry&>(registry));
    nq::TRegistry user;
    if (user.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", true)) {
      user.WriteString("Local AppData", kLocal);
      user.WriteString("AppData", "C:\\Users\\me\\AppData\\Roaming");
    }
  }
  ~TMachine() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  TMachine(const TMachine&) = delete;
  TMachine& operator=(const TMachine&) = delete;

  // First: the tree is made on it.
  const std::filesystem::path root_ = std::filesystem::temp_directory_path() / ("nq-bench-extensions-" + std::to_string(::getpid()));
  platform::SimRegistry registry;
  platform::SimFileSystem tree{root_};
  platform::SimFiles files{tree};
  platform::SimManagement management;  // not elevated
  std::vector<std::string> preferences_, manifests_;

 private:
  static void Write(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
  }
};

TMachine& Machine() {
  static TMachine machine;
  return machine;
}

double g_loopPerIteration = 0;

std::size_t ReadAndParse(platform::SimFiles& files, const std::string& path) {
  std::string text;
  files.ReadWholeFile(path, 64u << 20, &text);
  const json parsed = json::parse(text, nullptr, false);
  benchmark::DoNotOptimize(&parsed);
  return parsed.size();
}

void BM_ReadAndParseBaseline(benchmark::State& state) {
  TMachine& machine = Machine();
  std::size_t members = 0;
  const double start = CpuNanoseconds();
  for (auto _ : state) {
    members = 0;
    for (const std::string& path : machine.preferences_) members += ReadAndParse(machine.files, path);
    for (const std::string& path : machine.manifests_) members += ReadAndParse(machine.files, path);
    benchmark::DoNotOptimize(members);
  }
  g_loopPerIteration = (CpuNanoseconds() - start) / static_cast<double>(state.iterations());
  state.counters["files"] = static_cast<double>(machine.preferences_.size() + machine.manifests_.size());
}

void BM_ListExtensions(benchmark::State& state) {
  TMachine& machine = Machine();
  nqtest::Installed installedRegistry(static_cast<platform::IRegistry&>(machine.registry));
  nqtest::Installed installedTree(static_cast<platform::IFileSystem&>(machine.tree));
  nqtest::Installed installedFiles(static_cast<platform::IFiles&>(machine.files));
  nqtest::Installed installedManagement(static_cast<platform::IManagement&>(machine.management));
  nq::TExtensionInventory inventory;
  const double start = CpuNanoseconds();
  for (auto _ : state) {
    inventory = nq::ListExtensions();
    benchmark::DoNotOptimize(inventory.extensions.data());
  }
  const double perIteration = (CpuNanoseconds() - start) / static_cast<double>(state.iterations());
  state.counters["extensions"] = static_cast<double>(inventory.extensions.size());
  if (inventory.extensions.size() != static_cast<std::size_t>(kProfiles * kExtensions) ||
      inventory.extensions.back().name.empty()) {
    state.SkipWithError("not every extension was listed whole");
  }
  if (g_loopPerIteration > 0) state.counters["vs_read_parse"] = perIteration / g_loopPerIteration;
}

// The baseline first, so that the listing can report its ratio.
BENCHMARK(BM_ReadAndParseBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListExtensions)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
