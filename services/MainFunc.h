// The registry routines every feature goes through. Each one makes its own TRegistry, opens one
// key with all access rights, works and lets the object go again, so nothing stays open or cached
// between two calls. Those that may work on HKEY_LOCAL_MACHINE take the view to work in. A key that
// cannot be opened is never an error: the routine gives false or an
// empty text and leaves the caller's list as it was.
#pragma once

#include <functional>
#include <string>

#include "services/Registry.h"

namespace nq {

using platform::kHkeyClassesRoot;
using platform::kHkeyCurrentUser;
using platform::kHkeyLocalMachine;

bool ListSubkeys(RegKey root, const std::string& key, TStrings& list, TRegView view = TRegView::Default);
bool ListValueNames(RegKey root, const std::string& key, TStrings& list, TRegView view = TRegView::Default);
// One entry per value: its text, or its name when the data is not text.
bool ListValueData(RegKey root, const std::string& key, TStrings& list, TRegView view = TRegView::Default);
std::string ReadStringValue(RegKey root, const std::string& key, const std::string& name, bool canCreate = false,
                            TRegView view = TRegView::Default);
bool DeleteNamedValue(RegKey root, const std::string& key, const std::string& name,
                      TRegView view = TRegView::Default);
// Deletes every value whose shown text (as ListValueData gives it) equals `text` exactly.
bool DeleteValueByData(RegKey root, const std::string& key, const std::string& text,
                       TRegView view = TRegView::Default);
bool ClearTypedUrls();
bool DeleteRegistryKey(RegKey root, const std::string& key, TRegView view = TRegView::Default);
// Deletes every subkey of `key` whose "ButtonText" equals `text` exactly.
bool DeleteExtensionByButtonText(RegKey root, const std::string& key, const std::string& text,
                                 TRegView view = TRegView::Default);
bool WriteStringValue(RegKey root, const std::string& key, const std::string& name, const std::string& value,
                      TRegView view = TRegView::Default);
bool ClearKeyValues(const std::string& key);
bool DeleteUserKey(const std::string& key);
// A folder of the current user's "Shell Folders" key; raises ERegistryException when the value
// is not text.
std::string GetShellFolder(const std::string& name);

// For a routine whose TRegistry `denied` could not open `key` because the caller may only read it (a
// machine key for a standard user): runs `would`, the routine's own steps, as a dry run on the key
// opened for reading, and records what they would have changed as refused. Only while someone
// records changes.
void RecordRefusal(const TRegistry& denied, RegKey root, const std::string& key, TRegView view,
                   const std::function<void(TRegistry& reader)>& would);

// Deletes the values of `key` whose data names a script, an HTML application or the registry
// editor (the hijack cleaner).
bool DeleteHijackValues(RegKey root, const std::string& key, TRegView view = TRegView::Default);

}  // namespace nq
