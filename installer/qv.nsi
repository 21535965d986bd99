; QV's Windows installer (NSIS 3, x64, Unicode). makensis is given:
;   OUTFILE   the installer to write          VERSION  the program's version (1.0.0)
;   FILES     the file list (file_list.py)    ICON     the program's icon
; It lays down the program, its text bundles, its tutorial page and its dictionary folder (with the
; WordNet 3.0 database), writes the installation-wide settings the program reads, starts QV
; quietly at log-on, and registers an uninstaller that takes all of it away again.
Unicode true
Target amd64-unicode
ManifestSupportedOS all
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include WinMessages.nsh
!include FileFunc.nsh
!include ${FILES}

!define MAIN_KEY "Software\Brantel\QV-fr"
!define LEXICON_KEY "Software\Brantel\QV-fr\dict\2.1"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\QV-fr"
!define MAIN_WINDOW "QV Settings"
!define ID_TRAY_EXIT 57665  ; the tray menu's Exit: QV removes its icon and leaves its loop

Name "QV"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\QV"
; A second install goes where the first one went.
InstallDirRegKey HKLM "${MAIN_KEY}" "Target"
RequestExecutionLevel admin
BrandingText "QV ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "QV"
VIAddVersionKey /LANG=0 "FileDescription" "QV setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "CompanyName" "Brantel"
VIAddVersionKey /LANG=0 "LegalCopyright" "Brantel"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_LANGDLL_ALLLANGUAGES
!define MUI_FINISHPAGE_RUN "$INSTDIR\QV.exe"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "French"
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_RESERVEFILE_LANGDLL

LangString NotAdmin ${LANG_FRENCH} "L'installation de QV demande les droits d'administrateur."
LangString NotAdmin ${LANG_ENGLISH} "Installing QV requires administrator rights."
LangString QvRunning ${LANG_FRENCH} "QV est en cours d'exécution. Il sera fermé pour continuer."
LangString QvRunning ${LANG_ENGLISH} "QV is running. It will be closed to continue."
LangString QvStillRunning ${LANG_FRENCH} "QV ne s'est pas fermé. Quittez-le depuis son icône dans la zone de notification, puis recommencez."
LangString QvStillRunning ${LANG_ENGLISH} "QV did not close. Exit it from its icon in the notification area, then try again."
LangString StartMenuName ${LANG_FRENCH} "QV - dictionnaire anglais-français"
LangString StartMenuName ${LANG_ENGLISH} "QV - English-French dictionary"

; Closes a running QV before any file is touched, so that no folder is left half-written: in
; silent mode without asking, otherwise after telling the user; the run stops when QV stays.
!macro DEFINE_CLOSE_QV prefix
Function ${prefix}CloseQV
  FindWindow $0 "#32770" "${MAIN_WINDOW}"
  ${If} $0 = 0
    Return
  ${EndIf}
  MessageBox MB_OKCANCEL|MB_ICONINFORMATION "$(QvRunning)" /SD IDOK IDOK close
  Abort
  close:
  System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1) i'
  System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r2'  ; SYNCHRONIZE
  SendMessage $0 ${WM_COMMAND} ${ID_TRAY_EXIT} 0 /TIMEOUT=5000
  StrCpy $3 0
  ${If} $2 P<> 0
    System::Call 'kernel32::WaitForSingleObject(p r2, i 10000) i .r3'
    System::Call 'kernel32::CloseHandle(p r2)'
  ${Else}
    Sleep 1000
  ${EndIf}
  FindWindow $0 "#32770" "${MAIN_WINDOW}"
  ${If} $3 <> 0
  ${OrIf} $0 <> 0
    MessageBox MB_OK|MB_ICONSTOP "$(QvStillRunning)" /SD IDOK
    Abort
  ${EndIf}
FunctionEnd
!macroend
!insertmacro DEFINE_CLOSE_QV ""
!insertmacro DEFINE_CLOSE_QV "un."

Function .onInit
  SetRegView 64
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_OK|MB_ICONSTOP "$(NotAdmin)" /SD IDOK
    SetErrorLevel 740  ; ERROR_ELEVATION_REQUIRED
    Quit
  ${EndIf}
  !insertmacro MUI_LANGDLL_DISPLAY
FunctionEnd

Section "QV" SecMain
  SectionIn RO
  SetRegView 64
  SetShellVarContext all
  Call CloseQV

  !insertmacro QV_INSTALL_FILES
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; What the program reads: its folder (file names are appended to it, hence the backslash), its
  ; language, and the lexicon home, which the program itself can only write with administrator
  ; rights: written here so that an ordinary user's first start finds the data.
  WriteRegStr HKLM "${MAIN_KEY}" "Target" "$INSTDIR\"
  WriteRegStr HKLM "${MAIN_KEY}" "QVLang" "fr"
  ; The tutorial opens at the first start after the first install, not after an update.
  ClearErrors
  ReadRegStr $0 HKLM "${MAIN_KEY}" "Tut"
  ${If} ${Errors}
    WriteRegStr HKLM "${MAIN_KEY}" "Tut" "0"
  ${EndIf}
  WriteRegStr HKLM "${LEXICON_KEY}" "WNHome" "$INSTDIR\"
  ; At log-on QV starts quietly: the command-line tail "1" means no splash, window hidden.
  WriteRegStr HKLM "${RUN_KEY}" "QV" '"$INSTDIR\QV.exe" 1'

  CreateShortcut "$SMPROGRAMS\$(StartMenuName).lnk" "$INSTDIR\QV.exe" "" "$INSTDIR\QV.exe" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "$(StartMenuName)"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Brantel"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\QV.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR\"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "ShortcutName" "$(StartMenuName)"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
  SetRegView 64
  !insertmacro MUI_UNGETLANGUAGE
FunctionEnd

Section "Uninstall"
  SetRegView 64
  SetShellVarContext all
  Call un.CloseQV

  ; Only what was installed: a folder the user chose may hold other files.
  !insertmacro QV_UNINSTALL_FILES
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "ShortcutName"
  ${If} $0 != ""
    Delete "$SMPROGRAMS\$0.lnk"
  ${EndIf}
  ; The key with what the program wrote in it (Tut, QVLang, dict\2.1 with WNHome).
  DeleteRegKey HKLM "${MAIN_KEY}"
  DeleteRegKey /ifempty HKLM "Software\Brantel"
  DeleteRegValue HKLM "${RUN_KEY}" "QV"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
