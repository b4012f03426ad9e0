; TolmServer7-Setup.exe: installs the map server, its initialiser and the default map product into
; one program folder, registers the server and runs the initialiser once. Built on Linux by
; installer/build-installer.cmake (the CMake target "installer" of the Windows build):
;
;   makensis -DSTAGE=<staged install> -DLISTS=<folder of the file lists> -DOUTFILE=<exe> TolmServer7.nsi
;
; files.nsh and uninstall-files.nsh, made from the staged installation, list exactly what is
; installed, so the uninstaller removes that and nothing else. The user's own files (settings,
; favourites, overlays, underlays, the engine's configuration) stay unless the user ticks their
; removal. /S installs and uninstalls without a question.
Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "LogicLib.nsh"

!ifndef STAGE
  !error "STAGE (the staged installation) is not defined"
!endif
!ifndef LISTS
  !error "LISTS (the folder of files.nsh and uninstall-files.nsh) is not defined"
!endif
!ifndef OUTFILE
  !define OUTFILE "TolmServer7-Setup.exe"
!endif
!ifndef VERSION
  !define VERSION "7.0.0.7"
!endif

!define PRODUCT "TolmServer7"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define CLIENT_SETTINGS "Software\VB and VBA Program Settings\Orvensa\Wendal32"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "The TolmServer7 developers"
VIAddVersionKey /LANG=1033 "LegalCopyright" "The TolmServer7 developers"

!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Runs the initialiser and waits until it is done. Interactively that is when the user has answered
; its message box. A silent installation has no user to answer it: there the wait ends as soon as
; the box is up (the initialiser shows it after all its work) or the program has ended, at most after
; a minute, and the box stays for whoever is at the desktop.
Function RunInitialiser
  ${IfNot} ${Silent}
    ExecWait '"$INSTDIR\InitTolmServer7.exe"'
    Return
  ${EndIf}
  System::Call '*(i 68, i 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0, &i2 0, &i2 0, i 0, i 0, i 0, i 0) p .r1'
  System::Call '*(i 0, i 0, i 0, i 0) p .r2'
  System::Call 'kernel32::CreateProcessW(p 0, t `"$INSTDIR\InitTolmServer7.exe"`, p 0, p 0, i 0, i 0, p 0, t "$INSTDIR", p r1, p r2) i .r0'
  ${If} $0 <> 0
    System::Call '*$2(i .r3, i .r4)'
    StrCpy $5 0
    ${Do}
      System::Call 'kernel32::WaitForSingleObject(i r3, i 200) i .r6'
      ${IfThen} $6 = 0 ${|} ${ExitDo} ${|}
      FindWindow $7 "#32770" "Initialise TolmServer7"
      ${IfThen} $7 <> 0 ${|} ${ExitDo} ${|}
      IntOp $5 $5 + 1
    ${LoopUntil} $5 >= 300
    System::Call 'kernel32::CloseHandle(i r3)'
    System::Call 'kernel32::CloseHandle(i r4)'
  ${EndIf}
  System::Free $1
  System::Free $2
FunctionEnd

Section "TolmServer7" SecMain
  SectionIn RO
  SetOverwrite on
  ; Settings already there are the user's; a first installation gets PATHS for the installed product
  ; once the initialiser is done (it looks for a settings file to decide whether to migrate).
  StrCpy $R9 0
  ${IfNot} ${FileExists} "$INSTDIR\TolmServer7.INI"
    StrCpy $R9 1
  ${EndIf}
  !include "${LISTS}\files.nsh"

  ; The product's MAP.INI names the folders where it now lies.
  Delete "$INSTDIR\Kartovex\MAP.INI"
  WriteINIStr "$INSTDIR\Kartovex\MAP.INI" "Application Interface" "Data1Path" "$INSTDIR\Kartovex\Data1"
  WriteINIStr "$INSTDIR\Kartovex\MAP.INI" "Application Interface" "Data2Path" "$INSTDIR\Kartovex\Data2"
  WriteINIStr "$INSTDIR\Kartovex\MAP.INI" "Application Interface" "Data3Path" "$INSTDIR\Kartovex\Data3"
  WriteINIStr "$INSTDIR\Kartovex\MAP.INI" "Application Interface" "StatesPath" "$INSTDIR\Kartovex\States"

  ; DllRegisterServer of the library, called in this (32-bit) process.
  ClearErrors
  RegDLL "$INSTDIR\TolmServer7.dll"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONEXCLAMATION "TolmServer7.dll could not be registered. Run the installation again as an administrator." /SD IDOK
    SetErrorLevel 2
  ${EndIf}

  WriteUninstaller "$INSTDIR\Uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The TolmServer7 developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\InitTolmServer7.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  ; The initialiser puts the map entry file into the client's Maps folder, carries the previous
  ; server's settings over and tells the user what to do next.
  Call RunInitialiser

  ; So that the server's first start needs no set-up dialog.
  ${If} $R9 = 1
    WriteINIStr "$INSTDIR\TolmServer7.INI" "PATHS" "DATA1" "$INSTDIR\Kartovex\Data1"
    WriteINIStr "$INSTDIR\TolmServer7.INI" "PATHS" "DATA2" "$INSTDIR\Kartovex\Data2"
    WriteINIStr "$INSTDIR\TolmServer7.INI" "PATHS" "DATA3" "$INSTDIR\Kartovex\Data3"
    WriteINIStr "$INSTDIR\TolmServer7.INI" "PATHS" "STATES0" "$INSTDIR\Kartovex\States"
    WriteINIStr "$INSTDIR\TolmServer7.INI" "PATHS" "STATES1" "$INSTDIR\Kartovex\States"
  ${EndIf}
SectionEnd

Section "un.TolmServer7" UnSecMain
  SectionIn RO
  ClearErrors
  UnRegDLL "$INSTDIR\TolmServer7.dll"
  !include "${LISTS}\uninstall-files.nsh"
  ; The map entry file the initialiser put into the client's map list.
  ReadRegStr $0 HKCU "${CLIENT_SETTINGS}" "Program Folder"
  ${If} $0 != ""
    ; The client keeps its folder with a trailing backslash.
    StrCpy $1 $0 1 -1
    ${If} $1 == "\"
      StrCpy $0 $0 -1
    ${EndIf}
    Delete "$0\Maps\!!TolmServer7.INF"
  ${EndIf}
SectionEnd

Section /o "un.My settings, favourites, overlays and underlays" UnSecUserFiles
  Delete "$INSTDIR\TolmServer7.INI"
  Delete "$INSTDIR\TolmServer7.FAV"
  Delete "$INSTDIR\Cartix71.Cfg"
  RMDir /r "$INSTDIR\Tolm Overlays"
  RMDir /r "$INSTDIR\Tolm Underlays"
SectionEnd

Section "-un.finish"
  Delete "$INSTDIR\Uninstall.exe"
  ; Only an empty folder goes: anything the user keeps there stays.
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
