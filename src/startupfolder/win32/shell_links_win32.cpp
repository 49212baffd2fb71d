#include "startupfolder/win32/shell_links_win32.h"

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <vector>

#include "platform/win32/com_ptr.h"
#include "platform/win32/wide.h"

namespace velmora::win32 {

namespace {

// Long enough for any path the file system can hold.
constexpr int kPathUnits = 32768;

LinkStatus loadFailed(HRESULT hr) {
  if (hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) || hr == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND)) {
    return LinkStatus::NotFound;
  }
  return LinkStatus::NotALink;
}

LinkStatus saveFailed(HRESULT hr) {
  if (hr == HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED) || hr == E_ACCESSDENIED ||
      hr == STG_E_ACCESSDENIED || hr == HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION)) {
    return LinkStatus::AccessDenied;
  }
  return LinkStatus::WriteFailed;
}

LinkStatus save(const ComPtr<IShellLinkW>& link, const std::string& path) {
  ComPtr<IPersistFile> file = link.as<IPersistFile>(IID_IPersistFile);
  if (!file) return LinkStatus::Failed;
  const HRESULT hr = file->Save(widen(path).c_str(), TRUE);
  return SUCCEEDED(hr) ? LinkStatus::Ok : saveFailed(hr);
}

LinkStatus storedPath(IShellLinkW* link, std::wstring& out) {
  std::vector<wchar_t> buffer(kPathUnits, L'\0');
  // No find data: filling it looks the target up on disk (0.4 ms a shortcut
  // under Wine), and only the path is wanted.
  const HRESULT hr = link->GetPath(buffer.data(), kPathUnits, nullptr, 0);
  if (FAILED(hr)) return LinkStatus::NotALink;
  // S_FALSE: a link to something that is not a file; its path is empty.
  out.assign(buffer.data());
  return LinkStatus::Ok;
}

}  // namespace

Win32ShellLinks::~Win32ShellLinks() {
  // Released only inside its apartment; were that gone, the object is left alone.
  if (!factory_) return;
  const ComScope com;
  if (!com.joinedExisting() || GetCurrentThreadId() != factoryThread_) (void)factory_.detach();
}

ComPtr<IShellLinkW> Win32ShellLinks::newShellLink(const ComScope& com) {
  ComPtr<IShellLinkW> link;
  if (factory_ && GetCurrentThreadId() == factoryThread_) {
    if (SUCCEEDED(factory_->CreateInstance(nullptr, IID_IShellLinkW, link.putVoid()))) return link;
  }
  if (com.joinedExisting() && !factory_) {
    ComPtr<IClassFactory> factory;
    if (SUCCEEDED(CoGetClassObject(CLSID_ShellLink, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                   factory.putVoid())) &&
        SUCCEEDED(factory->CreateInstance(nullptr, IID_IShellLinkW, link.putVoid()))) {
      factory_ = std::move(factory);
      factoryThread_ = GetCurrentThreadId();
      return link;
    }
  }
  CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.putVoid());
  return link;
}

// Loads `path` into a new shell-link object.
LinkStatus Win32ShellLinks::load(const ComScope& com, const std::string& path, ComPtr<IShellLinkW>& out) {
  ComPtr<IShellLinkW> link = newShellLink(com);
  if (!link) return LinkStatus::Failed;
  ComPtr<IPersistFile> file = link.as<IPersistFile>(IID_IPersistFile);
  if (!file) return LinkStatus::Failed;
  const HRESULT hr = file->Load(widen(path).c_str(), STGM_READ);
  if (FAILED(hr)) return loadFailed(hr);
  out = link;
  return LinkStatus::Ok;
}

LinkStatus Win32ShellLinks::resolve(const std::string& linkPath, std::string& target) {
  std::string ignored;
  return read(linkPath, target, ignored);
}

namespace {
LinkStatus storedArguments(IShellLinkW* link, std::string& args) {
  // A command line holds at most 32,767 units, and so do a link's arguments.
  std::vector<wchar_t> buffer(32768, L'\0');
  if (FAILED(link->GetArguments(buffer.data(), static_cast<int>(buffer.size())))) return LinkStatus::NotALink;
  args = narrow(buffer.data());
  return LinkStatus::Ok;
}
}  // namespace

LinkStatus Win32ShellLinks::arguments(const std::string& linkPath, std::string& args) {
  ComScope com;
  ComPtr<IShellLinkW> link;
  const LinkStatus loaded = load(com, linkPath, link);
  if (loaded != LinkStatus::Ok) return loaded;
  return storedArguments(link.get(), args);
}

LinkStatus Win32ShellLinks::read(const std::string& linkPath, std::string& target, std::string& args) {
  ComScope com;
  ComPtr<IShellLinkW> link;
  const LinkStatus loaded = load(com, linkPath, link);
  if (loaded != LinkStatus::Ok) return loaded;
  std::wstring path;
  const LinkStatus read = storedPath(link.get(), path);
  if (read != LinkStatus::Ok) return read;
  target = narrow(path);
  if (storedArguments(link.get(), args) != LinkStatus::Ok) args.clear();
  return LinkStatus::Ok;
}

LinkStatus Win32ShellLinks::create(const std::string& target, const std::string& linkPath) {
  ComScope com;
  ComPtr<IShellLinkW> link = newShellLink(com);
  if (!link) return LinkStatus::Failed;
  // A target that does not exist is stored all the same (S_FALSE).
  if (FAILED(link->SetPath(widen(target).c_str()))) return LinkStatus::WriteFailed;
  return save(link, linkPath);
}

LinkStatus Win32ShellLinks::retarget(const std::string& source, const std::string& target,
                                     const std::string& linkPath) {
  ComScope com;
  ComPtr<IShellLinkW> link;
  const LinkStatus loaded = load(com, source, link);
  if (loaded != LinkStatus::Ok) return loaded;
  std::wstring current;
  const std::wstring wanted = widen(target);
  // Setting the same path again would rebuild the link's item list; a
  // rename must keep the file as it was.
  if (storedPath(link.get(), current) != LinkStatus::Ok || current != wanted) {
    if (FAILED(link->SetPath(wanted.c_str()))) return LinkStatus::WriteFailed;
  }
  return save(link, linkPath);
}

}  // namespace velmora::win32
