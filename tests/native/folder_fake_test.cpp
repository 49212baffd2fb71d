#include "contract/folder_contract.h"
#include "fakes/fake_folders.h"

namespace velmora::testing {
namespace {

struct FakeFolderEnv {
  FakeFolders fake;
  FakeShellLinks fakeLinks{fake};
  FakeFolderEnv() { fake.addFolder(base()); }
  FolderPort& folders() { return fake; }
  ShellLinkPort& links() { return fakeLinks; }
  std::string base() { return "C:\\Temp\\velmora-test"; }
  void put(const std::string& path, const std::string& bytes, std::uint32_t attributes) {
    fake.put(path, bytes, attributes);
  }
  std::string bytes(const std::string& path) { return fake.bytes(path); }
};

using Envs = ::testing::Types<FakeFolderEnv>;
INSTANTIATE_TYPED_TEST_SUITE_P(FakeFolders, FolderContract, Envs);

}  // namespace
}  // namespace velmora::testing
