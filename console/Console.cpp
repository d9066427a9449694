#include "console/Console.h"

#include <algorithm>
#include <stdexcept>

#include "browsers/Browsers.h"
#include "browsers/Extensions.h"
#include "browsers/Undo.h"
#include "entries/Entries.h"
#include "privacy/Cookies.h"
#include "privacy/TraceCleaner.h"
#include "repair/Repair.h"

#ifndef NQ_VERSION
#define NQ_VERSION "1.4"
#endif

namespace nq::console {
namespace {

// A command line that makes no sense: one line saying why, then the usage.
class EUsage : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The lists, by the words the command line names them with: the plural for "list", the singular
// for "delete" and for the kind column of the output. The entry lists' words are their rows';
// cookies, files rather than registry entries, come last.
struct TKindWords {
  const char* list;
  const char* one;
  TListKind kind;  // lkNone for cookies
};

const std::vector<TKindWords>& Kinds() {
  static const std::vector<TKindWords> kinds = [] {
    std::vector<TKindWords> words;
    for (const TListKindRow& row : ListKinds()) words.push_back({row.listWord, row.oneWord, row.kind});
    words.push_back({"cookies", "cookie", lkNone});
    return words;
  }();
  return kinds;
}

// The list named `word` by the words in `field` (list or one); null for none.
const TKindWords* KindNamed(const std::string& word, const char* TKindWords::*field) {
  for (const TKindWords& k : Kinds()) {
    if (word == k.*field) return &k;
  }
  return nullptr;
}

// A text in one tab-separated field: control characters (a tab, a line end) as \xNN, so that every
// entry stays on one line and every field between its tabs. Backslashes stay as they are: paths
// read as paths.
std::string Field(const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) {
      out += "\\x";
      out += kHex[u >> 4];
      out += kHex[u & 15];
    } else {
      out += c;
    }
  }
  return out;
}

// A JSON string, UTF-8 passed through.
std::string Json(const std::string& text) {
  static const char kHex[] = "0123456789abcdef";
  std::string out = "\"";
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (u < 0x20) {
      out += "\\u00";
      out += kHex[u >> 4];
      out += kHex[u & 15];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

struct TEntry {
  const char* kind;
  std::string name;
  std::string detail;
};

// What the window's list of that kind shows, in its order, with what its detail line shows.
void AppendEntries(const TKindWords& words, std::vector<TEntry>& entries) {
  if (words.kind == lkNone) {
    for (TCookieFile& file : ListCookieFiles(CookieFolder())) {
      entries.push_back({words.one, std::move(file.name), std::move(file.site)});
    }
    return;
  }
  for (std::string& name : ListEntries(words.kind)) {
    std::string detail = EntryDetail(words.kind, name);
    entries.push_back({words.one, std::move(name), std::move(detail)});
  }
}

const char* KindWord(TChange::TKind kind) {
  switch (kind) {
    case TChange::TKind::Key: return "key";
    case TChange::TKind::Value: return "value";
    case TChange::TKind::File: return "file";
    case TChange::TKind::CacheEntry: return "cache-entry";
    case TChange::TKind::RecycleBin: return "recycle-bin";
    case TChange::TKind::History: return "history";
    case TChange::TKind::Shortcut: return "shortcut";
    case TChange::TKind::Task: return "task";
  }
  return "?";
}

// One change a line: what, where, the value's name, before, after ("-" for none), and why it was
// refused when the system was not the reason.
void PrintChange(std::ostream& out, const TChange& change) {
  out << KindWord(change.kind) << '\t' << Field(ChangeWhere(change)) << '\t' << Field(change.name) << '\t'
      << Field(change.before) << '\t' << Field(change.after);
  if (!change.why.empty()) out << '\t' << Field(change.why);
  out << '\n';
}

// The changes that took effect (or would) on `out`, those refused on `err`.
int Report(const TChanges& changes, std::ostream& out, std::ostream& err) {
  bool refused = false;
  for (const TChange& change : changes) {
    if (change.refused) {
      err << "refused\t";
      PrintChange(err, change);
      refused = true;
    } else {
      PrintChange(out, change);
    }
  }
  return refused ? kExitRefused : kExitDone;
}

struct TOptions {
  std::vector<std::string> words;  // the command and its operands
  bool dryRun = false;
  bool keepStartup = false;
  bool json = false;
  bool list = false;  // undo --list
};

TOptions Parse(const std::vector<std::string>& args) {
  TOptions options;
  for (const std::string& arg : args) {
    if (arg == "--dry-run") {
      options.dryRun = true;
    } else if (arg == "--keep-startup") {
      options.keepStartup = true;
    } else if (arg == "--json") {
      options.json = true;
    } else if (arg == "--list") {
      options.list = true;
    } else if (arg.size() > 1 && arg[0] == '-' && arg != "--help" && arg != "--version") {
      throw EUsage("unknown option " + arg);
    } else {
      options.words.push_back(arg);
    }
  }
  if (options.words.empty()) throw EUsage("no command given");
  const std::string& command = options.words.front();
  if (options.json && command != "list") throw EUsage("--json goes with list only");
  if (options.keepStartup && command != "repair") throw EUsage("--keep-startup goes with repair only");
  if (options.list && command != "undo") throw EUsage("--list goes with undo only");
  if (options.list && options.dryRun) throw EUsage("--list changes nothing: --dry-run does not go with it");
  if (options.dryRun && (command == "list" || command == "--help" || command == "--version")) {
    throw EUsage("--dry-run goes with a command that changes something");
  }
  return options;
}

void ExpectOperands(const TOptions& options, std::size_t count) {
  if (options.words.size() - 1 != count) {
    throw EUsage(options.words.front() + ": " + (count == 0 ? "takes no operand" : "takes one operand"));
  }
}

// Today's browsers: one finding a line (browser, where, name, data, why, and whether the one-click
// repair takes it), in the order the program finds them.
int ListBrowsers(const TOptions& options, std::ostream& out) {
  const TFindings findings = FindBrowserHijacks();
  if (options.json) {
    out << '[';
    for (std::size_t i = 0; i < findings.size(); ++i) {
      const TFinding& f = findings[i];
      out << (i ? ",\n " : "\n ") << "{\"browser\": " << Json(f.browser) << ", \"where\": " << Json(FindingColumns(f).where)
          << ", \"name\": " << Json(f.name) << ", \"data\": " << Json(f.data) << ", \"why\": " << Json(f.why)
          << ", \"ticked\": " << (f.ticked ? "true" : "false") << '}';
    }
    out << (findings.empty() ? "]\n" : "\n]\n");
  } else {
    for (const TFinding& f : findings) {
      out << Field(f.browser) << '\t' << Field(FindingColumns(f).where) << '\t' << Field(f.name) << '\t' << Field(f.data)
          << '\t' << Field(f.why) << '\t' << (f.ticked ? "ticked" : "-") << '\n';
    }
  }
  return kExitDone;
}

// What the one-click repair of the browsers does: the ticked findings, after the undo record of
// what it changes (a dry run needs none).
int RepairBrowsers(bool dryRun, std::ostream& out, std::ostream& err) {
  TFindings ticked;
  for (TFinding& finding : FindBrowserHijacks()) {
    if (finding.ticked) ticked.push_back(std::move(finding));
  }
  if (dryRun) return Report(RepairFindings(ticked, true).changes, out, err);
  const TRepairWithUndo run = RepairWithUndo(ticked);
  if (!run.started) {
    err << "norvanec: " << run.why << '\n';
    return kExitRefused;
  }
  int code = Report(run.outcome.changes, out, err);
  // Looked at again: what the repair did not refuse but is there still (a task that puts it back).
  const TFindingSet now(FindBrowserHijacks());
  const TChanges refusals = Refusals(run.outcome.changes);
  for (const TFinding& finding : ticked) {
    if (RefusedIn(finding, refusals) || !now.Contains(finding)) continue;
    err << "still present\t" << Field(finding.browser) << '\t' << Field(FindingColumns(finding).where) << '\t'
        << Field(finding.name) << '\n';
    code = kExitRefused;
  }
  return code;
}

// The undo records (--list), or the undo of one: the newest not restored when none is named.
int Undo(const TOptions& options, std::ostream& out, std::ostream& err) {
  if (options.words.size() > 2) throw EUsage("undo: takes at most one operand");
  if (options.list) {
    if (options.words.size() > 1) throw EUsage("undo: --list takes no operand");
    for (const TUndoRecord& record : ListUndoRecords()) {
      out << Field(record.id) << '\t' << record.created << '\t' << record.entries << '\t' << UndoStateText(record.state)
          << '\n';
    }
    return kExitDone;
  }
  const std::string id = options.words.size() > 1 ? options.words[1] : LatestUndoRecord();
  if (id.empty()) {
    err << "norvanec: there is no repair to undo\n";
    return kExitRefused;
  }
  std::string why;
  const TOutcome outcome = UndoRepair(id, options.dryRun, &why);
  if (!why.empty()) {
    err << "norvanec: " << why << '\n';
    return kExitRefused;
  }
  return Report(outcome.changes, out, err);
}

// A JSON array of texts.
std::string JsonList(const std::vector<std::string>& texts) {
  std::string out = "[";
  for (std::size_t i = 0; i < texts.size(); ++i) out += (i ? ", " : "") + Json(texts[i]);
  return out + "]";
}

// The extensions of every browser profile: one a line (browser, profile, id, name, version, where
// it came from, what it takes over, enabled or disabled, and why its manifest could not be read
// when it could not). A profile whose preferences could not be read is named on stderr.
int ListExtensionInventory(const TOptions& options, std::ostream& out, std::ostream& err) {
  const TExtensionInventory inventory = ListExtensions();
  for (const TBrowserProfile& profile : inventory.profiles) {
    if (!profile.problem.empty()) {
      err << "unreadable\t" << Field(profile.browser) << '\t' << Field(profile.folder) << '\t' << Field(profile.problem) << '\n';
    }
  }
  // The profile as the browser names it, or by its folder when the user gave it no name.
  const auto profileName = [](const TExtension& e) {
    return e.profileName.empty() ? e.profileFolder.substr(e.profileFolder.rfind('\\') + 1) : e.profileName;
  };
  if (options.json) {
    out << '[';
    for (std::size_t i = 0; i < inventory.extensions.size(); ++i) {
      const TExtension& e = inventory.extensions[i];
      out << (i ? ",\n " : "\n ") << "{\"browser\": " << Json(e.browser) << ", \"profile\": " << Json(profileName(e))
          << ", \"profileFolder\": " << Json(e.profileFolder) << ", \"id\": " << Json(e.id) << ", \"name\": " << Json(e.name)
          << ", \"version\": " << Json(e.version) << ", \"source\": " << Json(SourceText(e))
          << ", \"location\": " << e.rawLocation << ", \"changes\": " << Json(ChangesText(e))
          << ", \"enabled\": " << (e.enabled ? "true" : "false") << ", \"path\": " << Json(e.path)
          << ", \"permissions\": " << JsonList(e.permissions) << ", \"hostPermissions\": " << JsonList(e.hostPermissions)
          << ", \"problem\": " << Json(e.problem) << '}';
    }
    out << (inventory.extensions.empty() ? "]\n" : "\n]\n");
  } else {
    for (const TExtension& e : inventory.extensions) {
      out << Field(e.browser) << '\t' << Field(profileName(e)) << '\t' << Field(e.id) << '\t' << Field(e.name) << '\t'
          << Field(e.version) << '\t' << Field(SourceText(e)) << '\t' << Field(ChangesText(e)) << '\t'
          << (e.enabled ? "enabled" : "disabled");
      if (!e.problem.empty()) out << '\t' << Field(e.problem);
      out << '\n';
    }
  }
  return kExitDone;
}

int List(const TOptions& options, std::ostream& out, std::ostream& err) {
  ExpectOperands(options, 1);
  const std::string& which = options.words[1];
  if (which == "browsers") return ListBrowsers(options, out);
  if (which == "extensions") return ListExtensionInventory(options, out, err);
  std::vector<TEntry> entries;
  if (which == "all") {
    for (const TKindWords& words : Kinds()) AppendEntries(words, entries);
  } else if (const TKindWords* words = KindNamed(which, &TKindWords::list)) {
    AppendEntries(*words, entries);
  } else {
    throw EUsage("list: unknown list " + which);
  }
  if (options.json) {
    out << '[';
    for (std::size_t i = 0; i < entries.size(); ++i) {
      out << (i ? ",\n " : "\n ") << "{\"kind\": " << Json(entries[i].kind) << ", \"name\": " << Json(entries[i].name)
          << ", \"detail\": " << Json(entries[i].detail) << '}';
    }
    out << (entries.empty() ? "]\n" : "\n]\n");
  } else {
    for (const TEntry& e : entries) out << e.kind << '\t' << Field(e.name) << '\t' << Field(e.detail) << '\n';
  }
  return kExitDone;
}

TChanges DeleteCookies(const std::vector<std::string>& names, bool dryRun) {
  const std::string folder = CookieFolder();
  const std::vector<TCookieFile> files = ListCookieFiles(folder);
  std::vector<TCookieFile> chosen;
  for (const std::string& name : names) {
    const auto file = std::find_if(files.begin(), files.end(), [&](const TCookieFile& f) { return f.name == name; });
    if (file == files.end()) throw EUsage("delete: no cookie file named " + name);
    chosen.push_back(*file);
  }
  // As the window does, but without the shell's question: a script has nobody to answer it.
  return RecycleCookieFiles(folder, chosen, false, dryRun).changes;
}

TChanges DeleteEntries(TListKind kind, const char* word, const std::vector<std::string>& names, bool dryRun) {
  // Every name is checked before anything goes: a mistyped one changes nothing at all. A name
  // given twice must be listed twice, as two Deletes in the window need two entries.
  TStrings entries = ListEntries(kind);
  for (const std::string& name : names) {
    const auto found = std::find(entries.begin(), entries.end(), name);
    if (found == entries.end()) throw EUsage(std::string("delete: no ") + word + " entry named " + name);
    entries.erase(found);
  }
  TChanges changes;
  for (const std::string& name : names) {
    TOutcome outcome = DeleteEntry(kind, name, dryRun);
    changes.insert(changes.end(), outcome.changes.begin(), outcome.changes.end());
  }
  return changes;
}

int Delete(const TOptions& options, std::ostream& out, std::ostream& err) {
  if (options.words.size() < 2) throw EUsage("delete: which list?");
  const TKindWords* words = KindNamed(options.words[1], &TKindWords::one);
  if (words == nullptr) throw EUsage("delete: unknown list " + options.words[1]);
  const std::vector<std::string> names(options.words.begin() + 2, options.words.end());
  if (names.empty()) throw EUsage("delete: no NAME given");
  const TChanges changes = words->kind == lkNone ? DeleteCookies(names, options.dryRun)
                                                 : DeleteEntries(words->kind, words->one, names, options.dryRun);
  return Report(changes, out, err);
}

int Dispatch(const TOptions& options, std::ostream& out, std::ostream& err) {
  const std::string& command = options.words.front();
  if (command == "--help") {
    ExpectOperands(options, 0);
    out << Usage();
    return kExitDone;
  }
  if (command == "--version") {
    ExpectOperands(options, 0);
    out << "norvanec " << NQ_VERSION << '\n';
    return kExitDone;
  }
  if (command == "list") return List(options, out, err);
  if (command == "delete") return Delete(options, out, err);
  if (command == "repair") {
    ExpectOperands(options, 0);
    return Report(RepairBrowserSettings(!options.keepStartup, options.dryRun), out, err);
  }
  if (command == "erase-tracks") {
    ExpectOperands(options, 0);
    // Nobody is there to answer a box: the failure is one line on stderr, and the run goes on.
    const auto printFailure = [&err](const std::string& message) { err << message << '\n'; };
    return Report(EraseTracks(options.dryRun, printFailure).changes, out, err);
  }
  if (command == "repair-browsers") {
    ExpectOperands(options, 0);
    return RepairBrowsers(options.dryRun, out, err);
  }
  if (command == "undo") return Undo(options, out, err);
  if (command == "clean-typed-urls") {
    ExpectOperands(options, 0);
    return Report(ClearTypedAddresses(options.dryRun).changes, out, err);
  }
  throw EUsage("unknown command " + command);
}

}  // namespace

std::string Usage() {
  return "usage: norvanec list startup|context-menu|toolbar|typed-urls|cookies|all [--json]\n"
         "       norvanec list browsers [--json]\n"
         "       norvanec list extensions [--json]\n"
         "       norvanec repair [--keep-startup] [--dry-run]\n"
         "       norvanec repair-browsers [--dry-run]\n"
         "       norvanec undo [--list] [ID] [--dry-run]\n"
         "       norvanec erase-tracks [--dry-run]\n"
         "       norvanec clean-typed-urls [--dry-run]\n"
         "       norvanec delete startup|context-menu|toolbar|typed-url|cookie NAME... [--dry-run]\n"
         "       norvanec --help | --version\n"
         "list prints one entry a line: kind, name and detail, separated by tabs (control characters\n"
         "in a text as \\xNN); list browsers prints browser, where, name, data, why and 'ticked' for\n"
         "what repair-browsers repairs; list extensions prints every browser profile's extensions:\n"
         "browser, profile, id, name, version, source, what it takes over, enabled or disabled, and\n"
         "why its manifest could not be read (a profile that could not be read goes to stderr);\n"
         "--json prints them as one JSON array. The other commands\n"
         "print one change a line: what (key, value, file, ...), where, the value's name, the data\n"
         "before and after, '-' for none; with --dry-run nothing changes and they print what would.\n"
         "repair-browsers first saves what it changes in an undo record; it repairs nothing when the\n"
         "record cannot be written. undo puts back the newest record not restored yet, or the record\n"
         "ID; undo --list prints each record's id, date, entries and state (complete, incomplete or\n"
         "restored). Changes the system refused, and what undo refuses because it changed since the\n"
         "repair (with why), go to stderr; so do the findings repair-browsers finds again after it ran\n"
         "('still present', browser, where, name). Exit codes: 0 done, 1 some changes refused or a\n"
         "finding still present, 2 bad usage, 3 an unexpected error.\n";
}

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  try {
    const int code = Dispatch(Parse(args), out, err);
    out.flush();
    return code;
  } catch (const EUsage& e) {
    err << "norvanec: " << e.what() << '\n' << Usage();
    return kExitUsage;
  } catch (const std::exception& e) {
    // One line, whatever the text: the platform's messages may end in a line break.
    std::string message = e.what();
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.')) {
      message.pop_back();
    }
    std::replace_if(message.begin(), message.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    err << "norvanec: " << message << '\n';
    return kExitError;
  }
}

}  // namespace nq::console
