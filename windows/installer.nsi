; The Windows installer: for the player alone (in their own Programs folder, no administrator
; needed) or for every user of the computer (in Program Files), with a Start-menu entry and an
; uninstaller. The player's settings, records and replays live in %LOCALAPPDATA%\Dropple, which
; the uninstaller leaves alone unless asked.
;
; makensis -DVERSION=1.0.0 -DSTAGE=FOLDER -DICON=dropple.ico -DKIB=SIZE -DOUTFILE=SETUP.exe
; installer.nsi, where FOLDER holds dropple.exe, audio\, README.txt and LICENSE.txt
; (windows/package.sh makes it). Silent installs take /S, and /CurrentUser or /AllUsers to choose
; without the page; the silent uninstall /S, and /RemoveMyFiles to remove the player's files too.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true

!define NAME "Dropple"
!define PUBLISHER "The Dropple developers"
!define UNINSTKEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Dropple"
!define APPKEY "Software\Dropple"

Name "${NAME}"
OutFile "${OUTFILE}"
BrandingText "${NAME} ${VERSION}"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "Dropple"
; An update or an uninstall finds the earlier install's mode and folder.
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${APPKEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallMode"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${APPKEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallDir"
!include MultiUser.nsh
!include MUI2.nsh
!include FileFunc.nsh
!include Sections.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\dropple.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"

!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${NAME}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${NAME} ${VERSION} installer"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Copyright 2026 ${PUBLISHER}"

Function .onInit
  !insertmacro MULTIUSER_INIT
FunctionEnd

Section "Dropple" SecGame
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${STAGE}\dropple.exe"
  File "${STAGE}\README.txt"
  File "${STAGE}\LICENSE.txt"
  SetOutPath "$INSTDIR\audio"
  File "${STAGE}\audio\*.wav"
  ; The Start-menu entry starts the game in its own folder, beside its sounds.
  SetOutPath "$INSTDIR"
  CreateShortCut "$SMPROGRAMS\Dropple.lnk" "$INSTDIR\dropple.exe" "" "$INSTDIR\dropple.exe" 0 \
    SW_SHOWNORMAL "" "A falling-block puzzle game"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  WriteRegStr SHCTX "${APPKEY}" "InstallMode" "$MultiUser.InstallMode"
  WriteRegStr SHCTX "${APPKEY}" "InstallDir" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTKEY}" "DisplayName" "${NAME}"
  WriteRegStr SHCTX "${UNINSTKEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTKEY}" "DisplayIcon" "$INSTDIR\dropple.exe,0"
  WriteRegStr SHCTX "${UNINSTKEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTKEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTKEY}" "UninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTKEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode /S'
  WriteRegDWORD SHCTX "${UNINSTKEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTKEY}" "NoRepair" 1
  ; Program and sounds, in KiB, for the list of installed programs.
  WriteRegDWORD SHCTX "${UNINSTKEY}" "EstimatedSize" ${KIB}
SectionEnd

; Only the files the installer put there go, so a "savefile" a player keeps beside the program
; stays, and with it the folder.
Section "un.Dropple" UnSecGame
  SectionIn RO
  Delete "$SMPROGRAMS\Dropple.lnk"
  Delete "$INSTDIR\dropple.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\audio\*.wav"
  RMDir "$INSTDIR\audio"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey SHCTX "${UNINSTKEY}"
  DeleteRegKey SHCTX "${APPKEY}"
SectionEnd

; Unticked unless the player ticks it: the settings, records and replays of the player who
; uninstalls.
Section /o "un.My settings, records and replays" UnSecFiles
  SetShellVarContext current
  RMDir /r "$LOCALAPPDATA\Dropple"
SectionEnd

; /RemoveMyFiles ticks that box, for a silent uninstall.
Function un.onInit
  !insertmacro MULTIUSER_UNINIT
  ${un.GetParameters} $R0
  ClearErrors
  ${un.GetOptions} $R0 "/RemoveMyFiles" $R1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${UnSecFiles}
  ${EndIf}
FunctionEnd

!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${UnSecGame} "The program, its sounds and its Start-menu entry."
  !insertmacro MUI_DESCRIPTION_TEXT ${UnSecFiles} "Your settings, personal bests and recorded games in %LOCALAPPDATA%\Dropple."
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END
