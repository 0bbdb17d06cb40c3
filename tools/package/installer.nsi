; The per-user installer of Ny闹钟, built by tools/package.sh with
;   makensis -INPUTCHARSET UTF8 -DVERSION=x.y.z -DSRCDIR=... -DICON=... -DWIZBMP=... -DOUTFILE=...
; WIZBMP: the clock picture of the welcome and finish pages (tools/make_icon.py --wizard).
; setup.exe /S installs silently; /DESKTOP ticks 创建桌面快捷方式 (also silently).
; Saved as UTF-8 with a byte-order mark: the names are Chinese.
; No administrator rights: it installs into the user's own program folder, so
; ny.edb can be written beside the program as in a portable copy.

Unicode true
Target amd64-unicode
RequestExecutionLevel user
ManifestDPIAware true
SetCompressor /SOLID lzma

!define APP "Ny闹钟"
!define EXE "Ny闹钟.exe"
!define PUBLISHER "Verunda"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Ny闹钟"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"

Name "${APP}"
Caption "${APP} ${VERSION} 安装"
UninstallCaption "${APP} 卸载"
BrandingText "${APP} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${APP}"
; An upgrade goes where the previous version was installed.
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=2052 "ProductName" "${APP}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=2052 "FileDescription" "${APP} 安装程序"
VIAddVersionKey /LANG=2052 "LegalCopyright" "© 2026 ${PUBLISHER}"

!include "MUI2.nsh"
!include "nsDialogs.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${WIZBMP}"
!define MUI_UNWELCOMEFINISHPAGE_BITMAP "${WIZBMP}"
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "此程序将把 ${APP} ${VERSION} 安装到你自己的用户文件夹中，不需要管理员权限。$\r$\n$\r$\n如果 ${APP} 正在运行，安装程序会先让它退出。已经设置的闹钟会保留。$\r$\n$\r$\n点击 [下一步(N)] 继续。"
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
!define MUI_FINISHPAGE_RUN_TEXT "现在运行 ${APP}"

!insertmacro MUI_PAGE_WELCOME
!define MUI_PAGE_CUSTOMFUNCTION_SHOW DirectoryShow
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

UninstPage custom un.DataPage un.DataPageLeave
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_UNPAGE_FINISH

!insertmacro MUI_LANGUAGE "SimpChinese"

; A running copy holds its .exe open and hides in the tray: it is asked to
; end (as through its tray menu's 关闭) before its files are touched.
!macro QuitRunningCopy
  ${If} ${FileExists} "$INSTDIR\${EXE}"
    ExecWait '"$INSTDIR\${EXE}" /quit'
  ${EndIf}
!macroend

!define DESKTOP_LNK "$DESKTOP\${APP}.lnk"
Var WantShortcut ; ${BST_CHECKED} when a desktop shortcut is wanted
Var ShortcutBox

Function .onInit
  SetShellVarContext current
  ; Off for a first install; an upgrade keeps the shortcut an earlier one made.
  StrCpy $WantShortcut ${BST_UNCHECKED}
  ${If} ${FileExists} "${DESKTOP_LNK}"
    StrCpy $WantShortcut ${BST_CHECKED}
  ${EndIf}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/DESKTOP" $1
  ${IfNot} ${Errors}
    StrCpy $WantShortcut ${BST_CHECKED}
  ${EndIf}
FunctionEnd

; The folder page is MUI's own: the check box is added to it, in the free
; space above the folder's group box (the space figures fill the room below),
; in the page's font.
Function DirectoryShow
  FindWindow $R0 "#32770" "" $HWNDPARENT
  GetDlgItem $R1 $R0 1020
  System::Call "*(i, i, i, i) p .R2"
  System::Call "user32::GetWindowRect(p R1, p R2)"
  System::Call "user32::MapWindowPoints(p 0, p R0, p R2, i 2)"
  System::Call "*$R2(i .R3, i .R4, i .R5, i)"
  ; A gap and the box's height in dialog units, as the page's own controls.
  System::Call "*$R2(i 0, i 0, i 8, i 10)"
  System::Call "user32::MapDialogRect(p R0, p R2)"
  System::Call "*$R2(i, i, i .R7, i .R8)"
  System::Free $R2
  IntOp $R6 $R4 - $R7
  IntOp $R6 $R6 - $R8
  IntOp $R5 $R5 - $R3
  IntOp $R9 ${WS_CHILD} | ${WS_VISIBLE}
  IntOp $R9 $R9 | ${WS_TABSTOP}
  IntOp $R9 $R9 | ${BS_AUTOCHECKBOX}
  System::Call "user32::CreateWindowExW(i 0, w 'BUTTON', w '创建桌面快捷方式', i R9, i R3, i R6, i R5, i R8, p R0, p 1300, p 0, p 0) p .s"
  Pop $ShortcutBox
  SendMessage $R0 ${WM_GETFONT} 0 0 $R1
  SendMessage $ShortcutBox ${WM_SETFONT} $R1 1
  SendMessage $ShortcutBox ${BM_SETCHECK} $WantShortcut 0
FunctionEnd

Function DirectoryLeave
  SendMessage $ShortcutBox ${BM_GETCHECK} 0 0 $WantShortcut
FunctionEnd

Section "${APP}"
  !insertmacro QuitRunningCopy
  SetOutPath "$INSTDIR"
  ; ny.edb is never among the files: an upgrade keeps the user's alarms.
  File "${SRCDIR}\${EXE}"
  File "${SRCDIR}\alarm.mp3"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "$SMPROGRAMS\${APP}.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0
  ${If} $WantShortcut == ${BST_CHECKED}
    CreateShortcut "${DESKTOP_LNK}" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0
  ${Else}
    Delete "${DESKTOP_LNK}"   ; unticked on an upgrade: the earlier one goes
  ${EndIf}

  WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "${APP}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\${EXE}"
  WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINST_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
SectionEnd

; ---- uninstall -------------------------------------------------------------

Var DeleteData     ; ${BST_CHECKED} when the user asked to delete the alarms
Var DeleteDataBox

Function un.onInit
  SetShellVarContext current
  StrCpy $DeleteData ${BST_UNCHECKED}   ; /S keeps them
FunctionEnd

Function un.DataPage
  !insertmacro MUI_HEADER_TEXT "你的闹钟" "选择是否保留你设置的闹钟。"
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 40u "你设置的闹钟保存在安装文件夹的 ny.edb 中。卸载时默认保留它：以后再安装 ${APP}，闹钟仍在。"
  Pop $0
  ${NSD_CreateCheckbox} 0 48u 100% 12u "同时删除我的闹钟数据"
  Pop $DeleteDataBox
  ${NSD_SetState} $DeleteDataBox $DeleteData
  nsDialogs::Show
FunctionEnd

Function un.DataPageLeave
  ${NSD_GetState} $DeleteDataBox $DeleteData
FunctionEnd

Section "Uninstall"
  !insertmacro QuitRunningCopy
  Delete "$INSTDIR\${EXE}"
  Delete "$INSTDIR\alarm.mp3"
  Delete "$INSTDIR\uninstall.exe"
  ; The lock file is only a lock; the next start makes it again.
  SetFileAttributes "$INSTDIR\ny.yz" NORMAL
  Delete "$INSTDIR\ny.yz"
  ${If} $DeleteData == ${BST_CHECKED}
    Delete "$INSTDIR\ny.edb"
    Delete "$INSTDIR\ny.edb.tmp"
    Delete "$INSTDIR\ny.edb.damaged-*"
  ${EndIf}
  RMDir "$INSTDIR"   ; only when nothing is left in it

  Delete "$SMPROGRAMS\${APP}.lnk"
  Delete "$DESKTOP\${APP}.lnk"
  DeleteRegKey HKCU "${UNINST_KEY}"
  ; 开机启动 would otherwise start a program that is gone.
  DeleteRegValue HKCU "${RUN_KEY}" "${APP}"
SectionEnd
