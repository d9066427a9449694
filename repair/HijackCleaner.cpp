// The hijack cleaner: takes script, HTML-application and registry-editor commands out of the
// startup keys. And ProtectIE, which puts the scripting shell object's class entry back.
#include "repair/Repair.h"
#include "services/MainFunc.h"
#include "services/StartupKeys.h"

namespace nq {
namespace {

struct TClassValue {
  const char* key;
  const char* name;
  const char* data;
};

// The scripting shell object's registration. The server file's path is left as it is: it differs
// from one system to the next.
constexpr TClassValue kScriptShellClass[] = {
    {"\\CLSID\\{F935DC22-1CF0-11D0-ADB9-00C04FD58A0B}", "", "Windows Script Host Shell Object"},
    {"\\CLSID\\{F935DC22-1CF0-11D0-ADB9-00C04FD58A0B}\\TypeLib", "", "{F935DC20-1CF0-11D0-ADB9-00C04FD58A0B}"},
    {"\\CLSID\\{F935DC22-1CF0-11D0-ADB9-00C04FD58A0B}\\ProgID", "", "WScript.Shell.1"},
    {"\\CLSID\\{F935DC22-1CF0-11D0-ADB9-00C04FD58A0B}\\Programmable", "", ""},
    {"\\CLSID\\{F935DC22-1CF0-11D0-ADB9-00C04FD58A0B}\\InProcServer32", "ThreadingModel", "Apartment"},
};

}  // namespace

TChanges CleanHijackEntries(bool dryRun) {
  TChangeRecorder recorder(dryRun);
  // A key that is missing or refused is passed over; the others are still cleaned.
  for (const TRegKeyRef& key : kStartupLookupOrder) DeleteHijackValues(key.root, key.path, key.view);
  return recorder.Take();
}

TChanges ProtectScriptShell(bool dryRun) {
  TChangeRecorder recorder(dryRun);
  for (const TClassValue& value : kScriptShellClass) {
    WriteStringValue(kHkeyClassesRoot, value.key, value.name, value.data);
  }
  return recorder.Take();
}

}  // namespace nq
