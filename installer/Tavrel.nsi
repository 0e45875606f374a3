; Ambrex Tavrel's installer: for all users into Program Files, or for the current user only into
; the user's own program folder, with the console runner, the help page, the Start-menu shortcut,
; the ".tvj" association and an entry in Apps & features. /S installs silently; /AllUsers and
; /CurrentUser choose the kind of installation, /D=folder (last) the folder.
; Built by installer/build.sh:
;   makensis -INPUTCHARSET UTF8 -DVERSION=2.1.0.8 -DSTAGE=folder -DOUTFILE=setup.exe Tavrel.nsi

Unicode true
; tavrel.exe is a 64-bit program, so the installer is one too: it sees the 64-bit Program Files
; and registry without redirection.
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true

!ifndef VERSION | STAGE | OUTFILE
  !error "VERSION, STAGE and OUTFILE must be given with -D"
!endif

!define PRODUCT "Ambrex Tavrel"
!define PUBLISHER "Ambrex Software"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\AmbrexTavrel"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_INSTDIR "${PRODUCT}"
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallMode"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INIT_TEXT_ALLUSERSNOTPOSSIBLE "Din brugerkonto har ikke rettigheder til at installere ${PRODUCT} for alle brugere på denne computer."
!include MultiUser.nsh
!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define MUI_ICON "../res/tavrel.ico"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\Tavrel.html"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "$(TavrelShowHelp)"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_WELCOME
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Danish"
!include "Texts.nsh"
!include "Association.nsh"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_DANISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_DANISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_DANISH} "FileDescription" "Installation af ${PRODUCT} - Kopiering/backup"
VIAddVersionKey /LANG=${LANG_DANISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_DANISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_DANISH} "LegalCopyright" "${PUBLISHER}"

Function .onInit
  ; MultiUser sets the folder of its kind of installation, which would override /D=.
  StrCpy $R9 $INSTDIR
  !insertmacro MULTIUSER_INIT
  ${If} $R9 != ""
    StrCpy $INSTDIR $R9
  ${EndIf}
FunctionEnd

Function un.onInit
  !insertmacro MULTIUSER_UNINIT
  ; Started without /AllUsers or /CurrentUser, the uninstaller belongs to the installation whose
  ; entry names its own folder, which matters when there is one of each kind.
  ReadRegStr $0 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != $INSTDIR
    ${If} $MultiUser.InstallMode == "AllUsers"
      ReadRegStr $1 HKCU "${UNINSTALL_KEY}" "InstallLocation"
      ${If} $1 == $INSTDIR
        Call un.MultiUser.InstallMode.CurrentUser
      ${EndIf}
    ${ElseIf} $MultiUser.Privileges == "Admin"
    ${OrIf} $MultiUser.Privileges == "Power"
      ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
      ${If} $1 == $INSTDIR
        Call un.MultiUser.InstallMode.AllUsers
      ${EndIf}
    ${EndIf}
  ${EndIf}
FunctionEnd

; A running tavrel.exe or tavrelc.exe cannot be replaced or removed; without this check the
; installer would stop half-way and the uninstaller would report success and leave them behind.
!macro TavrelRefuseWhileRunning UN
Function ${UN}TavrelRefuseWhileRunning
  ${ForEach} $R0 0 1 + 1
    ${If} $R0 == 0
      StrCpy $R1 "tavrel.exe"
    ${Else}
      StrCpy $R1 "tavrelc.exe"
    ${EndIf}
    ${Do}
      ${IfNot} ${FileExists} "$INSTDIR\$R1"
        ${Break}
      ${EndIf}
      ClearErrors
      FileOpen $0 "$INSTDIR\$R1" a
      ${IfNot} ${Errors}
        FileClose $0
        ${Break}
      ${EndIf}
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(TavrelRunning)" /SD IDCANCEL IDRETRY +2
      Abort
    ${Loop}
  ${Next}
FunctionEnd
!macroend
!insertmacro TavrelRefuseWhileRunning ""
!insertmacro TavrelRefuseWhileRunning "un."

Section "-Tavrel"
  Call TavrelRefuseWhileRunning
  SetOutPath "$INSTDIR"
  File "${STAGE}/tavrel.exe"
  File "${STAGE}/tavrelc.exe"
  File "${STAGE}/Tavrel.html"
  File "${STAGE}/README.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The program opens "Drev_C.tvj" from its working folder at start and saves an untitled job
  ; there, so the shortcut starts it in the user's Documents rather than in Program Files,
  ; which users cannot write to. The shell expands the variable for each user.
  StrCpy $OUTDIR "%USERPROFILE%\Documents"
  CreateShortCut "${SHORTCUT}" "$INSTDIR\tavrel.exe" "" "$INSTDIR\tavrel.exe" 0 SW_SHOWNORMAL "" "$(TavrelShortcutComment)"
  SetOutPath "$INSTDIR"

  !insertmacro TavrelRegisterJobFiles

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$\"$INSTDIR\tavrel.exe$\",0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallMode" "$MultiUser.InstallMode"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" "$\"$INSTDIR\uninstall.exe$\" /$MultiUser.InstallMode"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" "$\"$INSTDIR\uninstall.exe$\" /$MultiUser.InstallMode /S"
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Removes exactly what the installation put down. Jobs, their folder lists and reports that the
; user saved, also in the program's folder, stay, and so do the program's settings under
; HKCU\Software\Ambrex Software\Tavrel: the folder goes only when it is empty.
Section "Uninstall"
  Call un.TavrelRefuseWhileRunning
  Delete "$INSTDIR\tavrel.exe"
  Delete "$INSTDIR\tavrelc.exe"
  Delete "$INSTDIR\Tavrel.html"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "${SHORTCUT}"
  !insertmacro TavrelUnregisterJobFiles
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
