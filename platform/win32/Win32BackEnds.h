// The real Win32 back ends, installed for as long as this lives: what both entry points, the
// window program's and the console's, run on. The component system comes first, on this thread,
// for the URL history object.
#pragma once

#include "platform/links.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/files.h"
#include "platform/management.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Links.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32UrlCache.h"
#include "platform/win32/Win32UrlHistory.h"

namespace platform {

class Win32BackEnds {
 public:
  Win32BackEnds() {
    SetRegistry(&registry_);
    SetUrlCache(&urlCache_);
    SetUrlHistory(&urlHistory_);
    SetShell(&shell_);
    SetFileSystem(&fileSystem_);
    SetFiles(&files_);
    SetManagement(&management_);
    SetShellLinks(&shellLinks_);
    SetTaskScheduler(&taskScheduler_);
  }
  Win32BackEnds(const Win32BackEnds&) = delete;
  Win32BackEnds& operator=(const Win32BackEnds&) = delete;

 private:
  ComApartment com_;
  Win32Registry registry_;
  Win32UrlCache urlCache_;
  Win32UrlHistory urlHistory_;
  Win32Shell shell_;
  Win32FileSystem fileSystem_;
  Win32Files files_;
  Win32Management management_;
  Win32ShellLinks shellLinks_;
  Win32TaskScheduler taskScheduler_;
};

}  // namespace platform
