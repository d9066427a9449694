#include "tests/support/ShellFixture.h"
#include "tests/support/BuildPaths.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <random>
#include <stdexcept>
#include <system_error>

#include <cstdlib>

#ifdef _WIN32
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Shell.h"
#endif

namespace nqtest {
namespace fs = std::filesystem;

namespace {

std::string WithSlashes(std::string text) {
  for (char& c : text) {
    if (c == '\\') c = '/';
  }
  return text;
}

}  // namespace

bool HaveWin32Backends() {
#ifdef _WIN32
  return true;
#else
  return false;
#endif
}

TempFolder::TempFolder() {
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  const fs::path base = fs::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path candidate =
        base / ("nqtest-" + std::to_string(random()) + "-" + std::to_string(counter.fetch_add(1)));
    std::error_code ec;
    if (fs::create_directory(candidate, ec)) {
      path_ = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot make a temporary folder under " + base.string());
}

TempFolder::~TempFolder() {
  std::error_code ec;
  // Read-only files would stop the removal on Windows.
  for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ec);
  }
  fs::remove_all(path_, ec);
}

FileTree::FileTree(Backend kind) : kind_(kind) {
  top_ = temp_.Path() / "drive";
  fs::create_directory(top_);
  if (kind_ == Backend::Sim) {
    auto sim = std::make_unique<platform::SimFileSystem>(top_);
    sim_ = sim.get();
    fileSystem_ = std::move(sim);
  } else {
#ifdef _WIN32
    fileSystem_ = std::make_unique<platform::Win32FileSystem>();
#else
    throw std::logic_error("the Win32 back ends exist only in the Windows build");
#endif
  }
  installed_.emplace(*fileSystem_);
}

FileTree::~FileTree() = default;

std::string FileTree::Path(const std::string& relative) const {
  std::string top = kind_ == Backend::Sim ? std::string("C:") : platform::Utf8Text(fs::path(top_).make_preferred());
  return relative.empty() ? top : top + "\\" + relative;
}

fs::path FileTree::Host(const std::string& relative) const {
  if (sim_ != nullptr) return sim_->HostPath(Path(relative));
  // The program's texts are UTF-8, whatever the C library's code page.
  return relative.empty() ? top_ : top_ / platform::Utf8Path(WithSlashes(relative));
}

fs::path FileTree::Scratch(const std::string& name) const {
  const fs::path folder = temp_.Path() / name;
  fs::create_directories(folder);
  return folder;
}

void FileTree::WriteFile(const std::string& relative, const std::string& contents) {
  const fs::path host = Host(relative);
  fs::create_directories(host.parent_path());
  std::ofstream out(host, std::ios::binary | std::ios::trunc);
  out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
  if (!out) throw std::runtime_error("cannot write " + host.string());
}

void FileTree::MakeFolder(const std::string& relative) { fs::create_directories(Host(relative)); }

bool FileTree::Exists(const std::string& relative) const {
  std::error_code ec;
  return fs::exists(Host(relative), ec);
}

void FileTree::SetAttributes(const std::string& relative, std::uint32_t attributes) {
  bool done = false;
  if (sim_ != nullptr) {
    done = sim_->SetAttributes(Path(relative), attributes);
  } else {
#ifdef _WIN32
    std::uint32_t current = platform::Win32FileSystem::Attributes(Path(relative));
    if (current != 0xFFFFFFFFu) {
      const std::uint32_t settable =
          platform::kFileAttributeReadOnly | platform::kFileAttributeHidden | platform::kFileAttributeSystem;
      current &= ~(settable | platform::kFileAttributeDirectory);
      done = platform::Win32FileSystem::SetAttributes(Path(relative), current | (attributes & settable));
    }
#endif
  }
  if (!done) throw std::runtime_error("cannot set the attributes of " + relative);
}

SimBackEnds::SimBackEnds() : shell(*tree.Sim(), tree.Scratch("recycled")) {}

SimBackEnds::~SimBackEnds() = default;

bool InThrowawayWinePrefix(std::string* reason) {
#ifdef _WIN32
  if (platform::Win32Shell::WineVersion().empty()) {
    *reason = "not running under Wine: this test would empty this system's own data";
    return false;
  }
  const char* prefix = std::getenv("WINEPREFIX");
  const auto normal = [](std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return fs::path(path).lexically_normal().generic_string();
  };
  if (prefix == nullptr || normal(prefix) != normal(ThrowawayWinePrefix())) {
    *reason = std::string("the Wine prefix is not the build's throwaway one (") + ThrowawayWinePrefix() +
              "): run it through ctest or cmake/wine-run.sh with that prefix";
    return false;
  }
  // Wine's recycle bin is the desktop's trash under XDG_DATA_HOME; it must be the prefix's own.
  const char* data = std::getenv("XDG_DATA_HOME");
  const std::string inside = normal(ThrowawayWinePrefix()) + "/";
  if (data == nullptr || normal(data).compare(0, inside.size(), inside) != 0) {
    *reason = "XDG_DATA_HOME is not inside the throwaway prefix: Wine's recycle bin would be the desktop's own trash";
    return false;
  }
  return true;
#else
  *reason = "needs the Windows build under Wine";
  return false;
#endif
}

std::filesystem::path WineRecycleBinFiles() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data == nullptr) return {};
  // Wine maps the host's root to drive Z:.
  return fs::path(std::string("Z:") + data) / "Trash" / "files";
}

void ForgetRecycled(const std::string& name) {
  const fs::path files = WineRecycleBinFiles();
  if (files.empty()) return;
  std::error_code ec;
  fs::remove_all(files / platform::Utf8Path(name), ec);  // a folder recycled whole too
  fs::remove(files.parent_path() / "info" / platform::Utf8Path(name + ".trashinfo"), ec);
}

}  // namespace nqtest
