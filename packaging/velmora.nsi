; Velmora installer (NSIS 3, makensis). scripts/package.sh passes:
;   /DVERSION=2.0.0  /DSTAGE=<folder with the files to ship>  /DOUTFILE=<setup.exe>
;   /DICON=<velmora.ico>
; Installs per machine into Program Files, which a standard user may not
; write. The installed program keeps the records of the user's own startup
; places (config.xml, Disabled\), the history, the log and seen.xml in
; %LOCALAPPDATA%\Velmora, and those of machine-wide places in
; %ProgramData%\Velmora, made here and writable by administrators only, as
; the places themselves are. Versions before kept everything beside the
; program; the program still lists and enables that. These files exist
; nowhere else, so neither an upgrade nor an uninstall touches them unless the
; user asks the uninstaller to.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "LogicLib.nsh"

!define PRODUCT "Velmora"
!define UNINSTKEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Velmora"
InstallDirRegKey HKLM "${UNINSTKEY}" "InstallLocation"
RequestExecutionLevel admin
BrandingText "${PRODUCT} ${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
; The language chosen last time is offered again on an upgrade.
!define MUI_LANGDLL_REGISTRY_ROOT HKLM
!define MUI_LANGDLL_REGISTRY_KEY "${UNINSTKEY}"
!define MUI_LANGDLL_REGISTRY_VALUENAME "Language"
!define MUI_LANGDLL_ALLLANGUAGES

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
; Started as the user who logged on, through the shell, not as the
; installer's elevated account: Velmora asks for rights when it needs them.
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION StartAsTheUser
!insertmacro MUI_PAGE_FINISH

!define MUI_COMPONENTSPAGE_TEXT_TOP "$(UnKeepText)"
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"

LangString UnProgramName ${LANG_ENGLISH} "Velmora (program files, Start menu shortcut)"
LangString UnProgramName ${LANG_GERMAN} "Velmora (Programmdateien, Verknüpfung im Startmenü)"
LangString UnDataName ${LANG_ENGLISH} "Also remove my disabled entries and logs"
LangString UnDataName ${LANG_GERMAN} "Auch meine deaktivierten Einträge und Protokolle entfernen"
LangString UnKeepText ${LANG_ENGLISH} "Your disabled startup entries (config.xml and the Disabled folder, in your local application data, in ProgramData and beside the program), the history, the Log folder and the list of entries Velmora has seen are kept, so that a later installation lists them again. They exist nowhere else: tick the second box only if you no longer need them."
LangString UnKeepText ${LANG_GERMAN} "Ihre deaktivierten Autostart-Einträge (config.xml und der Ordner Disabled, in Ihren lokalen Anwendungsdaten, in ProgramData und neben dem Programm), der Verlauf, der Ordner Log und die Liste der Einträge, die Velmora gesehen hat, bleiben erhalten, damit eine spätere Installation sie wieder anzeigt. Sie sind nirgendwo sonst gespeichert: Aktivieren Sie das zweite Kontrollkästchen nur, wenn Sie sie nicht mehr benötigen."

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Copyright (C) 2026 Velmora"

Function StartAsTheUser
  Exec '"$WINDIR\explorer.exe" "$INSTDIR\velmora.exe"'
FunctionEnd

LangString MachineFolderFailed ${LANG_ENGLISH} "Setup could not give the folder $APPDATA\Velmora rights that only administrators can change. Velmora keeps the disabled entries of all users there, and would not trust it. Nothing was installed."
LangString MachineFolderFailed ${LANG_GERMAN} "Das Setup konnte dem Ordner $APPDATA\Velmora keine Rechte geben, die nur Administratoren ändern können. Velmora bewahrt dort die deaktivierten Einträge aller Benutzer auf und würde ihm nicht vertrauen. Es wurde nichts installiert."

Function .onInit
  ; English or German, preselected from the system's UI language (or the
  ; choice of the last installation); skipped in silent mode.
  !insertmacro MUI_LANGDLL_DISPLAY
FunctionEnd

Function un.onInit
  ; The uninstaller speaks the language chosen at installation, and never
  ; asks (MUI_UNGETLANGUAGE would, after a silent installation).
  ReadRegStr $0 HKLM "${UNINSTKEY}" "Language"
  ${If} $0 != ""
    StrCpy $LANGUAGE $0
  ${EndIf}
FunctionEnd

Section "Velmora" SecProgram
  SectionIn RO
  ; The machine's records first: administrators and the system may change
  ; them, users read them, nothing inherited from ProgramData (which lets
  ; every user add files). A folder made earlier by anyone is repaired, and
  ; what it holds that an administrator did not write is set aside. The
  ; program does it (velmora.exe /prepare-machine-folder), from a copy in
  ; the installer's own temporary folder, so that nothing is installed
  ; when it cannot be done.
  SetShellVarContext all
  InitPluginsDir
  File "/oname=$PLUGINSDIR\velmora.exe" "${STAGE}\velmora.exe"
  ExecWait '"$PLUGINSDIR\velmora.exe" /prepare-machine-folder' $0
  Delete "$PLUGINSDIR\velmora.exe"
  ${If} $0 != 0
    IfSilent +2
    MessageBox MB_ICONSTOP|MB_OK "$(MachineFolderFailed)"
    SetErrorLevel 3
    Quit
  ${EndIf}

  SetOutPath "$INSTDIR"
  File "${STAGE}\velmora.exe"
  File "${STAGE}\velmorac.exe"
  File "${STAGE}\velmora.smf"
  File "${STAGE}\help.htm"
  File "${STAGE}\index.htm"
  File "${STAGE}\support.htm"
  File "${STAGE}\README.txt"
  ${If} $LANGUAGE == ${LANG_GERMAN}
    File "/oname=velmora.language" "${STAGE}\languages\german.language"
  ${Else}
    File "${STAGE}\velmora.language"
  ${EndIf}
  SetOutPath "$INSTDIR\languages"
  File "${STAGE}\languages\*.language"
  SetOutPath "$INSTDIR"

  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "$SMPROGRAMS\Velmora.lnk" "$INSTDIR\velmora.exe" "" "$INSTDIR\velmora.exe" 0

  WriteRegStr HKLM "${UNINSTKEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTKEY}" "Publisher" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayIcon" "$INSTDIR\velmora.exe,0"
  WriteRegStr HKLM "${UNINSTKEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTKEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTKEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  SectionGetSize ${SecProgram} $0
  WriteRegDWORD HKLM "${UNINSTKEY}" "EstimatedSize" $0
  WriteRegDWORD HKLM "${UNINSTKEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTKEY}" "NoRepair" 1
  ; Offered again by the language page of the next installation.
  WriteRegStr HKLM "${UNINSTKEY}" "Language" $LANGUAGE
SectionEnd

Section "un.$(UnProgramName)" SecUnProgram
  SectionIn RO
  Delete "$INSTDIR\velmora.exe"
  Delete "$INSTDIR\velmorac.exe"
  Delete "$INSTDIR\velmora.language"
  Delete "$INSTDIR\velmora.smf"
  Delete "$INSTDIR\help.htm"
  Delete "$INSTDIR\index.htm"
  Delete "$INSTDIR\support.htm"
  Delete "$INSTDIR\README.txt"
  RMDir /r "$INSTDIR\languages"
  Delete "$INSTDIR\uninstall.exe"
  SetShellVarContext all
  Delete "$SMPROGRAMS\Velmora.lnk"
  DeleteRegKey HKLM "${UNINSTKEY}"
SectionEnd

; What Velmora keeps in one folder: the records, their copies, the log and
; the change history (a file or a folder named history...).
!macro RemoveRecords DIR
  Delete "${DIR}\config.xml"
  Delete "${DIR}\config.xml.*.tmp"
  RMDir /r "${DIR}\Disabled"
  RMDir /r "${DIR}\Log"
  FindFirst $0 $1 "${DIR}\history*"
  ${DoWhile} $1 != ""
    ${If} ${FileExists} "${DIR}\$1\*.*"
      RMDir /r "${DIR}\$1"
    ${Else}
      Delete "${DIR}\$1"
    ${EndIf}
    FindNext $0 $1
  ${Loop}
  FindClose $0
!macroend

; Off unless ticked, and never in silent mode: these files hold the user's
; disabled entries, which exist nowhere else.
Section /o "un.$(UnDataName)" SecUnData
  IfSilent done
  ; Beside the program, where versions before kept them.
  !insertmacro RemoveRecords "$INSTDIR"
  ; The machine-wide places' records.
  SetShellVarContext all
  !insertmacro RemoveRecords "$APPDATA\Velmora"
  ; The uninstalling user's own records, and what their Velmora saw.
  SetShellVarContext current
  !insertmacro RemoveRecords "$LOCALAPPDATA\Velmora"
  Delete "$LOCALAPPDATA\Velmora\seen.xml"
  Delete "$LOCALAPPDATA\Velmora\seen.xml.*.tmp"
  RMDir "$LOCALAPPDATA\Velmora"
  ; And what their Velmora remembered of its window.
  DeleteRegKey HKCU "Software\Velmora"
  done:
SectionEnd

Section "-un.Folder"
  ; Removed only when nothing of the user's is left in them.
  RMDir "$INSTDIR"
  SetShellVarContext all
  RMDir "$APPDATA\Velmora"
SectionEnd
