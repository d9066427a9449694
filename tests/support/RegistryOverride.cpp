// The Windows tier's registry sandbox. It needs RegOverridePredefKey and key security, which no
// product interface offers, so this test helper talks to advapi32 itself.
#ifdef _WIN32

#include "tests/support/RegistryOverride.h"

#include <windows.h>
#include <sddl.h>

#include <cctype>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace nqtest {
namespace {

struct Root {
  platform::RegKey key;
  HKEY hkey;
  const char* name;        // the scratch subkey standing for the root
  const char* longName;
};

const Root kRoots[3] = {
    {platform::kHkeyClassesRoot, HKEY_CLASSES_ROOT, "HKCR", "HKEY_CLASSES_ROOT"},
    {platform::kHkeyCurrentUser, HKEY_CURRENT_USER, "HKCU", "HKEY_CURRENT_USER"},
    {platform::kHkeyLocalMachine, HKEY_LOCAL_MACHINE, "HKLM", "HKEY_LOCAL_MACHINE"},
};

// Only one redirection at a time: a second would land inside the first one's scratch key.
bool g_active = false;

std::string ErrorText(const char* what, LONG error) { return std::string(what) + " failed with error " + std::to_string(error); }

class Sd {
 public:
  explicit Sd(const char* sddl) {
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &sd_, nullptr)) {
      throw std::runtime_error("cannot build a security descriptor from " + std::string(sddl));
    }
  }
  ~Sd() { LocalFree(sd_); }
  Sd(const Sd&) = delete;
  Sd& operator=(const Sd&) = delete;
  PSECURITY_DESCRIPTOR get() const { return sd_; }

 private:
  PSECURITY_DESCRIPTOR sd_ = nullptr;
};

// Everyone may read and may change the DACL (so that the key can be given back and deleted), and
// nobody may write. The owner becomes SYSTEM, as for the machine's own keys: Wine grants a key's
// owner DELETE whatever the DACL says.
constexpr const char* kReadOnlySddl = "O:SYD:P(A;OICI;KRWD;;;WD)";
constexpr const char* kReadOnlyDaclSddl = "D:P(A;OICI;KRWD;;;WD)";
constexpr const char* kFullSddl = "D:P(A;OICI;KA;;;WD)";

// Gives `sub` under `parent` and every key below it the security of `sd` named by `info`.
LONG SetTreeSecurity(HKEY parent, const char* sub, PSECURITY_DESCRIPTOR sd,
                     SECURITY_INFORMATION info = DACL_SECURITY_INFORMATION) {
  HKEY key = nullptr;
  const REGSAM access = READ_CONTROL | WRITE_DAC | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE |
                        ((info & OWNER_SECURITY_INFORMATION) ? WRITE_OWNER : 0);
  LONG error = RegOpenKeyExA(parent, sub, 0, access, &key);
  if (error != ERROR_SUCCESS) return error;
  std::vector<std::string> children;
  char name[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = sizeof name;
    if (RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    children.emplace_back(name, length);
  }
  error = RegSetKeySecurity(key, info, sd);
  for (const std::string& child : children) {
    const LONG e = SetTreeSecurity(key, child.c_str(), sd, info);
    if (error == ERROR_SUCCESS) error = e;
  }
  RegCloseKey(key);
  return error;
}

// Handing a key to another owner needs SeRestorePrivilege, which the token holds but not enabled.
bool EnablePrivilege(const char* name, bool enable) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token)) return false;
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
  bool done = LookupPrivilegeValueA(nullptr, name, &privileges.Privileges[0].Luid) &&
              AdjustTokenPrivileges(token, FALSE, &privileges, sizeof privileges, nullptr, nullptr) &&
              GetLastError() == ERROR_SUCCESS;
  CloseHandle(token);
  return done;
}

bool KeyExists(HKEY parent, const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

int RootIndex(platform::RegKey root) {
  for (int i = 0; i < 3; ++i) {
    if (kRoots[i].key == root) return i;
  }
  throw std::invalid_argument("not a root");
}

bool StartsWithNoCase(const std::string& s, std::size_t at, const char* prefix) {
  for (std::size_t i = 0; prefix[i]; ++i) {
    if (at + i >= s.size() || std::toupper(static_cast<unsigned char>(s[at + i])) != prefix[i]) return false;
  }
  return true;
}

}  // namespace

bool RunningUnderWine() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

unsigned ProcessCodePage() { return GetACP(); }

RegistryOverride::RegistryOverride() {
  if (g_active) throw std::runtime_error("a registry redirection is already active");
  static int counter = 0;
  scratch_ = "Software\\NorvaneTests\\" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);

  // Every scratch key is made before any root moves, while HKEY_CURRENT_USER is still the real one.
  HKEY keys[3] = {nullptr, nullptr, nullptr};
  LONG error = ERROR_SUCCESS;
  for (int i = 0; i < 3 && error == ERROR_SUCCESS; ++i) {
    error = RegCreateKeyExA(HKEY_CURRENT_USER, (scratch_ + "\\" + kRoots[i].name).c_str(), 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &keys[i], nullptr);
  }
  // The machine's software key holds the 32-bit view's copy, as on every 64-bit Windows: with it,
  // Wine sends a 32-bit view open below the redirected root there too. No key is shared between the
  // views here (on the machine itself Wine shares "Software\Policies").
  if (error == ERROR_SUCCESS) {
    HKEY wow = nullptr;
    error = RegCreateKeyExA(keys[2], "Software\\Wow6432Node", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, &wow, nullptr);
    if (wow) RegCloseKey(wow);
  }
  HKEY scratch = nullptr;
  if (error == ERROR_SUCCESS) error = RegOpenKeyExA(HKEY_CURRENT_USER, scratch_.c_str(), 0, KEY_ALL_ACCESS, &scratch);
  g_active = true;
  for (int i = 0; i < 3 && error == ERROR_SUCCESS; ++i) {
    error = RegOverridePredefKey(kRoots[i].hkey, keys[i]);
    overridden_[i] = error == ERROR_SUCCESS;
  }
  for (HKEY key : keys) {
    if (key) RegCloseKey(key);
  }
  // Trust the redirection only once a key made through each root shows up in the scratch key.
  std::string failure = error == ERROR_SUCCESS ? std::string() : ErrorText("redirecting the registry", error);
  for (int i = 0; i < 3 && failure.empty(); ++i) {
    HKEY probe = nullptr;
    error = RegCreateKeyExA(kRoots[i].hkey, "NorvaneOverrideProbe", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, &probe, nullptr);
    if (error != ERROR_SUCCESS) {
      failure = ErrorText("probing the redirected registry", error);
      break;
    }
    RegCloseKey(probe);
    if (!KeyExists(scratch, std::string(kRoots[i].name) + "\\NorvaneOverrideProbe")) {
      failure = std::string(kRoots[i].longName) + " is not redirected into the scratch key";
    }
    RegDeleteKeyA(kRoots[i].hkey, "NorvaneOverrideProbe");
  }
  scratchKey_ = scratch;
  if (!failure.empty()) {
    Restore();
    throw std::runtime_error(failure);
  }
}

RegistryOverride::~RegistryOverride() { Restore(); }

void RegistryOverride::Restore() noexcept {
  for (int i = 0; i < 3; ++i) {
    if (overridden_[i]) RegOverridePredefKey(kRoots[i].hkey, nullptr);
    overridden_[i] = false;
  }
  g_active = false;
  if (scratchKey_) RegCloseKey(static_cast<HKEY>(scratchKey_));
  scratchKey_ = nullptr;
  // HKEY_CURRENT_USER is the real one again: give the scratch key back its rights and delete it.
  try {
    for (int i = 0; i < 3; ++i) {
      if (!readOnly_[i]) continue;
      Sd full(kFullSddl);
      SetTreeSecurity(HKEY_CURRENT_USER, (scratch_ + "\\" + kRoots[i].name).c_str(), full.get());
      readOnly_[i] = false;
    }
  } catch (...) {
  }
  RegDeleteTreeA(HKEY_CURRENT_USER, scratch_.c_str());
  // The parent goes too once no other run holds a scratch key in it.
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\NorvaneTests");
}

std::string RegistryOverride::MakeReadOnly(platform::RegKey root) {
  const int i = RootIndex(root);
  HKEY scratch = static_cast<HKEY>(scratchKey_);
  std::string reason;
  {
    readOnly_[i] = true;
    LONG error = ERROR_PRIVILEGE_NOT_HELD;
    if (EnablePrivilege(SE_RESTORE_NAME, true)) {
      Sd readOnly(kReadOnlySddl);
      error = SetTreeSecurity(scratch, kRoots[i].name, readOnly.get(),
                              OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION);
      EnablePrivilege(SE_RESTORE_NAME, false);
    }
    if (error != ERROR_SUCCESS) {
      // Without the privilege the keys stay ours; Windows still refuses DELETE through the DACL.
      Sd readOnly(kReadOnlyDaclSddl);
      error = SetTreeSecurity(scratch, kRoots[i].name, readOnly.get());
    }
    if (error != ERROR_SUCCESS) reason = ErrorText("setting key security", error);
  }
  if (reason.empty()) {
    HKEY probe = nullptr;
    const LONG error = RegOpenKeyExA(scratch, kRoots[i].name, 0, KEY_ALL_ACCESS, &probe);
    if (error == ERROR_SUCCESS) {
      RegCloseKey(probe);
      reason = RunningUnderWine() ? "Wine does not enforce a key's DACL: a key that grants only KEY_READ still opens "
                                    "with KEY_ALL_ACCESS"
                                  : "a key that grants only KEY_READ still opens with KEY_ALL_ACCESS (an "
                                    "administrator's token?)";
    } else if (error != ERROR_ACCESS_DENIED) {
      reason = ErrorText("opening the read-only key", error);
    }
  }
  if (!reason.empty()) {
    Sd full(kFullSddl);
    SetTreeSecurity(scratch, kRoots[i].name, full.get());
    readOnly_[i] = false;
    return reason;
  }
  // The root's own handle was opened with every right; point the root at one that may only read,
  // so that writing to the root itself is refused too.
  HKEY reading = nullptr;
  LONG error = RegOpenKeyExA(scratch, kRoots[i].name, 0, KEY_READ, &reading);
  if (error == ERROR_SUCCESS) {
    error = RegOverridePredefKey(kRoots[i].hkey, reading);
    RegCloseKey(reading);
  }
  return error == ERROR_SUCCESS ? std::string() : ErrorText("reopening the read-only root", error);
}

void RegistryOverride::ImportWithRegedit(const std::string& text) {
  // Rewrite "[ROOT\..." and "[-ROOT\..." to the scratch key of that root.
  std::string out;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    std::size_t at = line.find_first_not_of(" \t");
    if (at != std::string::npos && line[at] == '[') {
      std::size_t rootAt = at + 1 + (at + 1 < line.size() && line[at + 1] == '-' ? 1 : 0);
      for (const Root& r : kRoots) {
        for (const char* name : {r.longName, r.name}) {
          const std::size_t after = rootAt + std::strlen(name);
          if (StartsWithNoCase(line, rootAt, name) && after < line.size() && (line[after] == '\\' || line[after] == ']')) {
            line = line.substr(0, rootAt) + "HKEY_CURRENT_USER\\" + scratch_ + "\\" + r.name + line.substr(after);
            goto rewritten;
          }
        }
      }
    rewritten:;
    }
    out += line;
    out += '\n';
    start = end + 1;
  }

  char folder[MAX_PATH], file[MAX_PATH];
  if (!GetTempPathA(MAX_PATH, folder) || !GetTempFileNameA(folder, "nqr", 0, file)) {
    throw std::runtime_error("no temporary file for regedit");
  }
  {
    std::ofstream f(file, std::ios::binary);
    f << out;
  }
  std::string command = "regedit.exe /s \"" + std::string(file) + "\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  const BOOL started =
      CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
  DWORD waited = WAIT_FAILED, code = 1;
  if (started) {
    waited = WaitForSingleObject(pi.hProcess, 120000);
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  DeleteFileA(file);
  if (!started) throw std::runtime_error("cannot start regedit: error " + std::to_string(GetLastError()));
  if (waited != WAIT_OBJECT_0) throw std::runtime_error("regedit did not finish");
}

}  // namespace nqtest

#endif  // _WIN32
