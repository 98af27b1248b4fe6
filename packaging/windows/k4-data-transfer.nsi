; Installer of K4 Data Transfer for 64-bit Windows: both programs, the
; spreadsheet component and the logo in one program folder, the shared
; configuration key, and the start of Dockstart at log-on.
;
; makensis -DBIN_DIR=<folder with the built files> -DOUT_FILE=<installer> k4-data-transfer.nsi

Unicode true
Target amd64-unicode
!include "x64.nsh"

!ifndef BIN_DIR
  !error "BIN_DIR must name the folder of the built programs"
!endif
!ifndef OUT_FILE
  !define OUT_FILE "K4-Data-Transfer-1.6-installer.exe"
!endif

!define PRODUCT "K4 Data Transfer"
!define MAIN_PROGRAM "K4 Data Transfer Application"
!define CONFIG_KEY "SOFTWARE\Tavrin Co\K4 Data Transfer Application\Configuration"
!define VENDOR_KEY "SOFTWARE\Tavrin Co"
!define APP_KEY "SOFTWARE\Tavrin Co\K4 Data Transfer Application"
!define RUN_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Run"
!define UNINSTALL_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"

Name "${PRODUCT}"
OutFile "${OUT_FILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; The machine's 64-bit registry and its Start menu for every user.
Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "Install"
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
  WriteRegDWORD HKLM "${CONFIG_KEY}" "RunOnStart" 1
  WriteRegStr HKLM "${RUN_KEY}" "Dockstart" '"$INSTDIR\Dockstart.exe" WINSTART'

  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${MAIN_PROGRAM}.lnk" "$INSTDIR\${MAIN_PROGRAM}.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Dockstart.lnk" "$INSTDIR\Dockstart.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Uninstall.lnk" "$INSTDIR\Uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "1.6"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Tavrin Co"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  DeleteRegValue HKLM "${RUN_KEY}" "Dockstart"
  DeleteRegKey HKLM "${APP_KEY}"
  DeleteRegKey /ifempty HKLM "${VENDOR_KEY}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

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
