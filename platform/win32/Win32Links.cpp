#include "platform/win32/Win32Links.h"

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <shobjidl.h>
#include <taskschd.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/win32/ComPtr.h"
#include "platform/win32/TaskXml.h"

namespace platform {
namespace {

// Spelt out here rather than taken from the SDK headers, whose copies are not all right.
// {00021401-0000-0000-C000-000000000046}
constexpr CLSID kClsidShellLink = {0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {000214F9-0000-0000-C000-000000000046}
constexpr IID kIidShellLinkW = {0x000214F9, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {0000010B-0000-0000-C000-000000000046}
constexpr IID kIidPersistFile = {0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {0F87369F-A4E5-4CFC-BD3E-73E6154572DD}
constexpr CLSID kClsidTaskScheduler = {0x0F87369F, 0xA4E5, 0x4CFC, {0xBD, 0x3E, 0x73, 0xE6, 0x15, 0x45, 0x72, 0xDD}};
// {2FABA4C7-4DA9-4013-9697-20CC3FD40F85}
constexpr IID kIidTaskService = {0x2FABA4C7, 0x4DA9, 0x4013, {0x96, 0x97, 0x20, 0xCC, 0x3F, 0xD4, 0x0F, 0x85}};

constexpr DWORD kRawPath = 4;  // SLGP_RAWPATH: the target as stored, environment strings unexpanded
// A link counts its strings in 16 bits.
constexpr int kMaxLinkString = 65536;

// A BSTR owned for the scope.
class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(const std::wstring& text) : s_(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  ~Bstr() { ::SysFreeString(s_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR Get() const { return s_; }
  BSTR* Put() { return &s_; }

 private:
  BSTR s_ = nullptr;
};

std::wstring Wide(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int n = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

std::string Utf8(const wchar_t* text, int length = -1) {
  if (text == nullptr) return std::string();
  if (length < 0) length = static_cast<int>(::wcslen(text));
  if (length == 0) return std::string();
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text, length, narrow.data(), n, nullptr, nullptr);
  return narrow;
}

std::string Utf8(const Bstr& text) { return Utf8(text.Get(), static_cast<int>(::SysStringLen(text.Get()))); }

// A new shell link object with its file interface, loaded from `path` unless that is empty.
HRESULT OpenLink(const std::string& path, DWORD mode, ComPtr<IShellLinkW>& link, ComPtr<IPersistFile>& file) {
  HRESULT hr = ::CoCreateInstance(kClsidShellLink, nullptr, CLSCTX_INPROC_SERVER, kIidShellLinkW, link.Out());
  if (FAILED(hr)) return hr;
  hr = link->QueryInterface(kIidPersistFile, file.Out());
  if (FAILED(hr) || path.empty()) return hr;
  return file->Load(Wide(path).c_str(), mode);
}

HRESULT Save(IPersistFile* file, const std::string& path) { return file->Save(Wide(path).c_str(), TRUE); }

HRESULT Connect(ComPtr<ITaskService>& service) {
  HRESULT hr = ::CoCreateInstance(kClsidTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, kIidTaskService, service.Out());
  if (FAILED(hr)) return hr;
  VARIANT none;
  ::VariantInit(&none);
  return service->Connect(none, none, none, none);
}

// "\A\B" -> "\A" and "B"; "\B" -> "\" and "B".
void SplitTaskPath(const std::string& path, std::wstring* folder, std::wstring* name) {
  const std::wstring wide = Wide(path);
  const std::size_t slash = wide.rfind(L'\\');
  if (slash == std::wstring::npos) {
    *folder = L"\\";
    *name = wide;
    return;
  }
  *folder = slash == 0 ? std::wstring(L"\\") : wide.substr(0, slash);
  *name = wide.substr(slash + 1);
}

VARIANT Index(LONG i) {
  VARIANT v;
  ::VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = i;
  return v;
}

// The exec actions of one registered task, from its XML rather than from get_Definition's action
// objects: the XML is what the task was registered with on Windows, and reading it is one walk of
// XmlLite that the Wine tier runs too, where the action objects answer E_NOTIMPL. Wine 8's
// Task Scheduler drops a task's actions when it is registered and rebuilds its XML with one empty
// <Exec/>, which reads as an exec action without a command: the task cannot be read.
HRESULT ReadActions(IRegisteredTask* task, std::vector<TaskAction>* actions) {
  Bstr xml;
  const HRESULT hr = task->get_Xml(xml.Put());
  if (FAILED(hr)) return hr;
  return ReadTaskExecActions(std::wstring_view(xml.Get(), ::SysStringLen(xml.Get())), actions);
}

// One registered task as listed: its path and exec actions, or why they could not be read.
ScheduledTask ListTask(HRESULT got, IRegisteredTask* task, std::string fallbackPath) {
  ScheduledTask listed{std::move(fallbackPath), got, {}};
  if (FAILED(got)) return listed;
  Bstr path;
  if (SUCCEEDED(task->get_Path(path.Put()))) listed.path = Utf8(path);
  listed.result = ReadActions(task, &listed.actions);
  if (FAILED(listed.result)) listed.actions.clear();
  return listed;
}

// Wine's GetTasks is a stub (E_NOTIMPL); its tasks are files under System32\Tasks, one per task,
// that GetTask opens by name. Windows never gets here.
bool ListTaskFiles(ITaskFolder* folder, const std::string& folderPath, std::vector<ScheduledTask>* out) {
  wchar_t system[MAX_PATH];
  const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  std::wstring pattern = std::wstring(system, length) + L"\\Tasks" + (folderPath == "\\" ? L"" : Wide(folderPath)) + L"\\*";
  WIN32_FIND_DATAW data;
  HANDLE search = ::FindFirstFileW(pattern.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return false;
  do {
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
    Bstr name{std::wstring(data.cFileName)};
    ComPtr<IRegisteredTask> task;
    const HRESULT got = folder->GetTask(name.Get(), task.Put());
    out->push_back(ListTask(got, task.Get(), folderPath + (folderPath == "\\" ? "" : "\\") + Utf8(data.cFileName)));
  } while (::FindNextFileW(search, &data));
  ::FindClose(search);
  return true;
}

void WalkFolder(ITaskFolder* folder, const std::string& folderPath, std::vector<ScheduledTask>* out, int depth) {
  ComPtr<IRegisteredTaskCollection> tasks;
  HRESULT hr = folder->GetTasks(TASK_ENUM_HIDDEN, tasks.Put());
  LONG count = 0;
  if (SUCCEEDED(hr)) hr = tasks->get_Count(&count);
  if (hr == E_NOTIMPL && ListTaskFiles(folder, folderPath, out)) hr = S_OK;
  if (FAILED(hr)) out->push_back({folderPath, hr, {}});
  for (LONG i = 1; i <= count; ++i) {
    ComPtr<IRegisteredTask> task;
    const HRESULT got = tasks->get_Item(Index(i), task.Put());
    out->push_back(ListTask(got, task.Get(), folderPath + (folderPath == "\\" ? "" : "\\") + "#" + std::to_string(i)));
  }
  // Folders nest only a few deep; the bound keeps a looping folder list from recursing forever.
  if (depth > 32) return;
  ComPtr<ITaskFolderCollection> folders;
  hr = folder->GetFolders(0, folders.Put());
  count = 0;
  if (SUCCEEDED(hr)) hr = folders->get_Count(&count);
  if (FAILED(hr)) {
    out->push_back({folderPath, hr, {}});
    return;
  }
  for (LONG i = 1; i <= count; ++i) {
    ComPtr<ITaskFolder> sub;
    Bstr path;
    hr = folders->get_Item(Index(i), sub.Put());
    if (SUCCEEDED(hr)) hr = sub->get_Path(path.Put());
    if (FAILED(hr)) {
      out->push_back({folderPath, hr, {}});
      continue;
    }
    WalkFolder(sub.Get(), Utf8(path), out, depth + 1);
  }
}

}  // namespace

HResult Win32ShellLinks::Load(const std::string& path, ShellLink* link) {
  ComPtr<IShellLinkW> shellLink;
  ComPtr<IPersistFile> file;
  HRESULT hr = OpenLink(path, STGM_READ, shellLink, file);
  if (FAILED(hr)) return hr;
  std::vector<wchar_t> buffer(kMaxLinkString, L'\0');
  ShellLink read;
  // A link without a target (one to a shell folder) answers S_FALSE and an empty text.
  hr = shellLink->GetPath(buffer.data(), kMaxLinkString, nullptr, kRawPath);
  if (FAILED(hr)) return hr;
  read.target = Utf8(buffer.data());
  buffer[0] = L'\0';
  hr = shellLink->GetArguments(buffer.data(), kMaxLinkString);
  if (FAILED(hr)) return hr;
  read.arguments = Utf8(buffer.data());
  *link = std::move(read);
  return S_OK;
}

HResult Win32ShellLinks::SaveArguments(const std::string& path, const std::string& arguments) {
  ComPtr<IShellLinkW> link;
  ComPtr<IPersistFile> file;
  HRESULT hr = OpenLink(path, STGM_READWRITE, link, file);
  if (FAILED(hr)) return hr;
  hr = link->SetArguments(Wide(arguments).c_str());
  return FAILED(hr) ? hr : Save(file.Get(), path);
}

HResult Win32ShellLinks::Create(const std::string& path, const ShellLink& link) {
  ComPtr<IShellLinkW> shellLink;
  ComPtr<IPersistFile> file;
  HRESULT hr = OpenLink(std::string(), 0, shellLink, file);
  if (FAILED(hr)) return hr;
  if (FAILED(hr = shellLink->SetPath(Wide(link.target).c_str()))) return hr;
  if (FAILED(hr = shellLink->SetArguments(Wide(link.arguments).c_str()))) return hr;
  return Save(file.Get(), path);
}

HResult Win32TaskScheduler::Enumerate(std::vector<ScheduledTask>* tasks) {
  ComPtr<ITaskService> service;
  HRESULT hr = Connect(service);
  if (FAILED(hr)) return hr;
  ComPtr<ITaskFolder> root;
  Bstr rootPath(L"\\");
  if (FAILED(hr = service->GetFolder(rootPath.Get(), root.Put()))) return hr;
  tasks->clear();
  WalkFolder(root.Get(), "\\", tasks, 0);
  return S_OK;
}

HResult Win32TaskScheduler::Delete(const std::string& path) {
  ComPtr<ITaskService> service;
  HRESULT hr = Connect(service);
  if (FAILED(hr)) return hr;
  std::wstring folderPath, name;
  SplitTaskPath(path, &folderPath, &name);
  ComPtr<ITaskFolder> folder;
  Bstr folderText(folderPath), nameText(name);
  if (FAILED(hr = service->GetFolder(folderText.Get(), folder.Put()))) return hr;
  return folder->DeleteTask(nameText.Get(), 0);
}

HResult Win32TaskScheduler::Register(const std::string& path, const std::vector<TaskAction>& actions) {
  const std::wstring xml = TaskXml(actions);
  return RegisterXml(path, Utf8(xml.c_str(), static_cast<int>(xml.size())));
}

HResult Win32TaskScheduler::ReadXml(const std::string& path, std::string* xml) {
  ComPtr<ITaskService> service;
  HRESULT hr = Connect(service);
  if (FAILED(hr)) return hr;
  std::wstring folderPath, name;
  SplitTaskPath(path, &folderPath, &name);
  ComPtr<ITaskFolder> folder;
  Bstr folderText(folderPath), nameText(name);
  if (FAILED(hr = service->GetFolder(folderText.Get(), folder.Put()))) return hr;
  ComPtr<IRegisteredTask> task;
  if (FAILED(hr = folder->GetTask(nameText.Get(), task.Put()))) return hr;
  Bstr text;
  if (FAILED(hr = task->get_Xml(text.Put()))) return hr;
  *xml = Utf8(text);
  return S_OK;
}

HResult Win32TaskScheduler::RegisterXml(const std::string& path, const std::string& xml) {
  ComPtr<ITaskService> service;
  HRESULT hr = Connect(service);
  if (FAILED(hr)) return hr;
  std::wstring folderPath, name;
  SplitTaskPath(path, &folderPath, &name);
  ComPtr<ITaskFolder> folder;
  Bstr folderText(folderPath), nameText(name);
  if (FAILED(service->GetFolder(folderText.Get(), folder.Put()))) {
    // Each missing folder on the way is made (Wine's RegisterTask does not make them).
    Bstr rootPath(L"\\");
    if (FAILED(hr = service->GetFolder(rootPath.Get(), folder.Put()))) return hr;
    std::size_t at = 1;
    while (at <= folderPath.size()) {
      const std::size_t next = std::min(folderPath.find(L'\\', at), folderPath.size());
      Bstr part(folderPath.substr(at, next - at));
      ComPtr<ITaskFolder> sub;
      if (FAILED(folder->GetFolder(part.Get(), sub.Put()))) {
        VARIANT none;
        ::VariantInit(&none);
        if (FAILED(hr = folder->CreateFolder(part.Get(), none, sub.Put()))) return hr;
      }
      std::swap(*folder.Put(), *sub.Put());
      at = next + 1;
    }
  }
  Bstr xmlText(Wide(xml));
  VARIANT none;
  ::VariantInit(&none);
  ComPtr<IRegisteredTask> registered;
  return folder->RegisterTask(nameText.Get(), xmlText.Get(), TASK_CREATE_OR_UPDATE, none, none,
                              TASK_LOGON_INTERACTIVE_TOKEN, none, registered.Put());
}

}  // namespace platform
