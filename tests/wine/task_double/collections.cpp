// ITaskFolderCollection and IRegisteredTaskCollection: what a folder held
// when it was listed, indexed from 1 or by name, as the scheduler's are.
#include "wine/task_double/com_object.h"
#include "wine/task_double/objects.h"
#include "wine/task_double/task_store.h"

namespace velmora::taskdouble {

namespace {

// The position in `paths` that `index` names, or why none does.
HRESULT find(const std::vector<std::wstring>& paths, const VARIANT& index, std::size_t& at) {
  if (V_VT(&index) == VT_BSTR) {
    const std::wstring name = fromBstr(V_BSTR(&index));
    for (at = 0; at < paths.size(); ++at) {
      if (_wcsicmp(leafName(paths[at]).c_str(), name.c_str()) == 0) return S_OK;
    }
    return kNotFound;
  }
  VARIANT number;
  VariantInit(&number);
  if (FAILED(VariantChangeType(&number, const_cast<VARIANT*>(&index), 0, VT_I4))) return E_INVALIDARG;
  const LONG position = V_I4(&number);
  if (position < 1 || static_cast<std::size_t>(position) > paths.size()) return E_INVALIDARG;
  at = static_cast<std::size_t>(position - 1);
  return S_OK;
}

template <class Collection, class Item, Item* (*make)(const std::wstring&)>
class PathCollection final : public DispatchObject<Collection> {
 public:
  explicit PathCollection(std::vector<std::wstring> paths) : paths_(std::move(paths)) {}

  HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override {
    if (!count) return E_POINTER;
    *count = static_cast<LONG>(paths_.size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Item(VARIANT index, Item** item) override {
    if (!item) return E_POINTER;
    *item = nullptr;
    std::size_t at = 0;
    if (const HRESULT hr = find(paths_, index, at); FAILED(hr)) return hr;
    return give(make(paths_[at]), item);
  }
  HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown**) override { return E_NOTIMPL; }

 private:
  std::vector<std::wstring> paths_;
};

}  // namespace

ITaskFolderCollection* newFolderCollection(std::vector<std::wstring> paths) {
  return new PathCollection<ITaskFolderCollection, ITaskFolder, newTaskFolder>(std::move(paths));
}

IRegisteredTaskCollection* newTaskCollection(std::vector<std::wstring> paths) {
  return new PathCollection<IRegisteredTaskCollection, IRegisteredTask, newRegisteredTask>(std::move(paths));
}

}  // namespace velmora::taskdouble
