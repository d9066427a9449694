#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <tuple>

#include "browsers/BrowserKeys.h"
#include "browsers/Browsers.h"
#include "browsers/PolicyText.h"
#include "browsers/Shortcuts.h"
#include "browsers/Tasks.h"
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
    RecordChange({TChange::TKind::File, 0, TRegView::Default, path, policy.name, policy.json, kNone, !replaced});
  }
}

}  // namespace

TOutcome RepairFindings(const TFindings& ticked, bool dryRun) {
  TChangeRecorder recorder(dryRun);
  TRemoved removed;
  std::vector<TKeyId> touched;
  std::vector<std::string> touchedPaths;
  std::map<std::string, std::vector<const TFinding*>> files;  // by folded path, in order met
  std::vector<std::string> fileOrder;
  for (const TFinding& finding : ticked) {
    switch (finding.kind) {
      case TFindingKind::PolicyValue: {
        if (!DeleteNamedValue(finding.root, "\\" + finding.where, finding.name, finding.view)) break;
        const TKeyId key{finding.root, finding.view, Folded(finding.where)};
        removed.Value(key, finding.name);
        if (std::find(touched.begin(), touched.end(), key) == touched.end()) {
          touched.push_back(key);
          touchedPaths.push_back(finding.where);
        }
        break;
      }
      case TFindingKind::PolicyFile: {
        auto& list = files[Folded(finding.where)];
        if (list.empty()) fileOrder.push_back(finding.where);
        list.push_back(&finding);
        break;
      }
      case TFindingKind::UnreadableFile:
        // Never rewritten: what it holds cannot be told apart from what it should keep.
        RecordChange({TChange::TKind::File, 0, TRegView::Default, finding.where, "", "file", "file", true});
        break;
      case TFindingKind::ExternalExtension:
      case TFindingKind::Enrollment:
        // The flagged key alone, with what it holds; nothing beside it (no OMADM account) goes.
        DeleteRegistryKey(finding.root, "\\" + finding.where, finding.view);
        break;
      case TFindingKind::Shortcut:
        // Their recorders pass what they record up to this one.
        RepairShortcut(finding, dryRun);
        break;
      case TFindingKind::Task:
      case TFindingKind::UnreadableTask:
        RepairTask(finding, dryRun);
        break;
    }
  }
  // Deepest keys first, so that a parent is judged once its emptied subkeys went.
  std::vector<std::size_t> order(touched.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return std::count(touchedPaths[a].begin(), touchedPaths[a].end(), '\\') >
           std::count(touchedPaths[b].begin(), touchedPaths[b].end(), '\\');
  });
  for (const std::size_t i : order) PruneEmptyKeys(std::get<0>(touched[i]), std::get<1>(touched[i]), touchedPaths[i], removed);
  for (const std::string& path : fileOrder) RepairPolicyFile(path, files[Folded(path)]);
  TOutcome outcome;
  outcome.changes = recorder.Take();
  outcome.done = std::none_of(outcome.changes.begin(), outcome.changes.end(), [](const TChange& c) { return c.refused; });
  return outcome;
}

bool RefusedIn(const TFinding& finding, const TChanges& changes) {
  return std::any_of(changes.begin(), changes.end(), [&finding](const TChange& change) {
    if (!change.refused || change.root != finding.root) return false;
    if (finding.root != 0 && change.view != finding.view) return false;
    switch (finding.kind) {
      case TFindingKind::PolicyValue:
      case TFindingKind::PolicyFile:
        return EqualNoCase(change.path, finding.where) && EqualNoCase(change.name, finding.name);
      case TFindingKind::ExternalExtension:
      case TFindingKind::Enrollment:
        // The key goes with its subtree: anything refused within it keeps it.
        return KeyWithin(change.path, finding.where);
      default:
        return EqualNoCase(change.path, finding.where);
    }
  });
}

namespace {

// Long data is cut for the list; the detail line shows it whole.
std::string Shortened(const std::string& text, std::size_t most) {
  if (text.size() <= most) return text;
  std::size_t cut = most;
  // Not inside a UTF-8 sequence.
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return text.substr(0, cut) + "...";
}

std::string FindingWhere(const TFinding& finding) {
  if (finding.root == 0) return finding.where;
  TChange at;
  at.kind = TChange::TKind::Key;
  at.root = finding.root;
  at.view = finding.view;
  at.path = finding.where;
  return ChangeWhere(at);
}

std::string FindingText(const TFinding& finding, std::size_t most) {
  switch (finding.kind) {
    case TFindingKind::UnreadableFile: return "Unreadable policies file";
    case TFindingKind::UnreadableTask: return finding.where == "\\" ? "Unreadable Task Scheduler" : "Unreadable task";
    case TFindingKind::Enrollment: return "Management enrollment with no server";
    case TFindingKind::ExternalExtension: {
      const std::size_t slash = finding.where.rfind('\\');
      return "Extension " + finding.where.substr(slash + 1) + ": " + Shortened(finding.data, most);
    }
    default: return finding.name + " = " + Shortened(finding.data, most);
  }
}

}  // namespace

TFindingColumns FindingColumns(const TFinding& finding) {
  return {finding.browser, FindingWhere(finding), FindingText(finding, 120)};
}

std::string FindingDetail(const TFinding& finding) {
  // One line each: where, what, why.
  std::string detail = FindingWhere(finding);
  if (!finding.name.empty() || !finding.data.empty()) detail += "\n";
  detail += finding.name;
  if (!finding.data.empty()) detail += (finding.name.empty() ? "" : " = ") + Shortened(finding.data, 2000);
  if (!finding.why.empty()) detail += "\n" + finding.why;
  return detail;
}

}  // namespace nq
