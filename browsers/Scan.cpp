#include <algorithm>
#include <cctype>
#include <optional>
#include <string_view>
#include <utility>

#include "browsers/BrowserKeys.h"
#include "browsers/Browsers.h"
#include "browsers/Kinds.h"
#include "browsers/PolicyText.h"
#include "platform/management.h"
#include "platform/shell.h"
#include "services/MainFunc.h"
#include "services/TextFiles.h"

namespace nq {

const TPolicyRoot* PolicyRootOf(const std::string& path) {
  for (const TPolicyRoot& root : kPolicyRoots) {
    if (KeyWithin(path, root.key)) return &root;
  }
  return nullptr;
}

namespace {

constexpr const char* kInvalidSettingsWhy =
    "Not valid JSON: the browser ignores it, yet still says it is managed by an organization.";

// Why a value of a policy key is a finding; null when it is not one. `below` is the path of the
// key it is in under the policy key, empty for a value of the policy key itself.
const char* PolicyValueWhy(const TPolicyRoot& root, const std::string& below, const std::string& name, bool* judged) {
  *judged = false;
  if (root.chromium) return below.empty() ? PolicyWhy(TPolicyAt::ChromiumValue, name, judged) : PolicyWhy(TPolicyAt::ChromiumList, below);
  return below.empty() ? PolicyWhy(TPolicyAt::FirefoxValue, name, judged) : PolicyWhy(TPolicyAt::FirefoxKey, below);
}

// The subkeys of a policy key whose values are findings; Firefox's are read to any depth.
bool IsListKey(const TPolicyRoot& root, const std::string& below) {
  return root.chromium ? PolicyWhy(TPolicyAt::ChromiumList, below) != nullptr : FirefoxKeyLeadsToFindings(below);
}

// Reads the policy values of one key and, below it, of the keys that hold policies.
class TPolicyWalk {
 public:
  TPolicyWalk(const TPolicyRoot& policy, RegKey root, TFindings& findings)
      : policy_(policy), root_(root), findings_(findings) {}

  // `below` is the path under the policy key (or its Recommended key), `base` that key's path.
  void Walk(const std::string& base, const std::string& below, int depth) {
    const std::string path = below.empty() ? base : base + "\\" + below;
    TStrings values, subkeys;
    {
      TRegistry reg;
      reg.SetRootKey(root_);
      if (!reg.OpenKey("\\" + path, false)) {
        // A key the user may only read still tells what it holds.
        reg.SetReadOnly(true);
        if (!reg.OpenKey("\\" + path, false)) return;
      }
      reg.GetValueNames(values);
      reg.GetKeyNames(subkeys);
      for (const std::string& name : values) Value(reg, path, below, name);
    }
    // Firefox's policy keys nest a few levels; a deeper tree is no policy of theirs.
    if (depth >= 4) return;
    for (const std::string& subkey : subkeys) {
      const std::string next = below.empty() ? subkey : below + "\\" + subkey;
      if (IsListKey(policy_, next)) Walk(base, next, depth + 1);
    }
  }

 private:
  void Value(TRegistry& reg, const std::string& path, const std::string& below, const std::string& name) {
    bool judged = false;
    const char* why = PolicyValueWhy(policy_, below, name, &judged);
    if (why != nullptr && judged) {
      // Judged by what it says, whichever of the two text types holds it.
      const std::optional<std::string> text = reg.ReadText(name);
      const TExtensionSettings scan = text ? ScanExtensionSettings(*text) : TExtensionSettings::Invalid;
      if (scan == TExtensionSettings::Harmless) return;
      if (scan == TExtensionSettings::Invalid) why = kInvalidSettingsWhy;
    }
    if (why == nullptr) return;
    TFinding finding;
    finding.kind = TFindingKind::PolicyValue;
    finding.browser = policy_.browser;
    finding.root = root_;
    finding.where = path;
    finding.name = name;
    finding.data = reg.DataText(name);
    finding.why = why;
    findings_.push_back(std::move(finding));
  }

  const TPolicyRoot& policy_;
  RegKey root_;
  TFindings& findings_;
};

void ReadPolicyValues(TFindings& findings) {
  // The machine's policies key is one for both views: read once.
  for (const RegKey root : {kHkeyCurrentUser, kHkeyLocalMachine}) {
    for (const TPolicyRoot& policy : kPolicyRoots) {
      TPolicyWalk walk(policy, root, findings);
      walk.Walk(policy.key, "", 0);
      if (policy.chromium) walk.Walk(std::string(policy.key) + "\\Recommended", "", 0);
    }
  }
}

void ReadPolicyFiles(TFindings& findings) {
  for (const std::string& folder : ProgramFolders("firefox.exe", "Mozilla Firefox", false)) {
    const std::string path = folder + "\\distribution\\policies.json";
    if (!platform::FileSystem().FileExists(path)) continue;
    std::string text;
    TPolicyFileScan scan;
    if (ReadTextFile(path, kMaxPolicyTextBytes, &text)) {
      scan = ScanPolicyFile(text);
    } else {
      scan.problem = "cannot be read, or is too large to be a policies file";
    }
    if (!scan.readable) {
      TFinding finding;
      finding.kind = TFindingKind::UnreadableFile;
      finding.browser = "Firefox";
      finding.where = path;
      finding.why = "The policies file is " + scan.problem + "; it is shown, never rewritten.";
      findings.push_back(std::move(finding));
      continue;
    }
    for (TPolicyFileScan::TPolicy& policy : scan.policies) {
      TFinding finding;
      finding.kind = TFindingKind::PolicyFile;
      finding.browser = "Firefox";
      finding.where = path;
      finding.why = PolicyWhy(TPolicyAt::FirefoxFile, policy.name);
      finding.name = std::move(policy.name);
      finding.data = std::move(policy.json);
      findings.push_back(std::move(finding));
    }
  }
}

struct TExtensionsKey {
  const char* browser;
  const char* key;
};
constexpr TExtensionsKey kExtensionsKeys[] = {
    {"Chrome", "Software\\Google\\Chrome\\Extensions"},
    {"Edge", "Software\\Microsoft\\Edge\\Extensions"},
    {"Brave", "Software\\BraveSoftware\\Brave\\Extensions"},
};

void ReadExternalExtensions(RegKey root, TRegView view, TFindings& findings) {
  for (const TExtensionsKey& extensions : kExtensionsKeys) {
    TStrings ids;
    ListSubkeys(root, std::string("\\") + extensions.key, ids, view);
    for (const std::string& id : ids) {
      const std::string path = std::string(extensions.key) + "\\" + id;
      TRegistry reg(view);
      reg.SetRootKey(root);
      reg.SetReadOnly(true);
      if (!reg.OpenKey("\\" + path, false)) continue;
      const std::string crx = reg.ReadText("path").value_or("");
      const std::string update = reg.ReadText("update_url").value_or("");
      if (crx.empty() && update.empty()) continue;
      TFinding finding;
      finding.kind = TFindingKind::ExternalExtension;
      finding.browser = extensions.browser;
      finding.root = root;
      finding.view = view;
      finding.where = path;
      if (!crx.empty()) {
        finding.name = "path";
        finding.data = crx;
        const std::string version = reg.ReadText("version").value_or("");
        if (!version.empty()) finding.data += " (version " + version + ")";
        finding.why = "Installs an extension from a file on this computer, outside any store.";
        finding.ticked = true;
      } else if (!IsStoreAddress(update)) {
        finding.name = "update_url";
        finding.data = update;
        finding.why = "Installs an extension from a site outside the browser's store.";
        finding.ticked = true;
      } else {
        finding.name = "update_url";
        finding.data = update;
        finding.why = "Installs an extension from the browser's store; left alone unless you tick it.";
      }
      findings.push_back(std::move(finding));
    }
  }
}

constexpr const char* kEnrollments = "Software\\Microsoft\\Enrollments";
// The id a hijacker's enrollment takes: no management service hands it out.
constexpr std::string_view kFakeEnrollmentId = "FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF";

// Whether the management client's certificate that an enrollment names in SslClientCertReference
// ("MY;System;<thumbprint>": the store, the machine's or the user's, the SHA-1 thumbprint) is in
// that store. Names and addresses anyone can type into the registry; the certificate comes only
// from enrolling with a real server.
bool HasClientCertificate(TRegistry& reg) {
  const std::optional<std::string> reference = reg.ReadText("SslClientCertReference");
  if (!reference) return false;
  const std::size_t first = reference->find(';');
  const std::size_t second = first == std::string::npos ? first : reference->find(';', first + 1);
  if (second == std::string::npos) return false;
  const std::string store = reference->substr(0, first);
  const std::string_view location = std::string_view(*reference).substr(first + 1, second - first - 1);
  const std::string thumbprint = reference->substr(second + 1);
  if (store.empty()) return false;
  platform::CertStoreLocation where;
  if (EqualNoCase(location, "System")) {
    where = platform::CertStoreLocation::LocalMachine;
  } else if (EqualNoCase(location, "User")) {
    where = platform::CertStoreLocation::CurrentUser;
  } else {
    return false;
  }
  return platform::Management().HasCertificate(where, store, thumbprint);
}

// Each enrollment with EnrollmentState 1 in one view: backed by its client certificate (`served`)
// or not (a finding).
void ReadEnrollments(TRegView view, bool* served, TFindings* fake) {
  TStrings ids;
  ListSubkeys(kHkeyLocalMachine, std::string("\\") + kEnrollments, ids, view);
  for (const std::string& id : ids) {
    const std::string path = std::string(kEnrollments) + "\\" + id;
    TRegistry reg(view);
    reg.SetRootKey(kHkeyLocalMachine);
    reg.SetReadOnly(true);
    if (!reg.OpenKey("\\" + path, false) || reg.DataText("EnrollmentState") != "dword:00000001") continue;
    std::string_view bare = id;
    if (bare.size() == kFakeEnrollmentId.size() + 2 && bare.front() == '{' && bare.back() == '}') {
      bare = bare.substr(1, kFakeEnrollmentId.size());
    }
    if (!EqualNoCase(bare, kFakeEnrollmentId) && HasClientCertificate(reg)) {
      *served = true;
      continue;
    }
    if (fake == nullptr) continue;
    TFinding finding;
    finding.kind = TFindingKind::Enrollment;
    finding.browser = "Windows";
    finding.root = kHkeyLocalMachine;
    finding.view = view;
    finding.where = path;
    finding.name = "EnrollmentState";
    finding.data = "dword:00000001";
    finding.why =
        "A management enrollment with no server behind it: it makes the browsers obey policies a hijacker set.";
    fake->push_back(std::move(finding));
  }
}

bool JoinedToOrganization() {
  platform::IManagement& management = platform::Management();
  std::string name;
  platform::NetSetupJoinStatus status = platform::NetSetupJoinStatus::Unknown;
  if (management.NetGetJoinInformation(&name, &status) == platform::kNerrSuccess &&
      status == platform::NetSetupJoinStatus::Domain) {
    return true;
  }
  // Only a device join: a work account merely added to a home PC manages nothing.
  platform::DsregJoinType join = platform::DsregJoinType::Unknown;
  return management.NetGetAadJoinInformation(&join) >= 0 && join == platform::DsregJoinType::Device;
}

}  // namespace

void FindPolicyValues(TFindings& findings) { ReadPolicyValues(findings); }

TStrings ProgramFolders(const std::string& exe, const std::string& folder, bool perUser) {
  TStrings folders;
  const auto add = [&](std::string program) {
    if (program.size() >= 2 && program.front() == '"') program = program.substr(1, program.find('"', 1) - 1);
    const std::size_t slash = program.rfind('\\');
    if (slash == std::string::npos || slash == 0) return;
    const std::string found = program.substr(0, slash);
    if (platform::HasWildcard(found) || !platform::FileSystem().FileExists(found + "\\" + exe)) return;
    if (std::none_of(folders.begin(), folders.end(), [&](const std::string& f) { return EqualNoCase(f, found); })) {
      folders.push_back(found);
    }
  };
  const std::string appPath = "\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" + exe;
  for (const TRegView view : kMachineViews) add(ReadStringValue(kHkeyLocalMachine, appPath, "", false, view));
  add(ReadStringValue(kHkeyCurrentUser, appPath, ""));
  const std::string current = "\\Software\\Microsoft\\Windows\\CurrentVersion";
  for (const TRegView view : kMachineViews) {
    for (const char* name : {"ProgramFilesDir", "ProgramFilesDir (x86)"}) {
      const std::string programs = ReadStringValue(kHkeyLocalMachine, current, name, false, view);
      if (!programs.empty()) add(programs + "\\" + folder + "\\" + exe);
    }
  }
  if (perUser) {
    const std::string local = GetShellFolder("Local AppData");
    if (!local.empty()) add(local + "\\" + folder + "\\" + exe);
  }
  return folders;
}
void FindPolicyFiles(TFindings& findings) { ReadPolicyFiles(findings); }

void FindExternalExtensions(TFindings& findings) {
  for (const TRegView view : kMachineViews) ReadExternalExtensions(kHkeyLocalMachine, view, findings);
  ReadExternalExtensions(kHkeyCurrentUser, TRegView::Default, findings);
}

void FindFakeEnrollments(TFindings& findings) {
  bool served = false;
  for (const TRegView view : kMachineViews) ReadEnrollments(view, &served, &findings);
}

bool MachineIsManaged() {
  if (JoinedToOrganization()) return true;
  bool served = false;
  for (const TRegView view : kMachineViews) ReadEnrollments(view, &served, nullptr);
  return served;
}

TFindings FindBrowserHijacks() {
  TFindings findings;
  for (const TKindRow& row : kKindRows) {
    if (row.find != nullptr) row.find(findings);
  }
  // Policies, and an enrollment that makes them count, belong to an organization only where there is one.
  const bool managed = MachineIsManaged();
  for (TFinding& finding : findings) {
    switch (KindRow(finding.kind).verdict) {
      case TVerdict::Organization:
        finding.ticked = !managed;
        if (managed) finding.why = std::string(kManagedWhy) + " " + finding.why;
        break;
      case TVerdict::OwnUnmanaged:
        if (managed) {
          finding.ticked = false;
          finding.why = std::string(kManagedWhy) + " " + finding.why;
        }
        break;
      case TVerdict::Never: finding.ticked = false; break;
      case TVerdict::Own: break;
    }
  }
  FindExtensionHijacks(findings);
  return findings;
}

}  // namespace nq
