// (f) Scheduled tasks: the family's listing of 300 tasks in ten folders
// through the Task Scheduler double (the scheduler's real interfaces, in
// process), next to the enumeration alone, so our own part shows.
#include "task_bench.h"

#include <cstdio>
#include <string>
#include <vector>

#include "core/win32/store_msxml.h"
#include "measure.h"
#include "scheduledtasks/scheduled_task_family.h"
#include "scheduledtasks/win32/task_scheduler_win32.h"
#include "wine/support/sample_task.h"
#include "wine/support/task_double.h"

namespace velmora::bench {

void scheduledTasks(const Translator& translator, int runs) {
  constexpr int kTasks = 300;
  testing::TaskDoubleInstalled tasks;
  const char* triggers[] = {testing::kLogonTrigger, testing::kBootTrigger, testing::kDailyTrigger};
  for (int i = 0; i < kTasks; ++i) {
    const std::string n = std::to_string(i);
    tasks.addTask("\\Vendor " + std::to_string(i % 10) + "\\Task " + n,
                  testing::sampleTask("C:\\Program Files\\Vendor\\agent" + n + ".exe", "/run " + n, triggers[i % 3]),
                  i % 4 != 0);
  }
  testing::TempDir dir;
  win32::MsxmlStore store(dir.file("config.xml"));
  win32::TaskSchedulerWin32 port;
  const FamilyContext context{store, translator};
  const auto family = scheduledTaskFamily(port, context).make({"\\"});

  std::size_t rows = 0;
  const Figures listed = measure(runs, [&] { rows = family->list().size(); });
  std::vector<RegisteredTaskInfo> all;
  const Figures bare = measure(runs, [&] { (void)port.listTasks(all); });

  std::printf("\n(f) Scheduled tasks: %d tasks in 10 folders through the Task Scheduler double\n", kTasks);
  std::printf("  %-56s %8.1f %8.1f\n", "listing (the family's list: rows of logon and boot tasks)", listed.median,
              listed.min);
  std::printf("  %-56s %8.1f %8.1f\n", "  of which the enumeration (TaskPort::listTasks)", bare.median, bare.min);
  std::printf("  %-56s %8.1f\n", "  our own work: definitions read, rows made", listed.median - bare.median);
  std::printf("  rows: %zu of %zu tasks (a daily task starts nothing at logon)\n", rows, all.size());
}

}  // namespace velmora::bench
