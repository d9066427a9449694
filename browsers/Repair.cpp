#include <algorithm>
#include <cctype>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <tuple>

#include "browsers/BrowserKeys.h"
#include "browsers/Browsers.h"
#include "browsers/Extensions.h"
#include "browsers/Kinds.h"
#include "browsers/PolicyText.h"
#include "services/MainFunc.h"
#include "services/TextFiles.h"

namespace nq {
namespace {

// A key as the repair keeps track of it: root, view and folded path.
using TKeyId = std::tuple<RegKey, TRegView, std::string>;

// What this run removed (or, on a dry run, would have): a dry run leaves the registry as it was, so
// whether a key is left empty is worked out from this, the same way in both runs.
class TRemoved {
 public:
  void Value(const TKeyId& key, const std::string& name) { values_[key].insert(Folded(name)); }
  void Key(const TKeyId& key) { keys_.insert(key); }

  bool KeyGone(const TKeyId& key) const {
    return std::any_of(keys_.begin(), keys_.end(), [&key](const TKeyId& gone) {
      return std::get<0>(gone) == std::get<0>(key) && std::get<1>(gone) == std::get<1>(key) &&
             KeyWithin(std::get<2>(key), std::get<2>(gone));
    });
  }
  bool ValueGone(const TKeyId& key, const std::string& name) const {
    const auto it = values_.find(key);
    return KeyGone(key) || (it != values_.end() && it->second.count(Folded(name)) != 0);
  }
  // True when every value and subkey of the key went in this run.
  bool Emptied(const TKeyId& key, const std::string& path) const {
    const RegKey root = std::get<0>(key);
    const TRegView view = std::get<1>(key);
    const std::string& folded = std::get<2>(key);
    TStrings names;
    ListValueNames(root, "\\" + path, names, view);
    if (std::any_of(names.begin(), names.end(), [&](const std::string& n) { return !ValueGone(key, n); })) return false;
    TStrings subkeys;
    ListSubkeys(root, "\\" + path, subkeys, view);
    return std::all_of(subkeys.begin(), subkeys.end(), [&](const std::string& subkey) {
      return KeyGone({root, view, folded + "\\" + Folded(subkey)});
    });
  }

 private:
  std::map<TKeyId, std::set<std::string>> values_;
  std::set<TKeyId> keys_;
};

// Deletes a key emptied by this run. A dry run still sees the values and subkeys it only
// pretended to remove: what the key's deletion would record of them again is left out.
bool DeleteEmptiedKey(RegKey root, TRegView view, const std::string& path, const TRemoved& removed) {
  TChanges changes;
  bool deleted = false;
  {
    TChangeRecorder inner(DryRun(), TChangeRecorder::TIsolated{});
    deleted = DeleteRegistryKey(root, "\\" + path, view);
    changes = inner.Take();
  }
  for (TChange& change : changes) {
    const TKeyId key{root, view, Folded(change.path)};
    const bool again = change.kind == TChange::TKind::Value ? removed.ValueGone(key, change.name)
                                                            : !EqualNoCase(change.path, path) && removed.KeyGone(key);
    if (!again) RecordChange(std::move(change));
  }
  return deleted;
}

// Removes each key left empty, from `path` up to the browser's own policy key.
void PruneEmptyKeys(RegKey root, TRegView view, std::string path, TRemoved& removed) {
  const TPolicyRoot* policy = PolicyRootOf(path);
  if (policy == nullptr) return;
  while (KeyWithin(path, policy->key)) {
    const TKeyId key{root, view, Folded(path)};
    if (removed.KeyGone(key) || !removed.Emptied(key, path) || !DeleteEmptiedKey(root, view, path, removed)) return;
    removed.Key(key);
    path.resize(path.rfind('\\'));
  }
}

void RepairPolicyFile(const std::string& path, const std::vector<const TFinding*>& policies) {
  std::string text, rewritten;
  std::vector<std::string> names;
  names.reserve(policies.size());
  for (const TFinding* finding : policies) names.push_back(finding->name);
  const bool read = ReadTextFile(path, kMaxPolicyTextBytes, &text);
  const TPolicyFileScan scan = ScanPolicyFile(text);
  if (!read || !scan.readable) {
    // Gone or turned unreadable since it was listed: what was to go is refused, never reported done.
    for (const TFinding* finding : policies) {
      RecordChange({.kind = TChange::TKind::File, .path = path, .name = finding->name, .before = finding->data,
                    .after = kNone, .refused = true});
    }
    return;
  }
  // Nothing to remove: the policies went since the listing.
  if (!RemovePolicies(text, names, &rewritten)) return;
  const bool replaced = ReplaceTextFile(path, rewritten);
  for (const TPolicyFileScan::TPolicy& policy : scan.policies) {
    if (std::find(names.begin(), names.end(), policy.name) == names.end()) continue;
    RecordChange({.kind = TChange::TKind::File, .path = path, .name = policy.name, .before = policy.json, .after = kNone,
                  .refused = !replaced});
  }
}

}  // namespace

struct TRepairRun::TState {
  explicit TState(bool dryRun) : recorder(dryRun) {}
  TChangeRecorder recorder;
  TRemoved removed;
  std::vector<TKeyId> touched;
  std::vector<std::string> touchedPaths;
  std::map<std::string, std::vector<const TFinding*>> files;  // by folded path, in order met
  std::vector<std::string> fileOrder;
  std::map<std::string, std::vector<const TFinding*>> hosts;  // by folded path, in order met
  std::vector<std::string> hostsOrder;
  std::map<RegKey, std::uint32_t> proxyFlags;  // WinInet's connection flags to clear, by root
  std::map<std::string, std::vector<const TFinding*>> externalFiles;  // by folded path, in order met
  std::vector<std::string> externalFileOrder;
  std::map<std::string, std::vector<const TFinding*>> extensions;  // by browser and folded profile, in order met
  std::vector<const TFinding*> extensionProfiles;                    // the first extension of each profile
};

TRepairRun::TRepairRun(bool dryRun) : dryRun_(dryRun), state_(std::make_unique<TState>(dryRun)) {}
TRepairRun::~TRepairRun() = default;

void TRepairRun::RemovePolicyValue(const TFinding& finding) {
  if (!DeleteNamedValue(finding.root, "\\" + finding.where, finding.name, finding.view)) return;
  const TKeyId key{finding.root, finding.view, Folded(finding.where)};
  state_->removed.Value(key, finding.name);
  if (std::find(state_->touched.begin(), state_->touched.end(), key) == state_->touched.end()) {
    state_->touched.push_back(key);
    state_->touchedPaths.push_back(finding.where);
  }
}

void TRepairRun::RemoveFilePolicy(const TFinding& finding) {
  auto& list = state_->files[Folded(finding.where)];
  if (list.empty()) state_->fileOrder.push_back(finding.where);
  list.push_back(&finding);
}

TChanges TRepairRun::Take() { return state_->recorder.Take(); }

void TRepairRun::CommentOutHostsLine(const TFinding& finding) {
  auto& list = state_->hosts[Folded(finding.where)];
  if (list.empty()) state_->hostsOrder.push_back(finding.where);
  list.push_back(&finding);
}

void TRepairRun::SwitchOffProxy(const TFinding& finding) {
  RepairProxy(finding);
  if (const std::uint32_t flag = ProxyConnectionFlag(finding); flag != 0) state_->proxyFlags[finding.root] |= flag;
}

void TRepairRun::RemoveExternalFileEntry(const TFinding& finding) {
  auto& list = state_->externalFiles[Folded(finding.where)];
  if (list.empty()) state_->externalFileOrder.push_back(finding.where);
  list.push_back(&finding);
}

void TRepairRun::RemoveExtension(const TFinding& finding) {
  auto& list = state_->extensions[finding.browser + "\n" + Folded(finding.where)];
  if (list.empty()) state_->extensionProfiles.push_back(&finding);
  list.push_back(&finding);
}

void TRepairRun::Finish() {
  TState& s = *state_;
  // Deepest keys first, so that a parent is judged once its emptied subkeys went.
  std::vector<std::size_t> order(s.touched.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return std::count(s.touchedPaths[a].begin(), s.touchedPaths[a].end(), '\\') >
           std::count(s.touchedPaths[b].begin(), s.touchedPaths[b].end(), '\\');
  });
  for (const std::size_t i : order) PruneEmptyKeys(std::get<0>(s.touched[i]), std::get<1>(s.touched[i]), s.touchedPaths[i], s.removed);
  for (const std::string& path : s.fileOrder) RepairPolicyFile(path, s.files[Folded(path)]);
  for (const std::string& path : s.hostsOrder) RepairHostsFile(path, s.hosts[Folded(path)]);
  for (const auto& [root, flags] : s.proxyFlags) SwitchOffConnectionProxies(root, flags);
  for (const std::string& path : s.externalFileOrder) RepairExternalExtensionFile(path, s.externalFiles[Folded(path)]);
  // Last: whatever installs an extension is gone by now, so the browser cannot put it back.
  if (s.extensionProfiles.empty()) return;
  const TExtensionInventory inventory = ListExtensions();
  for (const TFinding* first : s.extensionProfiles) {
    RemoveProfileExtensions(inventory, first->browser, first->where,
                            s.extensions[first->browser + "\n" + Folded(first->where)]);
  }
}

TOutcome RepairFindings(const TFindings& ticked, bool dryRun) {
  TOutcome outcome;
  {
    TRepairRun run(dryRun);
    for (const TFinding& finding : ticked) KindRow(finding.kind).repair(finding, run);
    run.Finish();
    outcome.changes = run.Take();
  }
  outcome.done = std::none_of(outcome.changes.begin(), outcome.changes.end(), [](const TChange& c) { return c.refused; });
  return outcome;
}

bool RefusedIn(const TFinding& finding, const TChanges& changes) {
  return std::any_of(changes.begin(), changes.end(), [&finding](const TChange& change) {
    if (!change.refused || change.root != finding.root) return false;
    if (finding.root != 0 && change.view != finding.view) return false;
    switch (KindRow(finding.kind).refusal) {
      case TRefusalScope::Name: return EqualNoCase(change.path, finding.where) && EqualNoCase(change.name, finding.name);
      case TRefusalScope::WithinKey: return KeyWithin(change.path, finding.where);
      case TRefusalScope::Path: return EqualNoCase(change.path, finding.where);
    }
    return false;
  });
}

TChanges Refusals(const TChanges& changes) {
  TChanges refused;
  std::copy_if(changes.begin(), changes.end(), std::back_inserter(refused), [](const TChange& c) { return c.refused; });
  return refused;
}

TFindingSet::TFindingSet(const TFindings& findings) {
  for (const TFinding& f : findings) keys_.emplace(f.kind, f.root, f.view, f.where, f.name);
}

bool TFindingSet::Contains(const TFinding& f) const {
  return keys_.contains({f.kind, f.root, f.view, f.where, f.name});
}

}  // namespace nq
