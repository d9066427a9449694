// The hosts file: lines that send a name to another address. What every browser asks the system
// for a name is answered from this file first, so one line here redirects them all.
#include <charconv>
#include <string>
#include <string_view>

#include "browsers/HostsText.h"
#include "browsers/Kinds.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "services/MainFunc.h"
#include "services/TextFiles.h"

namespace nq {
namespace {

constexpr const char* kAllBrowsers = "All browsers";

// Windows' own folder, for the %SystemRoot% in the file's path.
std::string WindowsFolder() {
  TRegistry reg(TRegView::Key64);
  reg.SetRootKey(kHkeyLocalMachine);
  reg.SetReadOnly(true);
  std::string folder;
  if (reg.OpenKey("\\Software\\Microsoft\\Windows NT\\CurrentVersion", false)) folder = reg.ReadText("SystemRoot").value_or("");
  return folder.empty() ? "C:\\Windows" : folder;
}

// %SystemRoot% and %windir%, the only variables Windows puts in this path; any other stays as
// written, and a path that still holds one names no file.
std::string Expanded(const std::string& path) {
  std::string out;
  std::size_t i = 0;
  while (i < path.size()) {
    const std::size_t open = path.find('%', i);
    const std::size_t close = open == std::string::npos ? std::string::npos : path.find('%', open + 1);
    if (close == std::string::npos) break;
    const std::string_view name = std::string_view(path).substr(open + 1, close - open - 1);
    out.append(path, i, open - i);
    if (platform::EqualNoCase(name, "SystemRoot") || platform::EqualNoCase(name, "windir")) {
      out += WindowsFolder();
    } else {
      out.append(path, open, close + 1 - open);
    }
    i = close + 1;
  }
  out.append(path, std::min(i, path.size()));
  return out;
}

// The hosts file, in the folder the resolver's parameters name.
std::string HostsPath() {
  TRegistry reg;
  reg.SetRootKey(kHkeyLocalMachine);
  reg.SetReadOnly(true);
  std::string folder;
  if (reg.OpenKey("\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters", false)) {
    folder = reg.ReadText("DataBasePath").value_or("");
  }
  if (folder.empty()) folder = "%SystemRoot%\\System32\\drivers\\etc";
  folder = Expanded(folder);
  while (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder + "\\hosts";
}

std::string Why(const THostsMapping& mapping) {
  static constexpr std::string_view kBlockList = " (a block list: it keeps the browser away from that site)";
  const std::string name = Displayable(mapping.name);
  std::string why;
  why.reserve(name.size() + mapping.address.size() + kBlockList.size() + 64);
  why.append("Sends ").append(name);
  if (mapping.otherNames == 1) why.append(" and one more name");
  if (mapping.otherNames > 1) why.append(" and ").append(std::to_string(mapping.otherNames)).append(" more names");
  why.append(" to ").append(mapping.address).append(" for every browser");
  if (mapping.blocked) why.append(kBlockList);
  return why.append(".");
}

std::string WhyBlockList(const TBlockListRun& run) {
  std::string why = "Sends " + std::to_string(run.names) + " names to ";
  why += run.oneAddress ? std::string(run.first.address) : "addresses that lead nowhere";
  why += " for every browser, on lines " + std::to_string(run.first.number) + " to " + std::to_string(run.last);
  return why + " (a block list: it keeps the browser away from those sites).";
}

// What the file holds for the one row that stands for all of it; empty when its lines can be read.
std::string Unreadable(bool read, std::string_view text) {
  if (!read) return "The hosts file cannot be read, or is too large to be one; it is shown, never rewritten.";
  if (IsWideOrBinary(text)) return "The hosts file is not plain text (UTF-16, or binary); it is shown, never rewritten.";
  return {};
}

}  // namespace

void FindHostsLines(TFindings& findings) {
  const std::string path = HostsPath();
  if (platform::HasWildcard(path) || !platform::FileSystem().FileExists(path)) return;
  std::string text;
  const bool read = ReadTextFile(path, kMaxHostsTextBytes, &text);
  const std::string unreadable = Unreadable(read, text);
  if (!unreadable.empty()) {
    TFinding finding;
    finding.kind = TFindingKind::UnreadableFile;
    finding.browser = kAllBrowsers;
    finding.where = path;
    finding.why = unreadable;
    findings.push_back(std::move(finding));
    return;
  }
  const auto newRow = [&]() -> TFinding& {
    TFinding& finding = findings.emplace_back();
    finding.kind = TFindingKind::HostsLine;
    finding.browser = kAllBrowsers;
    finding.where = path;
    return finding;
  };
  const auto row = [&](const THostsMapping& mapping) {
    TFinding& finding = newRow();
    finding.name = std::to_string(mapping.number);
    finding.data = Displayable(mapping.line);
    finding.why = Why(mapping);
    finding.ticked = !mapping.blocked;
  };
  TBlockListRun run;
  const auto endRun = [&]() {
    if (run.Whole()) {
      TFinding& finding = newRow();
      finding.name = BlockListRange(run.first.number, run.last);
      finding.data = Displayable(run.first.line);
      finding.why = WhyBlockList(run);
    } else {
      for (const THostsMapping& mapping : run.lines) row(mapping);
    }
    run = TBlockListRun();
  };
  ForEachHostsMapping(text, [&](const THostsMapping& mapping) {
    if (mapping.blocked) {
      run.Add(mapping);
      return;
    }
    endRun();
    row(mapping);
  });
  endRun();
}

void RepairHostsFile(const std::string& path, const std::vector<const TFinding*>& lines) {
  std::string text;
  const bool read = ReadTextFile(path, kMaxHostsTextBytes, &text);
  const auto refuse = [&path](const TFinding& line) {
    RecordChange({.kind = TChange::TKind::File, .path = path, .name = line.name, .before = line.data,
                  .after = "# " + line.data, .refused = true});
  };
  if (!Unreadable(read, text).empty()) {
    // Gone or turned unreadable since it was listed: what was to go is refused, never reported done.
    for (const TFinding* line : lines) refuse(*line);
    return;
  }
  const std::vector<std::size_t> starts = HostsLineStarts(text);
  std::vector<std::size_t> commented;
  std::vector<const TFinding*> done;
  for (const TFinding* line : lines) {
    // Only the lines as they were listed: one edited, moved or gone since is not what the user ticked.
    std::size_t first = 0, last = 0;
    if (!ParseBlockListRange(line->name, &first, &last)) {
      const char* const end = line->name.data() + line->name.size();
      const auto [after, error] = std::from_chars(line->name.data(), end, first);
      if (error != std::errc() || after != end) first = 0;
      last = first;
    }
    std::vector<std::size_t> run;
    bool same = first >= 1 && last <= starts.size() && Displayable(HostsLineAt(text, starts[first - 1])) == line->data;
    for (std::size_t number = first; same && number <= last && first < last; ++number) {
      // A block list taken whole: every line of it still sends its names nowhere, first and last too.
      THostsMapping mapping;
      const bool maps = ParseHostsLine(HostsLineAt(text, starts[number - 1]), &mapping);
      if (maps && !mapping.blocked) same = false;
      if (!maps && (number == first || number == last)) same = false;
      if (maps) run.push_back(starts[number - 1]);
    }
    if (!same) {
      refuse(*line);
      continue;
    }
    if (first == last) run.push_back(starts[first - 1]);
    commented.insert(commented.end(), run.begin(), run.end());
    done.push_back(line);
  }
  if (done.empty()) return;
  const bool replaced = ReplaceTextFile(path, CommentOut(text, commented));
  for (const TFinding* line : done) {
    RecordChange({.kind = TChange::TKind::File, .path = path, .name = line->name, .before = line->data,
                  .after = "# " + line->data, .refused = !replaced});
  }
}

}  // namespace nq
