// Whether an organization manages the machine, as the browsers decide it: joined to a domain
// (netapi32 NetGetJoinInformation) or to Entra ID (NetGetAadJoinInformation, which older systems and
// Wine lack, so it is looked up at run time), or enrolled with a management service whose client
// certificate is in the certificate store (crypt32). Beside it, whether this process runs elevated,
// which decides whether other users' files may be read. The Win32 back end forwards to those calls;
// the substitute (platform/sim) answers what the test sets.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// NETSETUP_JOIN_STATUS.
enum class NetSetupJoinStatus : std::uint32_t { Unknown = 0, Unjoined = 1, Workgroup = 2, Domain = 3 };

// DSREG_JOIN_TYPE: a device joined to Entra ID is the organization's; a work account added to a
// personal device (a workplace join) is not.
enum class DsregJoinType : std::uint32_t { Unknown = 0, Device = 1, Workplace = 2 };

// Where a system certificate store lives: an enrollment's reference says "System" for the
// machine's stores and "User" for the user's.
enum class CertStoreLocation : std::uint8_t { LocalMachine, CurrentUser };

inline constexpr long kNerrSuccess = 0;
// HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND): the system has no NetGetAadJoinInformation.
inline constexpr std::int32_t kProcNotFound = static_cast<std::int32_t>(0x8007007F);

class IManagement {
 public:
  virtual ~IManagement() = default;
  // NetGetJoinInformation(nullptr, ...): NERR_Success with the workgroup's or domain's name and
  // the join status, or the failure code.
  virtual long NetGetJoinInformation(std::string* name, NetSetupJoinStatus* status) = 0;
  // NetGetAadJoinInformation(nullptr, ...) and NetFreeAadJoinInformation: its HRESULT (kProcNotFound
  // where the system lacks the call), with `*type` the join's type (Unknown when it gave none).
  virtual std::int32_t NetGetAadJoinInformation(DsregJoinType* type) = 0;
  // Whether the system store `store` ("MY") of `location` holds a certificate whose SHA-1 thumbprint
  // is `thumbprint` (40 hexadecimal digits). A store that cannot be opened holds none.
  virtual bool HasCertificate(CertStoreLocation location, const std::string& store, const std::string& thumbprint) = 0;
  // OpenProcessToken(TOKEN_QUERY) and GetTokenInformation(TokenElevation): whether this process runs
  // with the administrators' rights in force. False when the token cannot be read.
  virtual bool ProcessIsElevated() = 0;
};

IManagement& Management();
// Installs `management` (not owned) and returns the one it replaces.
IManagement* SetManagement(IManagement* management);

}  // namespace platform
