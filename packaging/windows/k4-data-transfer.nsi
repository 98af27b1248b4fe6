; Installer of K4 Data Transfer for 64-bit Windows: both programs, the
; spreadsheet component and the logo in one program folder, the shared
; configuration key, and the start of Dockstart at log-on.
;
; makensis -DBIN_DIR=<folder with the built files> -DVERSION=<version> -DOUT_FILE=<installer> k4-data-transfer.nsi
; (the build's `installer` target passes the project's version)
;
; The program folder lies inside the 64-bit Program Files folder, where only
; administrators may write: the programs load their spreadsheet component
; from it, so a folder that anyone could write to would let anyone plant a
; library in it. /D= may name another folder inside Program Files (a name in
; any language); any other folder is refused.

Unicode true
Target amd64-unicode
!include "x64.nsh"
!include "LogicLib.nsh"

!ifndef BIN_DIR
  !error "BIN_DIR must name the folder of the built programs"
!endif
!ifndef VERSION
  !error "VERSION must give the programs' version"
!endif
!ifndef OUT_FILE
  !define OUT_FILE "K4-Data-Transfer-${VERSION}-installer.exe"
!endif

!define PRODUCT "K4 Data Transfer"
!define MAIN_PROGRAM "K4 Data Transfer Application"
!define CONFIG_KEY "SOFTWARE\Tavrin Co\K4 Data Transfer Application\Configuration"
!define VENDOR_KEY "SOFTWARE\Tavrin Co"
!define APP_KEY "SOFTWARE\Tavrin Co\K4 Data Transfer Application"
!define RUN_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Run"
!define UNINSTALL_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
; How often a program is asked to close, 400 ms apart, before it is ended:
; about five seconds.
!define CLOSE_PATIENCE 12

Name "${PRODUCT}"
OutFile "${OUT_FILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
; An upgrade goes where the last install went.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
SetCompressor /SOLID lzma

UninstallText "K4 Data Transfer will be removed from this computer: its programs, its Start-menu entries, its settings and your own answer to starting Dockstart with Windows.$\r$\nOther users of this computer keep their own answers in their profiles, which the uninstaller cannot reach; they do no harm."

Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; Ends every running copy of the program of this file name before its file
; is replaced or removed. It is asked to close first (taskkill without /F
; sends WM_CLOSE to its windows, so that Dockstart leaves the tray and a
; pass finishes its file) until no copy answers any more, which is also the
; only way to learn that it has gone without a plug-in; one still there
; after CLOSE_PATIENCE is ended by force. taskkill ends 128 when no process
; of that name runs.
!macro DEFINE_CLOSE_PROGRAM UN
Function ${UN}CloseProgram
  Exch $2
  Push $0
  Push $3
  StrCpy $3 0
  ${Do}
    nsExec::Exec 'taskkill /IM "$2"'
    Pop $0
    ${If} $0 == 128
      ${ExitDo}
    ${EndIf}
    ${If} $3 == 0
      DetailPrint "Asked $2 to close"
    ${EndIf}
    ${If} $3 >= ${CLOSE_PATIENCE}
      DetailPrint "Ending $2"
      nsExec::Exec 'taskkill /F /IM "$2"'
      Pop $0
      ; The system lets go of the file a moment after the process ends.
      Sleep 500
      ${ExitDo}
    ${EndIf}
    Sleep 400
    IntOp $3 $3 + 1
  ${Loop}
  Pop $3
  Pop $0
  Pop $2
FunctionEnd
!macroend
!insertmacro DEFINE_CLOSE_PROGRAM ""
!insertmacro DEFINE_CLOSE_PROGRAM "un."

!macro CLOSE_OUR_PROGRAMS UN
  Push "Dockstart.exe"
  Call ${UN}CloseProgram
  Push "${MAIN_PROGRAM}.exe"
  Call ${UN}CloseProgram
!macroend

; The machine's 64-bit registry and its Start menu for every user.
Function .onInit
  SetRegView 64
  SetShellVarContext all
  ; "..\" and the like resolved, without asking that the folder exist yet.
  System::Call 'kernel32::GetFullPathNameW(w "$INSTDIR", i ${NSIS_MAX_STRLEN}, w .r0, p 0) i .r1'
  StrLen $1 "$PROGRAMFILES64\"
  StrCpy $2 $0 $1
  StrCpy $3 $0 "" $1
  ${If} $2 != "$PROGRAMFILES64\"
  ${OrIf} $3 == ""
    MessageBox MB_OK|MB_ICONSTOP "K4 Data Transfer installs into a folder inside $PROGRAMFILES64 only, where no one but an administrator can change its files." /SD IDOK
    Abort
  ${EndIf}
  StrCpy $INSTDIR $0
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "Install"
  ; An upgrade replaces files that running programs hold.
  !insertmacro CLOSE_OUR_PROGRAMS ""

  SetOutPath "$INSTDIR"
  File "/oname=${MAIN_PROGRAM}.exe" "${BIN_DIR}\${MAIN_PROGRAM}.exe"
  File "${BIN_DIR}\Dockstart.exe"
  File "${BIN_DIR}\k4xls.dll"
  File "${BIN_DIR}\TQLogo.png"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; The one key both programs read; the launcher keeps its answer here.
  WriteRegDWORD HKLM "${CONFIG_KEY}" "VID" 0x10c4
  WriteRegDWORD HKLM "${CONFIG_KEY}" "PID" 0xea60
  WriteRegStr HKLM "${CONFIG_KEY}" "MainAppPath" "$INSTDIR\"
  ; A user's earlier answer (No is 0) outlives an upgrade.
  ClearErrors
  ReadRegDWORD $0 HKLM "${CONFIG_KEY}" "RunOnStart"
  ${If} ${Errors}
    WriteRegDWORD HKLM "${CONFIG_KEY}" "RunOnStart" 1
  ${EndIf}
  WriteRegStr HKLM "${RUN_KEY}" "Dockstart" '"$INSTDIR\Dockstart.exe" WINSTART'

  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${MAIN_PROGRAM}.lnk" "$INSTDIR\${MAIN_PROGRAM}.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Dockstart.lnk" "$INSTDIR\Dockstart.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Uninstall.lnk" "$INSTDIR\Uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Tavrin Co"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  !insertmacro CLOSE_OUR_PROGRAMS "un."

  DeleteRegValue HKLM "${RUN_KEY}" "Dockstart"
  DeleteRegKey HKLM "${APP_KEY}"
  DeleteRegKey /ifempty HKLM "${VENDOR_KEY}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ; The uninstalling user's own answer; other users' stay in their profiles.
  DeleteRegValue HKCU "${CONFIG_KEY}" "RunOnStart"
  DeleteRegKey /ifempty HKCU "${CONFIG_KEY}"
  DeleteRegKey /ifempty HKCU "${APP_KEY}"
  DeleteRegKey /ifempty HKCU "${VENDOR_KEY}"
  DetailPrint "Other users' answers to starting Dockstart with Windows stay in their own profiles."

  Delete "$SMPROGRAMS\${PRODUCT}\${MAIN_PROGRAM}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Dockstart.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Uninstall.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"

  Delete "$INSTDIR\${MAIN_PROGRAM}.exe"
  Delete "$INSTDIR\Dockstart.exe"
  Delete "$INSTDIR\k4xls.dll"
  Delete "$INSTDIR\TQLogo.png"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
