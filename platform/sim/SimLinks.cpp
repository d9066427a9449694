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

std::string XmlEscaped(const std::string& text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string XmlUnescaped(const std::string& text) {
  static const std::pair<const char*, char> kEntities[] = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    bool replaced = false;
    for (const auto& [entity, c] : kEntities) {
      if (text.compare(i, std::char_traits<char>::length(entity), entity) == 0) {
        out += c;
        i += std::char_traits<char>::length(entity);
        replaced = true;
        break;
      }
    }
    if (!replaced) out += text[i++];
  }
  return out;
}

// The text of the first <tag> within [from, to), or false.
bool ElementText(const std::string& xml, const std::string& tag, std::size_t from, std::size_t to, std::string* text) {
  const std::string open = "<" + tag + ">", close = "</" + tag + ">";
  const std::size_t start = xml.find(open, from);
  if (start == std::string::npos || start >= to) return false;
  const std::size_t end = xml.find(close, start);
  if (end == std::string::npos || end > to) return false;
  *text = XmlUnescaped(xml.substr(start + open.size(), end - start - open.size()));
  return true;
}

}  // namespace

// A small task definition of the schema's shape, enough for the substitute to read its actions back.
std::string SimTaskXml(const std::vector<TaskAction>& actions) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n"
                    "<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\n  <Actions>\n";
  for (const TaskAction& action : actions) {
    xml += "    <Exec>\n      <Command>" + XmlEscaped(action.path) + "</Command>\n";
    if (!action.arguments.empty()) xml += "      <Arguments>" + XmlEscaped(action.arguments) + "</Arguments>\n";
    xml += "    </Exec>\n";
  }
  return xml + "  </Actions>\n</Task>\n";
}

bool SimTaskActions(const std::string& xml, std::vector<TaskAction>* actions) {
  if (xml.find("<Task") == std::string::npos || xml.find("<Actions>") == std::string::npos) return false;
  actions->clear();
  for (std::size_t at = xml.find("<Exec>"); at != std::string::npos; at = xml.find("<Exec>", at + 1)) {
    const std::size_t end = xml.find("</Exec>", at);
    if (end == std::string::npos) return false;
    TaskAction action;
    if (!ElementText(xml, "Command", at, end, &action.path)) return false;
    ElementText(xml, "Arguments", at, end, &action.arguments);
    actions->push_back(std::move(action));
  }
  return true;
}

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
  xml_.erase(folded);
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
  xml_[folded] = SimTaskXml(actions);
  return 0;
}

HResult SimTaskScheduler::ReadXml(const std::string& path, std::string* xml) {
  if (stopped_) return kSchedServiceNotRunning;
  const std::string folded = Fold(path);
  if (tasks_.count(folded) == 0) return kFileNotFound;
  if (unreadable_.count(folded) != 0) return kEAccessDenied;
  *xml = xml_[folded];
  return 0;
}

HResult SimTaskScheduler::RegisterXml(const std::string& path, const std::string& xml) {
  std::vector<TaskAction> actions;
  if (!SimTaskActions(xml, &actions)) return kSchedMalformedXmlSim;
  if (const HResult made = Register(path, actions); made != 0) return made;
  xml_[Fold(path)] = xml;
  return 0;
}

}  // namespace platform
