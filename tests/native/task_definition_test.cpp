// A task's XML definition read from the element tree a namespace-aware
// reader builds: the shared samples through pugixml, and the Command text.
#include <gtest/gtest.h>

#include "fakes/task_definition_samples.h"
#include "native/namespaced_tree.h"
#include "scheduledtasks/task_definition.h"

namespace velmora::testing {
namespace {

TEST(TaskDefinition, EverySampleReadsAsTheSchedulerMeansIt) {
  for (const TaskSample& sample : taskDefinitionSamples()) {
    SCOPED_TRACE(sample.name);
    const std::optional<XmlElement> tree = namespacedTree(sample.xml);
    if (sample.is == TaskSample::Is::Unreadable) {
      EXPECT_FALSE(tree);
      continue;
    }
    ASSERT_TRUE(tree);
    expectRead(sample, readTaskDefinition(*tree));
  }
}

TEST(TaskDefinition, ActionsKeepTheirKindAndDocumentOrder) {
  const auto& all = taskDefinitionSamples();
  const auto it = std::find_if(all.begin(), all.end(), [](const TaskSample& s) { return s.name == "ExecThenComHandler"; });
  ASSERT_NE(it, all.end());
  const std::optional<TaskDefinition> d = readTaskDefinition(*namespacedTree(it->xml));
  ASSERT_TRUE(d);
  ASSERT_EQ(d->actions.size(), 2u);
  EXPECT_EQ(d->actions[0].kind, TaskAction::Kind::Exec);
  EXPECT_EQ(d->actions[0].command, "C:\\Tools\\sync.exe");
  EXPECT_EQ(d->actions[0].arguments, "");
  EXPECT_EQ(d->actions[1].kind, TaskAction::Kind::ComHandler);
  EXPECT_EQ(d->actions[1].classId, kVendorHandler);
  EXPECT_EQ(d->actions[1].command, "") << "a COM handler runs no program of its own";
}

TEST(TaskDefinition, CommandLineQuotesAProgramWithSpacesOnce) {
  const auto exec = [](std::string command, std::string arguments) {
    return TaskAction{TaskAction::Kind::Exec, std::move(command), std::move(arguments), ""};
  };
  const auto com = [](std::string classId) { return TaskAction{TaskAction::Kind::ComHandler, "", "", std::move(classId)}; };
  const struct {
    TaskAction action;
    std::string expected;
  } cases[] = {
      {exec("C:\\Tools\\a.exe", ""), "C:\\Tools\\a.exe"},
      {exec("C:\\Tools\\a.exe", "/x /y"), "C:\\Tools\\a.exe /x /y"},
      {exec("C:\\Program Files\\A\\a.exe", ""), "\"C:\\Program Files\\A\\a.exe\""},
      {exec("C:\\Program Files\\A\\a.exe", "-q"), "\"C:\\Program Files\\A\\a.exe\" -q"},
      {exec("\"C:\\Program Files\\A\\a.exe\"", "-q"), "\"C:\\Program Files\\A\\a.exe\" -q"},
      {exec("%ProgramFiles%\\A\\a.exe", "\"x y\""), "%ProgramFiles%\\A\\a.exe \"x y\""},
      {exec("", ""), ""},
      {com(kVendorHandler), std::string(kVendorHandler) + " (C:\\Windows\\System32\\vendor.dll)"},
      {com(kUnknownHandler), kUnknownHandler},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(actionCommandLine(c.action, sampleComServer), c.expected) << c.action.command << c.action.classId;
  }
  TaskDefinition two;
  two.actions = {cases[0].action, cases[8].action};
  EXPECT_EQ(taskCommandText(two, sampleComServer), "C:\\Tools\\a.exe; " + std::string(kUnknownHandler));
  EXPECT_EQ(taskCommandText(TaskDefinition{}, sampleComServer), "");
}

}  // namespace
}  // namespace velmora::testing
