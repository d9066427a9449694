// The startup list: the value names of the keys from which Windows starts programs by itself.
#include "entries/EntryList.h"
#include "services/MainFunc.h"
#include "services/StartupKeys.h"

namespace nq {

std::string StartupCommandLine(const std::string& name) {
  std::string data;
  for (const TRegKeyRef& key : kStartupLookupOrder) {
    data = ReadStringValue(key.root, key.path, name, false, key.view);
    if (!data.empty()) break;
  }
  return data;
}

void TMainForm::AutoRunActExecute() {
  LoadEntryList(*this, lkStartup, [](TStrings& entries) {
    TStrings names;
    for (const TRegKeyRef& key : kStartupListingOrder) {
      if (ListValueNames(key.root, key.path, names, key.view)) entries.insert(entries.end(), names.begin(), names.end());
    }
  });
}

void TMainForm::AutoRunDeleteExecute() {
  DeleteSelectedEntry(*this, [](const std::string& name) {
    for (const TRegKeyRef& key : kStartupLookupOrder) {
      if (DeleteNamedValue(key.root, key.path, name, key.view)) return true;
    }
    return false;
  });
}

}  // namespace nq
