#pragma once
// Task definitions shaped as the Task Scheduler exports them, with what
// reading each must give. Every XML reader the program has (and the tests'
// own tree builder) reads the same table, so they cannot drift apart.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scheduledtasks/task_definition.h"

namespace velmora::testing {

struct TaskSample {
  enum class Is {
    Task,
    NotATask,    // well-formed, but no task definition
    Unreadable,  // not well-formed, or refused (a document type)
  };
  std::string name;
  // UTF-8; the declaration says what the scheduler wrote, usually UTF-16.
  std::string xml;
  Is is = Is::Task;
  bool atLogon = false;
  bool atStartup = false;
  bool triggersOff = false;
  bool hidden = false;
  bool needsPassword = false;
  // taskCommandText with sampleComServer.
  std::string command;
};

inline constexpr const char* kVendorHandler = "{0F1D8A4C-5E2B-4C3D-9A7E-3B2C1D0E9F8A}";
inline constexpr const char* kUnknownHandler = "{8E3C2B1A-0D9F-4E8B-A7C6-5B4A39281706}";

// The one class id with a registered server, as the registry would answer.
inline std::string sampleComServer(const std::string& classId) {
  static const std::map<std::string, std::string> servers{{kVendorHandler, "C:\\Windows\\System32\\vendor.dll"}};
  const auto it = servers.find(classId);
  return it == servers.end() ? std::string() : it->second;
}

namespace samples {

inline const std::string kUtf16 = "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n";
inline const std::string kUtf8 = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";
inline const std::string kTaskNs = "xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\"";

inline std::string task(const std::string& body, const std::string& version = "1.2",
                        const std::string& ns = kTaskNs, const std::string& declaration = kUtf16) {
  return declaration + "<Task version=\"" + version + "\" " + ns + ">\r\n" + body + "</Task>\r\n";
}

inline std::string registration(const std::string& uri) {
  return "  <RegistrationInfo>\r\n    <Date>2024-03-11T09:14:27.5512345</Date>\r\n"
         "    <Author>CONTOSO\\alex</Author>\r\n    <URI>" + uri + "</URI>\r\n  </RegistrationInfo>\r\n";
}

inline std::string triggers(const std::string& inner) { return "  <Triggers>\r\n" + inner + "  </Triggers>\r\n"; }
inline std::string logonTrigger(const std::string& inner = "      <Enabled>true</Enabled>\r\n") {
  return "    <LogonTrigger>\r\n" + inner + "    </LogonTrigger>\r\n";
}
inline std::string bootTrigger(const std::string& inner = "      <Enabled>true</Enabled>\r\n") {
  return "    <BootTrigger>\r\n" + inner + "    </BootTrigger>\r\n";
}

inline std::string principal(const std::string& user = "S-1-5-21-3623811015-3361044348-30300820-1013",
                             const std::string& logonType = "InteractiveToken",
                             const std::string& runLevel = "LeastPrivilege") {
  return "  <Principals>\r\n    <Principal id=\"Author\">\r\n      <UserId>" + user + "</UserId>\r\n" +
         "      <LogonType>" + logonType + "</LogonType>\r\n      <RunLevel>" + runLevel +
         "</RunLevel>\r\n    </Principal>\r\n  </Principals>\r\n";
}

inline std::string settings(const std::string& extra = "") {
  return "  <Settings>\r\n    <MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>\r\n"
         "    <DisallowStartIfOnBatteries>true</DisallowStartIfOnBatteries>\r\n"
         "    <StopIfGoingOnBatteries>true</StopIfGoingOnBatteries>\r\n" + extra +
         "    <ExecutionTimeLimit>PT72H</ExecutionTimeLimit>\r\n    <Priority>7</Priority>\r\n  </Settings>\r\n";
}

inline std::string exec(const std::string& command, const std::string& arguments = "") {
  return "    <Exec>\r\n      <Command>" + command + "</Command>\r\n" +
         (arguments.empty() ? "" : "      <Arguments>" + arguments + "</Arguments>\r\n") + "    </Exec>\r\n";
}
inline std::string comHandler(const std::string& classId, const std::string& data = "") {
  return "    <ComHandler>\r\n      <ClassId>" + classId + "</ClassId>\r\n" +
         (data.empty() ? "" : "      <Data><![CDATA[" + data + "]]></Data>\r\n") + "    </ComHandler>\r\n";
}
inline std::string actions(const std::string& inner) {
  return "  <Actions Context=\"Author\">\r\n" + inner + "  </Actions>\r\n";
}

// The usual shape: registration, the triggers, the author's principal,
// default settings, the actions.
inline std::string usual(const std::string& trigs, const std::string& acts, const std::string& settingsExtra = "",
                         const std::string& declaration = kUtf16) {
  return task(registration("\\Vendor\\Sample") + triggers(trigs) + principal() + settings(settingsExtra) +
                  actions(acts),
              "1.2", kTaskNs, declaration);
}

// Exported as is from the Task Scheduler console.
inline const std::string kExportedUpdater =
    "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"
    "<Task version=\"1.4\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\r\n"
    "  <RegistrationInfo>\r\n"
    "    <Date>2023-11-02T17:45:03.1180316</Date>\r\n"
    "    <Author>Contoso Ltd.</Author>\r\n"
    "    <Description>Keeps Contoso software up to date.</Description>\r\n"
    "    <URI>\\Contoso\\ContosoUpdateTaskUserS-1-5-21-1004</URI>\r\n"
    "  </RegistrationInfo>\r\n"
    "  <Triggers>\r\n"
    "    <LogonTrigger>\r\n"
    "      <Enabled>true</Enabled>\r\n"
    "      <Delay>PT30S</Delay>\r\n"
    "    </LogonTrigger>\r\n"
    "    <CalendarTrigger>\r\n"
    "      <Repetition>\r\n"
    "        <Interval>PT1H</Interval>\r\n"
    "        <Duration>P1D</Duration>\r\n"
    "        <StopAtDurationEnd>false</StopAtDurationEnd>\r\n"
    "      </Repetition>\r\n"
    "      <StartBoundary>2023-11-02T17:45:00</StartBoundary>\r\n"
    "      <Enabled>true</Enabled>\r\n"
    "      <ScheduleByDay>\r\n"
    "        <DaysInterval>1</DaysInterval>\r\n"
    "      </ScheduleByDay>\r\n"
    "    </CalendarTrigger>\r\n"
    "  </Triggers>\r\n"
    "  <Principals>\r\n"
    "    <Principal id=\"Author\">\r\n"
    "      <GroupId>S-1-5-32-545</GroupId>\r\n"
    "      <RunLevel>LeastPrivilege</RunLevel>\r\n"
    "    </Principal>\r\n"
    "  </Principals>\r\n"
    "  <Settings>\r\n"
    "    <MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>\r\n"
    "    <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>\r\n"
    "    <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>\r\n"
    "    <AllowHardTerminate>true</AllowHardTerminate>\r\n"
    "    <StartWhenAvailable>true</StartWhenAvailable>\r\n"
    "    <RunOnlyIfNetworkAvailable>false</RunOnlyIfNetworkAvailable>\r\n"
    "    <IdleSettings>\r\n"
    "      <StopOnIdleEnd>true</StopOnIdleEnd>\r\n"
    "      <RestartOnIdle>false</RestartOnIdle>\r\n"
    "    </IdleSettings>\r\n"
    "    <AllowStartOnDemand>true</AllowStartOnDemand>\r\n"
    "    <Enabled>true</Enabled>\r\n"
    "    <Hidden>false</Hidden>\r\n"
    "    <RunOnlyIfIdle>false</RunOnlyIfIdle>\r\n"
    "    <DisallowStartOnRemoteAppSession>false</DisallowStartOnRemoteAppSession>\r\n"
    "    <UseUnifiedSchedulingEngine>true</UseUnifiedSchedulingEngine>\r\n"
    "    <WakeToRun>false</WakeToRun>\r\n"
    "    <ExecutionTimeLimit>PT72H</ExecutionTimeLimit>\r\n"
    "    <Priority>7</Priority>\r\n"
    "  </Settings>\r\n"
    "  <Actions Context=\"Author\">\r\n"
    "    <Exec>\r\n"
    "      <Command>C:\\Program Files (x86)\\Contoso\\Update\\ContosoUpdate.exe</Command>\r\n"
    "      <Arguments>/ua /installsource scheduler</Arguments>\r\n"
    "    </Exec>\r\n"
    "  </Actions>\r\n"
    "</Task>\r\n";

}  // namespace samples

inline const std::vector<TaskSample>& taskDefinitionSamples() {
  using namespace samples;
  using Is = TaskSample::Is;
  const std::string updater = "\"C:\\Program Files (x86)\\Contoso\\Update\\ContosoUpdate.exe\" /ua /installsource scheduler";
  const std::string chat = exec("%LOCALAPPDATA%\\Chat\\chat.exe", "--autostart");
  const std::string handler = std::string(kVendorHandler) + " (C:\\Windows\\System32\\vendor.dll)";
  static const std::vector<TaskSample> all{
      {.name = "ExportedLogonTriggerForAnyUser", .xml = kExportedUpdater, .atLogon = true, .command = updater},
      {.name = "LogonTriggerForOneUser",
       .xml = usual(logonTrigger("      <Enabled>true</Enabled>\r\n      <UserId>CONTOSO\\alex</UserId>\r\n"), chat),
       .atLogon = true,
       .command = "%LOCALAPPDATA%\\Chat\\chat.exe --autostart"},
      {.name = "LogonTriggerWithoutEnabled", .xml = usual(logonTrigger(""), chat), .atLogon = true,
       .command = "%LOCALAPPDATA%\\Chat\\chat.exe --autostart"},
      {.name = "BootTriggerAsSystem",
       .xml = task(registration("\\Microsoft\\Windows\\Sample\\Cleanup") + triggers(bootTrigger()) +
                   principal("S-1-5-18", "ServiceAccount", "HighestAvailable") + settings() +
                   actions(exec("C:\\Windows\\System32\\cleanmgr.exe"))),
       .atStartup = true,
       .command = "C:\\Windows\\System32\\cleanmgr.exe"},
      {.name = "LogonAndBootTriggers", .xml = usual(bootTrigger() + logonTrigger(), chat), .atLogon = true,
       .atStartup = true, .command = "%LOCALAPPDATA%\\Chat\\chat.exe --autostart"},
      {.name = "DisabledLogonTrigger",
       .xml = usual(logonTrigger("      <Enabled>false</Enabled>\r\n") + bootTrigger(), chat),
       .atStartup = true,
       .command = "%LOCALAPPDATA%\\Chat\\chat.exe --autostart"},
      {.name = "EveryLogonTriggerDisabled",
       .xml = usual(logonTrigger("      <Enabled>false</Enabled>\r\n"), chat),
       .triggersOff = true,
       .command = "%LOCALAPPDATA%\\Chat\\chat.exe --autostart"},
      {.name = "OneOfTwoLogonTriggersDisabled",
       .xml = usual(logonTrigger("      <Enabled>false</Enabled>\r\n") + logonTrigger(), chat),
       .atLogon = true,
       .command = "%LOCALAPPDATA%\\Chat\\chat.exe --autostart"},
      {.name = "TimeAndCalendarTriggersOnly",
       .xml = usual("    <TimeTrigger>\r\n      <StartBoundary>2024-01-01T08:00:00</StartBoundary>\r\n"
                    "      <Enabled>true</Enabled>\r\n    </TimeTrigger>\r\n"
                    "    <CalendarTrigger>\r\n      <StartBoundary>2024-01-01T03:00:00</StartBoundary>\r\n"
                    "      <ScheduleByWeek>\r\n        <DaysOfWeek>\r\n          <Sunday />\r\n"
                    "        </DaysOfWeek>\r\n        <WeeksInterval>1</WeeksInterval>\r\n"
                    "      </ScheduleByWeek>\r\n    </CalendarTrigger>\r\n",
                    exec("C:\\Tools\\backup.exe", "/weekly")),
       .command = "C:\\Tools\\backup.exe /weekly"},
      {.name = "TwoExecActions",
       .xml = usual(logonTrigger(), exec("C:\\Tools\\sync.exe", "/start") +
                                        exec("C:\\Program Files\\Vendor\\Tray\\tray.exe")),
       .atLogon = true,
       .command = "C:\\Tools\\sync.exe /start; \"C:\\Program Files\\Vendor\\Tray\\tray.exe\""},
      {.name = "ExecThenComHandler",
       .xml = usual(logonTrigger(), exec("C:\\Tools\\sync.exe") + comHandler(kVendorHandler, "<logon/>")),
       .atLogon = true,
       .command = "C:\\Tools\\sync.exe; " + handler},
      {.name = "ComHandlersOnly",
       .xml = usual(bootTrigger(), comHandler(kVendorHandler) + comHandler(kUnknownHandler, "mode=quiet")),
       .atStartup = true,
       .command = handler + "; " + kUnknownHandler},
      {.name = "OnlyAMessageAction",
       .xml = task(registration("\\Reminder") + triggers(logonTrigger()) + principal() + settings() +
                   actions("    <ShowMessage>\r\n      <Title>Hello</Title>\r\n      <Body>Welcome back</Body>\r\n"
                           "    </ShowMessage>\r\n")),
       .atLogon = true},
      {.name = "NoActionsAtAll",
       .xml = task(registration("\\Empty") + triggers(bootTrigger()) + settings()), .atStartup = true},
      {.name = "DisabledTaskIsStillRead",
       .xml = usual(logonTrigger(), chat, "    <Enabled>false</Enabled>\r\n"),
       .atLogon = true,
       .command = "%LOCALAPPDATA%\\Chat\\chat.exe --autostart"},
      {.name = "HiddenTask", .xml = usual(logonTrigger(), chat, "    <Hidden>true</Hidden>\r\n"), .atLogon = true,
       .hidden = true, .command = "%LOCALAPPDATA%\\Chat\\chat.exe --autostart"},
      {.name = "PasswordLogonType",
       .xml = task(registration("\\Nightly") + triggers(bootTrigger()) + principal("CONTOSO\\svc-backup", "Password") +
                   settings() + actions(exec("D:\\Backup\\run.cmd"))),
       .atStartup = true,
       .needsPassword = true,
       .command = "D:\\Backup\\run.cmd"},
      {.name = "NoNamespace",
       .xml = task(registration("\\Old") + triggers(logonTrigger()) + actions(exec("C:\\Old\\old.exe")), "1.2", ""),
       .atLogon = true,
       .command = "C:\\Old\\old.exe"},
      {.name = "PrefixedTaskNamespace",
       .xml = kUtf16 + "<t:Task version=\"1.2\" xmlns:t=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">"
                       "<t:Triggers><t:BootTrigger/></t:Triggers><t:Settings><t:Hidden>true</t:Hidden></t:Settings>"
                       "<t:Actions><t:Exec><t:Command>C:\\p.exe</t:Command></t:Exec></t:Actions></t:Task>",
       .atStartup = true,
       .hidden = true,
       .command = "C:\\p.exe"},
      {.name = "ElementsOfAnotherNamespaceAreNotTheTasks",
       .xml = usual("    <LogonTrigger xmlns=\"urn:contoso:extra\" />\r\n" + bootTrigger(),
                    "    <Exec xmlns=\"urn:contoso:extra\"><Command>C:\\Not\\this.exe</Command></Exec>\r\n" +
                        exec("C:\\Only\\this.exe")),
       .atStartup = true,
       .command = "C:\\Only\\this.exe"},
      {.name = "RootInNoNamespaceChildrenInTheTasks",
       .xml = kUtf16 + "<Task version=\"1.2\"><Triggers " + kTaskNs + "><LogonTrigger/></Triggers><Actions " +
              kTaskNs + "><Exec><Command>C:\\x.exe</Command></Exec></Actions></Task>"},
      {.name = "WrongNamespace",
       .xml = task(triggers(logonTrigger()) + actions(exec("C:\\x.exe")), "1.2",
                   "xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task/v2\""),
       .is = Is::NotATask},
      {.name = "AnotherRootElement",
       .xml = kUtf16 + "<Tasks " + kTaskNs + "><Task><Actions><Exec><Command>C:\\x.exe</Command></Exec></Actions>"
                                              "</Task></Tasks>",
       .is = Is::NotATask},
      {.name = "Utf8Declaration", .xml = usual(logonTrigger(), chat, "", kUtf8), .atLogon = true,
       .command = "%LOCALAPPDATA%\\Chat\\chat.exe --autostart"},
      {.name = "NoDeclaration", .xml = task(triggers(bootTrigger()) + actions(chat), "1.4", kTaskNs, ""),
       .atStartup = true, .command = "%LOCALAPPDATA%\\Chat\\chat.exe --autostart"},
      {.name = "EntitiesAndCharacterReferences",
       .xml = usual(logonTrigger(), exec("C:\\Users\\Ren&#233;\\Tools\\grab.exe",
                                         "--url &quot;https://example.com/?a=1&amp;b=2&quot; &lt;all&gt; &#x20AC;")),
       .atLogon = true,
       .command = "C:\\Users\\Ren\xC3\xA9\\Tools\\grab.exe --url \"https://example.com/?a=1&b=2\" <all> \xE2\x82\xAC"},
      {.name = "NonAsciiText",
       .xml = usual(logonTrigger(), exec("C:\\Users\\Zo\xC3\xAB\\\xE6\x97\xA5\xE6\x9C\xAC\\app.exe", "--\xF0\x9F\x98\x80")),
       .atLogon = true,
       .command = "C:\\Users\\Zo\xC3\xAB\\\xE6\x97\xA5\xE6\x9C\xAC\\app.exe --\xF0\x9F\x98\x80"},
      {.name = "ArgumentsInCdata",
       .xml = usual(logonTrigger(), exec("C:\\Tools\\tool.exe", "<![CDATA[--filter \"a<b & c\"]]>")),
       .atLogon = true,
       .command = "C:\\Tools\\tool.exe --filter \"a<b & c\""},
      {.name = "CommandAlreadyQuoted",
       .xml = usual(logonTrigger(), exec("&quot;C:\\Program Files\\Vendor\\agent.exe&quot;", "-q")),
       .atLogon = true,
       .command = "\"C:\\Program Files\\Vendor\\agent.exe\" -q"},
      {.name = "WhitespaceAroundText",
       .xml = usual(logonTrigger("      <Enabled>\r\n        false\r\n      </Enabled>\r\n") + bootTrigger(),
                    exec("\r\n        C:\\Program Files\\Sync\\sync.exe\t ", "  --quiet  \r\n"),
                    "    <Hidden> true </Hidden>\r\n"),
       .atStartup = true,
       .hidden = true,
       .command = "\"C:\\Program Files\\Sync\\sync.exe\" --quiet"},
      {.name = "NotWellFormed",
       .xml = usual(logonTrigger(), "    <Exec>\r\n      <Command>C:\\x.exe</command>\r\n    </Exec>\r\n"),
       .is = Is::Unreadable},
      {.name = "UndeclaredPrefix",
       .xml = kUtf16 + "<t:Task version=\"1.2\"><t:Actions><t:Exec><t:Command>C:\\x.exe</t:Command></t:Exec>"
                       "</t:Actions></t:Task>",
       .is = Is::Unreadable},
      {.name = "DocumentTypeRefused",
       .xml = kUtf16 + "<!DOCTYPE Task [<!ENTITY tool \"C:\\evil.exe\">]>\r\n" +
              task(triggers(logonTrigger()) + actions(exec("&tool;")), "1.2", kTaskNs, ""),
       .is = Is::Unreadable},
  };
  return all;
}

// Checks what a reader made of a sample against what the sample says.
inline void expectRead(const TaskSample& sample, const std::optional<TaskDefinition>& definition) {
  if (sample.is != TaskSample::Is::Task) {
    EXPECT_FALSE(definition);
    return;
  }
  ASSERT_TRUE(definition);
  EXPECT_EQ(definition->atLogon, sample.atLogon);
  EXPECT_EQ(definition->atStartup, sample.atStartup);
  EXPECT_EQ(definition->triggersOff, sample.triggersOff);
  EXPECT_EQ(definition->hidden, sample.hidden);
  EXPECT_EQ(definition->needsPassword, sample.needsPassword);
  EXPECT_EQ(taskCommandText(*definition, sampleComServer), sample.command);
}

}  // namespace velmora::testing
