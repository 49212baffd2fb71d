#pragma once
// The scheduled-tasks family: tasks of the Task Scheduler that start at
// logon or at system start. Their on/off switch is the scheduler's own, so
// nothing of theirs goes to config.xml; Remove keeps the exact definition
// among the change copies, so that Undo can register it again. Tasks are
// switched and removed here, never written: no Add, no Modify.
#include <memory>
#include <string>
#include <vector>

#include "family/entry_family.h"
#include "family/families.h"
#include "family/family_support.h"
#include "scheduledtasks/task_port.h"

namespace velmora {

extern const FamilyTraits kScheduledTaskTraits;

// Whether a task path lies in the scheduler folder `location` ("\" holds
// every task), ignoring case as the scheduler does.
bool sameTaskLocation(std::string_view taskPath, std::string_view location);
// Whether a task path from the change history is one the scheduler could
// have given: rooted, no empty or dot component, no character a name cannot hold.
bool plainTaskPath(std::string_view path);

FamilyDescriptor scheduledTaskFamily(TaskPort& tasks, const FamilyContext& context);

class ScheduledTaskFamily : public EntryFamily {
 public:
  // `folders`: the scheduler folders the pane lists, with everything below them.
  ScheduledTaskFamily(std::vector<std::string> folders, TaskPort& tasks, const FamilyContext& context);

  const FamilyTraits& traits() const override { return kScheduledTaskTraits; }
  FamilyAbilities abilities() const override { return {false, false, true, true}; }
  int typeColumnWidth() const override { return 170; }
  std::vector<Row> list() override;
  std::string listingProblem() const override { return problem_; }
  bool placesPending() const override { return pending_; }
  std::vector<Row> listDeferredPlaces() override;
  void rereadSlowPlaces() override { tasks_.forgetListing(); }
  void describe(Row& row) override { support_.describe(row); }
  EntryDialogData dialogData(const EntryRef& entry) const override;
  OperationResult prepareAdd(EntryDialogData& data) override;
  OperationResult prepareModify(const EntryRef& entry, EntryDialogData& data) override;
  OperationResult remove(const EntryRef& entry, UserPrompt& prompt) override;
  OperationResult add(const EntryDialogData& fields, UserPrompt& prompt) override;
  OperationResult modify(const EntryRef& entry, const EntryDialogData& fields, UserPrompt& prompt) override;
  OperationResult enable(const EntryRef& entry, UserPrompt& prompt) override;
  OperationResult disable(const EntryRef& entry, UserPrompt& prompt) override;
  OperationResult undo(const Change& change, UserPrompt& prompt) override;
  OperationResult openLocation(const EntryRef& entry) override;

 private:
  // A task as it stands now, read afresh.
  struct Live {
    RegisteredTaskInfo info;
    TaskDefinition definition;
  };

  // The steps of the operations; they never run another operation.
  // The task at `path` when it is still what the row showed (there, a task
  // that starts at logon or boot, running `data`); otherwise says why.
  // An Undo (`undoing`) also needs the task to run as the change kept it.
  bool readLive(const std::string& path, const std::string& name, const std::string& data, Live& live,
                const Change* undoing = nullptr);
  bool switchTask(const std::string& path, const std::string& name, const std::string& data, bool on,
                  const Change* undoing = nullptr);
  bool removeTask(const std::string& path, const std::string& name, const std::string& data,
                  const Change* undoing = nullptr);
  bool reregister(const Change& c);
  // reregister's checks of the kept definition `xml` against the change;
  // each says why it refuses.
  bool keptCopyMatches(const Change& c, const std::string& xml, TaskDefinition& definition);
  // Where a task running as `principal` keeps the copy `name`.
  std::string copyPathFor(const std::string& name, const std::optional<TaskPrincipal>& principal) const;
  // Says why the scheduler refused or failed, offering to start again as
  // administrator when it refused for lack of rights.
  void schedulerFailed(TaskStatus status, const std::string& path);
  std::string commandOf(const TaskDefinition& definition);
  bool ownPath(const std::string& path) const;

  std::vector<std::string> folders_;
  TaskPort& tasks_;
  FamilySupport support_;
  std::string problem_;
  // The latest listing found the tasks still being read.
  bool pending_ = false;
};

}  // namespace velmora
