#pragma once
// The connection to the operation-log component: a component registered as
// "Tessary.Log" when there is one, otherwise our built-in one behind the
// same interface.
#include <windows.h>
#include <oaidl.h>

#include <functional>
#include <memory>
#include <string>

#include "core/operation_log.h"
#include "platform/win32/com_ptr.h"

namespace velmora::win32 {

// {3266C63B-1B1F-4589-B661-9658F8D07496}
inline constexpr IID kIidLogComponent = {0x3266C63B, 0x1B1F, 0x4589, {0xB6, 0x61, 0x96, 0x58, 0xF8, 0xD0, 0x74, 0x96}};
// Asked of the component and handed to OpenViewer (null when it has none).
inline constexpr IID kIidViewerSite = {0xB196B28D, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};

// The component's interface. The slot order is binary: OpenViewer is the
// first slot after IUnknown's, SetDataFolder the second, WriteRecord the
// seventh; the four between are not called by us.
struct ILogComponent : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE OpenViewer(long reserved, IUnknown* site) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetDataFolder(BSTR folder) = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved3() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved4() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved5() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved6() = 0;
  virtual HRESULT STDMETHODCALLTYPE WriteRecord(BSTR type, BSTR category, BSTR itemType, BSTR source,
                                                BSTR content) = 0;
};

// The ProgID of a log component that replaces the built-in one.
inline constexpr const wchar_t* kLogProgId = L"Tessary.Log";

// The component registered for every user (its ProgID and in-process
// server under HKEY_LOCAL_MACHINE\Software\Classes, 64-bit view), created
// from the DLL that registration names; none when there is none or it will
// not start. A registration under HKEY_CURRENT_USER is never used.
ComPtr<ILogComponent> machineLogComponent();

// Shows the records of a log file to the user, in a window owned by `owner`.
// The log is core; the viewer is a dialog of the application, which hands
// it over at start-up.
using LogViewerFunction = std::function<void(HWND owner, const std::string& logFile)>;

// Our own component: appends each record to a file in the data folder and
// shows them through `viewer` (OpenViewer fails with E_NOTIMPL without
// one). Returned with one reference.
ILogComponent* createBuiltinLog(LogViewerFunction viewer);

class LogConnection {
 public:
  LogConnection();
  ~LogConnection();
  LogConnection(const LogConnection&) = delete;
  LogConnection& operator=(const LogConnection&) = delete;

  // Start-up: connects and hands over the data folder. Returns whether a
  // component is connected; when the component refuses the folder there is
  // no logging.
  bool connect(const std::string& dataFolder);
  // Shutdown, before CoUninitialize.
  void disconnect();
  // The sink for OperationLog; null when no component is connected. A
  // record the component refuses is reported (failure_report.h) and the
  // sink returns false.
  LogSink* sink();
  // The _LogViewer command; does nothing without a component.
  void openViewer(HWND owner);
  // The component in use; null when none is connected.
  ILogComponent* component() const;

  // The viewer the built-in component opens; set it before connect.
  void setViewer(LogViewerFunction viewer);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The process-wide connection.
LogConnection& logConnection();

}  // namespace velmora::win32
