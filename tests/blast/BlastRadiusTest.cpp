// Blast radius: every command that changes something, run on a large randomised profile, changes
// exactly its targets. Each test snapshots the whole registry (and the file tree) before and after,
// checks that every difference is one the command may make, and that every target it must remove
// is gone. The machine's keys are there in both registry views, and names are in several scripts.
// NQ_BLAST_SEED replays one profile; by default a few seeds run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <set>
#include <sstream>

#include "app/MainForm.h"
#include "console/Console.h"
#include "services/MainFunc.h"
#include "tests/support/Installed.h"
#include "tests/support/BlastProfile.h"
#include "tests/support/Snapshot.h"
#include "tests/support/ShellFixture.h"
#include "ui/headless/ScriptedDialogs.h"

namespace {

using namespace nqtest;
using platform::kHkeyClassesRoot;
using platform::kHkeyCurrentUser;
using platform::kHkeyLocalMachine;

const std::string kIe = "Software\\Microsoft\\Internet Explorer";
const std::string kCv = "Software\\Microsoft\\Windows\\CurrentVersion";
const std::string kExplorer = kCv + "\\Explorer";

struct Target {
  std::string key;   // "HKCU\..." without a leading backslash after the root
  std::string value; // empty: the key itself
};

// Where the 32-bit view keeps a machine key, as the registry lays it out: under
// Software\Wow6432Node, except Software\Policies, which both views share (one key for both).
std::string View32(const std::string& key) {
  const std::string software = "HKLM\\Software\\";
  if (FoldName(key.substr(0, software.size())) != FoldName(software)) return key;
  if (FoldName(key.substr(software.size(), 9)) == "POLICIES\\") return key;
  return software + "Wow6432Node\\" + key.substr(software.size());
}

// The targets with each machine key's 32-bit copy added: every machine step is done in both views.
std::vector<Target> BothViews(std::vector<Target> targets) {
  const std::size_t n = targets.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (View32(targets[i].key) != targets[i].key) targets.push_back({View32(targets[i].key), targets[i].value});
  }
  return targets;
}

// What the repair removes and writes.
const std::vector<Target> kRepairKeys = BothViews({
    {"HKCU\\Software\\Policies\\Microsoft\\Internet Explorer\\Restrictions", ""},
    {"HKCU\\Software\\Policies\\Microsoft\\Internet Explorer\\Control Panel", ""},
    {"HKLM\\Software\\Policies\\Microsoft\\Internet Explorer\\Control Panel", ""},
    {"HKLM\\Software\\Policies\\Microsoft\\Internet Explorer\\Restrictions", ""},
});
const std::vector<Target> kRepairDeletedValues = BothViews({
    {"HKCU\\" + kIe + "\\Main", "Window Title"},
    {"HKCU\\" + kIe + "\\Main", "First Home Page"},
    {"HKCU\\" + kIe + "\\Main", "Default_Search_URL"},
    {"HKCU\\" + kIe + "\\Main", "Search Bar"},
    {"HKCU\\" + kIe + "\\Main", "SearchURL"},
    {"HKCU\\Software\\Microsoft\\Outlook Express", "Window Title"},
    {"HKCU\\" + kCv + "\\Policies\\Explorer", "NoRun"},
    {"HKCU\\" + kCv + "\\Policies\\Explorer", "NOClose"},
    {"HKCU\\" + kCv + "\\Policies\\Explorer", "NoLogOff"},
    {"HKCU\\" + kCv + "\\Policies\\Explorer", "NoDrives"},
    {"HKCU\\" + kCv + "\\Policies\\Explorer", "NoDesktop"},
    {"HKCU\\" + kCv + "\\Policies\\System", "DisableRegistryTools"},
    {"HKCU\\" + kCv + "\\Policies\\WinOldApp", "Disabled"},
    {"HKCU\\" + kCv + "\\Policies\\WinOldApp", "NoRealMode"},
    {"HKLM\\" + kCv + "\\Winlogon", "LegalNoticeCaption"},
    {"HKLM\\" + kCv + "\\Winlogon", "LegalNoticeText"},
    {"HKCU\\Software\\Policies\\Microsoft\\Internet Explorer\\Infodelivery\\Restrictions", "NoBrowserSaveWebComplete"},
    {"HKLM\\Software\\Policies\\Microsoft\\Internet Explorer\\Infodelivery\\Restrictions", "NoBrowserSaveWebComplete"},
});
const std::vector<Target> kRepairWrittenValues = BothViews({
    {"HKCU\\" + kIe + "\\Main", "Start Page"},
    {"HKCU\\" + kIe + "\\Toolbar", "LinksFolderName"},
    {"HKCU\\" + kCv + "\\Internet Settings\\Zones\\3", "DisplayName"},
    {"HKCU\\" + kIe + "\\Main", "Search Page"},
    {"HKLM\\" + kIe + "\\Search", "CustomizeSearch"},
    {"HKLM\\" + kIe + "\\Search", "SearchAssistant"},
    {"HKCU\\" + kIe + "\\Search", "CustomizeSearch"},
    {"HKCU\\" + kIe + "\\Search", "SearchAssistant"},
});
// The startup keys, in the order a Delete looks a name up: the machine's in the 64-bit view, then
// in the 32-bit one.
const std::vector<std::string> kStartupLookup = {
    "HKCU\\" + kCv + "\\Run",
    "HKLM\\" + kCv + "\\Run",
    View32("HKLM\\" + kCv + "\\Run"),
    "HKLM\\" + kCv + "\\Runonce",
    View32("HKLM\\" + kCv + "\\Runonce"),
    "HKLM\\" + kCv + "\\RunServices",
    View32("HKLM\\" + kCv + "\\RunServices"),
    "HKCU\\" + kCv + "\\RunServices",
    "HKCU\\" + kCv + "\\Runonce",
};
// The toolbar buttons' keys, one per view.
const std::string kExtensions64 = "HKLM\\" + kIe + "\\Extensions";
const std::string kExtensions32 = View32(kExtensions64);
// Targets named outside ASCII, each selected by name on its page.
const std::string kCyrillicStartup = "Запуск";
const std::string kCyrillicMenuItem = "Перевести";
const std::string kChineseButton = "按钮 工具";
const std::string kCyrillicAddress = "http://президент.рф/";
const std::string kCyrillicCookie = "user@тест[1].txt";
const std::string kClsid = "CLSID\\{F935DC22-1CF0-11D0-ADB9-00C04FD58A0B}";

bool SameKey(const std::string& a, const std::string& b) { return FoldName(a) == FoldName(b); }
bool Under(const std::string& key, const std::string& top) {
  return SameKey(key, top) || (key.size() > top.size() && SameKey(key.substr(0, top.size()), top) && key[top.size()] == '\\');
}

std::string ShownText(const ValueSnap& v) {
  if (v.type != platform::kRegSz && v.type != platform::kRegExpandSz) return v.name;
  std::string s(v.data.begin(), v.data.end());
  return s.substr(0, s.find('\0'));
}

bool HasHijackData(const ValueSnap& v) {
  if (v.type != platform::kRegSz && v.type != platform::kRegExpandSz) return false;
  const std::string data = FoldName(ShownText(v));
  for (const char* p : {".HTA", "REGEDIT", ".VBS", ".VBE", ".JS"}) {
    if (data.find(p) != std::string::npos) return true;
  }
  return false;
}

class BlastRadius : public FileTreeTest, public ::testing::WithParamInterface<unsigned> {
 protected:
  void SetUp() override {
    FileTreeTest::SetUp();
    const char* replay = std::getenv("NQ_BLAST_SEED");
    seed_ = replay ? static_cast<unsigned>(std::strtoul(replay, nullptr, 10)) : GetParam();
    Generate();
    form_ = std::make_unique<nq::TMainForm>();
    shell_.AnswerRecycleConfirmation(true);
  }
  void TearDown() override {
    form_.reset();
    FileTreeTest::TearDown();
  }

  // Targets and look-alikes of every command, then noise.
  void Generate() {
    ProfileGenerator g(reg_, seed_);
    auto& rng = g.Rng();
    auto put = [&](platform::RegKey root, const std::string& path, const std::string& name) {
      // The target in a random spelling of its path, and look-alikes of it beside it.
      const std::string spelt = g.CaseVariant(path);
      g.RandomValue(root, spelt, name);
      for (const std::string& other : g.LookAlikes(name)) g.RandomValue(root, spelt, other);
    };
    auto split = [](const std::string& full, platform::RegKey* root) {
      if (root != nullptr) *root = full.compare(0, 4, "HKCU") == 0 ? kHkeyCurrentUser : kHkeyLocalMachine;
      return full.substr(5);
    };
    // Where the 32-bit view does not go: Software\Wow6432Node\Policies, a look-alike of the shared key.
    auto unshared = [](platform::RegKey root, const std::string& path) {
      return root == kHkeyLocalMachine && FoldName(path.substr(0, 18)) == "SOFTWARE\\POLICIES\\"
                 ? "Software\\Wow6432Node\\" + path.substr(9)
                 : std::string();
    };
    for (const Target& t : kRepairKeys) {
      platform::RegKey root;
      const std::string path = split(t.key, &root);
      g.RandomValue(root, g.CaseVariant(path) + "\\" + g.Word() + "\\" + g.Word(), "NoBrowserOptions");
      g.RandomValue(root, path, g.Word());
      for (const std::string& other : g.LookAlikes(path)) g.RandomValue(root, other, "NoBrowserOptions");
      if (const std::string trap = unshared(root, path); !trap.empty()) g.RandomValue(root, trap, "NoBrowserOptions");
    }
    for (const auto* list : {&kRepairDeletedValues, &kRepairWrittenValues}) {
      for (const Target& t : *list) {
        platform::RegKey root;
        const std::string path = split(t.key, &root);
        if (rng() % 5 == 0) continue;  // now and then the key is missing altogether
        put(root, path, t.value);
        // The same name under the other root is no target, nor in the unshared copy.
        g.RandomValue(root == kHkeyCurrentUser ? kHkeyLocalMachine : kHkeyCurrentUser, path, t.value);
        if (const std::string trap = unshared(root, path); !trap.empty()) g.RandomValue(root, trap, t.value);
      }
    }
    // Startup keys: hijack entries, ordinary programs, non-text values, shared names.
    const char* commands[] = {"C:\\x\\evil.VBS", "wscript a.js", "C:\\Windows\\REGEDIT.EXE /s x.reg", "mshta.exe",
                              "notepad.exe", "C:\\p\\tool.exe -q", "run.hta", "C:\\a.json",
                              "C:\\Программы\\злой.vbs", "C:\\程序\\工具.exe", "C:\\Café\\menu.hta", "Café.exe"};
    for (const std::string& full : kStartupLookup) {
      platform::RegKey root;
      const std::string path = split(full, &root);
      for (int i = 0; i < 6; ++i) {
        const std::string name = i == 0 ? "Shared" : g.Word() + std::to_string(i);
        if (rng() % 4 == 0) g.RandomValue(root, g.CaseVariant(path), name);
        else g.Text(root, g.CaseVariant(path), name, commands[rng() % std::size(commands)]);
      }
      g.Text(root, path + "2", "Look", "evil.vbs");  // a look-alike key with a hijack entry
    }
    // A Cyrillic name in the machine's 32-bit Run (found first) and 64-bit Runonce, and one with a
    // Latin "a" in the user's Run, which a Delete of the Cyrillic name must leave.
    g.Text(kHkeyLocalMachine, split(kStartupLookup[2], nullptr), kCyrillicStartup, "C:\\Программы\\запуск.exe");
    g.Text(kHkeyLocalMachine, split(kStartupLookup[3], nullptr), kCyrillicStartup, "C:\\x\\zapusk.exe");
    g.Text(kHkeyCurrentUser, split(kStartupLookup[0], nullptr), "Зaпуск", "C:\\x\\latin-a.exe");
    // Context menu entries.
    const std::string menuItems[] = {"Item 0", "Item 1", "Item 2", "Item 3", kCyrillicMenuItem, "翻译 页面"};
    for (const std::string& item : menuItems) {
      g.Text(kHkeyCurrentUser, kIe + "\\MenuExt\\" + item, "", "res://x/" + item);
      g.Text(kHkeyCurrentUser, kIe + "\\MenuExt\\" + item + "\\Sub", "", "deep");
      g.Text(kHkeyLocalMachine, kIe + "\\MenuExt\\" + item, "", "machine");
      g.Text(kHkeyCurrentUser, kIe + "\\MenuExt2\\" + item, "", "look-alike");
    }
    for (const std::string& other : g.LookAlikes(kCyrillicMenuItem)) {
      g.Text(kHkeyCurrentUser, kIe + "\\MenuExt\\" + other, "", "res://x/" + other);
    }
    // Toolbar buttons in both views, under the same class ids as 32-bit and 64-bit builds of one
    // program install them: each text once in each view, with case and accent look-alikes beside.
    const std::string buttonTexts[] = {"Button 0", "Button 1", "Button 2", "button 0", kChineseButton, "按钮 工具 ", "Café",
                                       "Cafe\u0301"};
    const unsigned turn = 1 + rng() % (std::size(buttonTexts) - 1);
    for (unsigned i = 0; i < std::size(buttonTexts); ++i) {
      const std::string ext = kIe + "\\Extensions\\{" + std::to_string(1000 + i) + "}";
      const std::string ext32 = "Software\\Wow6432Node\\" + ext.substr(9);
      g.Text(kHkeyLocalMachine, ext, "ButtonText", buttonTexts[i]);
      g.Text(kHkeyLocalMachine, ext, "Exec", "C:\\b" + std::to_string(i) + ".exe");
      g.Text(kHkeyLocalMachine, ext32, "ButtonText", buttonTexts[(i + turn) % std::size(buttonTexts)]);
      g.Text(kHkeyLocalMachine, ext32 + "\\Sub", "", "deep");
      g.Text(kHkeyCurrentUser, ext, "ButtonText", buttonTexts[i]);
      g.Text(kHkeyLocalMachine, kIe + "\\Extensions2\\{" + std::to_string(1000 + i) + "}", "ButtonText", buttonTexts[i]);
      g.Text(kHkeyLocalMachine, "Software\\Wow6432Node\\Microsoft\\Internet Explorer\\Extensions2\\{" +
                                    std::to_string(1000 + i) + "}", "ButtonText", buttonTexts[i]);
    }
    // Typed addresses: repeated ones, a Cyrillic one, and its look-alikes.
    const std::string typed[] = {"http://same.example/", "http://" + g.Word() + ".example/", kCyrillicAddress,
                                 "http://ПРЕЗИДЕНТ.РФ/", "http://президент.рф", "http://xn--d1abbgf6aiiy.xn--p1ai/"};
    for (int i = 0; i < 8; ++i) {
      const std::string name = "url" + std::to_string(i + 1);
      g.Text(kHkeyCurrentUser, kIe + "\\TypedURLs", name, i < 4 ? typed[i % 3] : typed[i - 2]);
      g.Text(kHkeyCurrentUser, kIe + "\\TypedURLs2", name, typed[i % 3]);
    }
    g.Text(kHkeyCurrentUser, kIe + "\\TypedURLs", "url9", "HTTP://SAME.EXAMPLE/");
    g.Set(kHkeyCurrentUser, kIe + "\\TypedURLs", "Count", platform::kRegDword, {3, 0, 0, 0});
    // Traces.
    g.Text(kHkeyCurrentUser, kExplorer + "\\RecentDocs", "0", "a.doc");
    g.Text(kHkeyCurrentUser, kExplorer + "\\RecentDocs\\.doc", "0", "a.doc");
    g.Text(kHkeyCurrentUser, kExplorer + "\\RecentDocs2", "0", "look-alike");
    g.Text(kHkeyCurrentUser, kExplorer + "\\RunMRU", "a", "regedit\\1");
    g.Text(kHkeyCurrentUser, kExplorer + "\\RunMRU\\Sub", "a", "kept");
    g.Text(kHkeyCurrentUser, kExplorer + "\\ComDlg32\\OpenSaveMRU", "a", "x.txt");
    g.Text(kHkeyCurrentUser, kExplorer + "\\ComDlg32\\OpenSaveMRU\\txt", "a", "kept.txt");
    g.Text(kHkeyCurrentUser, kExplorer + "\\ComDlg32\\LastVisitedMRU", "a", "kept");
    // Wallpaper, ProtectIE's keys (some of them missing), shell folders.
    g.Text(kHkeyCurrentUser, kIe + "\\Toolbar", "backbitmapIE5", tree_.Path("Program\\Bitmaps\\Sky.bmp"));
    g.Text(kHkeyCurrentUser, kIe + "\\Toolbar", "backbitmapIE", "look-alike");
    for (const char* sub : {"", "\\TypeLib", "\\ProgID"}) g.Text(kHkeyClassesRoot, kClsid + sub, "Other", "kept");
    g.Text(kHkeyCurrentUser, kExplorer + "\\Shell Folders", "Recent", tree_.Path("Recent"));
    g.Text(kHkeyCurrentUser, kExplorer + "\\Shell Folders", "Cookies", tree_.Path("Cookies"));
    g.Noise(3000);

    for (const char* f : {"Recent\\a.lnk", "Recent\\b.LNK", "Recent\\d.txt", "Recent\\e.lnk.bak", "Recent\\f.lnk0",
                          "Cookies\\u@a[1].txt", "Cookies\\u@b[1].txt", "Cookies\\u@c[2].txt", "Cookies\\index.dat",
                          "Program\\Bitmaps\\Sky.bmp", "Program\\Bitmaps\\Sky.bmp.txt", "Other\\keep.lnk",
                          "Recent\\Café.lnk", "Recent\\启动项.LNK", "Recent\\Запуск.txt", "Recent\\Запуск.lnk.bak",
                          "Cookies\\user@тeст[1].txt", "Cookies\\Café@x[1].txt", "Cookies\\用户@例子[1].txt",
                          "Other\\Запуск.lnk"}) {
      tree_.WriteFile(f, "line1\nline2\nsite.example/\n");
    }
    tree_.WriteFile("Cookies\\" + kCyrillicCookie, "line1\nline2\nтест.example/\n");
    tree_.MakeFolder("Recent\\Папка.lnk");
    tree_.MakeFolder("Recent\\c.lnk");
    tree_.MakeFolder("Cookies\\dir.txt");
  }

  using Allowed = std::function<bool(const Change&, const RegistrySnapshot& before)>;

  // Runs `action`, then checks every registry change against `allowed`.
  // `prepare` runs once the before-snapshot is taken.
  std::vector<Change> Run(const std::function<void()>& action, const Allowed& allowed,
                          const std::function<void()>& prepare = {}) {
    if (chainSnapshots_ && !after_.empty()) {
      before_ = std::move(after_);
      filesBefore_ = std::move(filesAfter_);
    } else {
      before_ = SnapRegistry(reg_);
      filesBefore_ = SnapFiles(tree_.Host(""));
    }
    if (prepare) prepare();
    action();
    after_ = SnapRegistry(reg_);
    filesAfter_ = SnapFiles(tree_.Host(""));
    const auto changes = Diff(before_, after_);
    for (const Change& c : changes) {
      EXPECT_TRUE(allowed(c, before_)) << "seed " << seed_ << ": not a target: " << c.Describe();
    }
    return changes;
  }

  void ExpectFilesUnchanged() { EXPECT_EQ(filesBefore_, filesAfter_) << "seed " << seed_; }

  const ValueSnap* Value(const RegistrySnapshot& s, const std::string& key, const std::string& name) {
    auto k = s.find(FoldName(key));
    if (k == s.end()) return nullptr;
    auto v = k->second.values.find(FoldName(name));
    return v == k->second.values.end() ? nullptr : &v->second;
  }
  bool KeyExists(const RegistrySnapshot& s, const std::string& key) { return s.count(FoldName(key)) != 0; }

  static bool IsTarget(const std::vector<Target>& targets, const Change& c) {
    return std::any_of(targets.begin(), targets.end(),
                       [&](const Target& t) { return SameKey(t.key, c.key) && SameKey(t.value, c.value); });
  }

  bool RepairAllowed(const Change& c, bool cleaner) {
    switch (c.kind) {
      case Change::KeyRemoved:
        return std::any_of(kRepairKeys.begin(), kRepairKeys.end(), [&](const Target& t) { return Under(c.key, t.key); });
      case Change::ValueRemoved:
        if (IsTarget(kRepairDeletedValues, c)) return true;
        if (std::any_of(kRepairKeys.begin(), kRepairKeys.end(), [&](const Target& t) { return Under(c.key, t.key); })) return true;
        return cleaner && std::any_of(kStartupLookup.begin(), kStartupLookup.end(), [&](const std::string& k) {
                 return SameKey(k, c.key) && HasHijackData(*Value(before_, c.key, c.value));
               });
      case Change::ValueAdded:
      case Change::ValueChanged:
        return IsTarget(kRepairWrittenValues, c);
      default:
        return false;
    }
  }

  // Exactly what deleting the entry `text` of the list at navigation item (section, item) changes,
  // read off the registry before.
  std::set<std::string> ExpectedDeletion(int section, int item, const std::string& text, const RegistrySnapshot& b) {
    std::set<std::string> out;
    auto add = [&](Change::Kind k, const std::string& key, const std::string& value) {
      out.insert(FoldName(Change{k, key, value}.Describe()));
    };
    if (item == 1 && section == 0) {
      // The value of that name in the first startup key, in lookup order, that holds it.
      for (const std::string& key : kStartupLookup) {
        if (const ValueSnap* v = Value(b, key, text)) {
          add(Change::ValueRemoved, b.at(FoldName(key)).path, v->name);
          break;
        }
      }
    } else if (item == 2) {
      for (const auto& [folded, key] : b) {
        if (Under(key.path, "HKCU\\" + kIe + "\\MenuExt\\" + text)) add(Change::KeyRemoved, key.path, "");
      }
    } else if (item == 3) {
      // Every button key, in either view, whose text is exactly the entry's, with everything below it.
      for (const auto& [folded, key] : b) {
        for (const std::string& extensions : {kExtensions64, kExtensions32}) {
          if (!Under(key.path, extensions) || key.path.size() == extensions.size() ||
              key.path.find('\\', extensions.size() + 1) != std::string::npos) {
            continue;
          }
          const ValueSnap* bt = Value(b, key.path, "ButtonText");
          if (!bt || ShownText(*bt) != text) continue;
          for (const auto& [f, below] : b) {
            if (Under(below.path, key.path)) add(Change::KeyRemoved, below.path, "");
          }
        }
      }
    } else {
      auto typed = b.find(FoldName("HKCU\\" + kIe + "\\TypedURLs"));
      if (typed != b.end()) {
        for (const auto& [folded, v] : typed->second.values) {
          if (ShownText(v) == text) add(Change::ValueRemoved, typed->second.path, v.name);
        }
      }
    }
    return out;
  }

  std::unique_ptr<nq::TMainForm> form_;
  ui::ScriptedDialogs dialogs_;
  nqtest::Installed<ui::IDialogs> installedDialogs_{dialogs_};
  unsigned seed_ = 0;
  bool chainSnapshots_ = false;
  RegistrySnapshot before_, after_;
  std::map<std::string, std::uintmax_t> filesBefore_, filesAfter_;
};

TEST_P(BlastRadius, RepairWithAndWithoutTheCleaner) {
  for (bool cleaner : {false, true}) {
    SCOPED_TRACE(cleaner ? "cleaner ticked" : "cleaner unticked");
    form_->AutoCleanCheckBox.SetChecked(cleaner);
    Run([&] { form_->RepairButton.Click(); },
        [&](const Change& c, const RegistrySnapshot&) { return RepairAllowed(c, cleaner); });
    ExpectFilesUnchanged();
    for (const Target& t : kRepairKeys) EXPECT_FALSE(KeyExists(after_, t.key)) << t.key;
    for (const Target& t : kRepairDeletedValues) EXPECT_EQ(Value(after_, t.key, t.value), nullptr) << t.key << " " << t.value;
    for (const Target& t : kRepairWrittenValues) {
      if (!KeyExists(before_, t.key)) continue;
      const ValueSnap* v = Value(after_, t.key, t.value);
      ASSERT_NE(v, nullptr) << t.key << " " << t.value;
      EXPECT_EQ(v->type, platform::kRegSz) << t.key << " " << t.value;
      // The 32-bit view gets what the 64-bit one got.
      const ValueSnap* v32 = Value(after_, View32(t.key), t.value);
      if (View32(t.key) != t.key && KeyExists(before_, View32(t.key))) {
        ASSERT_NE(v32, nullptr) << View32(t.key) << " " << t.value;
        EXPECT_EQ(ShownText(*v32), ShownText(*v)) << View32(t.key) << " " << t.value;
      }
    }
    for (const std::string& key : kStartupLookup) {
      auto k = after_.find(FoldName(key));
      if (k == after_.end()) continue;
      if (!cleaner) continue;
      for (const auto& [name, v] : k->second.values) EXPECT_FALSE(HasHijackData(v)) << key << " " << v.name;
    }
    if (!cleaner) {
      // Unticked: the startup keys are exactly as they were (checked above through the diff), and
      // their hijack entries are still there for the ticked run.
      bool anyHijack = false;
      for (const std::string& key : kStartupLookup) {
        auto k = before_.find(FoldName(key));
        if (k != before_.end()) {
          for (const auto& [name, v] : k->second.values) anyHijack |= HasHijackData(v);
        }
      }
      EXPECT_TRUE(anyHijack) << "the profile should hold hijack entries";
    }
  }
}

TEST_P(BlastRadius, ProtectIeWritesOnlyIntoExistingClassKeys) {
  const std::set<std::string> written = {FoldName("HKCR\\" + kClsid), FoldName("HKCR\\" + kClsid + "\\TypeLib"),
                                         FoldName("HKCR\\" + kClsid + "\\ProgID"),
                                         FoldName("HKCR\\" + kClsid + "\\Programmable"),
                                         FoldName("HKCR\\" + kClsid + "\\InProcServer32")};
  Run([&] { form_->Run(nq::TCommandId::ProtectIE); }, [&](const Change& c, const RegistrySnapshot&) {
    return (c.kind == Change::ValueAdded || c.kind == Change::ValueChanged) && written.count(FoldName(c.key)) &&
           (c.value.empty() || SameKey(c.value, "ThreadingModel"));
  });
  EXPECT_FALSE(KeyExists(after_, "HKCR\\" + kClsid + "\\Programmable")) << "a missing key is not created";
}

TEST_P(BlastRadius, EachListDeletesOnlyTheSelectedEntry) {
  struct Case {
    const char* name;
    int section, item;
    std::string named;  // picked first, by its text
  };
  const Case cases[] = {{"StartUp", 0, 1, kCyrillicStartup},
                        {"Context Menu", 0, 2, kCyrillicMenuItem},
                        {"Toolbar Button", 0, 3, kChineseButton},
                        {"Manage Address", 1, 1, kCyrillicAddress}};
  // Listing and selecting only read: each delete's after-snapshot is the next one's before, and a
  // change made in between would be laid at the next delete's door.
  chainSnapshots_ = true;
  for (const Case& kind : cases) {
    SCOPED_TRACE(kind.name);
    form_->NavBar.ClickItem(kind.section, kind.item);
    ASSERT_FALSE(form_->EntryListBox.Items().empty());
    // The named entry first, then every entry once, top to bottom, until the list is empty.
    for (int round = 0; round < 40 && form_->EntryListBox.Count() > 0; ++round) {
      const auto& items = form_->EntryListBox.Items();
      int pick = static_cast<int>(seed_ + round) % form_->EntryListBox.Count();
      if (round == 0) {
        pick = static_cast<int>(std::find(items.begin(), items.end(), kind.named) - items.begin());
        ASSERT_LT(pick, form_->EntryListBox.Count()) << kind.named << " is not listed";
      }
      form_->EntryListBox.UserSelect(pick);
      const std::string text = items[pick];
      dialogs_.AnswerMessage(ui::kIdOk);
      std::set<std::string> expected;
      const auto changes = Run([&] { form_->DeleteEntryButton.Click(); }, [&](const Change& c, const RegistrySnapshot&) {
        return expected.count(FoldName(c.Describe())) == 1;
      }, [&] { expected = ExpectedDeletion(kind.section, kind.item, text, before_); });
      EXPECT_FALSE(expected.empty()) << "seed " << seed_ << ": listed, but not in the registry: " << text;
      EXPECT_EQ(changes.size(), expected.size()) << "seed " << seed_ << ": not all of " << text << " went";
      ExpectFilesUnchanged();
      if (kind.item == 3 || kind.section == 1) {
        // All of that text went at once.
        EXPECT_EQ(std::count(form_->EntryListBox.Items().begin(), form_->EntryListBox.Items().end(), text), 0) << text;
      }
      if (HasFatalFailure() || HasFailure() || changes.empty()) return;
    }
  }
}

TEST_P(BlastRadius, CleanTypedUrlsEmptiesOnlyThatKey) {
  form_->NavBar.ClickItem(1, 1);
  Run([&] { form_->CleanTypedUrlsButton.Click(); }, [&](const Change& c, const RegistrySnapshot&) {
    return c.kind == Change::ValueRemoved && SameKey(c.key, "HKCU\\" + kIe + "\\TypedURLs");
  });
  ExpectFilesUnchanged();
  EXPECT_TRUE(after_.at(FoldName("HKCU\\" + kIe + "\\TypedURLs")).values.empty());
}

TEST_P(BlastRadius, EraseTracksRemovesOnlyTraces) {
  form_->NavBar.ClickItem(1, 0);
  Run([&] { form_->EraseTracksButton.Click(); }, [&](const Change& c, const RegistrySnapshot&) {
    if (c.kind == Change::KeyRemoved || c.kind == Change::ValueRemoved) {
      if (Under(c.key, "HKCU\\" + kExplorer + "\\RecentDocs")) return true;
    }
    return c.kind == Change::ValueRemoved &&
           (SameKey(c.key, "HKCU\\" + kExplorer + "\\RunMRU") || SameKey(c.key, "HKCU\\" + kExplorer + "\\ComDlg32\\OpenSaveMRU"));
  });
  EXPECT_FALSE(KeyExists(after_, "HKCU\\" + kExplorer + "\\RecentDocs"));
  EXPECT_TRUE(after_.at(FoldName("HKCU\\" + kExplorer + "\\RunMRU")).values.empty());
  EXPECT_FALSE(after_.at(FoldName("HKCU\\" + kExplorer + "\\RunMRU\\Sub")).values.empty());
  // Files: only the links of the Recent folder went.
  for (const auto& [file, size] : filesBefore_) {
    const std::string folded = FoldName(file);
    const bool link = folded.rfind("RECENT/", 0) == 0 && folded.size() > 4 && folded.substr(folded.size() - 4) == ".LNK" &&
                      size != static_cast<std::uintmax_t>(-1);
    EXPECT_EQ(filesAfter_.count(file) == 0, link) << file;
  }
}

TEST_P(BlastRadius, CookieDeleteRecyclesOnlyTheSelectedFiles) {
  form_->NavBar.ClickItem(1, 2);
  ASSERT_GE(form_->CookieListView.Items.size(), 3u);
  std::set<std::string> chosen;
  for (std::size_t i = 0; i < form_->CookieListView.Items.size(); ++i) {
    // The Cyrillic file always, never its look-alike with a Latin "e", the others by turns.
    const std::string& caption = form_->CookieListView.Items[i].Caption;
    if (caption == kCyrillicCookie || (caption != "user@тeст[1].txt" && (seed_ + i) % 2 == 0)) {
      form_->CookieListView.Items[i].Selected = true;
      chosen.insert("Cookies/" + caption);
    }
  }
  EXPECT_EQ(chosen.count("Cookies/" + kCyrillicCookie), 1u) << "the Cyrillic cookie file is listed";
  Run([&] { form_->DeleteCookiesButton.Click(); }, [](const Change&, const RegistrySnapshot&) { return false; });
  for (const auto& [file, size] : filesBefore_) EXPECT_EQ(filesAfter_.count(file) == 0, chosen.count(file) == 1) << file;
  EXPECT_EQ(shell_.RecycledNames().size(), chosen.size());
}

TEST_P(BlastRadius, WallpaperTouchesOnlyItsValue) {
  const std::string toolbar = "HKCU\\" + kIe + "\\Toolbar";
  form_->NavBar.ClickItem(2, 0);
  ASSERT_GT(form_->WallpaperListBox.Count(), 0);
  form_->WallpaperListBox.UserSelect(0);
  for (auto* button : {&form_->ApplyWallpaperButton, &form_->ClearWallpaperButton, &form_->ClearWallpaperButton}) {
    Run([&] { button->Click(); }, [&](const Change& c, const RegistrySnapshot&) {
      return c.kind >= Change::ValueRemoved && SameKey(c.key, toolbar) && SameKey(c.value, "backbitmapIE5");
    });
    ExpectFilesUnchanged();
  }
  EXPECT_EQ(Value(after_, toolbar, "backbitmapIE5"), nullptr);
  EXPECT_NE(Value(after_, toolbar, "backbitmapIE"), nullptr);
}

// ---- the console companion: each command changes exactly what its button changes

int Console(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  return nq::console::Run(args, out, err);
}

TEST_P(BlastRadius, ConsoleRepairChangesOnlyItsTargets) {
  Run([&] { EXPECT_EQ(Console({"repair", "--dry-run"}), 0); }, [](const Change&, const RegistrySnapshot&) { return false; });
  ExpectFilesUnchanged();
  for (bool cleaner : {false, true}) {
    SCOPED_TRACE(cleaner ? "with the cleaner" : "--keep-startup");
    Run([&] { EXPECT_EQ(Console(cleaner ? std::vector<std::string>{"repair"} : std::vector<std::string>{"repair", "--keep-startup"}), 0); },
        [&](const Change& c, const RegistrySnapshot&) { return RepairAllowed(c, cleaner); });
    ExpectFilesUnchanged();
    for (const Target& t : kRepairKeys) EXPECT_FALSE(KeyExists(after_, t.key)) << t.key;
  }
}

TEST_P(BlastRadius, ConsoleDeleteChangesOnlyItsTargets) {
  struct Case {
    const char* kind;
    int section, item;
    std::string name;
  };
  const Case cases[] = {{"startup", 0, 1, kCyrillicStartup},
                        {"context-menu", 0, 2, kCyrillicMenuItem},
                        {"toolbar", 0, 3, kChineseButton},
                        {"typed-url", 1, 1, kCyrillicAddress}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    Run([&] { EXPECT_EQ(Console({"delete", c.kind, c.name, "--dry-run"}), 0); },
        [](const Change&, const RegistrySnapshot&) { return false; });
    std::set<std::string> expected;
    const auto changes = Run([&] { EXPECT_EQ(Console({"delete", c.kind, c.name}), 0); },
                             [&](const Change& change, const RegistrySnapshot&) {
                               return expected.count(FoldName(change.Describe())) == 1;
                             },
                             [&] { expected = ExpectedDeletion(c.section, c.item, c.name, before_); });
    EXPECT_FALSE(expected.empty()) << "seed " << seed_ << ": " << c.name << " is not in the registry";
    EXPECT_EQ(changes.size(), expected.size()) << "seed " << seed_;
    ExpectFilesUnchanged();
  }
}

TEST_P(BlastRadius, ConsoleCleanTypedUrlsAndEraseTracksChangeOnlyTheirTargets) {
  Run([&] { EXPECT_EQ(Console({"clean-typed-urls"}), 0); }, [&](const Change& c, const RegistrySnapshot&) {
    return c.kind == Change::ValueRemoved && SameKey(c.key, "HKCU\\" + kIe + "\\TypedURLs");
  });
  ExpectFilesUnchanged();
  Run([&] { EXPECT_EQ(Console({"erase-tracks", "--dry-run"}), 0); }, [](const Change&, const RegistrySnapshot&) { return false; });
  ExpectFilesUnchanged();
  Run([&] { EXPECT_EQ(Console({"erase-tracks"}), 0); }, [&](const Change& c, const RegistrySnapshot&) {
    if ((c.kind == Change::KeyRemoved || c.kind == Change::ValueRemoved) && Under(c.key, "HKCU\\" + kExplorer + "\\RecentDocs")) {
      return true;
    }
    return c.kind == Change::ValueRemoved &&
           (SameKey(c.key, "HKCU\\" + kExplorer + "\\RunMRU") || SameKey(c.key, "HKCU\\" + kExplorer + "\\ComDlg32\\OpenSaveMRU"));
  });
  for (const auto& [file, size] : filesBefore_) {
    const std::string folded = FoldName(file);
    const bool link = folded.rfind("RECENT/", 0) == 0 && folded.size() > 4 && folded.substr(folded.size() - 4) == ".LNK" &&
                      size != static_cast<std::uintmax_t>(-1);
    EXPECT_EQ(filesAfter_.count(file) == 0, link) << file;
  }
}

TEST_P(BlastRadius, ConsoleCookieDeleteRecyclesOnlyThatFile) {
  Run([&] { EXPECT_EQ(Console({"delete", "cookie", kCyrillicCookie, "--dry-run"}), 0); },
      [](const Change&, const RegistrySnapshot&) { return false; });
  ExpectFilesUnchanged();
  Run([&] { EXPECT_EQ(Console({"delete", "cookie", kCyrillicCookie}), 0); },
      [](const Change&, const RegistrySnapshot&) { return false; });
  for (const auto& [file, size] : filesBefore_) {
    EXPECT_EQ(filesAfter_.count(file) == 0, file == "Cookies/" + kCyrillicCookie) << file;
  }
  EXPECT_EQ(shell_.RecycledNames().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Seeds, BlastRadius, ::testing::Values(1u, 2u, 3u));

}  // namespace
