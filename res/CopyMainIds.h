/* The main window's menu, accelerators and control ids (1000 on). */
#ifndef TAVREL_COPYMAINIDS_H
#define TAVREL_COPYMAINIDS_H

#define IDM_COPYMAIN 1000
#define IDA_COPYMAIN 1001

/* Menu items. */
#define ID_MNUAABN 1100
#define ID_MNULUK 1101
#define ID_MNUGEM 1102
#define ID_MNUGEMSOM 1103
#define ID_N1 1104
#define ID_MNUSIDSTEFIL1 1105 /* to ID_MNUSIDSTEFIL1 + 3 */
#define ID_MNUPLANLAEG 1109
#define ID_MNUAFSLUT 1110
#define ID_MNUTAB 1120
#define ID_MNUDISKETTEDREV 1121
#define ID_MNUUDELADTE 1122
#define ID_MNUOPDATER 1123
#define ID_MNUHISTORIK 1124
#define ID_MNUHJAELP 1130
#define ID_MENUOM 1131

/* Controls. */
#define ID_TABCONTROL1 1200
#define ID_LBLDIRT 1201
#define ID_DIRTREET1 1202
#define ID_PANEL2 1203
#define ID_PAN1 1204
#define ID_PAN2 1205
#define ID_STATUSBAR1 1206
#define ID_CMDINFO 1210
#define ID_CMDSTART 1211
#define ID_GBFILTYPER 1221
#define ID_LBLFILTYPER 1222
#define ID_LBFILTYPER 1223
#define ID_LBLNYTYPE 1224
#define ID_TXTNYTYPE 1225
#define ID_CMDTILFOEJ 1226
#define ID_CMDSLET 1227
#define ID_CMDBESKRIVELSE 1241
#define ID_LBLDATOL 1242
#define ID_GBDEST 1243
#define ID_CMDDEST 1244
/* The job's check boxes, one id each in the order of their table (forms/CopyMainDesign.h). */
#define ID_JOBBOX 1300

#endif
