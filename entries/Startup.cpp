// The startup list: the value names of the keys from which Windows starts programs by itself.
#include "entries/EntryKinds.h"
#include "services/MainFunc.h"
#include "services/StartupKeys.h"

namespace nq {

TStrings StartupEntries() {
  TStrings entries, names;
  for (const TRegKeyRef& key : kStartupListingOrder) {
    if (ListValueNames(key.root, key.path, names, key.view)) entries.insert(entries.end(), names.begin(), names.end());
  }
  return entries;
}

std::string StartupCommandLine(const std::string& name) {
  std::string data;
  for (const TRegKeyRef& key : kStartupLookupOrder) {
    data = ReadStringValue(key.root, key.path, name, false, key.view);
    if (!data.empty()) break;
  }
  return data;
}

bool DeleteStartupEntry(const std::string& name) {
  for (const TRegKeyRef& key : kStartupLookupOrder) {
    if (DeleteNamedValue(key.root, key.path, name, key.view)) return true;
  }
  return false;
}

}  // namespace nq
