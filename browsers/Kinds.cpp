#include "browsers/Kinds.h"

#include <algorithm>
#include <iterator>

#include "browsers/Browsers.h"
#include "browsers/Shortcuts.h"
#include "browsers/Tasks.h"
#include "platform/text.h"
#include "services/Changes.h"
#include "services/MainFunc.h"

namespace nq {
namespace {

// Long data is cut for the list; the detail line shows it whole.
std::string Shortened(const std::string& text, std::size_t most) {
  if (text.size() <= most) return text;
  std::size_t cut = most;
  // Not inside a UTF-8 sequence.
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return text.substr(0, cut) + "...";
}

std::string NameAndData(const TFinding& finding, std::size_t most) {
  return finding.name + " = " + Shortened(finding.data, most);
}

void Append(TFindings&& found, TFindings& findings) {
  std::move(found.begin(), found.end(), std::back_inserter(findings));
}

// The key alone, with what it holds; nothing beside it (no management account) goes.
void DeleteFlaggedKey(const TFinding& finding, TRepairRun& /*run*/) {
  DeleteRegistryKey(finding.root, "\\" + finding.where, finding.view);
}

}  // namespace

const TKindRow kKindRows[14] = {
    {.kind = TFindingKind::PolicyValue,
     .find = FindPolicyValues,
     .verdict = TVerdict::Organization,
     .repair = [](const TFinding& f, TRepairRun& run) { run.RemovePolicyValue(f); },
     .refusal = TRefusalScope::Name,
     .text = NameAndData},
    {.kind = TFindingKind::PolicyFile,
     .find = FindPolicyFiles,
     .verdict = TVerdict::Organization,
     .repair = [](const TFinding& f, TRepairRun& run) { run.RemoveFilePolicy(f); },
     .refusal = TRefusalScope::Name,
     .text = NameAndData},
    {.kind = TFindingKind::UnreadableFile,
     .find = nullptr,  // found by the rows of the files it stands for
     .verdict = TVerdict::Never,
     // Never rewritten: what it holds cannot be told apart from what it should keep.
     .repair = [](const TFinding& f, TRepairRun&) {
       RecordChange({.kind = TChange::TKind::File, .path = f.where, .before = "file", .after = "file", .refused = true});
     },
     .refusal = TRefusalScope::Path,
     .text = [](const TFinding& f, std::size_t) -> std::string {
       if (platform::EndsNoCase(f.where, "\\hosts")) return "Unreadable hosts file";
       return platform::EndsNoCase(f.where, "\\policies.json") ? "Unreadable policies file" : "Unreadable extensions file";
     }},
    {.kind = TFindingKind::ExternalExtension,
     .find = FindExternalExtensions,
     .verdict = TVerdict::Own,
     .repair = DeleteFlaggedKey,
     .refusal = TRefusalScope::WithinKey,
     .text = [](const TFinding& f, std::size_t most) {
       return "Extension " + f.where.substr(f.where.rfind('\\') + 1) + ": " + Shortened(f.data, most);
     }},
    {.kind = TFindingKind::ExternalExtensionFile,
     .find = FindExternalExtensionFiles,
     .verdict = TVerdict::Own,
     .repair = [](const TFinding& f, TRepairRun& run) { run.RemoveExternalFileEntry(f); },
     .refusal = TRefusalScope::Name,
     .text = [](const TFinding& f, std::size_t most) { return "Extension " + f.name + ": " + Shortened(f.data, most); }},
    {.kind = TFindingKind::Enrollment,
     .find = FindFakeEnrollments,
     .verdict = TVerdict::Organization,
     .repair = DeleteFlaggedKey,
     .refusal = TRefusalScope::WithinKey,
     .text = [](const TFinding&, std::size_t) -> std::string { return "Management enrollment with no server"; }},
    {.kind = TFindingKind::Shortcut,
     .find = [](TFindings& findings) { Append(FindShortcutHijacks(), findings); },
     .verdict = TVerdict::Own,
     // Its recorder passes what it records up to the run's.
     .repair = [](const TFinding& f, TRepairRun& run) { RepairShortcut(f, run.DryRun()); },
     .refusal = TRefusalScope::Path,
     .text = NameAndData},
    {.kind = TFindingKind::Task,
     .find = [](TFindings& findings) { Append(FindTaskHijacks(), findings); },
     .verdict = TVerdict::Own,
     .repair = [](const TFinding& f, TRepairRun& run) { RepairTask(f, run.DryRun()); },
     .refusal = TRefusalScope::Path,
     .text = NameAndData},
    {.kind = TFindingKind::UnreadableTask,
     .find = nullptr,  // found by the tasks' row
     .verdict = TVerdict::Never,
     .repair = [](const TFinding& f, TRepairRun& run) { RepairTask(f, run.DryRun()); },
     .refusal = TRefusalScope::Path,
     .text = [](const TFinding& f, std::size_t) -> std::string {
       return f.where == "\\" ? "Unreadable Task Scheduler" : "Unreadable task";
     }},
    {.kind = TFindingKind::Proxy,
     .find = FindProxies,
     .verdict = TVerdict::OwnUnmanaged,
     .repair = [](const TFinding& f, TRepairRun& run) { run.SwitchOffProxy(f); },
     .refusal = TRefusalScope::Name,
     .text = NameAndData},
    {.kind = TFindingKind::HostsLine,
     .find = FindHostsLines,
     .verdict = TVerdict::Own,
     .repair = [](const TFinding& f, TRepairRun& run) { run.CommentOutHostsLine(f); },
     .refusal = TRefusalScope::Name,
     .text = [](const TFinding& f, std::size_t most) {
       const bool run = f.name.find('-') != std::string::npos;
       return (run ? "Lines " + f.name + ", a block list: " : "Line " + f.name + ": ") + Shortened(f.data, most);
     }},
    {.kind = TFindingKind::Extension,
     .find = nullptr,  // found once every other finding is judged, by the sources among them (Scan.cpp)
     .verdict = TVerdict::Own,
     .repair = [](const TFinding& f, TRepairRun& run) { run.RemoveExtension(f); },
     .refusal = TRefusalScope::Name,
     .text = [](const TFinding& f, std::size_t most) { return "Extension " + Shortened(f.data, most); }},
    {.kind = TFindingKind::DnsServer,
     .find = FindDnsServers,
     .verdict = TVerdict::Never,  // VPNs and home routers set these too: only the user knows
     .repair = [](const TFinding& f, TRepairRun&) { RepairDnsServer(f); },
     .refusal = TRefusalScope::Name,
     .text = NameAndData},
    {.kind = TFindingKind::BrowserDebugger,
     .find = FindBrowserDebuggers,
     .verdict = TVerdict::Own,
     .repair = [](const TFinding& f, TRepairRun&) {
       DeleteNamedValue(f.root, "\\" + f.where, f.name, f.view);
     },
     .refusal = TRefusalScope::Name,
     .text = NameAndData},
};

const TKindRow& KindRow(TFindingKind kind) {
  const auto row = std::find_if(std::begin(kKindRows), std::end(kKindRows), [kind](const TKindRow& r) { return r.kind == kind; });
  return row != std::end(kKindRows) ? *row : kKindRows[0];
}

namespace {

std::string FindingWhere(const TFinding& finding) {
  if (finding.root == 0) return finding.where;
  return ChangeWhere({.kind = TChange::TKind::Key, .root = finding.root, .view = finding.view, .path = finding.where});
}

}  // namespace

TFindingColumns FindingColumns(const TFinding& finding) {
  return {finding.browser, FindingWhere(finding), KindRow(finding.kind).text(finding, 120)};
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
