#pragma once
// What the tests of the Task Scheduler double need as its COM clients: the
// class id, arguments as the scheduler takes them, a definition to register.
#include <taskschd.h>

#include <string>

#include "platform/win32/com_ptr.h"
#include "platform/win32/wide.h"

namespace velmora::testing::task_client {

using win32::Bstr;
using win32::narrow;
using win32::widen;

inline constexpr CLSID kTaskScheduler = {0x0f87369f, 0xa4e5, 0x4cfc, {0xbd, 0x3e, 0x73, 0xe6, 0x15, 0x45, 0x72, 0xdd}};
inline const HRESULT kNotFound = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);

// A definition that runs `command` at logon.
inline std::string definition(const std::string& command, bool hidden = false) {
  return "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"
         "<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\r\n"
         "  <Triggers><LogonTrigger><Enabled>true</Enabled></LogonTrigger></Triggers>\r\n"
         "  <Settings><Hidden>" +
         std::string(hidden ? "true" : "false") +
         "</Hidden></Settings>\r\n"
         "  <Actions><Exec><Command>" +
         command + "</Command></Exec></Actions>\r\n</Task>\r\n";
}

inline Bstr bstr(const std::string& text) { return Bstr(widen(text)); }

inline VARIANT noValue() {
  VARIANT v;
  VariantInit(&v);
  return v;
}

inline VARIANT index(LONG i) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_I4;
  V_I4(&v) = i;
  return v;
}

// A text property; "<failed>" when the object refuses it.
template <class T, class Getter>
std::string text(T* object, Getter getter) {
  Bstr out;
  if (FAILED((object->*getter)(out.put()))) return "<failed>";
  return narrow(out.str());
}

}  // namespace velmora::testing::task_client
