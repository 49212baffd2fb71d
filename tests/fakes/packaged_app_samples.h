#pragma once
// Packages as Windows installs them, for the native tests (read by
// pugixml's namespaced tree) and the Wine tests (written into package
// folders of the test prefix and read by XmlLite): manifests in the real
// format, with the names, versions and registry records that go with them.
#include <string>
#include <vector>

namespace velmora::testing {

// The registry's record of installed packages and their tasks' states,
// under HKEY_CURRENT_USER.
inline const std::string kSamplePackagesKey =
    "Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\CurrentVersion\\AppModel\\Repository\\Packages";
inline const std::string kSampleStatesKey =
    "Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\CurrentVersion\\AppModel\\SystemAppData";

struct SamplePackage {
  std::string fullName;
  std::string family;
  std::string manifest;  // empty: the folder holds none
};

// A desktop program (full trust) whose desktop:Extension names a program
// of its own; its task is on in the manifest.
inline const SamplePackage kChat{"Contoso.Chat_2.4.0.0_x64__8wekyb3d8bbwe", "Contoso.Chat_8wekyb3d8bbwe", R"(<?xml version="1.0" encoding="utf-8"?>
<Package xmlns="http://schemas.microsoft.com/appx/manifest/foundation/windows10"
         xmlns:uap="http://schemas.microsoft.com/appx/manifest/uap/windows10"
         xmlns:desktop="http://schemas.microsoft.com/appx/manifest/desktop/windows10"
         xmlns:rescap="http://schemas.microsoft.com/appx/manifest/foundation/windows10/restrictedcapabilities"
         IgnorableNamespaces="uap desktop rescap">
  <Identity Name="Contoso.Chat" Publisher="CN=Contoso Ltd., O=Contoso Ltd., C=US" Version="2.4.0.0" ProcessorArchitecture="x64" />
  <Properties>
    <DisplayName>Contoso Chat</DisplayName>
    <PublisherDisplayName>Contoso Ltd.</PublisherDisplayName>
    <Logo>Assets\StoreLogo.png</Logo>
  </Properties>
  <Dependencies>
    <TargetDeviceFamily Name="Windows.Desktop" MinVersion="10.0.17763.0" MaxVersionTested="10.0.22621.0" />
  </Dependencies>
  <Resources>
    <Resource Language="en-us" />
  </Resources>
  <Applications>
    <Application Id="App" Executable="Chat.exe" EntryPoint="Windows.FullTrustApplication">
      <uap:VisualElements DisplayName="Contoso Chat" Description="Chat with your team" BackgroundColor="transparent"
                          Square150x150Logo="Assets\Square150x150Logo.png" Square44x44Logo="Assets\Square44x44Logo.png" />
      <Extensions>
        <desktop:Extension Category="windows.startupTask" Executable="bin/ChatTray.exe" EntryPoint="Windows.FullTrustApplication">
          <desktop:StartupTask TaskId="ChatStartup" Enabled="true" DisplayName="Contoso Chat tray" />
        </desktop:Extension>
      </Extensions>
    </Application>
  </Applications>
  <Capabilities>
    <rescap:Capability Name="runFullTrust" />
  </Capabilities>
</Package>
)"};

// The same family's older version, still recorded: the newer one wins.
inline const SamplePackage kChatOld{"Contoso.Chat_2.3.9.0_x64__8wekyb3d8bbwe", "Contoso.Chat_8wekyb3d8bbwe",
                                    R"(<?xml version="1.0" encoding="utf-8"?>
<Package xmlns="http://schemas.microsoft.com/appx/manifest/foundation/windows10"
         xmlns:desktop="http://schemas.microsoft.com/appx/manifest/desktop/windows10">
  <Identity Name="Contoso.Chat" Publisher="CN=Contoso Ltd." Version="2.3.9.0" ProcessorArchitecture="x64" />
  <Properties><DisplayName>Contoso Chat (old)</DisplayName><PublisherDisplayName>Contoso</PublisherDisplayName></Properties>
  <Applications>
    <Application Id="App" Executable="OldChat.exe" EntryPoint="Windows.FullTrustApplication">
      <Extensions>
        <desktop:Extension Category="windows.startupTask" Executable="OldChat.exe" EntryPoint="Windows.FullTrustApplication">
          <desktop:StartupTask TaskId="OldChatStartup" Enabled="true" DisplayName="Old chat" />
        </desktop:Extension>
      </Extensions>
    </Application>
  </Applications>
</Package>
)"};

// Names that are resources, under a prefix of the package's own choosing
// for the uap5 namespace; its task is off in the manifest.
inline const SamplePackage kTerminal{"Fabrikam.Terminal_1.18.3181.0_x64__abcdefghjkmnp", "Fabrikam.Terminal_abcdefghjkmnp",
                                     R"(<?xml version="1.0" encoding="utf-8"?>
<Package xmlns="http://schemas.microsoft.com/appx/manifest/foundation/windows10"
         xmlns:uap="http://schemas.microsoft.com/appx/manifest/uap/windows10"
         xmlns:st="http://schemas.microsoft.com/appx/manifest/uap/windows10/5"
         IgnorableNamespaces="uap st">
  <Identity Name="Fabrikam.Terminal" Publisher="CN=Fabrikam Corporation, O=Fabrikam Corporation, L=Redmond, S=Washington, C=US"
            Version="1.18.3181.0" ProcessorArchitecture="x64" />
  <Properties>
    <DisplayName>ms-resource:AppStoreName</DisplayName>
    <PublisherDisplayName>ms-resource:Publisher</PublisherDisplayName>
    <Logo>Images\StoreLogo.png</Logo>
  </Properties>
  <Applications>
    <Application Id="App" Executable="Terminal.exe" EntryPoint="Windows.FullTrustApplication">
      <uap:VisualElements DisplayName="ms-resource:AppName" Description="ms-resource:AppDescription"
                          BackgroundColor="transparent" Square150x150Logo="Images\Square150x150Logo.png"
                          Square44x44Logo="Images\Square44x44Logo.png" />
      <Extensions>
        <st:Extension Category="windows.startupTask">
          <st:StartupTask TaskId="StartTerminalOnLoginTask" Enabled="false" DisplayName="ms-resource:AppName" />
        </st:Extension>
      </Extensions>
    </Application>
  </Applications>
</Package>
)"};

// Two applications, two tasks: a UWP one, and a helper's without Enabled
// or a name of its own; a task in another namespace and another kind of
// extension are no startup tasks.
inline const SamplePackage kNotes{"Northwind.Notes_3.0.1.0_neutral__qrstvwxyz0123", "Northwind.Notes_qrstvwxyz0123",
                                  R"(<?xml version="1.0" encoding="utf-8"?>
<Package xmlns="http://schemas.microsoft.com/appx/manifest/foundation/windows10"
         xmlns:uap="http://schemas.microsoft.com/appx/manifest/uap/windows10"
         xmlns:uap5="http://schemas.microsoft.com/appx/manifest/uap/windows10/5"
         IgnorableNamespaces="uap uap5">
  <Identity Name="Northwind.Notes" Publisher="CN=Northwind Traders" Version="3.0.1.0" />
  <Properties>
    <DisplayName>Northwind Notes</DisplayName>
    <PublisherDisplayName>Northwind Traders</PublisherDisplayName>
    <Logo>Assets\Logo.png</Logo>
  </Properties>
  <Applications>
    <Application Id="Notes" Executable="Notes.exe" EntryPoint="Northwind.Notes.App">
      <uap:VisualElements DisplayName="Northwind Notes" Description="Notes" BackgroundColor="#2b579a"
                          Square150x150Logo="Assets\Square150.png" Square44x44Logo="Assets\Square44.png" />
      <Extensions>
        <uap5:Extension Category="windows.startupTask" Executable="Notes.exe" EntryPoint="Northwind.Notes.App">
          <uap5:StartupTask TaskId="NotesSync" Enabled="true" DisplayName="Notes sync" />
        </uap5:Extension>
        <uap5:Extension Category="windows.appExecutionAlias" Executable="Notes.exe" EntryPoint="Northwind.Notes.App">
          <uap5:AppExecutionAlias><uap5:ExecutionAlias Alias="notes.exe" /></uap5:AppExecutionAlias>
        </uap5:Extension>
        <uap:Extension Category="windows.startupTask">
          <uap:StartupTask TaskId="NotAStartupTask" Enabled="true" />
        </uap:Extension>
      </Extensions>
    </Application>
    <Application Id="Helper" Executable="helper\Helper.exe" EntryPoint="Windows.FullTrustApplication">
      <uap:VisualElements DisplayName="Notes helper" Description="Helper" BackgroundColor="transparent"
                          Square150x150Logo="Assets\Square150.png" Square44x44Logo="Assets\Square44.png" />
      <Extensions>
        <uap5:Extension Category="windows.startupTask">
          <uap5:StartupTask TaskId="HelperStart" />
        </uap5:Extension>
      </Extensions>
    </Application>
  </Applications>
</Package>
)"};

// A manifest cut short, as a failed update leaves one.
inline const SamplePackage kDamaged{"Litware.Sync_1.0.0.0_x64__litwarepub012", "Litware.Sync_litwarepub012",
                                    R"(<?xml version="1.0" encoding="utf-8"?>
<Package xmlns="http://schemas.microsoft.com/appx/manifest/foundation/windows10"
         xmlns:desktop="http://schemas.microsoft.com/appx/manifest/desktop/windows10">
  <Identity Name="Litware.Sync" Publisher="CN=Litware" Version="1.0.0.0" ProcessorArchitecture="x64" />
  <Applications>
    <Application Id="App" Executable="Sync.exe" EntryPoint="Windows.FullTrustApplication">
      <Extensions>
        <desktop:Extension Category="windows.startupTask" Executable="Sync.exe" EntryPoint="Windows.Fu)"};

// Recorded as installed, its folder gone (removed behind Windows' back).
inline const SamplePackage kGone{"Adatum.Clock_5.1.0.0_x64__adatumpub0123", "Adatum.Clock_adatumpub0123", ""};

}  // namespace velmora::testing
