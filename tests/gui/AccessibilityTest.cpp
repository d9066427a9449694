// The program as a screen reader meets it: this test process, not the program, asks the running
// program's main window for its accessible object and walks the tree below it, as a screen reader
// or an automation tool would from its own process. Every control in sight must tell a name and a
// role, the navigation bar its sections and items, and default actions must do what clicks do.
//
// The program runs for real on the throwaway prefix's own registry and files (its repair and its
// trace cleaner change them), so the test runs only there.
#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/gui/Screen.h"
#include "tests/support/ShellFixture.h"

namespace {

using nqgui::WaitFor;

// Spelled out: the tool chain's IID_IAccessible symbol does not hold this value.
constexpr GUID kIidAccessible = {0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

std::string Utf8(BSTR text) {
  if (text == nullptr) return std::string();
  const int length = static_cast<int>(SysStringLen(text));
  std::string out(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr)),
                  '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), static_cast<int>(out.size()), nullptr, nullptr);
  SysFreeString(text);
  return out;
}

struct Releaser {
  void operator()(IAccessible* object) const { object->Release(); }
};
using Object = std::shared_ptr<IAccessible>;

// One node of the tree: an object (child 0) or a part of one.
struct Node {
  Object object;
  long child = CHILDID_SELF;
  std::string name, action;
  long role = 0, state = 0;
  int depth = 0;
};

VARIANT Child(long id) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = id;
  return v;
}

Node Describe(const Object& object, long child, int depth) {
  Node node{object, child, {}, {}, 0, 0, depth};
  const VARIANT id = Child(child);
  BSTR text = nullptr;
  if (object->get_accName(id, &text) == S_OK) node.name = Utf8(text);
  text = nullptr;
  if (object->get_accDefaultAction(id, &text) == S_OK) node.action = Utf8(text);
  VARIANT value;
  VariantInit(&value);
  if (SUCCEEDED(object->get_accRole(id, &value)) && value.vt == VT_I4) node.role = value.lVal;
  VariantInit(&value);
  if (SUCCEEDED(object->get_accState(id, &value)) && value.vt == VT_I4) node.state = value.lVal;
  return node;
}

void Walk(const Object& object, int depth, std::vector<Node>& nodes) {
  nodes.push_back(Describe(object, CHILDID_SELF, depth));
  long count = 0;
  if (FAILED(object->get_accChildCount(&count)) || count <= 0) return;
  std::vector<VARIANT> children(static_cast<std::size_t>(count));
  long obtained = 0;
  if (FAILED(AccessibleChildren(object.get(), 0, count, children.data(), &obtained))) return;
  for (long i = 0; i < obtained; ++i) {
    VARIANT& v = children[static_cast<std::size_t>(i)];
    if (v.vt == VT_DISPATCH && v.pdispVal != nullptr) {
      IAccessible* child = nullptr;
      if (SUCCEEDED(v.pdispVal->QueryInterface(kIidAccessible, reinterpret_cast<void**>(&child)))) {
        Walk(Object(child, Releaser()), depth + 1, nodes);
      }
    } else if (v.vt == VT_I4) {
      nodes.push_back(Describe(object, v.lVal, depth + 1));
    }
    VariantClear(&v);
  }
}

std::vector<Node> WalkWindow(HWND window) {
  std::vector<Node> nodes;
  IAccessible* root = nullptr;
  if (SUCCEEDED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), kIidAccessible,
                                           reinterpret_cast<void**>(&root))) &&
      root != nullptr) {
    Walk(Object(root, Releaser()), 0, nodes);
  }
  return nodes;
}

const Node* Find(const std::vector<Node>& nodes, const std::string& name, long role) {
  for (const Node& node : nodes) {
    if (node.name == name && node.role == role) return &node;
  }
  return nullptr;
}

bool Visible(const Node& node) { return !(node.state & STATE_SYSTEM_INVISIBLE); }

class ComThread {
 public:
  ComThread() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  ~ComThread() { CoUninitialize(); }
  ComThread(const ComThread&) = delete;
  ComThread& operator=(const ComThread&) = delete;
};

constexpr const char* kRunMru = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";

bool RunMruHas(const char* name) {
  return RegGetValueA(HKEY_CURRENT_USER, kRunMru, name, RRF_RT_REG_SZ, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

TEST(Accessibility, AnotherProcessWalksTheWindowAndRunsDefaultActions) {
  NQ_SKIP_OUTSIDE_THROWAWAY_PREFIX();
  const ComThread com;
  // A trace for "Erase Tracks" to take: the Run dialog's list.
  ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, kRunMru, "a", REG_SZ, "notepad\\1", 10), ERROR_SUCCESS);

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  char program[MAX_PATH] = "";
  GetFullPathNameA(NQ_PROGRAM, MAX_PATH, program, nullptr);
  std::string command = std::string("\"") + program + "\"";
  ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
  HWND main = nullptr;
  ASSERT_TRUE(WaitFor(
      [&] {
        main = FindWindowA("NqForm", "Norvane And Quillet");
        DWORD owner = 0;
        if (main != nullptr) GetWindowThreadProcessId(main, &owner);
        return main != nullptr && owner == process.dwProcessId && IsWindowVisible(main);
      },
      20000));
  nqgui::Settle(500);

  std::vector<Node> nodes = WalkWindow(main);
  ASSERT_FALSE(nodes.empty()) << "no accessible object for the main window";
  EXPECT_EQ(nodes[0].name, "Norvane And Quillet");
  EXPECT_EQ(nodes[0].role, ROLE_SYSTEM_CLIENT);
  int visible = 0;
  for (const Node& node : nodes) {
    if (!Visible(node)) continue;
    ++visible;
    EXPECT_FALSE(node.name.empty()) << "a visible object of role " << node.role << " has no name";
    EXPECT_NE(node.role, 0) << node.name;
  }
  EXPECT_GT(visible, 20);
  for (const auto& [name, role] : {std::pair<const char*, long>{"Minimize", ROLE_SYSTEM_PUSHBUTTON},
                                   {"Close", ROLE_SYSTEM_PUSHBUTTON},
                                   {"Repair IE", ROLE_SYSTEM_PUSHBUTTON},
                                   {"Auto clean the Browser hijack program ", ROLE_SYSTEM_CHECKBUTTON},
                                   {"Features", ROLE_SYSTEM_LIST},
                                   {"IE Repair", ROLE_SYSTEM_GROUPING},
                                   {"Norvane And Quillet", ROLE_SYSTEM_LINK},
                                   {"Repair  IE Homepage", ROLE_SYSTEM_LISTITEM}}) {
    EXPECT_NE(Find(nodes, name, role), nullptr) << name << " with role " << role;
  }

  // The navigation bar: its sections and their items, by caption, in order.
  std::vector<std::string> bar;
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    if (nodes[i].role != ROLE_SYSTEM_OUTLINE) continue;
    for (std::size_t j = i + 1; j < nodes.size() && nodes[j].depth > nodes[i].depth; ++j) bar.push_back(nodes[j].name);
  }
  EXPECT_EQ(bar, (std::vector<std::string>{"Norvane", "IE Repair", "StartUp", "Context Menu", "Toolbar Button",
                                           "Browsers", "Quillet", "Protect Privacy", "Manage Address", "Manage Cookies",
                                           "Customize IE", "Toolbar WallPaper"}));

  auto act = [&](const std::string& name, long role) {
    nodes = WalkWindow(main);
    const Node* node = Find(nodes, name, role);
    EXPECT_NE(node, nullptr) << name;
    if (node == nullptr) return;
    EXPECT_FALSE(node->action.empty()) << name;
    EXPECT_EQ(node->object->accDoDefaultAction(Child(node->child)), S_OK) << name;
  };
  auto report = [&](const std::string& text) {
    HWND box = nullptr;
    EXPECT_TRUE(WaitFor([&] { return (box = nqgui::FindOwned(main, "#32770")) != nullptr; })) << text;
    if (box == nullptr) return;
    EXPECT_EQ(nqgui::ReadMessageBox(box).text, text);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }));
  };
  auto showing = [&](const std::string& page) {
    return WaitFor([&] {
      const std::vector<Node> now = WalkWindow(main);
      const Node* node = Find(now, page, ROLE_SYSTEM_GROUPING);
      return node != nullptr && Visible(*node);
    });
  };

  act("Repair IE", ROLE_SYSTEM_PUSHBUTTON);
  report("Your Internet Explorer Browser is successfully repaired!");

  act("StartUp", ROLE_SYSTEM_OUTLINEITEM);
  EXPECT_TRUE(showing("Entry list")) << "StartUp shows the entry list";

  act("Browsers", ROLE_SYSTEM_OUTLINEITEM);
  EXPECT_TRUE(showing("Browsers")) << "Browsers shows its page";
  EXPECT_TRUE(WaitFor([&] {
    const std::vector<Node> now = WalkWindow(main);
    const Node* list = Find(now, "Findings", ROLE_SYSTEM_LIST);
    return list != nullptr && Visible(*list);
  })) << "the findings list is there by its name";

  act("Protect Privacy", ROLE_SYSTEM_OUTLINEITEM);
  EXPECT_TRUE(showing("Protect Privacy")) << "Protect Privacy shows the trace cleaner";
  // The traces go; the report waits on the history object, which Wine's cannot clear.
  act("Erase Tracks", ROLE_SYSTEM_PUSHBUTTON);
  EXPECT_TRUE(WaitFor([] { return !RunMruHas("a"); }, 30000)) << "the Run dialog's list is erased";

  act("Close", ROLE_SYSTEM_PUSHBUTTON);
  const DWORD waited = WaitForSingleObject(process.hProcess, 20000);
  EXPECT_EQ(waited, WAIT_OBJECT_0) << "Close did not end the program";
  if (waited != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

}  // namespace
