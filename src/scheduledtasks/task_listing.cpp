#include "scheduledtasks/task_listing.h"

#include <algorithm>

#include "core/text.h"

namespace velmora {

TaskStatus TaskListing::listTasks(std::vector<RegisteredTaskInfo>& out) {
  if (fresh_) {
    if (status_ == TaskStatus::Ok) out = tasks_;
    return status_;
  }
  if (!reading_ && read_) {
    reading_ = true;
    read_();
  }
  return TaskStatus::Pending;
}

void TaskListing::forgetListing() {
  if (!reading_) fresh_ = false;
}

void TaskListing::arrived(TaskStatus status, std::vector<RegisteredTaskInfo> tasks) {
  reading_ = false;
  fresh_ = true;
  status_ = status;
  tasks_ = status == TaskStatus::Ok ? std::move(tasks) : std::vector<RegisteredTaskInfo>{};
}

std::vector<RegisteredTaskInfo>::iterator TaskListing::kept(const std::string& path) {
  return std::find_if(tasks_.begin(), tasks_.end(),
                      [&path](const RegisteredTaskInfo& t) { return equalsIgnoreCase(t.path, path); });
}

TaskStatus TaskListing::readTask(const std::string& path, RegisteredTaskInfo& out) {
  const TaskStatus status = scheduler_.readTask(path, out);
  if (!fresh_ || status_ != TaskStatus::Ok) return status;
  const auto at = kept(path);
  if (status == TaskStatus::Ok) {
    if (at != tasks_.end()) {
      *at = out;
    } else {
      tasks_.push_back(out);
    }
  } else if (status == TaskStatus::NotFound && at != tasks_.end()) {
    tasks_.erase(at);
  }
  return status;
}

TaskStatus TaskListing::deleteTask(const std::string& path) {
  const TaskStatus status = scheduler_.deleteTask(path);
  if (status == TaskStatus::Ok && fresh_) {
    if (const auto at = kept(path); at != tasks_.end()) tasks_.erase(at);
  }
  return status;
}

}  // namespace velmora
