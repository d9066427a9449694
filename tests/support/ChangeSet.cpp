#include "tests/support/ChangeSet.h"

#include <sstream>

namespace nqtest {
namespace {

std::string Upper(std::string s) {
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return s;
}

std::string RootName(platform::RegKey root) {
  switch (root) {
    case platform::kHkeyClassesRoot: return "HKEY_CLASSES_ROOT";
    case platform::kHkeyCurrentUser: return "HKEY_CURRENT_USER";
    default: return "HKEY_LOCAL_MACHINE";
  }
}

// Keys compare without regard to case, as the registry's names do.
std::string KeyFact(const std::string& key) { return "K " + Upper(key); }
std::string ValueFact(const std::string& key, const std::string& name, const std::string& data) {
  return "V " + Upper(key) + "|" + Upper(name) + "|" + data;
}

}  // namespace

Facts FactsOfDump(const std::string& dump) {
  Facts facts;
  std::istringstream in(dump);
  std::string line, key;
  while (std::getline(in, line)) {
    if (line.empty() || line == "REGEDIT4") continue;
    if (line.front() == '[') {
      key = line.substr(1, line.size() - 2);
      facts.insert(KeyFact(key));
      continue;
    }
    std::string name;
    std::size_t at = 0;
    if (line.front() == '@') {
      at = 1;
    } else if (line.front() == '"') {
      for (at = 1; at < line.size() && line[at] != '"'; ++at) {
        if (line[at] == '\\' && at + 1 < line.size()) ++at;
        name.push_back(line[at]);
      }
      ++at;
    }
    if (at < line.size() && line[at] == '=') facts.insert(ValueFact(key, name, line.substr(at + 1)));
  }
  return facts;
}

std::string PhysicalKey(const nq::TChange& change) {
  std::string path = change.path;
  if (change.root == platform::kHkeyLocalMachine && change.view == nq::TRegView::Key32) {
    const std::string upper = Upper(path);
    const bool software = upper == "SOFTWARE" || upper.rfind("SOFTWARE\\", 0) == 0;
    if (software && upper.rfind("SOFTWARE\\POLICIES", 0) != 0 && upper.rfind("SOFTWARE\\WOW6432NODE", 0) != 0) {
      path = path.substr(0, 8) + "\\Wow6432Node" + path.substr(8);
    }
  }
  return RootName(change.root) + (path.empty() ? "" : "\\" + path);
}

Facts ApplyChanges(Facts facts, const nq::TChanges& changes, std::string* mismatch) {
  using Kind = nq::TChange::TKind;
  for (const nq::TChange& c : changes) {
    if (c.refused || (c.kind != Kind::Key && c.kind != Kind::Value)) continue;
    const std::string key = PhysicalKey(c);
    const auto fact = [&](const std::string& data) {
      return c.kind == Kind::Key ? KeyFact(key) : ValueFact(key, c.name, data);
    };
    if (c.before != nq::kNone) {
      if (facts.erase(fact(c.before)) == 0 && mismatch) *mismatch += "not there before: " + fact(c.before) + "\n";
    }
    if (c.after != nq::kNone) facts.insert(fact(c.after));
  }
  return facts;
}

}  // namespace nqtest
