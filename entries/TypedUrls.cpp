// The addresses typed into the browser's address bar, one value each in the TypedURLs key.
#include "entries/EntryKinds.h"
#include "entries/Entries.h"
#include "services/MainFunc.h"

namespace nq {
namespace {

constexpr const char* kTypedUrls = "\\Software\\Microsoft\\Internet Explorer\\TypedURLs";

}  // namespace

// The list shows each value's address, not its name ("url1", "url2", ...).
TStrings TypedAddressEntries() {
  TStrings addresses;
  if (!ListValueData(kHkeyCurrentUser, kTypedUrls, addresses)) addresses.clear();
  return addresses;
}

bool DeleteTypedAddress(const std::string& address) { return DeleteValueByData(kHkeyCurrentUser, kTypedUrls, address); }

TOutcome ClearTypedAddresses(bool dryRun) {
  TChangeRecorder recorder(dryRun);
  const bool cleared = ClearTypedUrls();
  return {cleared, recorder.Take()};
}

}  // namespace nq
