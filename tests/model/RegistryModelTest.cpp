// Random sequences of registry operations against a back end and against a plain reference model:
// every call must give the same result and the trees must end the same. The seed is printed on
// failure, and NQ_MODEL_SEED replays one sequence.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/sim/SimRegistry.h"
#include "tests/support/ModelBackends.h"

namespace {

using namespace platform;

std::string Fold(std::string s) {
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return s;
}

// The registry as a dictionary of paths: nothing clever, so that it is easy to believe.
class ReferenceRegistry {
 public:
  struct Value {
    std::string name;
    std::uint32_t type;
    std::vector<std::uint8_t> data;
  };
  struct Key {
    std::string name;
    std::vector<Value> values;  // creation order
  };

  ReferenceRegistry() { keys_[""] = Key{}; }

  bool Exists(const std::string& path) const { return keys_.count(Fold(path)) != 0; }

  void Create(const std::vector<std::string>& names) {
    std::string path;
    for (const std::string& n : names) {
      path += (path.empty() ? "" : "\\") + n;
      if (!Exists(path)) keys_[Fold(path)] = Key{n, {}};
    }
  }

  Key* Find(const std::string& path) {
    auto it = keys_.find(Fold(path));
    return it == keys_.end() ? nullptr : &it->second;
  }

  std::vector<std::string> Subkeys(const std::string& path) const {
    const std::string prefix = path.empty() ? "" : Fold(path) + "\\";
    std::vector<std::pair<std::string, std::string>> found;
    for (const auto& [folded, key] : keys_) {
      if (folded.size() > prefix.size() && folded.compare(0, prefix.size(), prefix) == 0 &&
          folded.find('\\', prefix.size()) == std::string::npos) {
        found.emplace_back(folded.substr(prefix.size()), key.name);
      }
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> names;
    for (auto& f : found) names.push_back(f.second);
    return names;
  }

  void Erase(const std::string& path) { keys_.erase(Fold(path)); }

 private:
  std::map<std::string, Key> keys_;
};

// A small alphabet of names, so that operations meet the same keys and values often, in
// different letter cases.
const char* kNames[] = {"Run", "rUN", "Main", "MAIN", "x", "X", "Explorer", "a b", "Zone", "zone"};

std::string Pick(std::mt19937& rng) { return kNames[rng() % (sizeof kNames / sizeof *kNames)]; }

std::vector<std::string> RandomPath(std::mt19937& rng) {
  std::vector<std::string> names(1 + rng() % 3);
  for (auto& n : names) n = Pick(rng);
  return names;
}

std::string Join(const std::vector<std::string>& names) {
  std::string path;
  for (const auto& n : names) path += (path.empty() ? "" : "\\") + n;
  return path;
}

class RegistryModel : public ::testing::TestWithParam<nqtest::Backend> {};

TEST_P(RegistryModel, RandomSequencesAgreeWithTheReference) {
  auto backend = GetParam().make();
  if (!backend) GTEST_SKIP() << GetParam().skipReason;
  IRegistry& reg = *backend->registry;
  const RegKey root = backend->root;

  const char* seedText = std::getenv("NQ_MODEL_SEED");
  const unsigned firstSeed = seedText ? static_cast<unsigned>(std::strtoul(seedText, nullptr, 10)) : 1;
  const int sequences = seedText ? 1 : GetParam().sequences;
  for (unsigned seed = firstSeed; seed < firstSeed + static_cast<unsigned>(sequences); ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed) + " (NQ_MODEL_SEED replays it)");
    backend->reset();
    ReferenceRegistry model;
    std::mt19937 rng(seed);
    for (int step = 0; step < 300; ++step) {
      const auto names = RandomPath(rng);
      const std::string path = Join(names);
      SCOPED_TRACE("step " + std::to_string(step) + " on " + path);
      const int op = static_cast<int>(rng() % 6);
      RegKey key = 0;
      switch (op) {
        case 0: {  // create
          ASSERT_EQ(reg.CreateKeyEx(root, path.c_str(), kKeyAllAccess, &key), kErrorSuccess);
          reg.CloseKey(key);
          model.Create(names);
          break;
        }
        case 1: {  // set a value
          const long error = reg.OpenKeyEx(root, path.c_str(), kKeyAllAccess, &key);
          ASSERT_EQ(error == kErrorSuccess, model.Exists(path));
          if (error != kErrorSuccess) break;
          const std::string name = rng() % 4 == 0 ? std::string() : Pick(rng);
          // Text as the program writes it (ending in its NUL: the real A calls add one otherwise),
          // numbers, and bytes of any value.
          const std::uint32_t kinds[] = {kRegSz, kRegDword, kRegBinary};
          const std::uint32_t type = kinds[rng() % 3];
          std::vector<std::uint8_t> data(type == kRegDword ? 4 : rng() % 6);
          for (auto& b : data) b = static_cast<std::uint8_t>(type == kRegSz ? 'a' + rng() % 26 : rng());
          if (type == kRegSz) data.push_back(0);
          EXPECT_EQ(reg.SetValueEx(key, name.c_str(), type, data.data(), static_cast<std::uint32_t>(data.size())),
                    kErrorSuccess);
          reg.CloseKey(key);
          auto& values = model.Find(path)->values;
          auto it = std::find_if(values.begin(), values.end(),
                                 [&](const auto& v) { return Fold(v.name) == Fold(name); });
          if (it == values.end()) values.push_back({name, type, data});
          else { it->type = type; it->data = data; }
          break;
        }
        case 2: {  // delete a value
          if (reg.OpenKeyEx(root, path.c_str(), kKeyAllAccess, &key) != kErrorSuccess) break;
          const std::string name = Pick(rng);
          auto& values = model.Find(path)->values;
          auto it = std::find_if(values.begin(), values.end(),
                                 [&](const auto& v) { return Fold(v.name) == Fold(name); });
          EXPECT_EQ(reg.DeleteValue(key, name.c_str()), it == values.end() ? kErrorFileNotFound : kErrorSuccess);
          if (it != values.end()) values.erase(it);
          reg.CloseKey(key);
          break;
        }
        case 3: {  // delete a key: refused while it has subkeys
          const long error = reg.DeleteKeyEx(root, path.c_str(), 0);
          if (!model.Exists(path)) {
            EXPECT_EQ(error, kErrorFileNotFound);
          } else if (!model.Subkeys(path).empty()) {
            EXPECT_NE(error, kErrorSuccess);
          } else {
            EXPECT_EQ(error, kErrorSuccess);
            model.Erase(path);
          }
          break;
        }
        case 4: {  // read a value
          if (reg.OpenKeyEx(root, path.c_str(), kKeyAllAccess, &key) != kErrorSuccess) {
            EXPECT_FALSE(model.Exists(path));
            break;
          }
          const std::string name = Pick(rng);
          auto& values = model.Find(path)->values;
          auto it = std::find_if(values.begin(), values.end(),
                                 [&](const auto& v) { return Fold(v.name) == Fold(name); });
          std::uint8_t buffer[16];
          std::uint32_t size = sizeof buffer, type = 0;
          const long error = reg.QueryValueEx(key, name.c_str(), &type, buffer, &size);
          if (it == values.end()) {
            EXPECT_EQ(error, kErrorFileNotFound);
          } else {
            EXPECT_EQ(error, kErrorSuccess);
            EXPECT_EQ(type, it->type);
            EXPECT_EQ(std::vector<std::uint8_t>(buffer, buffer + size), it->data);
          }
          reg.CloseKey(key);
          break;
        }
        default: {  // list subkeys and values
          if (reg.OpenKeyEx(root, path.c_str(), kKeyAllAccess, &key) != kErrorSuccess) {
            EXPECT_FALSE(model.Exists(path));
            break;
          }
          std::vector<std::string> subkeys, values;
          char name[64];
          for (std::uint32_t i = 0;; ++i) {
            std::uint32_t length = sizeof name;
            if (reg.EnumKeyEx(key, i, name, &length) != kErrorSuccess) break;
            subkeys.emplace_back(name, length);
          }
          for (std::uint32_t i = 0;; ++i) {
            std::uint32_t length = sizeof name;
            if (reg.EnumValue(key, i, name, &length) != kErrorSuccess) break;
            values.emplace_back(name, length);
          }
          reg.CloseKey(key);
          EXPECT_EQ(subkeys, model.Subkeys(path));
          std::vector<std::string> expected;
          for (const auto& v : model.Find(path)->values) expected.push_back(v.name);
          if (!GetParam().valuesInCreationOrder) {
            // Wine enumerates values in name order where Windows keeps creation order.
            auto byFolded = [](const std::string& a, const std::string& b) { return Fold(a) < Fold(b); };
            std::sort(expected.begin(), expected.end(), byFolded);
          }
          EXPECT_EQ(values, expected);
          break;
        }
      }
      if (HasFatalFailure()) return;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Backends, RegistryModel, ::testing::ValuesIn(nqtest::ModelBackends()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
