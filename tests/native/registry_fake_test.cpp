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

}  // namespace
}  // namespace velmora::testing
