; The Windows installer: per user, without administrator rights. It installs
; the files of the Windows zip into the user's own programs folder, puts the
; viewer in the Start menu and registers an uninstaller in the user's list of
; installed programs. The uninstaller removes what was installed, by name,
; and nothing else: files the user put into the folder stay, and so does a
; MapInfo.txt the user changed (the uninstaller says so).
;
; Made by cmake/WindowsInstaller.cmake, which passes with -D:
;   VERSION    the project's version (1.8.0)
;   PRODUCT    "Tarvex 1.8 map viewer": the Start menu's and Apps' name
;   PUBLISHER  and COPYRIGHT, as packaging/copyright says them
;   STAGED     the folder laid out for the zip, whose files are installed
;   INCLUDES   the folder of installed-files.nsh and removed-files.nsh, the
;              lists of those files, and of ESTIMATED_SIZE_KB
;   ICON       the programs' icon
;   OUTFILE    the installer to write
Unicode true
Target amd64-unicode ; the programs are 64-bit, and so is Wine's prefix
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include MUI2.nsh
!include LogicLib.nsh
!include "${INCLUDES}/sizes.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\TarvexMapViewer"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Tarvex map viewer"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\tarvex-viewer.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "SimpChinese"

LangString KeptMapInfo ${LANG_ENGLISH} "MapInfo.txt in $INSTDIR was changed after it was installed, so it was kept."
LangString KeptMapInfo ${LANG_SIMPCHINESE} "$INSTDIR 中的 MapInfo.txt 在安装后改动过，已保留。"
LangString KeptFolder ${LANG_ENGLISH} "$INSTDIR still holds files that were not installed; they were kept."
LangString KeptFolder ${LANG_SIMPCHINESE} "$INSTDIR 中还有不是安装的文件，已保留。"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "${COPYRIGHT}"

Section
  SetShellVarContext current
  !include "${INCLUDES}/installed-files.nsh"
  ; MapInfo.txt is the user's to change: one already in the folder (the
  ; game's own, copied over the bundled one) is not overwritten.
  SetOutPath "$INSTDIR"
  SetOverwrite off
  File "${STAGED}/MapInfo.txt"
  SetOverwrite on

  WriteUninstaller "$INSTDIR\Uninstall.exe"
  ; The shortcut starts the viewer in its folder, as a double-click does.
  CreateShortcut "${SHORTCUT}" "$INSTDIR\tarvex-viewer.exe" "" "$INSTDIR\tarvex-viewer.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tarvex-viewer.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" ${ESTIMATED_SIZE_KB}
SectionEnd

; Tells the note on the stack: in the details and a message box, or, when
; silent, on the standard output if there is one (a silent uninstall started
; with its output redirected into a file).
Function un.Tell
  Exch $0
  Push $1
  DetailPrint "$0"
  ${If} ${Silent}
    System::Call 'kernel32::GetStdHandle(i -11) p .r1'
    ${If} $1 P<> 0
    ${AndIf} $1 P<> -1
      FileWrite $1 "$0$\r$\n"
    ${EndIf}
  ${Else}
    MessageBox MB_OK|MB_ICONINFORMATION "$0"
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd

; Whether the files $R0 and $R1 differ: $R2 is 0 when their bytes are the
; same, 1 otherwise (or when one cannot be read).
Function un.FilesDiffer
  Push $R3
  Push $R4
  Push $R5
  Push $R6
  StrCpy $R2 1
  ClearErrors
  FileOpen $R3 "$R0" r
  ${IfNot} ${Errors}
    FileOpen $R4 "$R1" r
    ${IfNot} ${Errors}
      FileSeek $R3 0 END $R5
      FileSeek $R4 0 END $R6
      ${If} $R5 == $R6
        FileSeek $R3 0 SET
        FileSeek $R4 0 SET
        StrCpy $R2 0
        ${Do}
          ClearErrors
          FileReadByte $R3 $R5
          ${If} ${Errors}
            ${Break} ; the end of both: the sizes are the same
          ${EndIf}
          FileReadByte $R4 $R6
          ${If} ${Errors}
          ${OrIf} $R5 <> $R6
            StrCpy $R2 1
            ${Break}
          ${EndIf}
        ${Loop}
      ${EndIf}
      FileClose $R4
    ${EndIf}
    FileClose $R3
  ${EndIf}
  Pop $R6
  Pop $R5
  Pop $R4
  Pop $R3
FunctionEnd

Section Uninstall
  SetShellVarContext current
  !include "${INCLUDES}/removed-files.nsh"
  Delete "$INSTDIR\Uninstall.exe"
  Delete "${SHORTCUT}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"

  ; MapInfo.txt goes only as it was installed: compared with the bundled
  ; one, which the uninstaller carries.
  ${If} ${FileExists} "$INSTDIR\MapInfo.txt"
    InitPluginsDir
    File "/oname=$PLUGINSDIR\MapInfo.txt" "${STAGED}/MapInfo.txt"
    StrCpy $R0 "$INSTDIR\MapInfo.txt"
    StrCpy $R1 "$PLUGINSDIR\MapInfo.txt"
    Call un.FilesDiffer
    ${If} $R2 == 0
      Delete "$INSTDIR\MapInfo.txt"
    ${Else}
      Push "$(KeptMapInfo)"
      Call un.Tell
    ${EndIf}
  ${EndIf}

  ; Never a recursive delete: the folder goes only when nothing is left in it.
  RMDir "$INSTDIR"
  ${If} ${FileExists} "$INSTDIR\*.*"
    DetailPrint "$(KeptFolder)"
  ${EndIf}
SectionEnd
