#include "tests/support/Links.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <thread>
#include <vector>

#ifdef _WIN32
#include "platform/win32/Win32Links.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32UrlHistory.h"
#endif

namespace nqtest {

LinkBackEnds::LinkBackEnds(FileTree& tree) {
  if (tree.Kind() == Backend::Sim) {
    auto links = std::make_unique<platform::SimShellLinks>(*tree.Sim());
    auto tasks = std::make_unique<platform::SimTaskScheduler>();
    simLinks_ = links.get();
    simTasks_ = tasks.get();
    links_ = std::move(links);
    tasks_ = std::move(tasks);
  } else {
#ifdef _WIN32
    com_ = std::make_shared<platform::ComApartment>();
    links_ = std::make_unique<platform::Win32ShellLinks>();
    tasks_ = std::make_unique<platform::Win32TaskScheduler>();
#else
    throw std::logic_error("the Win32 back ends exist only in the Windows build");
#endif
  }
  installedLinks_.emplace(*links_);
  installedTasks_.emplace(*tasks_);
}

LinkBackEnds::~LinkBackEnds() {
  installedTasks_.reset();
  installedLinks_.reset();
  tasks_.reset();
  links_.reset();
  com_.reset();
}

std::string LinkBackEnds::StartTaskService() {
  if (simTasks_ != nullptr) return std::string();
  std::vector<platform::ScheduledTask> tasks;
  platform::HResult result = tasks_->Enumerate(&tasks);
  for (int attempt = 0; attempt < 60 && result == platform::kSchedServiceNotRunning; ++attempt) {
    // Runs Wine's own net.exe inside the prefix this process runs in.
    if (std::system("net start schedule >NUL 2>&1") != 0) std::this_thread::sleep_for(std::chrono::milliseconds(500));
    result = tasks_->Enumerate(&tasks);
  }
  if (result == 0) return std::string();
  char text[64];
  std::snprintf(text, sizeof text, "the Task Scheduler does not answer (0x%08X)", static_cast<unsigned>(result));
  return text;
}

bool LinkBackEnds::WineKeepsNoTaskActions() {
#ifdef _WIN32
  return !platform::Win32Shell::WineVersion().empty();
#else
  return false;
#endif
}

std::string EncodeCommand(const std::string& script) {
  // UTF-8 to UTF-16LE.
  std::string bytes;
  for (std::size_t i = 0; i < script.size();) {
    const auto c = static_cast<unsigned char>(script[i]);
    std::uint32_t code = c;
    int more = 0;
    if (c >= 0xF0) code = c & 0x07, more = 3;
    else if (c >= 0xE0) code = c & 0x0F, more = 2;
    else if (c >= 0xC0) code = c & 0x1F, more = 1;
    ++i;
    for (; more > 0 && i < script.size(); --more, ++i) code = (code << 6) | (static_cast<unsigned char>(script[i]) & 0x3F);
    auto unit = [&](std::uint32_t u) {
      bytes += static_cast<char>(u & 0xFF);
      bytes += static_cast<char>(u >> 8);
    };
    if (code >= 0x10000) {
      code -= 0x10000;
      unit(0xD800 + (code >> 10));
      unit(0xDC00 + (code & 0x3FF));
    } else {
      unit(code);
    }
  }
  static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    std::uint32_t n = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) n |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) n |= static_cast<unsigned char>(bytes[i + 2]);
    out += kDigits[(n >> 18) & 63];
    out += kDigits[(n >> 12) & 63];
    out += i + 1 < bytes.size() ? kDigits[(n >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? kDigits[n & 63] : '=';
  }
  return out;
}

}  // namespace nqtest
