; The installer's own Danish texts; the pages' standard texts come from NSIS's Danish language file.

LangString TavrelJobType ${LANG_DANISH} "Tavrel-job"
LangString TavrelVerbOpen ${LANG_DANISH} "&Åbn"
LangString TavrelVerbCopy ${LANG_DANISH} "Start &kopiering"
LangString TavrelVerbCount ${LANG_DANISH} "&Information"
LangString TavrelShortcutComment ${LANG_DANISH} "Kopiering/backup af udvalgte mapper"
LangString TavrelShowHelp ${LANG_DANISH} "Vis hjælpen til Ambrex Tavrel"
LangString TavrelRunning ${LANG_DANISH} "Ambrex Tavrel kører stadig ($R1). Luk programmet, og vent på, at en planlagt kørsel bliver færdig. Tryk derefter på Prøv igen."
