// Windows tier only: redirects HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE and HKEY_CLASSES_ROOT of this
// process into a fresh scratch key under the real HKEY_CURRENT_USER
// (Software\NorvaneTests\<pid>-<n>\HKCU, ...\HKLM, ...\HKCR), so that the real calls can be tested
// without touching anyone's registry. The redirection is checked before it is trusted, and undone
// and the scratch key deleted when the object goes, also when a test fails.
#pragma once

#ifdef _WIN32

#include <string>

#include "platform/registry.h"

namespace nqtest {

class RegistryOverride {
 public:
  // Throws std::runtime_error when the scratch key cannot be made or a root does not land in it.
  RegistryOverride();
  ~RegistryOverride();
  RegistryOverride(const RegistryOverride&) = delete;
  RegistryOverride& operator=(const RegistryOverride&) = delete;

  // The scratch key's path under the real HKEY_CURRENT_USER.
  const std::string& ScratchPath() const { return scratch_; }

  // Makes the redirected `root` readable but not writable for this process, as HKEY_LOCAL_MACHINE is
  // for a standard user: every key now under it gets a DACL that grants only KEY_READ, and the root
  // itself is reopened for reading. Load its keys first. Empty on success, else why it cannot be.
  std::string MakeReadOnly(platform::RegKey root);

  // Imports REGEDIT4 text with `regedit /s`. regedit runs in its own process and does not see this
  // process's redirection, so the roots in the text are rewritten to the scratch key first.
  void ImportWithRegedit(const std::string& text);

 private:
  void Restore() noexcept;

  std::string scratch_;
  void* scratchKey_ = nullptr;  // the scratch key itself, opened before any root moved
  bool overridden_[3] = {false, false, false};
  bool readOnly_[3] = {false, false, false};
};

// True when running under Wine rather than Windows.
bool RunningUnderWine();

// The process's code page, in which the 8-bit calls carry names (65001: UTF-8).
unsigned ProcessCodePage();

}  // namespace nqtest

#endif  // _WIN32
