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
; A folder outside Program Files: owned by the administrators, who and SYSTEM may do anything
; with it, and users only read and run it: the folder's programs run at every user's log-on (the
; Run value). Inherited by everything inside; nothing from the drive's root is kept.
!define FOLDER_SD "O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)"
; The account that owns the system's own folders (a drive's root among them).
!define TRUSTED_INSTALLER "S-1-5-80-956008885-3418522649-1831038044-1850769813-2231212211"

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
LangString QvStillRunning ${LANG_FRENCH} "QV ne s'est pas fermé : $INSTDIR\QV.exe tourne toujours ($R9). Quittez-le depuis son icône dans la zone de notification, puis recommencez. Rien n'a été modifié."
LangString QvStillRunning ${LANG_ENGLISH} "QV did not close: $INSTDIR\QV.exe still runs ($R9). Exit it from its icon in the notification area, then try again. Nothing was changed."
LangString QvProcess ${LANG_FRENCH} "processus $R7, session $R8"
LangString QvProcess ${LANG_ENGLISH} "process $R7, session $R8"
LangString StartMenuName ${LANG_FRENCH} "QV - dictionnaire anglais-français"
LangString StartMenuName ${LANG_ENGLISH} "QV - English-French dictionary"
LangString FolderNotQv ${LANG_FRENCH} "Le dossier $INSTDIR contient déjà d'autres fichiers et aucune installation de QV. Choisissez un dossier vide ou le dossier de QV."
LangString FolderNotQv ${LANG_ENGLISH} "The folder $INSTDIR already holds other files and no QV installation. Choose an empty folder or QV's own folder."
LangString FolderInvalid ${LANG_FRENCH} "Le chemin $INSTDIR n'est pas celui d'un dossier utilisable. Choisissez un autre dossier."
LangString FolderInvalid ${LANG_ENGLISH} "The path $INSTDIR is not one of a usable folder. Choose another folder."
LangString FolderNotAdmins ${LANG_FRENCH} "Le dossier $INSTDIR, ou un dossier qui le contient ($2), appartient à un utilisateur et non aux administrateurs : cet utilisateur pourrait modifier QV. Choisissez un dossier dans Program Files."
LangString FolderNotAdmins ${LANG_ENGLISH} "The folder $INSTDIR, or a folder that holds it ($2), belongs to a user and not to the administrators: that user could change QV. Choose a folder inside Program Files."
LangString FolderNotSecured ${LANG_FRENCH} "Impossible de réserver la modification du dossier $INSTDIR aux administrateurs. Choisissez un dossier dans Program Files."
LangString FolderNotSecured ${LANG_ENGLISH} "The folder $INSTDIR could not be restricted to changes by administrators. Choose a folder inside Program Files."
LangString FileInUse ${LANG_FRENCH} "Le fichier $R9 est utilisé par un autre programme et ne peut pas être remplacé. Fermez ce programme, puis recommencez. Rien n'a été modifié."
LangString FileInUse ${LANG_ENGLISH} "The file $R9 is in use by another program and cannot be replaced. Close that program, then try again. Nothing was changed."

; Exit codes of a silent run that stops (0: installed; 2: stopped by the installer itself).
!define EXIT_FOLDER_REFUSED 3
!define EXIT_FILE_IN_USE 4

; Functions that both the installer and the uninstaller call (the uninstaller's copies carry the
; prefix "un.").
!macro DEFINE_SHARED prefix

; Replaces the path on top of the stack by its canonical form: "." and "..", repeated and forward
; separators resolved (GetFullPathNameW), then each existing component's short name by its long
; one (GetLongPathNameW over the longest part that exists; the rest is yet to be made), without a
; final separator except a drive's root; "" when the path has none. Folders are compared, and the
; Program Files test made, on this form only: one folder has many spellings.
Function ${prefix}CanonicalPath
  Exch $0
  Push $1
  Push $2
  Push $3
  Push $4
  System::Call 'kernel32::GetFullPathNameW(w r0, i ${NSIS_MAX_STRLEN}, w .r1, p 0) i .r2'
  ${If} $2 = 0
  ${OrIf} $2 >= ${NSIS_MAX_STRLEN}
    StrCpy $0 ""
    Goto done
  ${EndIf}
  StrCpy $2 $1 1 -1
  StrLen $4 $1
  ${If} $2 == "\"
  ${AndIf} $4 > 3
    StrCpy $1 $1 -1
  ${EndIf}
  StrCpy $0 $1  ; as it is when no part of it exists
  StrCpy $3 ""  ; the components that do not exist (yet), each after its separator
  ${Do}
    System::Call 'kernel32::GetLongPathNameW(w r1, w .r4, i ${NSIS_MAX_STRLEN}) i .r2'
    ${If} $2 > 0
    ${AndIf} $2 < ${NSIS_MAX_STRLEN}
      StrCpy $2 $4 1 -1
      ${If} $2 == "\"
      ${AndIf} $3 != ""
        StrCpy $4 $4 -1
      ${EndIf}
      StrCpy $0 "$4$3"
      ${ExitDo}
    ${EndIf}
    ; One component less: the last separator, not the one of a drive's root or a server's name.
    StrLen $4 $1
    ${Do}
      IntOp $4 $4 - 1
      ${If} $4 < 2
        ${ExitDo}
      ${EndIf}
      StrCpy $2 $1 1 $4
    ${LoopUntil} $2 == "\"
    ${If} $4 < 2
      ${ExitDo}
    ${EndIf}
    StrCpy $2 $1 "" $4
    StrCpy $3 "$2$3"
    StrCpy $1 $1 $4
    StrCpy $2 $1 1 -1
    ${If} $2 == ":"
      StrCpy $1 "$1\"
    ${EndIf}
  ${Loop}
  done:
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; $0 = 1 when $INSTDIR (canonical) is the folder of the installation this machine records: the
; Target value the installer wrote. QV's own folder is known by that record, never by the names
; of the files in it.
Function ${prefix}IsRecordedFolder
  StrCpy $0 0
  ReadRegStr $1 HKLM "${MAIN_KEY}" "Target"
  ${If} $1 != ""
    Push $1
    Call ${prefix}CanonicalPath
    Pop $1
    ${If} $1 != ""
    ${AndIf} $1 == $INSTDIR
      StrCpy $0 1
    ${EndIf}
  ${EndIf}
FunctionEnd

; Closes a running QV before any file is touched, so that no folder is left half-written: in
; silent mode without asking, otherwise after telling the user. The QV of this session is asked
; to exit as its tray menu's Exit does; any QV.exe of this installation still running (in another
; user's session, or one that did not answer) is then ended by its image path. The run stops
; (exit code EXIT_FILE_IN_USE) when one stays, naming it.
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
    SetErrorLevel ${EXIT_FILE_IN_USE}
    Quit
  ${EndIf}
FunctionEnd

; Enables the debug privilege (an administrator's token holds it, disabled), without which
; another user's process cannot be ended.
Function ${prefix}EnableDebugPrivilege
  ; TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY
  System::Call 'advapi32::OpenProcessToken(p -1, i 0x28, *p .r1) i .r0'
  ${If} $0 <> 0
    ; TOKEN_PRIVILEGES: one privilege, its LUID at offset 4, SE_PRIVILEGE_ENABLED.
    System::Call '*(i 1, i 0, i 0, i 2) p .r2'
    IntPtrOp $3 $2 + 4
    System::Call 'advapi32::LookupPrivilegeValueW(p 0, w "SeDebugPrivilege", p r3) i .r0'
    ${If} $0 <> 0
      System::Call 'advapi32::AdjustTokenPrivileges(p r1, i 0, p r2, i 0, p 0, p 0) i'
    ${EndIf}
    System::Free $2
    System::Call 'kernel32::CloseHandle(p r1)'
  ${EndIf}
FunctionEnd

; Ends every process whose image, made canonical, is this installation's QV.exe. $0: how many
; still run; $R9 names the first of them ($(QvProcess)).
Function ${prefix}EndInstalledQv
  Call ${prefix}EnableDebugPrivilege
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
    ; PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION; where ending it is
    ; refused, enough to read its image and name it.
    StrCpy $R3 1
    System::Call 'kernel32::OpenProcess(i 0x00101001, i 0, i R4) p .R5'
    ${If} $R5 P= 0
      StrCpy $R3 0
      System::Call 'kernel32::OpenProcess(i 0x1000, i 0, i R4) p .R5'
    ${EndIf}
    ${If} $R5 P<> 0
      System::Call 'kernel32::QueryFullProcessImageNameW(p R5, i 0, w .R6, *i ${NSIS_MAX_STRLEN}) i .r1'
      ${If} $1 <> 0
        Push $R6
        Call ${prefix}CanonicalPath
        Pop $R6
        ${If} $R6 == "$INSTDIR\QV.exe"
          StrCpy $1 1
          ${If} $R3 = 1
            System::Call 'kernel32::TerminateProcess(p R5, i 1) i'
            System::Call 'kernel32::WaitForSingleObject(p R5, i 10000) i .r1'
          ${EndIf}
          ${If} $1 <> 0
            ${If} $0 = 0
              StrCpy $R7 $R4
              System::Call 'kernel32::ProcessIdToSessionId(i R4, *i .R8) i'
              StrCpy $R9 "$(QvProcess)"
            ${EndIf}
            IntOp $0 $0 + 1
          ${EndIf}
        ${EndIf}
      ${EndIf}
      System::Call 'kernel32::CloseHandle(p R5)'
    ${EndIf}
    IntOp $R2 $R2 + 1
  ${Loop}
  System::Free $R0
FunctionEnd
!macroend
!insertmacro DEFINE_SHARED ""
!insertmacro DEFINE_SHARED "un."

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

; $1 = 1 when $INSTDIR (canonical) is inside Program Files, 64-bit or 32-bit, whose list lets
; only administrators change the folders made in it.
!macro QV_IF_UNDER root
  Push "${root}"
  Call CanonicalPath
  Pop $2
  StrLen $3 "$2\"
  StrCpy $3 "$INSTDIR\" $3
  ${If} $3 == "$2\"
    StrCpy $1 1
  ${EndIf}
!macroend
Function IsInProgramFiles
  StrCpy $1 0
  !insertmacro QV_IF_UNDER $PROGRAMFILES64
  !insertmacro QV_IF_UNDER $PROGRAMFILES32
FunctionEnd

; $1 = 1 when the folder $2 belongs to the administrators, SYSTEM or TrustedInstaller (the
; system's own folders), else 0.
Function IsAdministratorsFolder
  StrCpy $1 0
  ; SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION
  System::Call 'advapi32::GetNamedSecurityInfoW(w r2, i 1, i 1, *p 0 .r3, p 0, p 0, p 0, *p .r4) i .r6'
  ${If} $6 <> 0
    Return
  ${EndIf}
  ${If} $3 P= 0  ; a file system without owners
    System::Call 'kernel32::LocalFree(p r4)'
    Return
  ${EndIf}
  System::Call 'advapi32::IsWellKnownSid(p r3, i 26) i .r6'  ; WinBuiltinAdministratorsSid
  System::Call 'advapi32::IsWellKnownSid(p r3, i 22) i .r7'  ; WinLocalSystemSid
  ${If} $6 <> 0
  ${OrIf} $7 <> 0
    StrCpy $1 1
  ${Else}
    System::Call 'advapi32::ConvertStringSidToSidW(w "${TRUSTED_INSTALLER}", *p .r6) i .r7'
    ${If} $7 <> 0
      System::Call 'advapi32::EqualSid(p r3, p r6) i .r1'
      System::Call 'kernel32::LocalFree(p r6)'
    ${EndIf}
  ${EndIf}
  System::Call 'kernel32::LocalFree(p r4)'
FunctionEnd

; Makes $INSTDIR canonical and tells in $0 why it may not be used ("" when it may): a path with no
; canonical form; a folder that holds files but is not the recorded installation's; outside
; Program Files, a folder that exists, or one that holds it, whose owner is not the
; administrators, SYSTEM or TrustedInstaller. An owner may always take the rights back, and a
; handle a user opened before any change keeps its rights: no list set afterwards makes that
; folder safe. A user who owns a folder above it may move it away and put another in its place.
Function FolderProblem
  Push $INSTDIR
  Call CanonicalPath
  Pop $0
  ${If} $0 == ""
    StrCpy $0 "$(FolderInvalid)"
    Return
  ${EndIf}
  StrCpy $INSTDIR $0
  Call IsRecordedFolder
  ${If} $0 = 0
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
    ${If} $0 = 1
      StrCpy $0 "$(FolderNotQv)"
      Return
    ${EndIf}
  ${EndIf}
  StrCpy $0 ""
  Call IsInProgramFiles
  ${If} $1 = 1
    Return
  ${EndIf}
  StrCpy $5 $INSTDIR
  ${Do}
    StrCpy $2 $5 1 -1
    ${If} $2 == ":"
      StrCpy $2 "$5\"  ; a drive's root, not its current folder
    ${Else}
      StrCpy $2 $5
    ${EndIf}
    ${If} ${FileExists} "$2\*.*"
      Call IsAdministratorsFolder
      ${If} $1 = 0
        StrCpy $0 "$(FolderNotAdmins)"
        ${ExitDo}
      ${EndIf}
    ${EndIf}
    ${GetParent} $5 $5
  ${LoopUntil} $5 == ""
FunctionEnd

; The directory page: a folder that may not be used is refused there, and the page stays.
Function CheckFolderPage
  Call FolderProblem
  ${If} $0 != ""
    MessageBox MB_OK|MB_ICONSTOP $0
    Abort
  ${EndIf}
FunctionEnd

; Makes the folder on top of the stack, and the parents it lacks, each with FOLDER_SD from the
; start ($R2: its SECURITY_ATTRIBUTES), so that a user never gets to open one with the rights a
; parent would give. $R1: the first folder made, the highest; errors set when one could not be
; made (one that appeared meanwhile included).
Function MakeSecuredFolder
  Exch $0
  ${IfNot} ${FileExists} "$0\*.*"
    ${GetParent} $0 $1
    Push $1
    Call MakeSecuredFolder
    System::Call 'kernel32::CreateDirectoryW(w r0, p R2) i .r1'
    ${If} $1 = 0
      SetErrors
    ${ElseIf} $R1 == ""
      StrCpy $R1 $0
    ${EndIf}
  ${EndIf}
  Pop $0
FunctionEnd

; Makes the folder. Outside Program Files, the folder and everything in it get FOLDER_SD (an
; earlier installation's files keep no entry of their own), read back to be sure (a file system
; may take the call and keep nothing, as Wine's does), or the installation stops (exit code
; EXIT_FOLDER_REFUSED) and removes the folders it made. Inside, the folder inherits Program
; Files' own list, which already is so.
Function SecureFolder
  Call IsInProgramFiles
  ${If} $1 = 1
    CreateDirectory "$INSTDIR"
    Return
  ${EndIf}
  StrCpy $5 1
  StrCpy $R1 ""
  System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w "${FOLDER_SD}", i 1, *p .R0, p 0) i .r1'
  ${If} $1 <> 0
    ; SECURITY_ATTRIBUTES: its size, the descriptor, handles not inherited.
    System::Call '*(i 24, i 0, p R0, i 0, i 0) p .R2'
    ClearErrors
    Push $INSTDIR
    Call MakeSecuredFolder
    ${IfNot} ${Errors}
      System::Call 'advapi32::GetSecurityDescriptorOwner(p R0, *p .R3, *i .R4) i'
      System::Call 'advapi32::GetSecurityDescriptorDacl(p R0, *i .R4, *p .R5, *i .R4) i'
      ; SE_FILE_OBJECT, OWNER | DACL | PROTECTED_DACL_SECURITY_INFORMATION, no explicit entry
      ; kept below the folder, ProgressInvokeNever.
      System::Call 'advapi32::TreeResetNamedSecurityInfoW(w "$INSTDIR", i 1, i 0x80000005, p R3, p 0, p R5, p 0, i 0, p 0, i 1, p 0) i .r5'
    ${EndIf}
    System::Free $R2
    System::Call 'kernel32::LocalFree(p R0)'
  ${EndIf}
  ${If} $5 = 0
    ; Read back: the administrators own it, and its list is protected from inheritance
    ; (SE_DACL_PROTECTED).
    StrCpy $5 1
    System::Call 'advapi32::GetNamedSecurityInfoW(w "$INSTDIR", i 1, i 5, *p 0 .R3, p 0, p 0, p 0, *p .R4) i .r1'
    ${If} $1 = 0
      StrCpy $2 0
      ${If} $R3 P<> 0
        System::Call 'advapi32::IsWellKnownSid(p R3, i 26) i .r2'
      ${EndIf}
      System::Call 'advapi32::GetSecurityDescriptorControl(p R4, *i 0 .R5, *i 0 .R6) i .r1'
      IntOp $R5 $R5 & 0x1000
      ${If} $1 <> 0
      ${AndIf} $2 <> 0
      ${AndIf} $R5 <> 0
        StrCpy $5 0
      ${EndIf}
      System::Call 'kernel32::LocalFree(p R4)'
    ${EndIf}
  ${EndIf}
  ${If} $5 <> 0
    ; Only the folders this run made, and each only when empty.
    ${If} $R1 != ""
      StrCpy $1 $INSTDIR
      ${Do}
        RMDir $1
        ${If} $1 == $R1
          ${ExitDo}
        ${EndIf}
        ${GetParent} $1 $1
      ${LoopUntil} $1 == ""
    ${EndIf}
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
  Call FolderProblem
  ${If} $0 != ""
    MessageBox MB_OK|MB_ICONSTOP $0 /SD IDOK
    SetErrorLevel ${EXIT_FOLDER_REFUSED}
    Quit
  ${EndIf}
  Call CloseQV
  !insertmacro QV_CHECK_FILES
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

; $1: the SID, as text, of the user whose shell (its taskbar) runs in this session, "" when
; none can be asked. An uninstaller started by a user whom another account's administrator
; elevated runs with that administrator's HKCU; the values to remove are the user's.
Function un.SessionUser
  StrCpy $1 ""
  System::Call 'user32::GetShellWindow() p .r2'
  ${If} $2 P= 0
    FindWindow $2 "Shell_TrayWnd"
  ${EndIf}
  System::Call 'user32::GetWindowThreadProcessId(p r2, *i 0 .r3) i'
  System::Call 'kernel32::OpenProcess(i 0x1000, i 0, i r3) p .r4'  ; PROCESS_QUERY_LIMITED_INFORMATION
  ${If} $4 P= 0
    Return
  ${EndIf}
  System::Call 'advapi32::OpenProcessToken(p r4, i 8, *p .r5) i .r0'  ; TOKEN_QUERY
  ${If} $0 <> 0
    ; TokenUser: its size, then the SID it starts with.
    System::Call 'advapi32::GetTokenInformation(p r5, i 1, p 0, i 0, *i 0 .r6) i'
    System::Alloc $6
    Pop $7
    System::Call 'advapi32::GetTokenInformation(p r5, i 1, p r7, i r6, *i .r6) i .r0'
    ${If} $0 <> 0
      System::Call '*$7(p .r8)'
      System::Call 'advapi32::ConvertSidToStringSidW(p r8, *p .r9) i .r0'
      ${If} $0 <> 0
        System::Call 'kernel32::lstrcpynW(w .r1, p r9, i ${NSIS_MAX_STRLEN})'
        System::Call 'kernel32::LocalFree(p r9)'
      ${EndIf}
    ${EndIf}
    System::Free $7
    System::Call 'kernel32::CloseHandle(p r5)'
  ${EndIf}
  System::Call 'kernel32::CloseHandle(p r4)'
FunctionEnd

Section "Uninstall"
  SetRegView 64
  SetShellVarContext all
  Push $INSTDIR
  Call un.CanonicalPath
  Pop $INSTDIR
  Call un.CloseQV

  ; Only what was installed: a folder the user chose may hold other files.
  !insertmacro QV_UNINSTALL_FILES
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"

  ; The rest belongs to the installation the machine records: an uninstaller left in another
  ; folder (a stale copy) takes its own files and nothing else.
  Call un.IsRecordedFolder
  ${If} $0 = 0
    Return
  ${EndIf}
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "ShortcutName"
  ${If} $0 != ""
    Delete "$SMPROGRAMS\$0.lnk"
  ${EndIf}
  ; The key with what the program wrote in it (dict\2.1 with WNHome), and the user's own values
  ; (Tut, QVLang); other users' stay in their profiles.
  DeleteRegKey HKLM "${MAIN_KEY}"
  Call un.SessionUser
  ${If} $1 != ""
    DeleteRegKey HKU "$1\${MAIN_KEY}"
    DeleteRegKey /ifempty HKU "$1\Software\Brantel"
  ${Else}
    DeleteRegKey HKCU "${MAIN_KEY}"
    DeleteRegKey /ifempty HKCU "Software\Brantel"
  ${EndIf}
  DeleteRegKey /ifempty HKLM "Software\Brantel"
  DeleteRegValue HKLM "${RUN_KEY}" "QV"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
