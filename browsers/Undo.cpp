#include "browsers/Undo.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <tuple>

#include "browsers/BrowserKeys.h"
#include "browsers/Browsers.h"
#include "browsers/PolicyText.h"
#include "platform/RegFile.h"
#include "platform/files.h"
#include "platform/links.h"
#include "platform/sim/SimRegistry.h"
#include "services/FileSearch.h"
#include "services/Links.h"
#include "services/MainFunc.h"
#include "services/Sha256.h"
#include "services/TextFiles.h"

namespace nq {
namespace {

using json = nlohmann::ordered_json;

constexpr const char* kIndex = "index.json";
constexpr const char* kRegistryFile = "registry.reg";
constexpr int kFormat = 1;
constexpr int kKeepDays = 30;
constexpr std::size_t kKeepRecords = 20;
// A shortcut is a few kilobytes; a task's definition a few more.
constexpr std::size_t kMaxShortcutBytes = 1u << 20;
constexpr std::size_t kMaxRecordFileBytes = 64u << 20;
// An extension's folder is a few levels deep; one deeper than this is not copied whole.
constexpr int kMaxFolderDepth = 16;

const char* RootText(RegKey root) {
  switch (root) {
    case platform::kHkeyClassesRoot: return "HKEY_CLASSES_ROOT";
    case platform::kHkeyCurrentUser: return "HKEY_CURRENT_USER";
    case platform::kHkeyLocalMachine: return "HKEY_LOCAL_MACHINE";
    default: return "";
  }
}

RegKey RootNamed(const std::string& name) {
  for (const RegKey root : {platform::kHkeyClassesRoot, platform::kHkeyCurrentUser, platform::kHkeyLocalMachine}) {
    if (name == RootText(root)) return root;
  }
  return 0;
}

const char* ViewText(TRegView view) {
  switch (view) {
    case TRegView::Key64: return "64-bit";
    case TRegView::Key32: return "32-bit";
    default: return "default";
  }
}

TRegView ViewNamed(const std::string& name) {
  if (name == "64-bit") return TRegView::Key64;
  if (name == "32-bit") return TRegView::Key32;
  return TRegView::Default;
}

// Where a key of a view lies as regedit names it: the 32-bit view's own copy of the machine's
// software key under Wow6432Node; the keys Windows shares between the views under their one name.
std::string RegFilePath(RegKey root, TRegView view, const std::string& path) {
  constexpr std::string_view kSoftware = "Software\\";
  if (root != platform::kHkeyLocalMachine || view != TRegView::Key32 || !StartsNoCase(path, kSoftware) ||
      SharedBetweenViews(root, path) || StartsNoCase(path, "Software\\Wow6432Node")) {
    return path;
  }
  return "Software\\Wow6432Node\\" + path.substr(kSoftware.size());
}

std::string Joined(const std::string& folder, const std::string& name) { return folder + "\\" + name; }

std::string TimeText(std::time_t when, const char* pattern) {
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &when);
#else
  localtime_r(&when, &local);
#endif
  char text[32];
  std::strftime(text, sizeof text, pattern, &local);
  return text;
}

// The time a record's id names, or -1.
std::time_t IdTime(const std::string& id) {
  std::tm local{};
  if (std::sscanf(id.c_str(), "%4d-%2d-%2d %2d-%2d-%2d", &local.tm_year, &local.tm_mon, &local.tm_mday, &local.tm_hour,
                  &local.tm_min, &local.tm_sec) != 6) {
    return -1;
  }
  local.tm_year -= 1900;
  local.tm_mon -= 1;
  local.tm_isdst = -1;
  return std::mktime(&local);
}

bool ReadFile(const std::string& path, std::size_t most, std::string* bytes) {
  return !platform::HasWildcard(path) && platform::Files().ReadWholeFile(path, most, bytes);
}

// Writes beside and moves over: a reader finds the old file or the new one, never a part.
bool WriteWhole(const std::string& path, const std::string& bytes) {
  platform::IFiles& files = platform::Files();
  const std::string beside = path + ".new";
  files.DeleteFile(beside);
  if (!files.WriteNewFile(beside, bytes)) return false;
  if (files.MoveFileEx(beside, path, platform::kMoveFileReplaceExisting | platform::kMoveFileWriteThrough)) return true;
  files.DeleteFile(beside);
  return false;
}

// Removes a record's folder and the files in it (a record holds no folders).
void RemoveRecord(const std::string& folder) {
  std::vector<std::string> names;
  platform::FindData entry;
  {
    TFileSearch search(platform::FileSystem(), folder + "\\*", &entry);
    if (search.Found()) {
      do {
        if ((entry.attributes & platform::kFileAttributeDirectory) == 0) names.push_back(NameToActOn(entry));
      } while (search.Next(&entry));
    }
  }
  for (const std::string& name : names) {
    if (!name.empty()) platform::Files().DeleteFile(Joined(folder, name));
  }
  platform::Files().RemoveDirectory(folder);
}

bool ReadIndex(const std::string& folder, json* index) {
  std::string text;
  if (!ReadFile(Joined(folder, kIndex), kMaxRecordFileBytes, &text)) return false;
  *index = json::parse(text, nullptr, false);
  return index->is_object() && index->value("format", 0) == kFormat && (*index)["entries"].is_array();
}

std::string Text(const json& entry, const char* name) {
  const auto it = entry.find(name);
  return it != entry.end() && it->is_string() ? it->get<std::string>() : std::string();
}

// ---- Writing the record -----------------------------------------------------------------------

using TKeyId = std::tuple<RegKey, std::string>;  // root and the key's path as regedit names it

class TRecordWriter {
 public:
  explicit TRecordWriter(std::string folder) : folder_(std::move(folder)) {}

  // Adds what `change`, one the repair will make, needs to be put back; false with `why` set when
  // that cannot be saved.
  bool Add(const TChange& change) {
    switch (change.kind) {
      case TChange::TKind::Key:
        if (change.after != kNone) return true;
        AddKey(change, "key");
        return true;
      case TChange::TKind::Value:
        // A value deleted or changed (a proxy switched off): its data now, and what the repair
        // leaves in it, by which the undo knows it was not set again since.
        AddKey(change, "value");
        if (change.after != kNone) entries_.back()["after"] = change.after;
        return true;
      case TChange::TKind::File:
        // A folder sent to the Recycle Bin (an extension's) is kept whole, and so is a file that a
        // finding's removal sends there (one naming what it installs); a policy or an extension
        // that goes names the file the repair rewrites; the rest (a backup recycled) is the
        // repair's own.
        if (change.after == "Recycle Bin" && FolderExists(change.path)) return AddFolder(change.path, 0);
        if (change.after == "Recycle Bin") return change.name.empty() || AddRecycledFile(change.path);
        return change.name.empty() || AddFile(change.path);
      case TChange::TKind::Shortcut: return AddShortcut(change);
      case TChange::TKind::Task: return change.after != kNone || AddTask(change.path);
      default: return true;
    }
  }

  // Writes the registry file and the index; false with `why` set when either cannot be written.
  bool Finish() {
    // Each subtree once: a key within another saved key is in that one's text.
    std::string text = "Windows Registry Editor Version 5.00\n\n";
    for (const TKeyId& key : keys_) {
      const bool within = std::any_of(keys_.begin(), keys_.end(), [&key](const TKeyId& other) {
        return std::get<0>(other) == std::get<0>(key) && !EqualNoCase(std::get<1>(other), std::get<1>(key)) &&
               KeyWithin(std::get<1>(key), std::get<1>(other));
      });
      if (within) continue;
      const std::string dump = ExportRegistryKey(std::get<0>(key), std::get<1>(key));
      text += dump.substr(dump.find("\n\n") + 2);
    }
    const std::string bytes = platform::RegFileUtf16(text);
    if (bytes.empty() || !Write(kRegistryFile, bytes)) return Fail("the registry file could not be written");
    index_["format"] = kFormat;
    index_["state"] = "complete";
    index_["repaired"] = false;
    index_["registry"] = kRegistryFile;
    index_["entries"] = entries_;
    if (!WriteWhole(Joined(folder_, kIndex), index_.dump(2))) return Fail("its index could not be written");
    return true;
  }

  // Notes in the index what the repair left in each file, for the undo's check.
  void NoteRepaired() {
    for (json& entry : index_["entries"]) {
      const std::string kind = Text(entry, "kind");
      if (kind != "file" && kind != "shortcut") continue;
      std::string bytes;
      if (ReadFile(Text(entry, "path"), kind == "file" ? kMaxRecordFileBytes : kMaxShortcutBytes, &bytes)) {
        entry["afterSha256"] = Sha256Hex(bytes);
      }
    }
    index_["repaired"] = true;
    // Not written: the undo refuses the files, whose state after the repair it cannot know.
    WriteWhole(Joined(folder_, kIndex), index_.dump(2));
  }

  void SetCreated(const std::string& created) { index_["created"] = created; }
  const std::string& Why() const { return why_; }

 private:
  bool Fail(const std::string& why) {
    why_ = why;
    return false;
  }

  bool Write(const std::string& name, const std::string& bytes) {
    return platform::Files().WriteNewFile(Joined(folder_, name), bytes);
  }

  void AddKey(const TChange& change, const char* kind) {
    const std::string regPath = RegFilePath(change.root, change.view, change.path);
    json entry = {{"kind", kind}, {"root", RootText(change.root)}, {"view", ViewText(change.view)}, {"key", change.path}};
    if (std::string(kind) == "value") entry["name"] = change.name;
    entry["regKey"] = std::string(RootText(change.root)) + "\\" + regPath;
    entries_.push_back(std::move(entry));
    const TKeyId key{change.root, regPath};
    const bool known = std::any_of(keys_.begin(), keys_.end(), [&key](const TKeyId& k) {
      return std::get<0>(k) == std::get<0>(key) && EqualNoCase(std::get<1>(k), std::get<1>(key));
    });
    if (!known) keys_.push_back(key);
  }

  bool AddFile(const std::string& path) {
    if (!files_.insert(Folded(path)).second) return true;
    std::string bytes;
    if (!ReadFile(path, kMaxRecordFileBytes, &bytes)) return Fail("the file " + path + " could not be read");
    const std::string name = "file-" + std::to_string(files_.size()) + ".bin";
    if (!Write(name, bytes)) return Fail("a copy of " + path + " could not be written");
    entries_.push_back({{"kind", "file"}, {"path", path}, {"copy", name}, {"sha256", Sha256Hex(bytes)}});
    return true;
  }

  // A file the repair sends to the Recycle Bin: copied, for the undo to write it again.
  bool AddRecycledFile(const std::string& path) {
    if (!files_.insert(Folded(path)).second) return true;
    std::string bytes;
    if (!ReadFile(path, kMaxRecordFileBytes, &bytes)) return Fail("the file " + path + " could not be read");
    const std::string copy = "file-" + std::to_string(++copies_) + "-r.bin";
    if (!Write(copy, bytes)) return Fail("a copy of " + path + " could not be written");
    entries_.push_back({{"kind", "recycled"}, {"path", path}, {"copy", copy}, {"sha256", Sha256Hex(bytes)}});
    return true;
  }

  // A folder and everything in it, each file copied into the record under a number of its own (a
  // record holds no folders), each folder named so that the undo makes it again.
  bool AddFolder(const std::string& path, int depth) {
    if (depth > kMaxFolderDepth) return Fail("the folder " + path + " is nested too deeply to keep a copy of");
    entries_.push_back({{"kind", "folder"}, {"path", path}});
    std::vector<platform::FindData> found;
    platform::FindData entry;
    {
      TFileSearch search(platform::FileSystem(), path + "\\*", &entry);
      if (search.Found()) {
        do {
          if (entry.name != "." && entry.name != "..") found.push_back(entry);
        } while (search.Next(&entry));
      }
    }
    for (const platform::FindData& item : found) {
      const std::string name = NameToActOn(item);
      if (name.empty()) return Fail("a file in " + path + " has a name that cannot be kept");
      const std::string inner = Joined(path, name);
      if ((item.attributes & platform::kFileAttributeDirectory) != 0) {
        if (!AddFolder(inner, depth + 1)) return false;
        continue;
      }
      std::string bytes;
      if (!ReadFile(inner, kMaxRecordFileBytes, &bytes)) return Fail("the file " + inner + " could not be read");
      savedBytes_ += bytes.size();
      if (savedBytes_ > kMaxRecordFileBytes) return Fail("the folder " + path + " is too large to keep a copy of");
      const std::string copy = "file-" + std::to_string(++copies_) + "-f.bin";
      if (!Write(copy, bytes)) return Fail("a copy of " + inner + " could not be written");
      entries_.push_back({{"kind", "folderfile"}, {"path", inner}, {"copy", copy}, {"sha256", Sha256Hex(bytes)}});
    }
    return true;
  }

  bool AddShortcut(const TChange& change) {
    std::string bytes;
    if (!ReadFile(change.path, kMaxShortcutBytes, &bytes)) return Fail("the shortcut " + change.path + " could not be read");
    entries_.push_back({{"kind", "shortcut"}, {"path", change.path}, {"arguments", change.before}, {"sha256", Sha256Hex(bytes)}});
    return true;
  }

  bool AddTask(const std::string& path) {
    std::string xml;
    if (platform::TaskScheduler().ReadXml(path, &xml) != 0) return Fail("the task " + path + " could not be read");
    const std::string name = "task-" + std::to_string(++tasks_) + ".xml";
    if (!Write(name, xml)) return Fail("the task " + path + " could not be saved");
    const std::size_t slash = path.rfind('\\');
    entries_.push_back({{"kind", "task"},
                        {"path", path},
                        {"folder", slash == 0 || slash == std::string::npos ? "\\" : path.substr(0, slash)},
                        {"definition", name}});
    return true;
  }

  std::string folder_;
  std::string why_;
  json index_ = json::object();
  json entries_ = json::array();
  std::vector<TKeyId> keys_;
  std::set<std::string> files_;
  int tasks_ = 0;
  int copies_ = 0;
  std::size_t savedBytes_ = 0;
};

// Makes the record's folder, named for `now`; empty with `why` set when it cannot be made.
std::string MakeRecordFolder(std::time_t now, std::string* why) {
  const std::string localAppData = GetShellFolder("Local AppData");
  if (localAppData.empty()) {
    *why = "the local application data folder is not known";
    return std::string();
  }
  const std::string undo = UndoFolder();
  platform::Files().CreateDirectory(Joined(localAppData, "Norvane And Quillet"));
  platform::Files().CreateDirectory(undo);
  const std::string id = TimeText(now, "%Y-%m-%d %H-%M-%S");
  std::set<std::string> taken;
  for (const TUndoRecord& record : ListUndoRecords()) taken.insert(record.id);
  std::string name = id;
  for (int n = 2; taken.count(name) != 0; ++n) name = id + " (" + std::to_string(n) + ")";
  std::string folder = Joined(undo, name);
  if (platform::Files().CreateDirectory(folder)) return folder;
  *why = "the folder " + folder + " could not be made";
  return std::string();
}

void RemoveOldRecords(std::time_t now, const std::string& kept) {
  const std::vector<TUndoRecord> records = ListUndoRecords();
  std::size_t newer = 0;
  for (const TUndoRecord& record : records) {
    if (record.id == kept) {
      ++newer;
      continue;
    }
    const std::time_t made = IdTime(record.id);
    const bool old = made != -1 && std::difftime(now, made) > kKeepDays * 24.0 * 3600.0;
    if (old || ++newer > kKeepRecords) RemoveRecord(Joined(UndoFolder(), record.id));
  }
}

// ---- Restoring ---------------------------------------------------------------------------------

TChange Refused(TChange change, const std::string& why) {
  change.refused = true;
  change.why = why;
  return change;
}

class TRestorer {
 public:
  TRestorer(std::string folder, platform::SimRegistry& saved) : folder_(std::move(folder)), saved_(saved) {}

  void Key(const json& entry) {
    TRegistry reg(ViewNamed(Text(entry, "view")));
    reg.SetRootKey(RootNamed(Text(entry, "root")));
    // A key there already is left as it is.
    if (!OpenOrMake(reg, Text(entry, "key")) && !Pending(reg, Text(entry, "key"))) {
      RecordChange(Refused({.kind = TChange::TKind::Key, .root = reg.RootKey(), .view = reg.View(), .path = Text(entry, "key"),
                            .before = kNone, .after = ""},
                           "the key could not be made"));
    }
  }

  void Value(const json& entry) {
    const RegKey root = RootNamed(Text(entry, "root"));
    const TRegView view = ViewNamed(Text(entry, "view"));
    const std::string path = Text(entry, "key");
    const std::string name = Text(entry, "name");
    TChange change{.kind = TChange::TKind::Value, .root = root, .view = view, .path = path, .name = name, .before = kNone};
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
    if (!SavedValue(root, RegFilePath(root, view, path), name, &type, &data)) {
      RecordChange(Refused(change, "the record's registry file does not hold it"));
      return;
    }
    change.after = platform::RegDataText(type, data);
    TRegistry reg(view);
    reg.SetRootKey(root);
    if (!OpenOrMake(reg, path)) {
      if (Pending(reg, path)) {
        RecordChange(change);  // into a key the run makes first
      } else {
        RecordChange(Refused(change, "its key could not be made"));
      }
      return;
    }
    std::uint32_t nowType = 0;
    std::vector<std::uint8_t> nowData;
    if (reg.ReadData(name, &nowType, &nowData)) {
      if (nowType == type && nowData == data) return;  // back already
      change.before = platform::RegDataText(nowType, nowData);
      // A value the repair changed goes back while it holds what the repair left in it.
      if (!entry.contains("after") || Text(entry, "after") != change.before) {
        RecordChange(Refused(change, "it was set again since the repair"));
        return;
      }
    }
    try {
      reg.WriteData(name, type, data);
    } catch (const ERegistryException&) {
      // Recorded as refused by WriteData.
    }
  }

  // A policies file (`shortcut` false) or a shortcut, put back only while it is what the repair left.
  void File(const json& entry, bool shortcut) {
    const std::string path = Text(entry, "path");
    const TChange::TKind kind = shortcut ? TChange::TKind::Shortcut : TChange::TKind::File;
    TChange change{.kind = kind, .path = path, .before = shortcut ? "" : "file", .after = shortcut ? Text(entry, "arguments") : "file"};
    std::string bytes;
    if (!ReadFile(path, shortcut ? kMaxShortcutBytes : kMaxRecordFileBytes, &bytes)) {
      RecordChange(Refused(change, "it is gone since the repair"));
      return;
    }
    const std::string hash = Sha256Hex(bytes);
    if (hash == Text(entry, "sha256")) return;  // as it was before the repair
    if (Text(entry, "afterSha256").empty()) {
      RecordChange(Refused(change, "the record does not know what the repair left in it"));
      return;
    }
    if (hash != Text(entry, "afterSha256")) {
      RecordChange(Refused(change, "it was changed since the repair"));
      return;
    }
    if (shortcut) {
      platform::ShellLink link;
      if (platform::ShellLinks().Load(path, &link) != 0) {
        RecordChange(Refused(change, "it could not be read"));
        return;
      }
      SaveShortcutArguments(path, link.arguments, Text(entry, "arguments"));
      return;
    }
    std::string original;
    if (!ReadFile(Joined(folder_, Text(entry, "copy")), kMaxRecordFileBytes, &original) ||
        Sha256Hex(original) != Text(entry, "sha256")) {
      RecordChange(Refused(change, "the record's copy of it is damaged"));
      return;
    }
    ReplaceTextFile(path, original);
  }

  // A folder the repair sent to the Recycle Bin, made again unless it is there already.
  void Folder(const json& entry) {
    const std::string path = Text(entry, "path");
    if (FolderExists(path) || made_.contains(Folded(path))) return;
    if (MakeFolder(path, "the folder could not be made")) made_.insert(Folded(path));
  }

  // One of its files, or a file recycled alone: written again where it is missing; one there
  // already is left as it is, and refused when it differs from the copy.
  void MissingFile(const json& entry) {
    const std::string path = Text(entry, "path");
    TChange change{.kind = TChange::TKind::File, .path = path, .before = kNone, .after = "file"};
    std::string bytes;
    if (platform::FileSystem().FileExists(path)) {
      if (!ReadFile(path, kMaxRecordFileBytes, &bytes) || Sha256Hex(bytes) != Text(entry, "sha256")) {
        RecordChange(Refused(change, "a different file of that name was made since the repair"));
      }
      return;
    }
    if (!ReadFile(Joined(folder_, Text(entry, "copy")), kMaxRecordFileBytes, &bytes) ||
        Sha256Hex(bytes) != Text(entry, "sha256")) {
      RecordChange(Refused(change, "the record's copy of it is damaged"));
      return;
    }
    WriteNewFile(path, bytes, "it could not be written");
  }

  void Task(const json& entry) {
    const std::string path = Text(entry, "path");
    const TChange change{.kind = TChange::TKind::Task, .path = path, .before = kNone, .after = "task"};
    std::string xml;
    if (platform::TaskScheduler().ReadXml(path, &xml) == 0) {
      RecordChange(Refused({.kind = TChange::TKind::Task, .path = path, .before = "task", .after = "task"},
                           "a task of that name was made since the repair"));
      return;
    }
    if (!ReadFile(Joined(folder_, Text(entry, "definition")), kMaxRecordFileBytes, &xml)) {
      RecordChange(Refused(change, "the record's copy of its definition cannot be read"));
      return;
    }
    RegisterScheduledTask(path, xml);
  }

 private:
  using TKeyId = std::tuple<RegKey, TRegView, std::string>;
  TKeyId Id(const TRegistry& reg, const std::string& path) const { return {reg.RootKey(), reg.View(), Folded(path)}; }

  // Opens the key, making it when it is gone. A dry run makes nothing: the registry store records
  // the key it would make and leaves it missing (kErrorFileNotFound); such a key is pending for the
  // rest of the run, recorded once, as the real run makes it once.
  bool OpenOrMake(TRegistry& reg, const std::string& path) {
    if (Pending(reg, path)) return false;
    if (reg.OpenKey("\\" + path, true)) return true;
    if (reg.LastOpenError() == platform::kErrorFileNotFound) pending_.insert(Id(reg, path));
    return false;
  }
  bool Pending(const TRegistry& reg, const std::string& path) const { return pending_.contains(Id(reg, path)); }

  bool SavedValue(RegKey root, const std::string& path, const std::string& name, std::uint32_t* type,
                  std::vector<std::uint8_t>* data) {
    platform::RegKey opened = 0;
    if (saved_.OpenKeyEx(root, path.c_str(), platform::kKeyRead, &opened) != platform::kErrorSuccess) return false;
    platform::TScopedRegKey key(saved_);
    key.Reset(opened);
    std::uint32_t size = 0;
    if (saved_.QueryValueEx(key.Get(), name.c_str(), type, nullptr, &size) != platform::kErrorSuccess) return false;
    data->assign(size, 0);
    if (saved_.QueryValueEx(key.Get(), name.c_str(), type, data->data(), &size) != platform::kErrorSuccess) return false;
    data->resize(size);
    return true;
  }

  std::string folder_;
  platform::SimRegistry& saved_;
  std::set<TKeyId> pending_;  // keys a dry run would have made
  std::set<std::string> made_;  // folders made again, folded: a dry run only says it makes them
};


std::size_t Depth(const std::string& path) { return static_cast<std::size_t>(std::count(path.begin(), path.end(), '\\')); }

}  // namespace

std::string UndoFolder() {
  const std::string localAppData = GetShellFolder("Local AppData");
  return localAppData.empty() ? std::string() : Joined(Joined(localAppData, "Norvane And Quillet"), "Undo");
}

const char* UndoStateText(TUndoRecord::TState state) {
  switch (state) {
    case TUndoRecord::TState::Complete: return "complete";
    case TUndoRecord::TState::Restored: return "restored";
    default: return "incomplete";
  }
}

std::vector<TUndoRecord> ListUndoRecords() {
  std::vector<TUndoRecord> records;
  const std::string undo = UndoFolder();
  if (undo.empty() || platform::HasWildcard(undo)) return records;
  platform::FindData entry;
  {
    TFileSearch search(platform::FileSystem(), undo + "\\*", &entry);
    if (search.Found()) {
      do {
        if ((entry.attributes & platform::kFileAttributeDirectory) == 0 || entry.name == "." || entry.name == "..") continue;
        if (IdTime(entry.name) == -1) continue;  // not one of ours
        records.push_back({.id = entry.name, .created = {}, .entries = 0, .state = TUndoRecord::TState::Incomplete});
      } while (search.Next(&entry));
    }
  }
  for (TUndoRecord& record : records) {
    json index;
    const std::time_t made = IdTime(record.id);
    record.created = TimeText(made, "%Y-%m-%d %H:%M:%S");
    if (!ReadIndex(Joined(undo, record.id), &index)) continue;
    record.entries = index["entries"].size();
    record.state = Text(index, "state") == "restored" ? TUndoRecord::TState::Restored : TUndoRecord::TState::Complete;
  }
  // Names sort as their times do; " (2)" after the plain name of the same second.
  std::sort(records.begin(), records.end(), [](const TUndoRecord& a, const TUndoRecord& b) {
    return a.id.size() != b.id.size() && a.id.compare(0, 19, b.id, 0, 19) == 0 ? a.id.size() > b.id.size() : a.id > b.id;
  });
  return records;
}

std::string LatestUndoRecord() {
  for (const TUndoRecord& record : ListUndoRecords()) {
    if (record.state == TUndoRecord::TState::Complete) return record.id;
  }
  return std::string();
}

TRepairWithUndo RepairWithUndo(const TFindings& ticked, std::time_t now) {
  TRepairWithUndo result;
  // What the run will change is what a dry run of it says.
  const TOutcome planned = RepairFindings(ticked, true);
  if (std::all_of(planned.changes.begin(), planned.changes.end(), [](const TChange& c) { return c.refused; })) {
    // Nothing to take back: no record.
    result.started = true;
    result.outcome = RepairFindings(ticked);
    return result;
  }
  const std::string folder = MakeRecordFolder(now, &result.why);
  if (folder.empty()) {
    result.why = "The undo record could not be written (" + result.why + "): nothing was repaired.";
    return result;
  }
  TRecordWriter writer(folder);
  writer.SetCreated(TimeText(now, "%Y-%m-%d %H:%M:%S"));
  bool written = true;
  for (const TChange& change : planned.changes) {
    if (!change.refused && !(written = writer.Add(change))) break;
  }
  if (!written || !writer.Finish()) {
    RemoveRecord(folder);
    result.why = "The undo record could not be written (" + writer.Why() + "): nothing was repaired.";
    return result;
  }
  result.record = folder.substr(folder.rfind('\\') + 1);
  RemoveOldRecords(now, result.record);
  result.started = true;
  result.outcome = RepairFindings(ticked);
  writer.NoteRepaired();
  return result;
}

TOutcome UndoRepair(const std::string& id, bool dryRun, std::string* why) {
  TOutcome outcome;
  std::string reason;
  const std::string undo = UndoFolder();
  const std::string folder = Joined(undo, id);
  json index;
  std::string registry;
  platform::SimRegistry saved;
  if (undo.empty() || id.empty() || platform::HasWildcard(id) || id.find('\\') != std::string::npos) {
    reason = "There is no undo record " + id + ".";
  } else if (!ReadIndex(folder, &index)) {
    reason = "The undo record " + id + " is incomplete or missing: it is never restored.";
  } else if (Text(index, "state") == "restored") {
    reason = "The undo record " + id + " was restored already.";
  } else if (!ReadFile(Joined(folder, kRegistryFile), kMaxRecordFileBytes, &registry)) {
    reason = "The undo record " + id + " lacks its registry file.";
  } else {
    try {
      platform::LoadRegText(saved, registry);
    } catch (const platform::RegFileError& e) {
      reason = "The undo record " + id + "'s registry file is damaged (" + e.what() + ").";
    }
  }
  if (!reason.empty()) {
    if (why != nullptr) *why = reason;
    return outcome;
  }
  {
    TChangeRecorder recorder(dryRun);
    TRestorer restorer(folder, saved);
    // Keys from the top down, then the values into them, then the files and the tasks.
    std::vector<const json*> keys;
    for (const json& entry : index["entries"]) {
      if (Text(entry, "kind") == "key") keys.push_back(&entry);
    }
    std::stable_sort(keys.begin(), keys.end(),
                     [](const json* a, const json* b) { return Depth(Text(*a, "key")) < Depth(Text(*b, "key")); });
    for (const json* entry : keys) restorer.Key(*entry);
    for (const json& entry : index["entries"]) {
      const std::string kind = Text(entry, "kind");
      if (kind == "value") restorer.Value(entry);
    }
    for (const json& entry : index["entries"]) {
      const std::string kind = Text(entry, "kind");
      if (kind == "file" || kind == "shortcut") restorer.File(entry, kind == "shortcut");
      if (kind == "folder") restorer.Folder(entry);
      if (kind == "folderfile" || kind == "recycled") restorer.MissingFile(entry);
      if (kind == "task") restorer.Task(entry);
    }
    outcome.changes = recorder.Take();
  }
  outcome.done = std::none_of(outcome.changes.begin(), outcome.changes.end(), [](const TChange& c) { return c.refused; });
  if (!dryRun) {
    index["state"] = "restored";
    index["restored"] = TimeText(std::time(nullptr), "%Y-%m-%d %H:%M:%S");
    WriteWhole(Joined(folder, kIndex), index.dump(2));
  }
  return outcome;
}

}  // namespace nq
