// The keys from which Windows starts programs by itself: "Run", "Runonce" and "RunServices" of the
// current user and of the machine, the machine's three in both registry views (64-bit first). The
// startup list and the hijack cleaner visit the same keys in the orders below.
#pragma once

#include "services/Registry.h"

namespace nq {

inline constexpr const char* kRunKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunOnceKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Runonce";
inline constexpr const char* kRunServicesKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServices";

// The order the startup list shows them in: the current user's keys first, then the machine's.
inline constexpr TRegKeyRef kStartupListingOrder[] = {
    {platform::kHkeyCurrentUser, kRunKey},
    {platform::kHkeyCurrentUser, kRunOnceKey},
    {platform::kHkeyCurrentUser, kRunServicesKey},
    {platform::kHkeyLocalMachine, kRunServicesKey, TRegView::Key64},
    {platform::kHkeyLocalMachine, kRunServicesKey, TRegView::Key32},
    {platform::kHkeyLocalMachine, kRunKey, TRegView::Key64},
    {platform::kHkeyLocalMachine, kRunKey, TRegView::Key32},
    {platform::kHkeyLocalMachine, kRunOnceKey, TRegView::Key64},
    {platform::kHkeyLocalMachine, kRunOnceKey, TRegView::Key32},
};

// The order a name is looked up in, for its details and for deleting it, and the order the hijack
// cleaner walks the keys. It differs from the listing order, so when a name is in several keys the
// details always belong to the value that Delete would remove.
inline constexpr TRegKeyRef kStartupLookupOrder[] = {
    {platform::kHkeyCurrentUser, kRunKey},
    {platform::kHkeyLocalMachine, kRunKey, TRegView::Key64},
    {platform::kHkeyLocalMachine, kRunKey, TRegView::Key32},
    {platform::kHkeyLocalMachine, kRunOnceKey, TRegView::Key64},
    {platform::kHkeyLocalMachine, kRunOnceKey, TRegView::Key32},
    {platform::kHkeyLocalMachine, kRunServicesKey, TRegView::Key64},
    {platform::kHkeyLocalMachine, kRunServicesKey, TRegView::Key32},
    {platform::kHkeyCurrentUser, kRunServicesKey},
    {platform::kHkeyCurrentUser, kRunOnceKey},
};

}  // namespace nq
