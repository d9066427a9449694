// What every browser obeys: the system's proxy, name servers set by hand, and debuggers that start
// something else in a browser's place.
#include "browsers/Kinds.h"

namespace nq {

void FindProxies(TFindings& /*findings*/) {}
void FindDnsServers(TFindings& /*findings*/) {}
void FindBrowserDebuggers(TFindings& /*findings*/) {}
void RepairProxy(const TFinding& /*finding*/) {}
void RepairDnsServer(const TFinding& /*finding*/) {}

}  // namespace nq
