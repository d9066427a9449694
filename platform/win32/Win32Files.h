// The policies-file calls on Windows (kernel32) and the machine's management state (netapi32,
// with NetGetAadJoinInformation looked up at run time; the certificate stores through crypt32).
#pragma once

#include <cstddef>
#include <string>

#include "platform/files.h"
#include "platform/management.h"

namespace platform {

class Win32Files final : public IFiles {
 public:
  bool ReadWholeFile(const std::string& path, std::size_t maxBytes, std::string* bytes) override;
  bool WriteNewFile(const std::string& path, const std::string& bytes) override;
  bool MoveFileEx(const std::string& from, const std::string& to, std::uint32_t flags) override;
  bool DeleteFile(const std::string& path) override;
  std::uint32_t ReplaceFile(const std::string& replaced, const std::string& replacement, const std::string& backup) override;
  bool CreateDirectory(const std::string& path) override;
  bool RemoveDirectory(const std::string& path) override;
  bool IsHeldOpen(const std::string& path) override;
};

class Win32Management final : public IManagement {
 public:
  long NetGetJoinInformation(std::string* name, NetSetupJoinStatus* status) override;
  std::int32_t NetGetAadJoinInformation(DsregJoinType* type) override;
  bool HasCertificate(CertStoreLocation location, const std::string& store, const std::string& thumbprint) override;
  bool ProcessIsElevated() override;
};

}  // namespace platform
