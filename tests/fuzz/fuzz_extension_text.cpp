// The texts of browser profiles over arbitrary bytes: Preferences, Local State, a manifest with the
// messages after its first NUL, profiles.ini, extensions.json and extension-settings.json. Never a
// crash; nothing read names a folder outside its own; a localized text stays small.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "browsers/ExtensionText.h"

namespace {

void Check(bool holds) {
  if (!holds) __builtin_trap();
}

// A path of plain names, each within its folder.
bool PlainPath(std::string_view path, std::size_t skip) {
  std::size_t at = skip;
  while (at <= path.size()) {
    std::size_t next = path.find('\\', at);
    if (next == std::string_view::npos) next = path.size();
    if (!nq::IsPlainFolderName(path.substr(at, next - at))) return false;
    at = next + 1;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  const nq::TChromiumPrefs prefs = nq::ParseChromiumPrefs(text);
  Check(prefs.readable == prefs.problem.empty());
  for (const nq::TExtensionPref& pref : prefs.extensions) Check(nq::IsChromiumExtensionId(pref.id));

  for (const nq::TLocalStateProfile& profile : nq::ParseLocalState(text).profiles) {
    Check(nq::IsPlainFolderName(profile.folder));
  }

  const std::size_t nul = text.find('\0');
  nq::TManifest manifest = nq::ParseManifest(text.substr(0, nul));
  Check(manifest.readable == manifest.problem.empty());
  if (nul != std::string_view::npos) {
    const std::string_view messages = text.substr(nul + 1);
    nq::LocalizeManifest(manifest, messages);
    // The same messages for a name made of references: it grows within its bound.
    nq::TManifest many;
    for (int i = 0; i < 64; ++i) many.name += "__MSG_a__";
    nq::LocalizeManifest(many, messages);
    Check(many.name.size() <= (64u << 10) + 576);
  }

  for (const nq::TFirefoxProfileEntry& profile : nq::ParseProfilesIni(text)) {
    Check(profile.isRelative ? PlainPath(profile.path, 0)
                             : profile.path.size() >= 3 && profile.path[1] == ':' && PlainPath(profile.path, 3));
  }
  const nq::TFirefoxAddons addons = nq::ParseFirefoxAddons(text);
  for (const nq::TFirefoxAddon& addon : addons.addons) Check(!addon.id.empty());
  for (const nq::TFirefoxOverride& o : nq::ParseFirefoxExtensionSettings(text)) Check(!o.id.empty() && !o.value.empty());
  return 0;
}
