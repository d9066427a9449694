// The addresses typed into the browser's address bar, one value each in the TypedURLs key.
#include "entries/EntryList.h"
#include "services/MainFunc.h"

namespace nq {
namespace {

constexpr const char* kTypedUrls = "\\Software\\Microsoft\\Internet Explorer\\TypedURLs";

}  // namespace

// The list shows each value's address, not its name ("url1", "url2", ...).
void TMainForm::GetUrlActExecute() {
  LoadEntryList(*this, lkTypedAddress, [](TStrings& entries) {
    TStrings addresses;
    if (ListValueData(kHkeyCurrentUser, kTypedUrls, addresses)) entries = std::move(addresses);
  });
}

void TMainForm::DelUrlActExecute() {
  DeleteSelectedEntry(*this, [](const std::string& address) {
    return DeleteValueByData(kHkeyCurrentUser, kTypedUrls, address);
  });
}

void TMainForm::CleanUrlActExecute() {
  // No key, nothing to report: the browser has never remembered an address here.
  if (!ClearTypedUrls()) return;
  Run("GetUrlAct");
  Report("The IE typed URLS history has been cleaned sucessfully.");
}

}  // namespace nq
