#pragma once
// Starting Velmora again with administrator rights. config.xml and the
// Disabled copies live in the program's folder, which under Program Files
// only an administrator may change: when it refuses a change, the families
// say so and offer this (FamilySupport::tellProgramFolderRefused).
namespace velmora {

enum class RestartOutcome {
  Started,   // the new instance is starting; this one closes
  Declined,  // the user said no when Windows asked for the rights
  Failed,    // it could not be started
};

class AdminRestart {
 public:
  AdminRestart() = default;
  AdminRestart(const AdminRestart&) = delete;
  AdminRestart& operator=(const AdminRestart&) = delete;
  virtual ~AdminRestart() = default;

  // Whether starting again could help: false when Velmora has administrator
  // rights already.
  [[nodiscard]] virtual bool available() const = 0;
  // Starts Velmora again as administrator; on Started this instance closes
  // as soon as the current command has returned.
  [[nodiscard]] virtual RestartOutcome restart() = 0;
};

}  // namespace velmora
