#pragma once
// The six automation functions (BSTR and VARIANT) the program uses, taken
// from oleaut32.dll when first called rather than imported: only MSXML and
// the log component need them, and a start-up that loads neither spares the
// library (0.4 MB under Wine). Without the library, allocations give null
// and the rest fail as their callers already expect.
#include <windows.h>
#include <oleauto.h>

namespace velmora::win32::automation {

BSTR allocString(const wchar_t* text, UINT length);
void freeString(BSTR text);
UINT stringLength(BSTR text);
void variantInit(VARIANT* v);
HRESULT variantClear(VARIANT* v);
HRESULT variantChangeType(VARIANT* to, const VARIANT* from, USHORT flags, VARTYPE type);

}  // namespace velmora::win32::automation
