// Task definitions through XmlLite: the samples the portable reading is
// tested on must read alike here, from the scheduler's wide text and from
// UTF-8, whatever encoding their declaration names.
#include <gtest/gtest.h>

#include "fakes/task_definition_samples.h"
#include "platform/win32/wide.h"
#include "scheduledtasks/win32/task_xml.h"

namespace velmora::testing {
namespace {

TEST(TaskXml, EverySampleReadsFromTheSchedulersWideText) {
  for (const TaskSample& sample : taskDefinitionSamples()) {
    SCOPED_TRACE(sample.name);
    expectRead(sample, win32::parseTaskDefinition(std::wstring_view(win32::widen(sample.xml))));
  }
}

TEST(TaskXml, EverySampleReadsFromUtf8) {
  for (const TaskSample& sample : taskDefinitionSamples()) {
    SCOPED_TRACE(sample.name);
    expectRead(sample, win32::parseTaskDefinition(sample.xml));
  }
}

// Text cut anywhere is no task, however far it got: a copy cut short by a
// full disk must not read as a task with fewer actions.
TEST(TaskXml, TextCutAnywhereIsNoTask) {
  const std::string whole = samples::kUtf16 + "<Task version=\"1.2\" " + samples::kTaskNs + ">\r\n" +
                            "  <!-- </Settings> -->\r\n  <Settings><Hidden>true</Hidden></Settings>\r\n" +
                            "  <Actions Context=\"Author\"><Exec><Command>C:\\a.exe</Command>" +
                            "<Arguments><![CDATA[<x>]]> &amp; y</Arguments></Exec>\r\n" +
                            "    <Exec><Command>C:\\b.exe</Command></Exec></Actions></Task>";
  ASSERT_TRUE(win32::parseTaskDefinition(whole));
  for (std::size_t size = 0; size < whole.rfind("</Task>") + 2; ++size) {
    EXPECT_FALSE(win32::parseTaskDefinition(whole.substr(0, size))) << whole.substr(0, size);
  }
  EXPECT_FALSE(win32::parseTaskDefinition(std::wstring_view(L"<Task/><Task/>"))) << "two roots";
}

}  // namespace
}  // namespace velmora::testing
