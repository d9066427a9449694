#include "platform/sim/SimFiles.h"

#include <algorithm>
#include <cctype>
#include "platform/text.h"
#include <fstream>
#include <system_error>
#include <utility>

namespace platform {

namespace fs = std::filesystem;

bool SimFiles::ReadWholeFile(const std::string& path, std::size_t maxBytes, std::string* bytes) {
  if (bytes == nullptr || HasWildcard(path)) return false;
  const fs::path host = tree_.HostPath(path);
  std::error_code error;
  if (!fs::is_regular_file(host, error)) return false;
  const auto size = fs::file_size(host, error);
  if (error || size > maxBytes) return false;
  std::ifstream in(host, std::ios::binary);
  if (!in) return false;
  std::string text(static_cast<std::size_t>(size), '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (static_cast<std::uintmax_t>(in.gcount()) != size) return false;
  *bytes = std::move(text);
  return true;
}

bool SimFiles::WriteNewFile(const std::string& path, const std::string& bytes) {
  if (HasWildcard(path)) return false;
  const fs::path host = tree_.HostPath(path);
  std::error_code error;
  if (fs::exists(host, error) || !fs::is_directory(host.parent_path(), error)) return false;
  if (failNextWrite_) {
    failNextWrite_ = false;
    return false;
  }
  std::ofstream out(host, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    fs::remove(host, error);
    return false;
  }
  ++writes;
  return true;
}

bool SimFiles::MoveFileEx(const std::string& from, const std::string& to, std::uint32_t flags) {
  if (HasWildcard(from) || HasWildcard(to)) return false;
  const fs::path source = tree_.HostPath(from);
  const fs::path target = tree_.HostPath(to);
  std::error_code error;
  if (!fs::is_regular_file(source, error)) return false;
  if (fs::exists(target, error) && (flags & kMoveFileReplaceExisting) == 0) return false;
  fs::rename(source, target, error);
  if (error) return false;
  ++moves;
  return true;
}

bool SimFiles::DeleteFile(const std::string& path) {
  if (HasWildcard(path)) return false;
  std::error_code error;
  const fs::path host = tree_.HostPath(path);
  return fs::is_regular_file(host, error) && fs::remove(host, error);
}

std::uint32_t SimFiles::ReplaceFile(const std::string& replaced, const std::string& replacement,
                                    const std::string& backup) {
  constexpr std::uint32_t kErrorFileNotFound = 2;
  if (HasWildcard(replaced) || HasWildcard(replacement) || HasWildcard(backup)) return kErrorFileNotFound;
  const fs::path target = tree_.HostPath(replaced);
  const fs::path source = tree_.HostPath(replacement);
  const fs::path saved = tree_.HostPath(backup);
  std::error_code error;
  if (!fs::is_regular_file(target, error) || !fs::is_regular_file(source, error)) return kErrorFileNotFound;
  const std::uint32_t fail = std::exchange(failNextReplace_, 0u);
  if (fail == kErrorUnableToMoveReplacement) return fail;
  fs::rename(target, saved, error);
  if (error) return kErrorUnableToMoveReplacement;
  if (fail == kErrorUnableToMoveReplacement2) return fail;
  fs::rename(source, target, error);
  if (error) return kErrorUnableToMoveReplacement2;
  ++moves;
  return 0;
}

bool SimFiles::CreateDirectory(const std::string& path) {
  if (HasWildcard(path)) return false;
  const fs::path host = tree_.HostPath(path);
  std::error_code error;
  if (failNextWrite_) {
    failNextWrite_ = false;
    return false;
  }
  return fs::is_directory(host.parent_path(), error) && fs::create_directory(host, error);
}

bool SimFiles::RemoveDirectory(const std::string& path) {
  if (HasWildcard(path)) return false;
  const fs::path host = tree_.HostPath(path);
  std::error_code error;
  return fs::is_directory(host, error) && fs::is_empty(host, error) && fs::remove(host, error);
}

bool SimFiles::IsHeldOpen(const std::string& path) {
  if (HasWildcard(path)) return false;
  std::error_code error;
  if (!fs::is_regular_file(tree_.HostPath(path), error)) return false;
  return std::any_of(held_.begin(), held_.end(), [&](const std::string& held) { return SamePath(held, path); });
}

void SimFiles::SetHeldOpen(const std::string& path, bool held) {
  std::erase_if(held_, [&](const std::string& other) { return SamePath(other, path); });
  if (held) held_.push_back(path);
}

// Two spellings of one path: the tree maps both onto the same host path (its names compare without
// regard to case), or onto one file.
bool SimFiles::SamePath(const std::string& a, const std::string& b) const {
  const fs::path hostA = tree_.HostPath(a), hostB = tree_.HostPath(b);
  std::error_code error;
  return hostA == hostB || fs::equivalent(hostA, hostB, error);
}

long SimManagement::NetGetJoinInformation(std::string* name, NetSetupJoinStatus* status) {
  if (name != nullptr) *name = joinName;
  if (status != nullptr) *status = joinStatus;
  return kNerrSuccess;
}

std::int32_t SimManagement::NetGetAadJoinInformation(DsregJoinType* type) {
  if (type != nullptr) *type = haveAadCall ? aadJoin : DsregJoinType::Unknown;
  return haveAadCall ? 0 : kProcNotFound;
}

namespace {
std::string CertificateKey(CertStoreLocation location, const std::string& store, const std::string& thumbprint) {
  std::string key = (location == CertStoreLocation::LocalMachine ? "machine;" : "user;") + store + ";" + thumbprint;
  return Folded(key);
}
}  // namespace

bool SimManagement::HasCertificate(CertStoreLocation location, const std::string& store, const std::string& thumbprint) {
  return certificates_.contains(CertificateKey(location, store, thumbprint));
}

void SimManagement::AddCertificate(CertStoreLocation location, const std::string& store, const std::string& thumbprint) {
  certificates_.insert(CertificateKey(location, store, thumbprint));
}

}  // namespace platform
