// The startup list: the value names of the six keys from which Windows starts programs by itself.
#include "entries/EntryList.h"
#include "services/MainFunc.h"

namespace nq {
namespace {

struct TStartupKey {
  RegKey root;
  const char* path;
};

constexpr const char* kRun = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kRunOnce = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Runonce";
constexpr const char* kRunServices = "\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServices";

// The order the list shows them in: the current user's keys first, then the machine's.
constexpr TStartupKey kListingOrder[] = {
    {kHkeyCurrentUser, kRun},           {kHkeyCurrentUser, kRunOnce},  {kHkeyCurrentUser, kRunServices},
    {kHkeyLocalMachine, kRunServices},  {kHkeyLocalMachine, kRun},     {kHkeyLocalMachine, kRunOnce},
};

// The order a name is looked up in, for its details and for deleting it. It differs from the
// listing order, so when a name is in several keys the details always belong to the value that
// Delete would remove.
constexpr TStartupKey kLookupOrder[] = {
    {kHkeyCurrentUser, kRun},          {kHkeyLocalMachine, kRun},        {kHkeyLocalMachine, kRunOnce},
    {kHkeyLocalMachine, kRunServices}, {kHkeyCurrentUser, kRunServices}, {kHkeyCurrentUser, kRunOnce},
};

}  // namespace

std::string StartupCommandLine(const std::string& name) {
  std::string data;
  for (const TStartupKey& key : kLookupOrder) {
    data = ReadStringValue(key.root, key.path, name);
    if (!data.empty()) break;
  }
  return data;
}

void TMainForm::AutoRunActExecute() {
  LoadEntryList(*this, lkStartup, [](TStrings& entries) {
    TStrings names;
    for (const TStartupKey& key : kListingOrder) {
      if (ListValueNames(key.root, key.path, names)) entries.insert(entries.end(), names.begin(), names.end());
    }
  });
}

void TMainForm::AutoRunDeleteExecute() {
  DeleteSelectedEntry(*this, [](const std::string& name) {
    for (const TStartupKey& key : kLookupOrder) {
      if (DeleteNamedValue(key.root, key.path, name)) return true;
    }
    return false;
  });
}

}  // namespace nq
