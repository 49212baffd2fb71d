#!/usr/bin/env bash
# Seeds the run prefix, once, with demo startup entries: values in the Run
# keys, a program list in the Load value, two packaged apps with startup
# tasks, a config.xml beside the program with a disabled entry of each
# family, and Windows' measurement of the last logon. Called by run.sh with the
# program's folder; WINEPREFIX and the Wine settings come from run.sh.
#
# With --runonce it seeds only the RunOnce keys, and does so on every start:
# Wine runs and empties RunOnce whenever a prefix starts, so run.sh calls it
# after the prefix is up, just before it starts the program.
set -euo pipefail
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64
[ -x "$wineserver" ] || wineserver=/usr/lib/wine/wineserver
reg() { "$wine" reg "$@" </dev/null >/dev/null 2>&1; }

if [ "${1:-}" = --runonce ]; then
  reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\RunOnce' /v 'Finish Setup' /d 'C:\windows\regedit.exe /s C:\setup.reg' /f
  reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\RunOnce' /v 'Welcome Tour' /d 'C:\windows\notepad.exe C:\windows\win.ini' /f
  exit 0
fi

app=$1
marker="$WINEPREFIX/.velmora-demo-seeded-5"
[ -f "$marker" ] && exit 0

run_cu='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
run_lm='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
services_lm='HKLM\Software\Microsoft\Windows\CurrentVersion\RunServices'
windows_cu='HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows'
winlogon_lm='HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Winlogon'

reg add "$run_cu" /v 'Notepad Helper' /d 'C:\windows\notepad.exe /background' /f
reg add "$run_cu" /v 'Clock Sync' /d '"C:\windows\system32\cmd.exe" /c exit' /f
reg add "$run_lm" /v 'Wine Explorer' /d 'C:\windows\explorer.exe' /f
reg add "$run_lm" /v 'Velmora Check' /d '"C:\Program Files\Velmora\velmora.exe" -check' /f
# Turned off in Windows' own startup settings, as Task Manager does it: 03 and
# the time it was turned off. It stays in its place and does not start.
reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run' /v 'Velmora Check' \
  /t REG_BINARY /d 0300000040ac6d2a7a2fdb01 /f
# An old place that Windows 95 to Me used; some old installers still write it.
reg add "$services_lm" /v 'Legacy Agent' /d 'C:\windows\system32\svchost.exe -k legacy' /f
# The Load and Run values hold lists of programs, separated by blanks or commas.
reg add "$windows_cu" /v Load /d 'C:\windows\notepad.exe,C:\windows\winhlp32.exe' /f
reg add "$windows_cu" /v Run /d 'C:\windows\clock.exe' /f
# Windows starts userinit.exe from this value at logon; a fresh Wine prefix lacks it.
if ! "$wine" reg query "$winlogon_lm" /v Userinit </dev/null >/dev/null 2>&1; then
  reg add "$winlogon_lm" /v Userinit /d 'C:\windows\system32\userinit.exe,' /f
fi

# The startup folders, as the program reads them.
folder() {
  "$wine" reg query "$1" /v "$2" </dev/null 2>/dev/null | tr -d '\r' |
    sed -n "s/^ *$2 *REG_[A-Z_]* *//p" | head -n1
}
shell_folders='SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders'
common_startup=$(folder "HKLM\\$shell_folders" 'Common Startup')
user_startup=$(folder "HKCU\\$shell_folders" 'Startup')

# Shortcuts in the startup folders, one in each, written by the shell's own
# shortcut object. The disabled Notes.lnk below has no kept copy (as if an
# older version had disabled it), so Enable writes a new shortcut for it.
tools="$(cd "$(dirname "$0")/../tools" && pwd)"
shortcut() { "$wine" cscript //nologo "$("$wine" winepath -w "$tools/make-shortcut.js" 2>/dev/null)" "$@" </dev/null >/dev/null 2>&1 || true; }
for f in "$common_startup" "$user_startup"; do
  [ -n "$f" ] && mkdir -p "$("$wine" winepath -u "$f" 2>/dev/null)"
done
[ -n "$common_startup" ] && shortcut "$common_startup\\Wine Notepad.lnk" 'C:\windows\notepad.exe'
[ -n "$user_startup" ] && shortcut "$user_startup\\Read win.ini.lnk" 'C:\windows\notepad.exe' 'C:\windows\win.ini' 'C:\windows'

# Packaged apps, as Windows records them for the user (Wine has no package
# functions): each package's folder with its manifest, its entry under
# Repository\Packages, and the tasks' State (2 on; none: never run yet).
appmodel='HKCU\Software\Classes\Local Settings\Software\Microsoft\Windows\CurrentVersion\AppModel'
apps="$WINEPREFIX/drive_c/Program Files/WindowsApps"
package() {  # full name, manifest; the folder gets notepad.exe as its program
  local dir="$apps/$1"
  mkdir -p "$dir/bin"
  printf '\xEF\xBB\xBF%s\n' "$2" >"$dir/AppxManifest.xml"
  cp "$WINEPREFIX/drive_c/windows/notepad.exe" "$dir/bin/$3" 2>/dev/null || true
  reg add "$appmodel\\Repository\\Packages\\$1" /v PackageRootFolder /d "C:\\Program Files\\WindowsApps\\$1" /f
}
package Contoso.Chat_2.4.0.0_x64__8wekyb3d8bbwe '<?xml version="1.0" encoding="utf-8"?>
<Package xmlns="http://schemas.microsoft.com/appx/manifest/foundation/windows10" xmlns:uap="http://schemas.microsoft.com/appx/manifest/uap/windows10" xmlns:desktop="http://schemas.microsoft.com/appx/manifest/desktop/windows10" IgnorableNamespaces="uap desktop">
  <Identity Name="Contoso.Chat" Publisher="CN=Contoso Ltd." Version="2.4.0.0" ProcessorArchitecture="x64" />
  <Properties><DisplayName>Contoso Chat</DisplayName><PublisherDisplayName>Contoso Ltd.</PublisherDisplayName><Logo>Assets\Logo.png</Logo></Properties>
  <Applications>
    <Application Id="App" Executable="bin\Chat.exe" EntryPoint="Windows.FullTrustApplication">
      <uap:VisualElements DisplayName="Contoso Chat" Description="Chat" BackgroundColor="transparent" Square150x150Logo="Assets\S150.png" Square44x44Logo="Assets\S44.png" />
      <Extensions>
        <desktop:Extension Category="windows.startupTask" Executable="bin\Chat.exe" EntryPoint="Windows.FullTrustApplication">
          <desktop:StartupTask TaskId="ChatStartup" Enabled="true" DisplayName="Contoso Chat" />
        </desktop:Extension>
      </Extensions>
    </Application>
  </Applications>
</Package>' Chat.exe
package Fabrikam.Terminal_1.18.3181.0_x64__abcdefghjkmnp '<?xml version="1.0" encoding="utf-8"?>
<Package xmlns="http://schemas.microsoft.com/appx/manifest/foundation/windows10" xmlns:uap="http://schemas.microsoft.com/appx/manifest/uap/windows10" xmlns:uap5="http://schemas.microsoft.com/appx/manifest/uap/windows10/5" IgnorableNamespaces="uap uap5">
  <Identity Name="Fabrikam.Terminal" Publisher="CN=Fabrikam Corporation" Version="1.18.3181.0" ProcessorArchitecture="x64" />
  <Properties><DisplayName>ms-resource:AppStoreName</DisplayName><PublisherDisplayName>Fabrikam Corporation</PublisherDisplayName><Logo>Images\Logo.png</Logo></Properties>
  <Applications>
    <Application Id="App" Executable="bin\Terminal.exe" EntryPoint="Windows.FullTrustApplication">
      <uap:VisualElements DisplayName="ms-resource:AppName" Description="Terminal" BackgroundColor="transparent" Square150x150Logo="Images\S150.png" Square44x44Logo="Images\S44.png" />
      <Extensions>
        <uap5:Extension Category="windows.startupTask">
          <uap5:StartupTask TaskId="StartTerminalOnLoginTask" Enabled="false" DisplayName="ms-resource:AppName" />
        </uap5:Extension>
      </Extensions>
    </Application>
  </Applications>
</Package>' Terminal.exe
reg add "$appmodel\\SystemAppData\\Contoso.Chat_8wekyb3d8bbwe\\ChatStartup" /v State /t REG_DWORD /d 2 /f

xml_escape() { sed -e 's/&/\&amp;/g' -e 's/</\&lt;/g' -e 's/>/\&gt;/g' -e 's/"/\&quot;/g' <<<"$1"; }
cfu=$(xml_escape "${user_startup:-C:\\users\\Public\\Start Menu\\Programs\\Startup}")
cat >"$app/config.xml" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<config><toolvelmora>
<disabledregistryitem path="HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run" valuedata="&quot;C:\\Program Files\\Updater\\update.exe&quot; /silent" valuename="Old Updater"/>
<disabledwininiitem path="HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\Load" valuedata="C:\\windows\\hh.exe" valuename="Load"/>
<disabledstartupfolderitem path="$cfu" valuedata="C:\\windows\\notepad.exe" valuename="Notes.lnk"/>
</toolvelmora></config>
XML

# Windows' measurement of the last logon, for the Wine user, where Windows
# keeps it (Wine writes none): UTF-16, dated a minute after the entries
# above, so that those it does not name did not start.
info="$WINEPREFIX/drive_c/windows/system32/WDI/LogFiles/StartupInfo"
mkdir -p "$info"
process() {  # name, pid, seconds in, cpu (us), disk (bytes), parent pid, parent name
  printf '<Process Name="%s" PID="%s" StartedInTraceSec="%s"><StartTime>t%s</StartTime>' "$1" "$2" "$3" "$2"
  printf '<CpuUsage>%s</CpuUsage><DiskUsage>%s</DiskUsage><ParentPID>%s</ParentPID>' "$4" "$5" "$6"
  printf '<ParentStartTime>t%s</ParentStartTime><ParentName>%s</ParentName></Process>' "$6" "$7"
}
{
  printf '<?xml version="1.0" encoding="UTF-16"?><StartupData Version="1">'
  process 'C:\windows\explorer.exe' 40 0.8 850000 2500000 4 'C:\windows\system32\userinit.exe'
  process 'C:\windows\notepad.exe' 41 8.4 1400000 600000 40 'C:\windows\explorer.exe'
  process 'C:\windows\system32\cmd.exe' 42 2.1 90000 120000 40 'C:\windows\explorer.exe'
  process 'C:\windows\system32\conhost.exe' 43 2.2 40000 60000 42 'C:\windows\system32\cmd.exe'
  printf '</StartupData>'
} | iconv -f UTF-8 -t UTF-16 >"$info/S-1-5-21-0-0-0-1000_StartupInfo1.xml"
touch -d '+1 minute' "$info/S-1-5-21-0-0-0-1000_StartupInfo1.xml"

"$wineserver" -w
touch "$marker"
