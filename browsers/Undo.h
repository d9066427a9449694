// The undo records of the browser repair: before the repair changes anything, what it is about to
// change is saved in a folder of the user's local application data, and an undo puts it back.
//
// A record is a folder "<yyyy-mm-dd hh-mm-ss>" (" (2)" and on for a second one in the same second)
// under "%LOCALAPPDATA%\Norvane And Quillet\Undo", holding:
//   registry.reg  every key the repair deletes, with its subtree, and every key a value it deletes
//                 lies in: REGEDIT5, UTF-16LE, as regedit exports it and imports it by hand. A key
//                 of the 32-bit view is written under its Wow6432Node path, as regedit names it, so
//                 that an import lands in that view; the index names the view and the path in it.
//   file-N.bin    a policies file's (or an install folder's extensions list's) bytes as they were
//   file-N-r.bin  a file the repair sent to the Recycle Bin alone (an install folder's <id>.json)
//   task-N.xml    a task's definition as the Task Scheduler gave it (UTF-8)
//   index.json    what the record holds, written last and moved into place whole: a folder
//                 without it is a record the repair never finished writing, shown and never used.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "browsers/Findings.h"
#include "services/Changes.h"

namespace nq {

// "%LOCALAPPDATA%\Norvane And Quillet\Undo" as "Shell Folders" names the first; empty when unknown.
std::string UndoFolder();

struct TUndoRecord {
  enum class TState { Complete, Incomplete, Restored };
  std::string id;       // the folder's name
  std::string created;  // "yyyy-mm-dd hh:mm:ss", local time
  std::size_t entries = 0;
  TState state = TState::Incomplete;
};
const char* UndoStateText(TUndoRecord::TState state);  // "complete", "incomplete", "restored"

// Every record, newest first.
std::vector<TUndoRecord> ListUndoRecords();
// The newest record not restored yet and complete; empty when there is none.
std::string LatestUndoRecord();

struct TRepairWithUndo {
  bool started = false;  // false: the record could not be written and nothing was changed
  std::string why;       // why it did not start
  std::string record;    // the record's id
  TOutcome outcome;      // the repair's
};
// Writes the record of what repairing `ticked` changes, then repairs (RepairFindings), then notes
// in the record what the repair wrote; removes the records older than 30 days and those beyond the
// 20 newest. `now` names the record and dates the others' age.
TRepairWithUndo RepairWithUndo(const TFindings& ticked, std::time_t now = std::time(nullptr));

// Puts back what the record `id` holds: registry values with their kind and bytes, keys, a
// policies file and a shortcut's arguments when the file is still the one the repair wrote, tasks
// from their definitions. What is already back is left as it is; what changed since the repair is
// refused, with the reason in the change's `why`. The record is then marked restored. A dry run
// changes nothing and returns what the undo would do. When the record cannot be used at all
// (unknown, incomplete, restored already), nothing is done and `why` (optional) says why.
TOutcome UndoRepair(const std::string& id, bool dryRun = false, std::string* why = nullptr);

}  // namespace nq
