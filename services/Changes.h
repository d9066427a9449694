// What a feature changed, or on a dry run would change: each key, value and file it touched, with
// what was there before and what is there after. The registry store and the shell routines write
// to the recorder in force at the point where they change something, so that a dry run goes through
// the very code of a real one and stops only at the call that would change the system.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "services/Registry.h"

namespace nq {

struct TChange {
  enum class TKind {
    Key,         // a registry key: "" when it exists, "-" when not
    Value,       // a registry value: its data as REGEDIT4 writes it ("text", dword:...), "-" when none
    File,        // a file: "file" while it exists, "-" once deleted, "Recycle Bin" once recycled
    CacheEntry,  // an entry of the browser's URL cache: "entry", then "-"
    RecycleBin,  // the recycle bins of all drives: "any", then "empty"
    History,     // the browser's URL history: "any", then "empty"
    Shortcut,    // a shortcut file: its arguments before and after
    Task,        // a scheduled task: "task" while it exists, "-" once deleted
  };
  TKind kind = TKind::Value;
  RegKey root = 0;
  TRegView view = TRegView::Default;
  std::string path{};  // a key's path from its root (no leading backslash), a file's full path, a URL
  std::string name{};  // the value's name
  std::string before{};
  std::string after{};
  // Refused by the system (a machine-wide key for a user who may not change it): nothing changed.
  bool refused = false;
  // Why it was refused, when the system is not the reason (an undo finds a file changed since).
  std::string why{};

  bool operator==(const TChange&) const = default;
};

using TChanges = std::vector<TChange>;

// What a feature's function returns: whether it did what it was for (the condition for its
// report), and what it changed.
struct TOutcome {
  bool done = false;
  TChanges changes;
};

inline constexpr const char* kNone = "-";

class TReadOnlyViews;

// Collects the changes made while it lives, on its own thread. A dry run changes nothing: the
// routines record what they would change and go on as if they had, and the back ends underneath
// are read-only views while it lasts, so a write that slips through is refused. Recorders nest:
// what an inner one records, the ones around it record too, and a recorder opened inside a dry run
// is dry as well. They close in the reverse order of opening; any other order ends the program.
class TChangeRecorder {
 public:
  explicit TChangeRecorder(bool dryRun = false);
  // A recorder of its own: what it records stays with it, not with the ones around it.
  struct TIsolated {};
  TChangeRecorder(bool dryRun, TIsolated);
  ~TChangeRecorder();
  TChangeRecorder(const TChangeRecorder&) = delete;
  TChangeRecorder& operator=(const TChangeRecorder&) = delete;

  bool DryRun() const { return dryRun_; }
  const TChanges& Changes() const { return changes_; }
  TChanges Take() { return std::move(changes_); }
  void Add(TChange change);

 private:
  TChangeRecorder* outer_;
  bool dryRun_;
  bool isolated_ = false;
  TChanges changes_;
  std::unique_ptr<TReadOnlyViews> views_;  // the outermost dry recorder's
};

// The innermost recorder in force; null outside any.
TChangeRecorder* ChangeRecorder();
// True inside a dry run: the caller must leave the system as it is.
bool DryRun();
// Records a change with the recorder in force, if there is one.
void RecordChange(TChange change);

// Called with the call's name when a write reaches a back end during a dry run, before it is
// refused. The program needs none (the caller records the refusal); tests make it fail loudly.
using TDryRunWriteHandler = void (*)(const char* call);
// Installs `handler` (null for none) and returns the one it replaces.
TDryRunWriteHandler SetDryRunWriteHandler(TDryRunWriteHandler handler);

// "HKEY_LOCAL_MACHINE\Software\...\Run [32-bit]", "C:\...\file.txt": where a change happened.
std::string ChangeWhere(const TChange& change);

}  // namespace nq
