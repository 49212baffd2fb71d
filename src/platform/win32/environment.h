#pragma once
// The real adapters behind every port, owned by the main window and handed
// to the families as FamilyServices.
#include "core/operation_log.h"
#include "core/paths.h"
#include "core/win32/store_msxml.h"
#include "pane/family_factory.h"
#include "platform/win32/registry_win32.h"
#include "startupfolder/win32/folders_win32.h"
#include "startupfolder/win32/shell_links_win32.h"
#include "winini/win32/short_path_win32.h"

namespace velmora::win32 {

struct Win32Environment {
  Win32Environment(const ProgramFiles& files, const Translator& translator, LogSink* logSink)
      : store(files.configFile()), log(translator, logSink), translator(translator), programDirectory(files.directory) {}

  FamilyServices services() { return FamilyServices{registry, store, log, translator, shortPaths, &folders, &shellLinks, programDirectory}; }

  Win32Registry registry;
  MsxmlStore store;
  OperationLog log;
  const Translator& translator;
  Win32ShortPaths shortPaths;
  Win32Folders folders;
  Win32ShellLinks shellLinks;
  std::string programDirectory;  // beside config.xml: the Disabled folder
};

}  // namespace velmora::win32
