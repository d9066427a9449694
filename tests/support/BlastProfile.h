// A large, seeded, randomised profile: every key and value the program may touch, look-alikes of
// each beside them (one letter more or less, a suffix, a doubled blank, a letter from another
// script that looks the same), case variants of the targets' own spelling, non-text values of every
// kind, names in Cyrillic, Chinese and accented Latin (UTF-8), and thousands of unrelated keys under
// both roots and in the machine's 32-bit view. The seed makes a failing profile replayable.
#pragma once

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "platform/registry.h"

namespace nqtest {

class ProfileGenerator {
 public:
  explicit ProfileGenerator(platform::IRegistry& reg, unsigned seed) : reg_(reg), rng_(seed) {}

  // Writes `text` as REG_SZ (with its NUL) under root\path, creating the key.
  void Text(platform::RegKey root, const std::string& path, const std::string& name, const std::string& text) {
    Set(root, path, name, platform::kRegSz,
        std::vector<std::uint8_t>(text.c_str(), text.c_str() + text.size() + 1));
  }

  void Set(platform::RegKey root, const std::string& path, const std::string& name, std::uint32_t type,
           const std::vector<std::uint8_t>& data) {
    platform::RegKey key = 0;
    if (reg_.CreateKeyEx(root, path.c_str(), platform::kKeyAllAccess, &key) != platform::kErrorSuccess) return;
    reg_.SetValueEx(key, name.c_str(), type, data.data(), static_cast<std::uint32_t>(data.size()));
    reg_.CloseKey(key);
  }

  void Key(platform::RegKey root, const std::string& path) {
    platform::RegKey key = 0;
    if (reg_.CreateKeyEx(root, path.c_str(), platform::kKeyAllAccess, &key) == platform::kErrorSuccess) {
      reg_.CloseKey(key);
    }
  }

  // A value of a random kind: text mostly, and now and then a number, bytes, a list or nothing.
  void RandomValue(platform::RegKey root, const std::string& path, const std::string& name) {
    switch (rng_() % 6) {
      case 0: Set(root, path, name, platform::kRegDword, {1, 0, 0, 0}); break;
      case 1: Set(root, path, name, platform::kRegBinary, Bytes(rng_() % 9)); break;
      case 2: Set(root, path, name, platform::kRegMultiSz, {'a', 0, 'b', 0, 0}); break;
      case 3: Set(root, path, name, platform::kRegExpandSz, Z("%SystemRoot%\\x.exe")); break;
      default: Text(root, path, name, Word() + ".exe " + Word()); break;
    }
  }

  // Names that look like `name` but are not it (the registry ignores case, so no case variants).
  // Each one is whole UTF-8: a name is never cut inside a character.
  static std::vector<std::string> LookAlikes(const std::string& name) {
    std::vector<std::string> out;
    if (name.empty()) return out;
    out.push_back(name + "2");
    out.push_back(name + " ");
    out.push_back("x" + name);
    std::size_t last = name.size() - 1;
    while (last > 0 && (static_cast<unsigned char>(name[last]) & 0xC0) == 0x80) --last;
    if (last > 0) out.push_back(name.substr(0, last));
    const auto blank = name.find(' ');
    if (blank != std::string::npos) out.push_back(name.substr(0, blank) + "  " + name.substr(blank + 1));
    // Letters that look alike but are other characters: Cyrillic for Latin and back, an accent
    // written as a separate combining mark, which the registry does not treat as the same name.
    static const std::pair<const char*, const char*> homoglyphs[] = {
        {"а", "a"}, {"е", "e"}, {"с", "c"}, {"о", "o"}, {"a", "а"}, {"e", "е"}, {"é", "e\u0301"}, {"启", "后"}};
    for (const auto& [from, to] : homoglyphs) {
      const auto at = name.find(from);
      if (at == std::string::npos) continue;
      out.push_back(name.substr(0, at) + to + name.substr(at + std::string(from).size()));
      break;
    }
    return out;
  }

  // `path` with its letters in random case: the same key to the registry.
  std::string CaseVariant(const std::string& path) {
    std::string s = path;
    for (char& c : s) {
      if (rng_() % 2 == 0) continue;
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
      else if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
  }

  // Thousands of unrelated keys and values under both roots, a third of the machine's in its
  // 32-bit view.
  void Noise(int keys) {
    for (int i = 0; i < keys; ++i) {
      const unsigned where = rng_() % 6;
      const platform::RegKey root = where < 3 ? platform::kHkeyCurrentUser : platform::kHkeyLocalMachine;
      std::string path = std::string(where == 5 ? "Software\\Wow6432Node\\" : "Software\\") + Word() + "\\" + Word();
      if (rng_() % 3 == 0) path += "\\" + Word();
      const int values = static_cast<int>(rng_() % 4);
      if (values == 0) Key(root, path);
      for (int v = 0; v < values; ++v) RandomValue(root, path, Word());
    }
  }

  std::string Word() {
    static const char* syllables[] = {"ka", "lo", "mi", "Run", "nor", "Main", "qu", "zo",
                                      "Ex", "t", "Pol", "se", "Запуск", "启动项", "Café", "ё"};
    std::string w;
    const int n = 1 + static_cast<int>(rng_() % 3);
    for (int i = 0; i < n; ++i) w += syllables[rng_() % (sizeof syllables / sizeof *syllables)];
    return w;
  }

  std::mt19937& Rng() { return rng_; }

  static std::vector<std::uint8_t> Z(const std::string& s) {
    return std::vector<std::uint8_t>(s.c_str(), s.c_str() + s.size() + 1);
  }

 private:
  std::vector<std::uint8_t> Bytes(std::size_t n) {
    std::vector<std::uint8_t> b(n);
    for (auto& x : b) x = static_cast<std::uint8_t>(rng_());
    return b;
  }

  platform::IRegistry& reg_;
  std::mt19937 rng_;
};

}  // namespace nqtest
