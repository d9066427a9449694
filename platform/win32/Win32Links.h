// Shell links through IShellLinkW and IPersistFile, scheduled tasks through ITaskService. The
// component system must be initialised on the calling thread (ComApartment); every interface is
// made and released within one call.
#pragma once

#include "platform/links.h"

namespace platform {

class Win32ShellLinks final : public IShellLinks {
 public:
  HResult Load(const std::string& path, ShellLink* link) override;
  HResult SaveArguments(const std::string& path, const std::string& arguments) override;
  HResult Create(const std::string& path, const ShellLink& link) override;
};

class Win32TaskScheduler final : public ITaskScheduler {
 public:
  HResult Enumerate(std::vector<ScheduledTask>* tasks) override;
  HResult Delete(const std::string& path) override;
  HResult Register(const std::string& path, const std::vector<TaskAction>& actions) override;
  HResult ReadXml(const std::string& path, std::string* xml) override;
  HResult RegisterXml(const std::string& path, const std::string& xml) override;
};

}  // namespace platform
