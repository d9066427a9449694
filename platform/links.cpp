#include "platform/links.h"

#include <stdexcept>

namespace platform {
namespace {

IShellLinks* g_links = nullptr;
ITaskScheduler* g_scheduler = nullptr;

// Never a fall-back to a real back end: a test that forgot to install one must not reach the
// user's shortcuts or tasks.
[[noreturn]] void NotInstalled(const char* what) {
  throw std::logic_error(std::string("no ") + what + " back end installed");
}

}  // namespace

IShellLinks& ShellLinks() {
  if (g_links == nullptr) NotInstalled("shell link");
  return *g_links;
}

ITaskScheduler& TaskScheduler() {
  if (g_scheduler == nullptr) NotInstalled("task scheduler");
  return *g_scheduler;
}

IShellLinks* SetShellLinks(IShellLinks* links) {
  IShellLinks* previous = g_links;
  g_links = links;
  return previous;
}

ITaskScheduler* SetTaskScheduler(ITaskScheduler* scheduler) {
  ITaskScheduler* previous = g_scheduler;
  g_scheduler = scheduler;
  return previous;
}

}  // namespace platform
