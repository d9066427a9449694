#include "platform/sim/SimLinks.h"

#include <algorithm>
#include "platform/text.h"
#include <cctype>
#include <fstream>
#include <sstream>

namespace platform {
namespace {

constexpr char kMagic[] = "NQLINK\n";

void PutField(std::string& out, const std::string& text) { out.append(std::to_string(text.size())).append(":").append(text); }

// A field written by PutField at `at`; false when the data ends before it does.
bool GetField(const std::string& data, std::size_t& at, std::string* text) {
  const std::size_t colon = data.find(':', at);
  if (colon == std::string::npos || colon == at || colon - at > 6) return false;
  std::size_t length = 0;
  for (std::size_t i = at; i < colon; ++i) {
    if (std::isdigit(static_cast<unsigned char>(data[i])) == 0) return false;
    length = length * 10 + static_cast<std::size_t>(data[i] - '0');
  }
  if (data.size() - colon - 1 < length) return false;
  text->assign(data, colon + 1, length);
  at = colon + 1 + length;
  return true;
}

}  // namespace

HResult SimShellLinks::Load(const std::string& path, ShellLink* link) {
  if (!files_.FileExists(path)) return kFileNotFound;
  std::ifstream in(files_.HostPath(path), std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  const std::string data = buffer.str();
  const std::size_t magic = sizeof kMagic - 1;
  std::size_t at = magic;
  ShellLink read;
  if (data.compare(0, magic, kMagic) != 0 || !GetField(data, at, &read.target) ||
      !GetField(data, at, &read.arguments) || at != data.size()) {
    return kEFail;
  }
  *link = std::move(read);
  return 0;
}

HResult SimShellLinks::SaveArguments(const std::string& path, const std::string& arguments) {
  ShellLink link;
  if (const HResult loaded = Load(path, &link); loaded != 0) return loaded;
  link.arguments = arguments;
  return Create(path, link);
}

HResult SimShellLinks::Create(const std::string& path, const ShellLink& link) {
  std::string data = kMagic;
  PutField(data, link.target);
  PutField(data, link.arguments);
  std::ofstream out(files_.HostPath(path), std::ios::binary | std::ios::trunc);
  if (!out) return kFileNotFound;
  out << data;
  if (!out.flush()) return kEFail;
  ++saves;
  return 0;
}

std::string SimTaskScheduler::Fold(const std::string& path) {
  std::string folded = platform::Folded(path);
  if (folded.empty() || folded.front() != '\\') folded.insert(0, "\\");
  return folded;
}

std::string SimTaskScheduler::Parent(const std::string& path) {
  const std::size_t slash = path.rfind('\\');
  return slash == 0 || slash == std::string::npos ? "\\" : path.substr(0, slash);
}

bool SimTaskScheduler::FolderExists(const std::string& folded) const { return folders_.count(folded) != 0; }

HResult SimTaskScheduler::Enumerate(std::vector<ScheduledTask>* tasks) {
  if (stopped_) return kSchedServiceNotRunning;
  tasks->clear();
  for (const auto& entry : tasks_) {
    const std::string& folded = entry.first;
    const auto& task = entry.second;
    // A task below a folder that cannot be walked is not seen; the folder is listed instead.
    const auto deniedFolder = std::find_if(unreadable_.begin(), unreadable_.end(), [&](const std::string& f) {
      return FolderExists(f) && folded.compare(0, f.size() + 1, f + "\\") == 0;
    });
    if (deniedFolder != unreadable_.end()) continue;
    ScheduledTask listed{task.first, 0, {}};
    if (unreadable_.count(folded) != 0) {
      listed.result = kEAccessDenied;
    } else {
      listed.actions = task.second;
    }
    tasks->push_back(std::move(listed));
  }
  for (const std::string& folder : unreadable_) {
    if (FolderExists(folder)) tasks->push_back({folders_.at(folder), kEAccessDenied, {}});
  }
  return 0;
}

HResult SimTaskScheduler::Delete(const std::string& path) {
  if (stopped_) return kSchedServiceNotRunning;
  const std::string folded = Fold(path);
  const auto task = tasks_.find(folded);
  if (task == tasks_.end()) return kFileNotFound;
  if (undeletable_.count(folded) != 0) return kEAccessDenied;
  tasks_.erase(task);
  ++deletions;
  return 0;
}

HResult SimTaskScheduler::Register(const std::string& path, const std::vector<TaskAction>& actions) {
  if (stopped_) return kSchedServiceNotRunning;
  if (path.empty() || path.back() == '\\') return kEFail;
  const std::string folded = Fold(path);
  const std::string asMade = path.front() == '\\' ? path : "\\" + path;
  for (std::string folder = Parent(asMade); folder != "\\"; folder = Parent(folder)) folders_.emplace(Fold(folder), folder);
  tasks_[folded] = {asMade, actions};
  return 0;
}

}  // namespace platform
