#include "platform/win32/TaskXml.h"

#include <windows.h>
#include <objbase.h>
#include <xmllite.h>

#include <cstring>
#include <string>
#include <utility>

#include "platform/win32/ComPtr.h"

namespace platform {
namespace {

// Spelt out here rather than taken from the SDK headers, whose copies are not all right.
// {7279FC81-709D-4095-B63D-69FE4B0D9030}
constexpr IID kIidXmlReader = {0x7279FC81, 0x709D, 0x4095, {0xB6, 0x3D, 0x69, 0xFE, 0x4B, 0x0D, 0x90, 0x30}};

constexpr std::wstring_view kTaskNamespace = L"http://schemas.microsoft.com/windows/2004/02/mit/task";

std::wstring Wide(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int n = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

std::wstring XmlEscaped(const std::string& text) {
  std::wstring out;
  for (wchar_t c : Wide(text)) {
    switch (c) {
      case L'&': out += L"&amp;"; break;
      case L'<': out += L"&lt;"; break;
      case L'>': out += L"&gt;"; break;
      case L'"': out += L"&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(), n, nullptr, nullptr);
  return narrow;
}

// The text over memory, as little-endian UTF-16 behind its byte order mark: a BSTR is UTF-16
// whatever its declaration says, and the mark tells XmlLite so before it reads a character.
HRESULT MemoryStream(std::wstring_view xml, ComPtr<IStream>& stream) {
  const std::size_t bytes = (xml.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (memory == nullptr) return E_OUTOFMEMORY;
  auto* text = static_cast<wchar_t*>(::GlobalLock(memory));
  if (text == nullptr) {
    ::GlobalFree(memory);
    return E_OUTOFMEMORY;
  }
  text[0] = 0xFEFF;
  if (!xml.empty()) std::memcpy(text + 1, xml.data(), xml.size() * sizeof(wchar_t));
  ::GlobalUnlock(memory);
  const HRESULT hr = ::CreateStreamOnHGlobal(memory, TRUE, stream.Put());
  if (FAILED(hr)) ::GlobalFree(memory);
  return hr;
}

// Where the reader stands, as far as the actions go: each level is one more element of the path
// Task / Actions / Exec / Command or Arguments; anything else is Elsewhere, and so is all below it.
enum class Level { Document, Task, Actions, Exec, Command, Arguments, Elsewhere };

Level Enter(Level outer, std::wstring_view name) {
  switch (outer) {
    case Level::Document: return name == L"Task" ? Level::Task : Level::Elsewhere;
    case Level::Task: return name == L"Actions" ? Level::Actions : Level::Elsewhere;
    case Level::Actions: return name == L"Exec" ? Level::Exec : Level::Elsewhere;
    case Level::Exec:
      return name == L"Command" ? Level::Command : name == L"Arguments" ? Level::Arguments : Level::Elsewhere;
    default: return Level::Elsewhere;
  }
}

}  // namespace

std::wstring TaskXml(const std::vector<TaskAction>& actions) {
  std::wstring xml =
      L"<?xml version=\"1.0\"?>\n"
      L"<Task version=\"1.2\" xmlns=\"" + std::wstring(kTaskNamespace) + L"\">\n"
      L"  <Triggers><TimeTrigger><Repetition><Interval>PT10M</Interval></Repetition>"
      L"<StartBoundary>2020-01-01T00:00:00</StartBoundary><Enabled>true</Enabled></TimeTrigger></Triggers>\n"
      L"  <Settings><Enabled>true</Enabled><Hidden>false</Hidden></Settings>\n"
      L"  <Actions Context=\"Author\">\n";
  for (const TaskAction& action : actions) {
    xml += L"    <Exec><Command>" + XmlEscaped(action.path) + L"</Command>";
    if (!action.arguments.empty()) xml += L"<Arguments>" + XmlEscaped(action.arguments) + L"</Arguments>";
    xml += L"</Exec>\n";
  }
  xml += L"  </Actions>\n</Task>\n";
  return xml;
}

HResult ReadTaskExecActions(std::wstring_view xml, std::vector<TaskAction>* actions) {
  ComPtr<IStream> stream;
  HRESULT hr = MemoryStream(xml, stream);
  if (FAILED(hr)) return hr;
  ComPtr<IXmlReader> reader;
  if (FAILED(hr = ::CreateXmlReader(kIidXmlReader, reader.Out(), nullptr))) return hr;
  // No document type: nothing in a task needs one, and its entities could make a small text huge.
  if (FAILED(hr = reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit))) return hr;
  if (FAILED(hr = reader->SetInput(stream.Get()))) return hr;

  struct Exec {
    std::wstring command, arguments;
  };
  std::vector<Exec> read;
  std::vector<Level> open;  // the elements open, outermost first
  bool task = false, actionList = false;
  XmlNodeType type = XmlNodeType_None;
  // Each node takes at least one character of the text and nothing makes a text longer here (no
  // document type, no entities of its own), so more nodes or text than the text has characters is a
  // reader going round in circles: Wine's reports an empty text node forever at the end of a text
  // cut short.
  std::size_t nodes = 0, kept = 0;
  while ((hr = reader->Read(&type)) == S_OK) {
    if (++nodes > xml.size() + 1) return kSchedMalformedXml;
    const Level here = open.empty() ? Level::Document : open.back();
    if (type == XmlNodeType_Element) {
      const wchar_t* name = nullptr;
      const wchar_t* uri = nullptr;
      UINT nameLength = 0, uriLength = 0;
      if (FAILED(hr = reader->GetLocalName(&name, &nameLength)) || FAILED(hr = reader->GetNamespaceUri(&uri, &uriLength))) {
        return hr;
      }
      const bool ours = std::wstring_view(uri, uriLength) == kTaskNamespace;
      const Level level = ours ? Enter(here, std::wstring_view(name, nameLength)) : Level::Elsewhere;
      if (here == Level::Document && level != Level::Task) return kSchedMalformedXml;
      task = task || level == Level::Task;
      actionList = actionList || level == Level::Actions;
      if (level == Level::Exec) read.emplace_back();
      // An empty element (<Exec/>) has no end of its own: it ends here.
      if (reader->IsEmptyElement()) {
        if (level == Level::Exec) return kSchedMissingNode;
      } else {
        open.push_back(level);
      }
    } else if (type == XmlNodeType_EndElement) {
      if (open.empty()) return kSchedMalformedXml;
      if (here == Level::Exec && read.back().command.empty()) return kSchedMissingNode;
      open.pop_back();
    } else if ((type == XmlNodeType_Text || type == XmlNodeType_CDATA || type == XmlNodeType_Whitespace) &&
               (here == Level::Command || here == Level::Arguments)) {
      const wchar_t* value = nullptr;
      UINT length = 0;
      if (FAILED(hr = reader->GetValue(&value, &length))) return hr;
      if ((kept += length) > xml.size()) return kSchedMalformedXml;
      (here == Level::Command ? read.back().command : read.back().arguments).append(value, length);
    }
  }
  if (FAILED(hr)) return hr;
  if (!task || !open.empty()) return kSchedMalformedXml;
  if (!actionList) return kSchedMissingNode;
  std::vector<TaskAction> out;
  out.reserve(read.size());
  for (const Exec& exec : read) out.push_back({Utf8(exec.command), Utf8(exec.arguments)});
  *actions = std::move(out);
  return S_OK;
}

}  // namespace platform
