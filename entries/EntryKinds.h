// The operations of each kind of list, for entries/ itself.
#pragma once

#include <string>

#include "services/Registry.h"

namespace nq {

TStrings StartupEntries();
std::string StartupCommandLine(const std::string& name);
bool DeleteStartupEntry(const std::string& name);

TStrings ContextMenuEntries();
std::string ContextMenuAddress(const std::string& name);
bool DeleteContextMenuEntry(const std::string& name);

TStrings ToolbarButtonEntries();
std::string ToolbarButtonExec(const std::string& buttonText);
bool DeleteToolbarButton(const std::string& buttonText);

TStrings TypedAddressEntries();
bool DeleteTypedAddress(const std::string& address);

}  // namespace nq
