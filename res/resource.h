#pragma once
// Identifiers shared by the resource script and the code.
#define IDM_TRAY_TITLE 0
#define IDM_CONFIGURE 101
#define IDM_STARTUP 102
#define IDM_QUIT 999

// "DLGCFG", the main configuration dialog, in the order of its table.
#define IDC_CFG_PROFILE_GROUP 102
#define IDC_CFG_PROFILE_LABEL 103
#define IDC_CFG_PROFILE_LIST 104
#define IDC_CFG_PROFILE_RENAME 105
#define IDC_CFG_PROFILE_DELETE 106
#define IDC_CFG_PROFILE_CREATE 107
#define IDC_CFG_IL2_GROUP 205
#define IDC_CFG_IL2_SERVER 206
#define IDC_CFG_IL2_ADDR 207
#define IDC_CFG_IL2_PORT 208
#define IDC_CFG_IL2_CONNECTED 209
#define IDC_CFG_IL2_COCKPIT 210
#define IDC_CFG_HW_GROUP 301
#define IDC_CFG_HW_LIST 302
#define IDC_CFG_HW_RENAME 303
#define IDC_CFG_HW_INSTLABEL 304
#define IDC_CFG_HW_INSTNAME 305
#define IDC_CFG_HW_PRODLABEL 306
#define IDC_CFG_HW_PRODNAME 307
#define IDC_CFG_HEAD_RAW 309
#define IDC_CFG_HEAD_INVERT 310
#define IDC_CFG_HEAD_REPORTED 311
#define IDC_CFG_HEAD_CORRECTED 312
#define IDC_CFG_HEAD_SENDAS 313
#define IDC_CFG_HEAD_LINE 314
// Axis rows: row n (1..8) has the ids 1000 + 100 * n + field (DlgCfg_idAxisField, 1..7).
#define IDC_CFG_AXIS_BASE 1000
#define IDC_CFG_AXIS_STEP 100
#define IDC_CFG_POLL_GROUP 211
#define IDC_CFG_POLL_TRACKBAR 212
#define IDC_CFG_POLL_MIN 217
#define IDC_CFG_POLL_MAX 218
#define IDC_CFG_POLL_EVERY 213
#define IDC_CFG_POLL_MS 214
#define IDC_CFG_POLL_MSLABEL 215
#define IDC_CFG_HEARTBEAT 216
// The response plot: an owner-drawn static in its group box.
#define IDC_CFG_PLOT_GROUP 219
#define IDC_CFG_PLOT 220
#define IDC_CFG_CLOSE 101

// "DLGCFG_PROFILE", the axis settings dialog, in the order of its table.
#define IDC_PROF_SETTINGS 200
#define IDC_PROF_MIN_LABEL 201
#define IDC_PROF_MIN 202
#define IDC_PROF_MAX_LABEL 203
#define IDC_PROF_MAX 204
#define IDC_PROF_JITTER_LABEL 205
#define IDC_PROF_JITTER_POINT 206
#define IDC_PROF_JITTER 207
#define IDC_PROF_G940_LABEL 208
#define IDC_PROF_G940 209
#define IDC_PROF_G940_PERCENT 210
#define IDC_PROF_SET_DEFAULT 211
// The response plot of the curve the trackbars hold, in the lower part of "Settings".
#define IDC_PROF_PLOT 220
#define IDC_PROF_SENSITIVITY 300
// Point k (0..19): trackbar 10050 + 50 * k, its value field one above.
#define IDC_PROF_TRACK_FIRST 10050
#define IDC_PROF_TRACK_STEP 50
// Point k's labels: 401 + k (centred mode), 501 + k (one-sided mode).
#define IDC_PROF_LABEL50_FIRST 401
#define IDC_PROF_LABEL100_FIRST 501
#define IDC_PROF_AXIS100 301
#define IDC_PROF_AXIS50 302
#define IDC_PROF_ALL100 303
#define IDC_PROF_ALL_DEFAULTS 101

// "DLGCFG_IL2COM", the server address dialog, in the order of its table.
#define IDC_IL2COM_ADDR_GROUP 101
#define IDC_IL2COM_LOCALHOST 102
#define IDC_IL2COM_IP 103
#define IDC_IL2COM_IPADDR 104
#define IDC_IL2COM_PORT_GROUP 105
#define IDC_IL2COM_PORT 106

// "DLGSTR", the name prompt, in the order of its table.
#define IDC_STR_PROMPT 101
#define IDC_STR_HINT 102
#define IDC_STR_VALUE 103
