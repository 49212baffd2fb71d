// The Windows tests' main: GoogleTest's own, with standard output
// unbuffered. Under ctest it is a pipe, which the C runtime buffers whole,
// so a test process that dies would lose all it printed (a crash itself
// Wine reports on stderr).
#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
