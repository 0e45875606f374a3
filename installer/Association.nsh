; The ".tvj" job files open in Tavrel on a double-click; the context menu also offers the copy
; (/R) and the count (/T) that the program's command line knows. SHCTX is HKLM\Software\Classes
; for an installation for all users and HKCU\Software\Classes for one user only.

!define TAVREL_PROGID "AmbrexTavrel.Job"
!define TAVREL_CLASSES "Software\Classes"

!macro TavrelRegisterJobFiles
  WriteRegStr SHCTX "${TAVREL_CLASSES}\.tvj" "" "${TAVREL_PROGID}"
  WriteRegStr SHCTX "${TAVREL_CLASSES}\.tvj\OpenWithProgids" "${TAVREL_PROGID}" ""
  WriteRegStr SHCTX "${TAVREL_CLASSES}\${TAVREL_PROGID}" "" "$(TavrelJobType)"
  WriteRegStr SHCTX "${TAVREL_CLASSES}\${TAVREL_PROGID}\DefaultIcon" "" "$\"$INSTDIR\tavrel.exe$\",0"
  WriteRegStr SHCTX "${TAVREL_CLASSES}\${TAVREL_PROGID}\shell" "" "open"
  WriteRegStr SHCTX "${TAVREL_CLASSES}\${TAVREL_PROGID}\shell\open" "" "$(TavrelVerbOpen)"
  WriteRegStr SHCTX "${TAVREL_CLASSES}\${TAVREL_PROGID}\shell\open\command" "" "$\"$INSTDIR\tavrel.exe$\" $\"%1$\""
  WriteRegStr SHCTX "${TAVREL_CLASSES}\${TAVREL_PROGID}\shell\kopier" "" "$(TavrelVerbCopy)"
  WriteRegStr SHCTX "${TAVREL_CLASSES}\${TAVREL_PROGID}\shell\kopier\command" "" "$\"$INSTDIR\tavrel.exe$\" $\"%1$\" /R"
  WriteRegStr SHCTX "${TAVREL_CLASSES}\${TAVREL_PROGID}\shell\information" "" "$(TavrelVerbCount)"
  WriteRegStr SHCTX "${TAVREL_CLASSES}\${TAVREL_PROGID}\shell\information\command" "" "$\"$INSTDIR\tavrel.exe$\" $\"%1$\" /T"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'  ; SHCNE_ASSOCCHANGED
!macroend

; Only what this installation wrote goes: ".tvj" is left alone when another program has taken it
; over since, and so is any other program's entry under OpenWithProgids.
!macro TavrelUnregisterJobFiles
  DeleteRegKey SHCTX "${TAVREL_CLASSES}\${TAVREL_PROGID}"
  DeleteRegValue SHCTX "${TAVREL_CLASSES}\.tvj\OpenWithProgids" "${TAVREL_PROGID}"
  DeleteRegKey /IfEmpty SHCTX "${TAVREL_CLASSES}\.tvj\OpenWithProgids"
  ReadRegStr $0 SHCTX "${TAVREL_CLASSES}\.tvj" ""
  ${If} $0 == "${TAVREL_PROGID}"
    DeleteRegValue SHCTX "${TAVREL_CLASSES}\.tvj" ""
  ${EndIf}
  DeleteRegKey /IfEmpty SHCTX "${TAVREL_CLASSES}\.tvj"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
!macroend
