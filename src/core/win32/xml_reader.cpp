#include "core/win32/xml_reader.h"

#include "platform/win32/system_function.h"

namespace velmora::win32 {

ComPtr<IXmlReader> createXmlReader() {
  using Create = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);
  static const Create create = systemFunction<Create>(L"xmllite.dll", "CreateXmlReader");
  ComPtr<IXmlReader> reader;
  if (!create || FAILED(create(kIidXmlReader, reader.putVoid(), nullptr))) return {};
  if (FAILED(reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit))) return {};
  return reader;
}

}  // namespace velmora::win32
