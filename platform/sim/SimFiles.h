// The policies-file calls of the native build, on the folder tree of a SimFileSystem, and the
// machine's management state as the test sets it.
#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/management.h"
#include "platform/sim/SimFileSystem.h"

namespace platform {

class SimFiles final : public IFiles {
 public:
  explicit SimFiles(SimFileSystem& tree) : tree_(tree) {}
  bool ReadWholeFile(const std::string& path, std::size_t maxBytes, std::string* bytes) override;
  bool WriteNewFile(const std::string& path, const std::string& bytes) override;
  bool MoveFileEx(const std::string& from, const std::string& to, std::uint32_t flags) override;
  bool DeleteFile(const std::string& path) override;
  std::uint32_t ReplaceFile(const std::string& replaced, const std::string& replacement, const std::string& backup) override;
  bool CreateDirectory(const std::string& path) override;
  bool RemoveDirectory(const std::string& path) override;
  // True for an existing file the test holds open (SetHeldOpen), whichever way its path is spelt.
  bool IsHeldOpen(const std::string& path) override;

  // Holds the file at `path` open, as a running browser holds its lock file, or lets it go.
  void SetHeldOpen(const std::string& path, bool held);
  // Makes the next WriteNewFile or CreateDirectory fail, as a full disk would.
  void FailNextWrite() { failNextWrite_ = true; }
  // Makes the next ReplaceFile fail with `error`: before it moved anything
  // (kErrorUnableToMoveReplacement), or once the replaced file took the backup's name
  // (kErrorUnableToMoveReplacement2).
  void FailNextReplace(std::uint32_t error) { failNextReplace_ = error; }
  // How many files were written and moved: a dry run writes none.
  int writes = 0, moves = 0;

 private:
  SimFileSystem& tree_;
  bool failNextWrite_ = false;
  std::uint32_t failNextReplace_ = 0;
  bool SamePath(const std::string& a, const std::string& b) const;
  std::vector<std::string> held_;  // as the test spelt them
};

class SimManagement final : public IManagement {
 public:
  long NetGetJoinInformation(std::string* name, NetSetupJoinStatus* status) override;
  std::int32_t NetGetAadJoinInformation(DsregJoinType* type) override;
  bool HasCertificate(CertStoreLocation location, const std::string& store, const std::string& thumbprint) override;
  // Puts a certificate with this thumbprint into a store, as an enrollment's client certificate.
  void AddCertificate(CertStoreLocation location, const std::string& store, const std::string& thumbprint);
  bool ProcessIsElevated() override { return elevated; }

  NetSetupJoinStatus joinStatus = NetSetupJoinStatus::Workgroup;
  std::string joinName = "WORKGROUP";
  bool haveAadCall = false;  // as on Wine and older systems
  DsregJoinType aadJoin = DsregJoinType::Unknown;
  bool elevated = false;  // a standard user's process

 private:
  // Each certificate as "<location>;<STORE>;<THUMBPRINT>": store names and hexadecimal digits
  // compare without regard to case, as crypt32's do.
  std::set<std::string> certificates_;
};

}  // namespace platform
