// The Windows tests' main: GoogleTest's own, except that a test which brings
// its process down still leaves a trace. Under ctest the output is a pipe, so
// the C runtime buffers it whole and a crash would lose everything the run
// had printed; and an unhandled exception under Wine ends the process with
// no word at all. So: no buffering, and the exception said on stderr.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>

namespace {
LONG WINAPI sayUnhandled(EXCEPTION_POINTERS* info) {
  const EXCEPTION_RECORD& record = *info->ExceptionRecord;
  std::fprintf(stderr, "unhandled exception 0x%08lx at %p in the test process\n",
               static_cast<unsigned long>(record.ExceptionCode), record.ExceptionAddress);
  std::fflush(stderr);
  return EXCEPTION_CONTINUE_SEARCH;
}
}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  SetUnhandledExceptionFilter(sayUnhandled);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
