#include "services/MainFunc.h"

#include "services/Changes.h"

namespace nq {
namespace {

// The shown text of each value named in `list`: its text, or its name when it is not text.
void ReplaceNamesByText(TRegistry& reg, TStrings& list) {
  for (std::string& entry : list) {
    if (!reg.ValueExists(entry)) continue;
    try {
      entry = reg.ReadString(entry);
    } catch (const ERegistryException&) {
      // Not text: the entry keeps the value's name.
    }
  }
}

bool DeleteAllValues(RegKey root, const std::string& key) {
  TRegistry reg;
  reg.SetRootKey(root);
  if (!reg.OpenKey(key, false)) return false;
  TStrings names;
  reg.GetValueNames(names);
  for (const std::string& name : names) {
    if (reg.ValueExists(name)) reg.DeleteValue(name);
  }
  return true;
}

}  // namespace

void RecordRefusal(const TRegistry& denied, RegKey root, const std::string& key, TRegView view,
                   const std::function<void(TRegistry& reader)>& would) {
  if (denied.LastOpenError() != platform::kErrorAccessDenied || ChangeRecorder() == nullptr) return;
  TChanges refused;
  {
    // The routine's own steps, on a dry run of their own through a key opened for reading.
    TChangeRecorder probe(true, TChangeRecorder::TIsolated{});
    TRegistry reader(view);
    reader.SetRootKey(root);
    reader.SetReadOnly(true);
    if (reader.OpenKey(key, false)) would(reader);
    refused = probe.Take();
  }
  for (TChange& change : refused) {
    change.refused = true;
    RecordChange(std::move(change));
  }
}

bool ListSubkeys(RegKey root, const std::string& key, TStrings& list, TRegView view) {
  TRegistry reg(view);
  reg.SetRootKey(root);
  if (!reg.OpenKey(key, false)) return false;
  reg.GetKeyNames(list);
  return true;
}

bool ListValueNames(RegKey root, const std::string& key, TStrings& list, TRegView view) {
  TRegistry reg(view);
  reg.SetRootKey(root);
  if (!reg.OpenKey(key, false)) return false;
  reg.GetValueNames(list);
  return true;
}

bool ListValueData(RegKey root, const std::string& key, TStrings& list, TRegView view) {
  TRegistry reg(view);
  reg.SetRootKey(root);
  if (!reg.OpenKey(key, false)) return false;
  reg.GetValueNames(list);
  ReplaceNamesByText(reg, list);
  return true;
}

std::string ReadStringValue(RegKey root, const std::string& key, const std::string& name, bool canCreate,
                            TRegView view) {
  std::string result;
  TRegistry reg(view);
  reg.SetRootKey(root);
  if (reg.OpenKey(key, canCreate) && reg.ValueExists(name)) {
    try {
      result = reg.ReadString(name);
    } catch (const ERegistryException&) {
      result.clear();
    }
  }
  return result;
}

bool DeleteNamedValue(RegKey root, const std::string& key, const std::string& name, TRegView view) {
  TRegistry reg(view);
  reg.SetRootKey(root);
  if (!reg.OpenKey(key, false)) {
    RecordRefusal(reg, root, key, view, [&](TRegistry& reader) {
      if (reader.ValueExists(name)) reader.DeleteValue(name);
    });
    return false;
  }
  return reg.ValueExists(name) && reg.DeleteValue(name);
}

bool DeleteValueByData(RegKey root, const std::string& key, const std::string& text, TRegView view) {
  TRegistry reg(view);
  reg.SetRootKey(root);
  if (!reg.OpenKey(key, false)) return false;
  TStrings names;
  reg.GetValueNames(names);
  TStrings shown = names;
  ReplaceNamesByText(reg, shown);
  bool result = false;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (shown[i] == text) result = reg.DeleteValue(names[i]);
  }
  return result;
}

bool ClearTypedUrls() {
  return DeleteAllValues(kHkeyCurrentUser, "\\Software\\Microsoft\\Internet Explorer\\TypedURLs");
}

bool DeleteRegistryKey(RegKey root, const std::string& key, TRegView view) {
  TRegistry reg(view);
  reg.SetRootKey(root);
  if (!reg.OpenKey(key, false)) {
    RecordRefusal(reg, root, key, view, [&](TRegistry& reader) { reader.DeleteKey(key); });
    return false;
  }
  return reg.DeleteKey(key);
}

bool DeleteExtensionByButtonText(RegKey root, const std::string& key, const std::string& text, TRegView view) {
  // A subkey without a "ButtonText" reads as empty text: an empty `text` would match, and delete,
  // every such subkey. Callers always pass a button's non-empty text.
  if (text.empty()) return false;
  // The names are taken once, before any subkey is deleted.
  const auto clean = [&](TRegistry& reg) {
    TStrings subkeys;
    reg.GetKeyNames(subkeys);
    bool result = false;
    for (const std::string& subkey : subkeys) {
      const std::string path = key + "\\" + subkey;
      // Read apart, read-only: a refused key's buttons are still matched to record what was refused.
      TRegistry button(view);
      button.SetRootKey(root);
      button.SetReadOnly(true);
      if (!button.OpenKey(path, false) || !button.ValueExists("ButtonText")) continue;
      try {
        if (button.ReadString("ButtonText") == text && reg.DeleteKey(path)) result = true;
      } catch (const ERegistryException&) {
        // No text: no button.
      }
    }
    return result;
  };
  TRegistry reg(view);
  reg.SetRootKey(root);
  if (!reg.OpenKey(key, false)) {
    RecordRefusal(reg, root, key, view, clean);
    return false;
  }
  return clean(reg);
}

bool WriteStringValue(RegKey root, const std::string& key, const std::string& name, const std::string& value,
                      TRegView view) {
  bool result = true;
  TRegistry reg(view);
  reg.SetRootKey(root);
  if (!reg.OpenKey(key, false)) {
    RecordRefusal(reg, root, key, view, [&](TRegistry& reader) { reader.WriteString(name, value); });
    return false;
  }
  try {
    reg.WriteString(name, value);
  } catch (const ERegistryException&) {
    result = false;
  }
  return result;
}

bool ClearKeyValues(const std::string& key) { return DeleteAllValues(kHkeyCurrentUser, key); }

bool DeleteUserKey(const std::string& key) {
  TRegistry reg;
  reg.SetRootKey(kHkeyCurrentUser);
  if (!reg.OpenKey(key, false)) return false;
  reg.DeleteKey(key);
  return true;
}

std::string GetShellFolder(const std::string& name) {
  std::string result;
  TRegistry reg;
  reg.SetRootKey(kHkeyCurrentUser);
  if (reg.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", false)) {
    result = reg.ReadString(name);
  }
  return result;
}

}  // namespace nq
