// The browser's cookie files: listed with the site each one belongs to, and sent to the Recycle Bin.
#include "privacy/Cookies.h"

#include "platform/shell.h"
#include "privacy/CookieText.h"
#include "services/CleanHistory.h"
#include "services/FileSearch.h"
#include "services/MainFunc.h"

namespace nq {
namespace {

// The site of one cookie file: empty when it has fewer than three lines, when its third line does
// not end within the first kCookieReadLimit bytes, or when it cannot be read.
std::string ReadCookieSite(platform::IFileSystem& fs, const std::string& path, std::string& buffer) {
  try {
    std::string site;
    // A short read first; one byte past each size tells a file that ends there from one that goes on.
    for (const std::size_t size : {kCookieFirstRead, kCookieReadLimit}) {
      buffer.clear();
      if (!fs.ReadFilePrefix(path, size + 1, &buffer)) return std::string();
      const bool complete = buffer.size() <= size;
      if (!complete) buffer.resize(size);
      if (FindCookieSite(buffer, complete, site)) return site;
    }
    return std::string();  // the third line runs on past the cap: no site rather than part of one
  } catch (const std::exception&) {
    // A file that cannot be read keeps its row, without a site.
    return std::string();
  }
}

// The path to act on a file by, empty when it has no name that stands for it alone.
std::string PathOf(const std::string& folder, const TCookieFile& file) {
  const std::string name = NameToActOn(file.name, file.shortName);
  return name.empty() ? std::string() : folder + "\\" + name;
}

}  // namespace

std::string CookieFolder() { return GetShellFolder("Cookies"); }

std::vector<TCookieFile> ListCookieFiles(const std::string& folder) {
  std::vector<TCookieFile> files;
  platform::IFileSystem& fs = platform::FileSystem();
  std::string buffer;
  ForEachFileWithExtension(folder, ".txt", [&](const platform::FindData& found) {
    // A name that came back with '?' is shown as it came; the file is reached by its 8.3 name.
    TCookieFile& file = files.emplace_back(TCookieFile{found.name, found.shortName, std::string()});
    const std::string path = PathOf(folder, file);
    if (!path.empty()) file.site = ReadCookieSite(fs, path, buffer);
  });
  return files;
}

TOutcome RecycleCookieFiles(const std::string& folder, const std::vector<TCookieFile>& files, bool askFirst,
                            bool dryRun) {
  TChangeRecorder recorder(dryRun);
  // Rows come only from a load of a known folder; without one there is nothing safe to delete.
  if (folder.empty()) return {};
  std::string list;
  for (const TCookieFile& file : files) {
    // The shell would take a '?' as a wildcard and recycle every file it matches.
    const std::string path = PathOf(folder, file);
    if (!path.empty()) list.append(path).push_back('\0');
  }
  list.push_back('\0');
  RecycleFiles(0, list, askFirst);
  TOutcome outcome{false, recorder.Take()};
  for (const TChange& change : outcome.changes) outcome.done = outcome.done || !change.refused;
  return outcome;
}

bool CookieFileGone(const std::string& folder, const TCookieFile& file) {
  const std::string path = PathOf(folder, file);
  return !path.empty() && !platform::FileSystem().FileExists(path);
}

}  // namespace nq
