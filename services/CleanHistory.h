// The routines through which the privacy tools reach the platform beyond the registry: the URL
// history object, the URL cache, the shell's file operation, the recycle bins and the Recent
// folder. Each makes and releases every platform object it needs within the call.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>

#include "platform/shell.h"

namespace nq {

// How a routine tells its caller of a failure the user should hear of, in the system's words; the
// caller shows it (a message box, a line on stderr). Empty: nobody is told.
using TReportFailure = std::function<void(const std::string& message)>;

// An error of the component system (a missing interface).
class EOleError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A component-system call that failed with an HRESULT; the text is the platform's for that code.
class EOleSysError : public EOleError {
 public:
  EOleSysError(const std::string& message, platform::HResult code) : EOleError(message), ErrorCode(code) {}
  platform::HResult ErrorCode;
};

// Clears the browser's URL history. True when the history object reports success; raises
// EOleSysError when the object cannot be created and EOleError when it lacks IUrlHistoryStg2.
bool ClearUrlHistory();
// Deletes every content entry of the URL cache; entries in use stay. Reports nothing.
void ClearUrlCache();
// Deletes one file for good, without a question. `path` is taken up to its first NUL; a path with
// '*' or '?' names no one file and is not handed to the shell.
void ShellDeleteFile(platform::WindowHandle owner, const std::string& path);
// Sends a list of files or folders (paths each ended by a NUL, the list by one more) to the
// Recycle Bin, each recorded (refused while it is still there); unless
// told not to, the shell asks the user first. Paths with '*' or '?' are left out; a dry run only
// records them.
// `name`, when given, is recorded with each: what the files were recycled for (an extension's id),
// by which the browser repair's undo record knows to keep a copy of them.
void RecycleFiles(platform::WindowHandle owner, const std::string& files, bool askFirst = true,
                  const std::string& name = {});
// Empties the recycle bins of all drives without confirmation, progress window or sound. When the
// shell's library cannot be loaded, `reportFailure` is told why and nothing is emptied.
void EmptyRecycleBin(const TReportFailure& reportFailure);
// Deletes every .lnk file of the user's Recent folder for good. A "Recent" value that is not text
// raises ERegistryException; a failure on one link is passed over. A link whose name came back
// with '?' goes by its 8.3 name, or stays when it has none.
void ClearRecentLinks();

// The text of a component-system failure: the platform's own, or "OLE error %.8x" without one.
std::string OleErrorText(platform::HResult code);

}  // namespace nq
