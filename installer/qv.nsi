; QV's Windows installer (NSIS 3, x64, Unicode). makensis is given:
;   OUTFILE   the installer to write          VERSION  the program's version (3.0.0)
;   FILES     the file list (file_list.py)    VERSION_TEXT  the version as shown (3.0)
;   ICON      the program's icon              SIDE_BITMAP   the welcome and finish picture
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
; The tray menu's Exit, as the program's resources define it: QV removes its icon and leaves its
; loop.
!searchparse /file "${__FILEDIR__}/../resources/resource_ids.h" "#define ID_TRAY_EXIT " ID_TRAY_EXIT
; The uninstaller's own name: the folder may be one the user chose, shared with other programs.
!define UNINSTALLER "QV-uninstall.exe"
; What administrators and SYSTEM may do with a folder outside Program Files, and users not: the
; folder's programs run at every user's log-on (the Run value), so only administrators may
; change them. Inherited by everything inside; nothing from the drive's root is kept.
!define FOLDER_ACL "D:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)"

Name "QV"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\QV"
; A second install goes where the first one went.
InstallDirRegKey HKLM "${MAIN_KEY}" "Target"
RequestExecutionLevel admin
BrandingText "QV ${VERSION_TEXT}"
; No file is ever skipped: one that cannot be written stops the installation (the check before
; any copy makes that unlikely).
AllowSkipFiles off
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
!define MUI_WELCOMEFINISHPAGE_BITMAP "${SIDE_BITMAP}"
!define MUI_UNWELCOMEFINISHPAGE_BITMAP "${SIDE_BITMAP}"
; The installer runs elevated; QV must run as the user who is logged on (its hook, its reads of
; other programs, the shell's messages to its tray icon): the shell starts it.
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION StartQvAsUser

!insertmacro MUI_PAGE_WELCOME
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE CheckFolderPage
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
LangString FolderNotQv ${LANG_FRENCH} "Le dossier $INSTDIR contient déjà d'autres fichiers et aucune installation de QV. Choisissez un dossier vide ou le dossier de QV."
LangString FolderNotQv ${LANG_ENGLISH} "The folder $INSTDIR already holds other files and no QV installation. Choose an empty folder or QV's own folder."
LangString FolderNotSecured ${LANG_FRENCH} "Impossible de réserver la modification du dossier $INSTDIR aux administrateurs. Choisissez un dossier dans Program Files."
LangString FolderNotSecured ${LANG_ENGLISH} "The folder $INSTDIR could not be restricted to changes by administrators. Choose a folder inside Program Files."
LangString FileInUse ${LANG_FRENCH} "Le fichier $R9 est utilisé par un autre programme et ne peut pas être remplacé. Fermez ce programme, puis recommencez. Rien n'a été modifié."
LangString FileInUse ${LANG_ENGLISH} "The file $R9 is in use by another program and cannot be replaced. Close that program, then try again. Nothing was changed."

; Exit codes of a silent run that stops (0: installed; 2: stopped by the installer itself).
!define EXIT_FOLDER_REFUSED 3
!define EXIT_FILE_IN_USE 4

; Closes a running QV before any file is touched, so that no folder is left half-written: in
; silent mode without asking, otherwise after telling the user. The QV of this session is asked
; to exit as its tray menu's Exit does; any QV.exe of this installation still running (in another
; user's session, or one that did not answer) is then ended by its image path. The run stops
; when one stays.
!macro DEFINE_CLOSE_QV prefix
Function ${prefix}CloseQV
  FindWindow $0 "#32770" "${MAIN_WINDOW}"
  ${If} $0 <> 0
    MessageBox MB_OKCANCEL|MB_ICONINFORMATION "$(QvRunning)" /SD IDOK IDOK close
    Abort
    close:
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1) i'
    System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r2'  ; SYNCHRONIZE
    SendMessage $0 ${WM_COMMAND} ${ID_TRAY_EXIT} 0 /TIMEOUT=5000
    ${If} $2 P<> 0
      System::Call 'kernel32::WaitForSingleObject(p r2, i 10000) i'
      System::Call 'kernel32::CloseHandle(p r2)'
    ${Else}
      Sleep 1000
    ${EndIf}
  ${EndIf}
  Call ${prefix}EndInstalledQv
  ${If} $0 <> 0
    MessageBox MB_OK|MB_ICONSTOP "$(QvStillRunning)" /SD IDOK
    Abort
  ${EndIf}
FunctionEnd

; Ends every process whose image is this installation's QV.exe; $0 is how many still run.
Function ${prefix}EndInstalledQv
  StrCpy $0 0
  System::Alloc 16384  ; room for 4096 process ids
  Pop $R0
  System::Call 'psapi::EnumProcesses(p R0, i 16384, *i .R1) i .r1'
  ${If} $1 = 0
    System::Free $R0
    Return
  ${EndIf}
  IntOp $R1 $R1 / 4
  StrCpy $R2 0
  ${DoWhile} $R2 < $R1
    IntPtrOp $R3 $R2 * 4
    IntPtrOp $R3 $R3 + $R0
    System::Call '*$R3(i .R4)'
    ; PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION
    System::Call 'kernel32::OpenProcess(i 0x00101001, i 0, i R4) p .R5'
    ${If} $R5 P<> 0
      System::Call 'kernel32::QueryFullProcessImageNameW(p R5, i 0, w .R6, *i ${NSIS_MAX_STRLEN}) i .r1'
      ${If} $1 <> 0
      ${AndIf} $R6 == "$INSTDIR\QV.exe"
        System::Call 'kernel32::TerminateProcess(p R5, i 1) i'
        System::Call 'kernel32::WaitForSingleObject(p R5, i 10000) i .r1'
        ${If} $1 <> 0
          IntOp $0 $0 + 1
        ${EndIf}
      ${EndIf}
      System::Call 'kernel32::CloseHandle(p R5)'
    ${EndIf}
    IntOp $R2 $R2 + 1
  ${Loop}
  System::Free $R0
FunctionEnd
!macroend
!insertmacro DEFINE_CLOSE_QV ""
!insertmacro DEFINE_CLOSE_QV "un."

; A file of the installation that cannot be opened for writing (a program has it open) stops
; the run before anything is replaced.
!macro QV_CHECK_REPLACEABLE path
  StrCpy $R9 "${path}"
  Call CheckReplaceable
!macroend
Function CheckReplaceable
  ${IfNot} ${FileExists} $R9
    Return
  ${EndIf}
  ClearErrors
  FileOpen $R8 $R9 a
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "$(FileInUse)" /SD IDOK
    SetErrorLevel ${EXIT_FILE_IN_USE}
    Quit
  ${EndIf}
  FileClose $R8
FunctionEnd

; $0 = 1 when $INSTDIR is a folder that holds files but no QV installation.
Function IsForeignFolder
  StrCpy $0 0
  ${If} ${FileExists} "$INSTDIR\QV.exe"
  ${OrIf} ${FileExists} "$INSTDIR\${UNINSTALLER}"
  ${OrIf} ${FileExists} "$INSTDIR\uninstall.exe"
    Return
  ${EndIf}
  ClearErrors
  FindFirst $1 $2 "$INSTDIR\*.*"
  ${DoUntil} ${Errors}
    ${If} $2 != "."
    ${AndIf} $2 != ".."
    ${AndIf} $2 != ""
      StrCpy $0 1
      ${Break}
    ${EndIf}
    FindNext $1 $2
  ${Loop}
  FindClose $1
FunctionEnd

; The directory page: a foreign folder is refused there, and the page stays.
Function CheckFolderPage
  Call IsForeignFolder
  ${If} $0 = 1
    MessageBox MB_OK|MB_ICONSTOP "$(FolderNotQv)"
    Abort
  ${EndIf}
FunctionEnd

; Outside Program Files, the folder gets FOLDER_ACL, read back to be sure (a file system may take
; the call and keep nothing), or the installation stops (exit code EXIT_FOLDER_REFUSED), leaving
; the folder as empty as it found it. Inside, it inherits Program Files' own list, which already is
; so.
Function SecureFolder
  StrLen $1 "$PROGRAMFILES64\"
  StrCpy $2 "$INSTDIR\" $1
  StrLen $3 "$PROGRAMFILES32\"
  StrCpy $4 "$INSTDIR\" $3
  ${If} $2 == "$PROGRAMFILES64\"
  ${OrIf} $4 == "$PROGRAMFILES32\"
    Return
  ${EndIf}
  StrCpy $5 1
  System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w "${FOLDER_ACL}", i 1, *p .R0, p 0) i .r1'
  ${If} $1 <> 0
    System::Call 'advapi32::GetSecurityDescriptorDacl(p R0, *i .R1, *p .R2, *i .R3) i .r1'
    ${If} $1 <> 0
      ; SE_FILE_OBJECT, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION
      System::Call 'advapi32::SetNamedSecurityInfoW(w "$INSTDIR", i 1, i 0x80000004, p 0, p 0, p R2, p 0) i .r5'
    ${EndIf}
    System::Call 'kernel32::LocalFree(p R0)'
  ${EndIf}
  ${If} $5 = 0
    ; The list now protected from inheritance (SE_DACL_PROTECTED), as set.
    System::Call 'advapi32::GetNamedSecurityInfoW(w "$INSTDIR", i 1, i 4, p 0, p 0, p 0, p 0, *p .R4) i .r5'
    ${If} $5 = 0
      System::Call 'advapi32::GetSecurityDescriptorControl(p R4, *i 0 .R5, *i 0 .R6) i .r6'
      IntOp $R5 $R5 & 0x1000
      ${If} $6 = 0
      ${OrIf} $R5 = 0
        StrCpy $5 1
      ${EndIf}
      System::Call 'kernel32::LocalFree(p R4)'
    ${EndIf}
  ${EndIf}
  ${If} $5 <> 0
    RMDir "$INSTDIR"  ; only when empty: a folder made by this run
    MessageBox MB_OK|MB_ICONSTOP "$(FolderNotSecured)" /SD IDOK
    SetErrorLevel ${EXIT_FOLDER_REFUSED}
    Quit
  ${EndIf}
FunctionEnd

; The finish page's "start QV": the shell (Explorer, which runs as the logged-on user) starts it,
; not this elevated installer.
Function StartQvAsUser
  Exec '"$WINDIR\explorer.exe" "$INSTDIR\QV.exe"'
FunctionEnd

Function .onInit
  SetRegView 64
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_OK|MB_ICONSTOP "$(NotAdmin)" /SD IDOK
    SetErrorLevel 740  ; ERROR_ELEVATION_REQUIRED
    Quit
  ${EndIf}
  ; The language page offers the system's language when it is English, and French otherwise:
  ; QV's interface is French.
  System::Call 'kernel32::GetUserDefaultUILanguage() i .r0'
  IntOp $0 $0 & 0x3FF
  ${If} $0 = 0x09
    StrCpy $LANGUAGE ${LANG_ENGLISH}
  ${Else}
    StrCpy $LANGUAGE ${LANG_FRENCH}
  ${EndIf}
  !insertmacro MUI_LANGDLL_DISPLAY
FunctionEnd

Section "QV" SecMain
  SectionIn RO
  SetRegView 64
  SetShellVarContext all
  ; A silent run has no directory page: the same refusal, with an exit code.
  Call IsForeignFolder
  ${If} $0 = 1
    MessageBox MB_OK|MB_ICONSTOP "$(FolderNotQv)" /SD IDOK
    SetErrorLevel ${EXIT_FOLDER_REFUSED}
    Quit
  ${EndIf}
  Call CloseQV
  !insertmacro QV_CHECK_FILES
  CreateDirectory "$INSTDIR"
  Call SecureFolder

  !insertmacro QV_INSTALL_FILES
  Delete "$INSTDIR\uninstall.exe"  ; the uninstaller's name before it had its own
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

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
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION_TEXT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Brantel"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\QV.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR\"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
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
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"

  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "ShortcutName"
  ${If} $0 != ""
    Delete "$SMPROGRAMS\$0.lnk"
  ${EndIf}
  ; The key with what the program wrote in it (dict\2.1 with WNHome), and the uninstalling user's
  ; own values (Tut, QVLang); other users' stay in their profiles.
  DeleteRegKey HKLM "${MAIN_KEY}"
  DeleteRegKey HKCU "${MAIN_KEY}"
  DeleteRegKey /ifempty HKCU "Software\Brantel"
  DeleteRegKey /ifempty HKLM "Software\Brantel"
  DeleteRegValue HKLM "${RUN_KEY}" "QV"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
