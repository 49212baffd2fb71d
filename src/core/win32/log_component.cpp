#include "core/win32/log_component.h"

#include <shlobj.h>

#include <atomic>

#include "core/log_file.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/failure_report.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide.h"

namespace velmora::win32 {
namespace {

HRESULT lastError() {
  const DWORD e = GetLastError();
  return e == 0 ? E_FAIL : HRESULT_FROM_WIN32(e);
}

std::wstring text(BSTR b) { return b ? std::wstring(b, automation::stringLength(b)) : std::wstring(); }

// Creates the folder and every missing folder above it.
HRESULT ensureFolder(const std::wstring& folder) {
  const DWORD attributes = GetFileAttributesW(folder.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? S_OK : HRESULT_FROM_WIN32(ERROR_DIRECTORY);
  }
  const int r = SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
  return r == ERROR_SUCCESS || r == ERROR_ALREADY_EXISTS ? S_OK : HRESULT_FROM_WIN32(r);
}

// The built-in component. Single-threaded like the program; the reference
// count is atomic only because COM may release from elsewhere.
class BuiltinLog final : public ILogComponent {
 public:
  explicit BuiltinLog(LogViewerFunction viewer) : viewer_(std::move(viewer)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, kIidLogComponent)) {
      *out = static_cast<ILogComponent*>(this);
      AddRef();
      return S_OK;
    }
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
  }

  HRESULT STDMETHODCALLTYPE OpenViewer(long, IUnknown*) override {
    if (folder_.empty()) return E_UNEXPECTED;
    if (!viewer_) return E_NOTIMPL;
    try {
      // The log is small next to memory; a missing file is an empty log.
      viewer_(owner_ ? owner_ : GetActiveWindow(), logFilePath(narrow(folder_)));
      return S_OK;
    } catch (...) {
      reportFailure(owner_, "log viewer", currentExceptionText());
      return E_FAIL;
    }
  }

  HRESULT STDMETHODCALLTYPE SetDataFolder(BSTR folder) override { return setFolder(text(folder)); }

  // The program's own calls come here directly: no BSTRs, so a program that
  // keeps its own log never loads oleaut32 for it.
  HRESULT setFolder(std::wstring f) {
    while (f.size() > 3 && (f.back() == L'\\' || f.back() == L'/')) f.pop_back();
    if (f.empty()) return E_INVALIDARG;
    const HRESULT hr = ensureFolder(f);
    if (FAILED(hr)) return hr;
    folder_ = std::move(f);
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Reserved3() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Reserved4() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Reserved5() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Reserved6() override { return E_NOTIMPL; }

  HRESULT STDMETHODCALLTYPE WriteRecord(BSTR type, BSTR category, BSTR itemType, BSTR source, BSTR content) override {
    try {
      return write(LogRecord{narrow(text(type)), narrow(text(category)), narrow(text(itemType)), narrow(text(source)),
                             narrow(text(content))});
    } catch (...) {
      return E_OUTOFMEMORY;
    }
  }

  HRESULT write(const LogRecord& record) {
    if (folder_.empty()) return E_UNEXPECTED;
    try {
      SYSTEMTIME now;
      GetLocalTime(&now);
      LogEntry entry;
      entry.time = formatTimeStamp({now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond});
      entry.record = record;
      return append(encodeLogLine(entry) + "\r\n");
    } catch (...) {
      return E_OUTOFMEMORY;
    }
  }

  void setOwner(HWND owner) { owner_ = owner; }

 private:
  // One write at the end of the file, then a flush: a record is either on
  // disk whole or not at all, and the next process appends after it.
  HRESULT append(const std::string& line) {
    const HRESULT folder = ensureFolder(folder_);  // it may have been deleted since start-up
    if (FAILED(folder)) return folder;
    const std::wstring path = widen(logFilePath(narrow(folder_)));
    rollOverIfFull(path, line.size());
    const FileHandle h(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) return lastError();
    DWORD written = 0;
    if (!WriteFile(h.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr)) return lastError();
    if (written != line.size()) return HRESULT_FROM_WIN32(ERROR_WRITE_FAULT);
    if (!FlushFileBuffers(h.get())) return lastError();
    return S_OK;
  }

  // A full file becomes the older file, replacing the one before, so the log
  // never grows without bound and the newest records are never the ones
  // dropped. When the rename fails (another instance has the file open) the
  // record goes into the full file: a later record rolls it over.
  static void rollOverIfFull(const std::wstring& path, std::size_t adding) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return;
    const auto size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    if (!logNeedsRollOver(size, adding)) return;
    const std::wstring older = widen(olderLogFilePath(narrow(path)));
    (void)MoveFileExW(path.c_str(), older.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  }

  std::atomic<ULONG> refs_{1};
  LogViewerFunction viewer_;
  std::wstring folder_;
  HWND owner_ = nullptr;
};

class Bstrs {
 public:
  explicit Bstrs(const LogRecord& r)
      : type_(widen(r.type)),
        category_(widen(r.category)),
        itemType_(widen(r.itemType)),
        source_(widen(r.source)),
        content_(widen(r.content)) {}
  bool valid() const { return type_ && category_ && itemType_ && source_ && content_; }
  Bstr type_, category_, itemType_, source_, content_;
};

// Hands each record to the component. A failure is reported (to the
// debugger output: the change the record describes stands, and a message
// for every lost record would stop the user's work) and returned to the
// caller, which never undoes the change.
class ComponentSink final : public LogSink {
 public:
  ILogComponent* component = nullptr;
  BuiltinLog* builtin = nullptr;  // the same object as component, when it is ours
  [[nodiscard]] bool write(const LogRecord& r) override {
    if (!component) return false;
    HRESULT hr = E_OUTOFMEMORY;
    if (builtin) {
      hr = builtin->write(r);
    } else if (Bstrs b(r); b.valid()) {
      hr = component->WriteRecord(b.type_.get(), b.category_.get(), b.itemType_.get(), b.source_.get(),
                                  b.content_.get());
    }
    if (SUCCEEDED(hr)) return true;
    traceFailure("log write", "the record \"" + r.itemType + ": " + r.content + "\" was not kept, HRESULT " +
                                  std::to_string(static_cast<unsigned long>(hr)));
    return false;
  }
};

}  // namespace

ILogComponent* createBuiltinLog(LogViewerFunction viewer) { return new BuiltinLog(std::move(viewer)); }

namespace {

// The default text value of a key of HKLM's 64-bit view, environment
// references expanded; empty when there is none.
std::wstring machineValue(const std::wstring& key) {
  std::vector<wchar_t> value(MAX_PATH + 1);
  for (;;) {
    DWORD size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    // Expandable text is taken as written (RegGetValue refuses to expand
    // it for us) and expanded below.
    const LSTATUS s =
        RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), nullptr,
                     RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND | RRF_SUBKEY_WOW6464KEY, nullptr,
                     value.data(), &size);
    if (s == ERROR_MORE_DATA) {
      value.resize(size / sizeof(wchar_t) + 1);
      continue;
    }
    if (s != ERROR_SUCCESS) return {};
    const std::wstring text(value.data());
    const DWORD needed = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (needed == 0) return text;
    std::wstring expanded(needed, L'\0');
    ExpandEnvironmentStringsW(text.c_str(), expanded.data(), needed);
    expanded.resize(needed - 1);
    return expanded;
  }
}

}  // namespace

ComPtr<ILogComponent> machineLogComponent() {
  // The class and its DLL as registered for every user. COM itself would
  // look in HKEY_CURRENT_USER\Software\Classes first, which any program
  // the user runs may write: an elevated Velmora would load that user's DLL.
  const std::wstring classText = machineValue(L"Software\\Classes\\" + std::wstring(kLogProgId) + L"\\CLSID");
  CLSID clsid{};
  if (classText.empty() || FAILED(CLSIDFromString(classText.c_str(), &clsid))) return {};
  const std::wstring server = machineValue(L"Software\\Classes\\CLSID\\" + classText + L"\\InprocServer32");
  // Only a full path: a bare name would be looked for along a search path.
  if (server.size() < 3 || !(server[1] == L':' || (server[0] == L'\\' && server[1] == L'\\'))) return {};
  // Its own folder for what it needs, then the system's; never ours.
  HMODULE dll = LoadLibraryExW(server.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!dll) return {};
  // Kept loaded for the life of the process: what it handed out may live as long.
  using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  const auto get = reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(dll, "DllGetClassObject")));
  ComPtr<IClassFactory> factory;
  ComPtr<ILogComponent> component;
  if (!get || FAILED(get(clsid, IID_IClassFactory, factory.putVoid())) || !factory ||
      FAILED(factory->CreateInstance(nullptr, kIidLogComponent, component.putVoid()))) {
    return {};
  }
  return component;
}

struct LogConnection::Impl {
  ComPtr<ILogComponent> component;
  BuiltinLog* builtin = nullptr;  // the same object as component, when it is ours
  ComponentSink sink;
  LogViewerFunction viewer;
};

LogConnection::LogConnection() : impl_(std::make_unique<Impl>()) {}

LogConnection::~LogConnection() { disconnect(); }

void LogConnection::setViewer(LogViewerFunction viewer) { impl_->viewer = std::move(viewer); }

bool LogConnection::connect(const std::string& dataFolder) {
  disconnect();
  ComPtr<ILogComponent> component = machineLogComponent();
  BuiltinLog* builtin = nullptr;
  if (!component) {
    // None registered, or it would not start: ours keeps the log instead.
    builtin = static_cast<BuiltinLog*>(createBuiltinLog(impl_->viewer));
    component = ComPtr<ILogComponent>::attach(builtin);
  }
  if (builtin) {
    if (FAILED(builtin->setFolder(widen(dataFolder)))) return false;
  } else {
    Bstr folder(widen(dataFolder));
    if (!folder || FAILED(component->SetDataFolder(folder.get()))) return false;
  }
  impl_->component = std::move(component);
  impl_->builtin = builtin;
  impl_->sink.component = impl_->component.get();
  impl_->sink.builtin = builtin;
  return true;
}

void LogConnection::disconnect() {
  impl_->sink.component = nullptr;
  impl_->sink.builtin = nullptr;
  impl_->builtin = nullptr;
  impl_->component.reset();
}

LogSink* LogConnection::sink() { return impl_->component ? &impl_->sink : nullptr; }

ILogComponent* LogConnection::component() const { return impl_->component.get(); }

void LogConnection::openViewer(HWND owner) {
  if (!impl_->component) return;
  if (impl_->builtin) impl_->builtin->setOwner(owner);
  ComPtr<IUnknown> site;
  impl_->component->QueryInterface(kIidViewerSite, site.putVoid());
  impl_->component->OpenViewer(0, site.get());
  if (impl_->builtin) impl_->builtin->setOwner(nullptr);
}

LogConnection& logConnection() {
  static LogConnection connection;
  return connection;
}

}  // namespace velmora::win32
