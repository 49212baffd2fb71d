#include "contract/registry_contract.h"
#include "fakes/fake_registry.h"

namespace velmora::testing {
namespace {

struct FakeEnv {
  FakeRegistry fake;
  RegistryPort& port() { return fake; }
  std::string base() { return "Software\\VelmoraTest"; }
};

using Envs = ::testing::Types<FakeEnv>;
INSTANTIATE_TYPED_TEST_SUITE_P(Fake, RegistryContract, Envs);

TEST(FakeRegistry, AKeyThatRefusesReadsRefusesItsSubkeysToo) {
  FakeRegistry fake;
  fake.put(RootKey::LocalMachine, "Ex\\0001", "A", "a.exe");
  fake.denyRead(RootKey::LocalMachine, "Ex");
  std::vector<std::string> names{"keep"};
  EXPECT_EQ(fake.enumerateSubkeys(RootKey::LocalMachine, "Ex", names), RegStatus::AccessDenied);
  EXPECT_EQ(names, std::vector<std::string>{"keep"});
}

}  // namespace
}  // namespace velmora::testing
