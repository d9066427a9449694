#include "platform/win32/Win32Files.h"

#include <windows.h>
#include <lm.h>
#include <wincrypt.h>
// The interface keeps the calls' own names; the A/W macros would rename them here.
#undef MoveFileEx
#undef DeleteFile
#undef ReplaceFile
#undef CreateDirectory
#undef RemoveDirectory

#include <algorithm>
#include <memory>
#include <type_traits>

namespace platform {
namespace {

struct HandleCloser {
  void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};
using ScopedFile = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

ScopedFile OpenFile(const std::string& path, DWORD access, DWORD disposition) {
  HANDLE file = ::CreateFileA(path.c_str(), access, FILE_SHARE_READ, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  return ScopedFile(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

// The head of DSREG_JOIN_INFO; only whether the call gave one is read.
// DSREG_JOIN_INFO, as far as the program reads it: the join's type comes first.
struct JoinInfo {
  DWORD joinType;
};
using AadJoinProc = HRESULT(WINAPI*)(LPCWSTR tenantId, JoinInfo** joinInfo);
using AadFreeProc = VOID(WINAPI*)(JoinInfo* joinInfo);

struct LibraryFreer {
  void operator()(HMODULE library) const { ::FreeLibrary(library); }
};

}  // namespace

bool Win32Files::ReadWholeFile(const std::string& path, std::size_t maxBytes, std::string* bytes) {
  if (bytes == nullptr) return false;
  const ScopedFile file = OpenFile(path, GENERIC_READ, OPEN_EXISTING);
  if (!file) return false;
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
      static_cast<unsigned long long>(size.QuadPart) > maxBytes) {
    return false;
  }
  std::string text(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t done = 0;
  while (done < text.size()) {
    DWORD read = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 1u << 20));
    if (!::ReadFile(file.get(), text.data() + done, chunk, &read, nullptr) || read == 0) return false;
    done += read;
  }
  *bytes = std::move(text);
  return true;
}

bool Win32Files::WriteNewFile(const std::string& path, const std::string& bytes) {
  bool whole = false;
  {
    const ScopedFile file = OpenFile(path, GENERIC_WRITE, CREATE_NEW);
    if (!file) return false;
    std::size_t done = 0;
    whole = true;
    while (done < bytes.size() && whole) {
      DWORD written = 0;
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
      whole = ::WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr) && written == chunk;
      done += written;
    }
    whole = whole && ::FlushFileBuffers(file.get());
  }
  if (!whole) ::DeleteFileA(path.c_str());
  return whole;
}

bool Win32Files::MoveFileEx(const std::string& from, const std::string& to, std::uint32_t flags) {
  return ::MoveFileExA(from.c_str(), to.c_str(), flags) != FALSE;
}

bool Win32Files::DeleteFile(const std::string& path) { return ::DeleteFileA(path.c_str()) != FALSE; }

bool Win32Files::CreateDirectory(const std::string& path) { return ::CreateDirectoryA(path.c_str(), nullptr) != FALSE; }

bool Win32Files::RemoveDirectory(const std::string& path) { return ::RemoveDirectoryA(path.c_str()) != FALSE; }

std::uint32_t Win32Files::ReplaceFile(const std::string& replaced, const std::string& replacement,
                                      const std::string& backup) {
  if (::ReplaceFileA(replaced.c_str(), replacement.c_str(), backup.c_str(), REPLACEFILE_WRITE_THROUGH, nullptr, nullptr)) {
    return 0;
  }
  return ::GetLastError();
}

// A running Chromium holds "User Data\lockfile" open for writing (with delete-on-close), sharing only
// reading; a running Firefox holds "parent.lock" open for reading and writing, sharing nothing. An
// open for reading that does not share writing fails against either with a sharing violation, but
// not against a program that only reads the file and shares reading (a virus scanner, a backup).
// Sharing deleting keeps the brief open out of the way of a program that deletes or renames the file
// just then. No data access (access 0) would pass every share mode, which is why reading is asked
// for. Opened existing only, never created or truncated, and closed at once: for the instant it is
// open, a browser starting just then would find its lock taken, as if another copy were running.
bool Win32Files::IsHeldOpen(const std::string& path) {
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    ::CloseHandle(file);
    return false;
  }
  return ::GetLastError() == ERROR_SHARING_VIOLATION;
}

long Win32Management::NetGetJoinInformation(std::string* name, NetSetupJoinStatus* status) {
  LPWSTR buffer = nullptr;
  NETSETUP_JOIN_STATUS joinStatus = NetSetupUnknownStatus;
  const NET_API_STATUS result = ::NetGetJoinInformation(nullptr, &buffer, &joinStatus);
  if (result != NERR_Success) return static_cast<long>(result);
  if (name != nullptr) {
    name->clear();
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, buffer, -1, nullptr, 0, nullptr, nullptr);
    if (length > 1) {
      name->resize(static_cast<std::size_t>(length));
      ::WideCharToMultiByte(CP_UTF8, 0, buffer, -1, name->data(), length, nullptr, nullptr);
      name->resize(static_cast<std::size_t>(length - 1));
    }
  }
  ::NetApiBufferFree(buffer);
  if (status != nullptr) *status = static_cast<NetSetupJoinStatus>(joinStatus);
  return kNerrSuccess;
}

std::int32_t Win32Management::NetGetAadJoinInformation(DsregJoinType* type) {
  if (type != nullptr) *type = DsregJoinType::Unknown;
  const std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryFreer> library(::LoadLibraryA("netapi32.dll"));
  if (!library) return kProcNotFound;
  const auto get = reinterpret_cast<AadJoinProc>(
      reinterpret_cast<void*>(::GetProcAddress(library.get(), "NetGetAadJoinInformation")));
  const auto release = reinterpret_cast<AadFreeProc>(
      reinterpret_cast<void*>(::GetProcAddress(library.get(), "NetFreeAadJoinInformation")));
  if (get == nullptr || release == nullptr) return kProcNotFound;
  JoinInfo* info = nullptr;
  const HRESULT result = get(nullptr, &info);
  if (info != nullptr) {
    if (type != nullptr && SUCCEEDED(result)) *type = static_cast<DsregJoinType>(info->joinType);
    release(info);
  }
  return result;
}

bool Win32Management::HasCertificate(CertStoreLocation location, const std::string& store, const std::string& thumbprint) {
  if (thumbprint.size() != 40 || store.empty()) return false;
  BYTE hash[20];
  for (std::size_t i = 0; i < sizeof hash; ++i) {
    const auto digit = [](char c) -> int {
      if (c >= '0' && c <= '9') return c - '0';
      if (c >= 'a' && c <= 'f') return c - 'a' + 10;
      if (c >= 'A' && c <= 'F') return c - 'A' + 10;
      return -1;
    };
    const int high = digit(thumbprint[2 * i]), low = digit(thumbprint[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    hash[i] = static_cast<BYTE>(high * 16 + low);
  }
  const int length = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, store.c_str(), -1, nullptr, 0);
  if (length <= 1) return false;
  std::wstring name(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, store.c_str(), -1, name.data(), length);
  const DWORD where = location == CertStoreLocation::LocalMachine ? CERT_SYSTEM_STORE_LOCAL_MACHINE
                                                                   : CERT_SYSTEM_STORE_CURRENT_USER;
  // Read-only, and only a store that is there: opening never creates one.
  HCERTSTORE opened = ::CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0,
                                      where | CERT_STORE_READONLY_FLAG | CERT_STORE_OPEN_EXISTING_FLAG, name.c_str());
  if (opened == nullptr) return false;
  CRYPT_HASH_BLOB blob{sizeof hash, hash};
  PCCERT_CONTEXT found = ::CertFindCertificateInStore(opened, X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, 0,
                                                      CERT_FIND_SHA1_HASH, &blob, nullptr);
  if (found != nullptr) ::CertFreeCertificateContext(found);
  ::CertCloseStore(opened, 0);
  return found != nullptr;
}

bool Win32Management::ProcessIsElevated() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  const std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser> owned(token);
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  return ::GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) && elevation.TokenIsElevated != 0;
}

}  // namespace platform
