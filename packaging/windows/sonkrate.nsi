; The Windows installer: the window, its kill switch, the command-line tool
; and the help file in Program Files (all users) or in the user's own
; programs folder (this user), a Start-menu entry, an uninstaller listed
; among the system's apps, and the file types .tpa, .cau and .eel opening
; in the window. /S installs silently; /AllUsers or /CurrentUser choose the
; kind of installation without asking.
;
; makensis -DVERSION=x.y.z -DPROGRAM_DIR=<folder of the .exe files>
;          -DREADME=<README.md> -DLICENSE=<LICENSE> -DNOTICES=<THIRD-PARTY.txt>
;          -DICON=<sonkrate.ico> -DMARKER=<sonkrate.installed> -DOUTFILE=<setup.exe> sonkrate.nsi

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!ifndef VERSION | PROGRAM_DIR | README | LICENSE | NOTICES | ICON | MARKER | OUTFILE
  !error "VERSION, PROGRAM_DIR, README, LICENSE, NOTICES, ICON, MARKER and OUTFILE must be defined"
!endif

!define APP "Sonkrate"
!define APP_KEY "Software\Sonkrate"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Sonkrate"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "Sonkrate"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${APP_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallMode"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${APP_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallDir"
!include MultiUser.nsh
!include MUI2.nsh
!include LogicLib.nsh

Name "${APP} ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "${APP} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${APP}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${APP} setup"
VIAddVersionKey "LegalCopyright" "Copyright (c) 2026 The Sonkrate developers, MIT licence"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${MUI_ICON}"

; The licence is shown before anything else is asked; it binds no one to
; anything, so the page is read and passed on, not accepted.
!define MUI_LICENSEPAGE_TEXT_TOP "Sonkrate is published under the MIT licence."
!define MUI_LICENSEPAGE_TEXT_BOTTOM "The notices of the libraries the programs contain are installed beside them in THIRD-PARTY.txt."
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\sonkrate.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Tells Explorer that file types changed, so icons and double clicks follow.
!macro NOTIFY_ASSOCIATIONS
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
!macroend

; One file type: EXT (".tpa"), its class (Sonkrate.tpa) and its description.
!macro REGISTER_TYPE EXT CLASS DESCRIPTION
  WriteRegStr SHCTX "Software\Classes\${CLASS}" "" "${DESCRIPTION}"
  WriteRegStr SHCTX "Software\Classes\${CLASS}\DefaultIcon" "" "$INSTDIR\sonkrate.exe,0"
  WriteRegStr SHCTX "Software\Classes\${CLASS}\shell\open\command" "" '"$INSTDIR\sonkrate.exe" "%1"'
  WriteRegStr SHCTX "Software\Classes\${EXT}" "" "${CLASS}"
  WriteRegStr SHCTX "Software\Classes\${EXT}\OpenWithProgids" "${CLASS}" ""
!macroend

; Removes what REGISTER_TYPE wrote; the extension keeps another program's claim.
!macro UNREGISTER_TYPE EXT CLASS
  DeleteRegKey SHCTX "Software\Classes\${CLASS}"
  DeleteRegValue SHCTX "Software\Classes\${EXT}\OpenWithProgids" "${CLASS}"
  DeleteRegKey /ifempty SHCTX "Software\Classes\${EXT}\OpenWithProgids"
  ReadRegStr $0 SHCTX "Software\Classes\${EXT}" ""
  ${If} $0 == "${CLASS}"
    DeleteRegValue SHCTX "Software\Classes\${EXT}" ""
  ${EndIf}
  DeleteRegKey /ifempty SHCTX "Software\Classes\${EXT}"
!macroend

Function .onInit
  SetRegView 64
  !insertmacro MULTIUSER_INIT
FunctionEnd

Function un.onInit
  SetRegView 64
  !insertmacro MULTIUSER_UNINIT
FunctionEnd

Section "Sonkrate" main
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${PROGRAM_DIR}/sonkrate.exe"
  File "${PROGRAM_DIR}/auto_stop.exe"
  File "${PROGRAM_DIR}/sonkrate-cli.exe"
  File "${PROGRAM_DIR}/Sonkrate-help.chm"
  File /oname=README.txt "${README}"
  File /oname=LICENSE.txt "${LICENSE}"
  File /oname=THIRD-PARTY.txt "${NOTICES}"
  ; Tells the window that its folder is an installation, whose working
  ; files belong in the user's data folder.
  File "${MARKER}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "$SMPROGRAMS\Sonkrate.lnk" "$INSTDIR\sonkrate.exe" "" "$INSTDIR\sonkrate.exe" 0

  !insertmacro REGISTER_TYPE ".tpa" "Sonkrate.tpa" "Trespasser sound archive"
  !insertmacro REGISTER_TYPE ".cau" "Sonkrate.cau" "Trespasser sound image"
  !insertmacro REGISTER_TYPE ".eel" "Sonkrate.eel" "Trespasser sound list"
  !insertmacro NOTIFY_ASSOCIATIONS

  WriteRegStr SHCTX "${APP_KEY}" "InstallDir" "$INSTDIR"
  WriteRegStr SHCTX "${APP_KEY}" "InstallMode" "$MultiUser.InstallMode"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${APP}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "The Sonkrate developers"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\sonkrate.exe,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  SectionGetSize ${main} $0
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\Sonkrate.lnk"
  !insertmacro UNREGISTER_TYPE ".tpa" "Sonkrate.tpa"
  !insertmacro UNREGISTER_TYPE ".cau" "Sonkrate.cau"
  !insertmacro UNREGISTER_TYPE ".eel" "Sonkrate.eel"
  !insertmacro NOTIFY_ASSOCIATIONS

  Delete "$INSTDIR\sonkrate.exe"
  Delete "$INSTDIR\auto_stop.exe"
  Delete "$INSTDIR\sonkrate-cli.exe"
  Delete "$INSTDIR\Sonkrate-help.chm"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\THIRD-PARTY.txt"
  Delete "$INSTDIR\sonkrate.installed"
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: files the user put there stay.
  RMDir "$INSTDIR"

  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  DeleteRegKey SHCTX "${APP_KEY}"
SectionEnd
