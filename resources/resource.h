// Resource and control identifiers of varrel.exe (shared by the resource script and the code).
#pragma once

// Dialogs
#define IDD_MAIN 101
#define IDD_MOTION 103
#define IDD_ABOUT 104
#define IDD_ACTION 110

// Icon, cursor, bitmaps
#define IDI_APP 102
#define IDCUR_TARGET 1006
#define IDB_LOGO 108
#define IDB_TAB_MOTION 112
#define IDB_TAB_ABOUT 113
#define IDB_TAB_CLOSE 114
#define IDB_VLINE 115
#define IDB_HLINE 116
#define IDB_ADD 117
#define IDB_TARGET 121

// The same bitmaps drawn for 125, 150 and 200 % display scale: the 100 % id plus 1000, 2000, 3000.
#define IDB_SCALED_STEP 1000
#define IDB_LOGO_125 1108
#define IDB_LOGO_150 2108
#define IDB_LOGO_200 3108
#define IDB_TAB_MOTION_125 1112
#define IDB_TAB_MOTION_150 2112
#define IDB_TAB_MOTION_200 3112
#define IDB_TAB_ABOUT_125 1113
#define IDB_TAB_ABOUT_150 2113
#define IDB_TAB_ABOUT_200 3113
#define IDB_TAB_CLOSE_125 1114
#define IDB_TAB_CLOSE_150 2114
#define IDB_TAB_CLOSE_200 3114
#define IDB_VLINE_125 1115
#define IDB_VLINE_150 2115
#define IDB_VLINE_200 3115
#define IDB_HLINE_125 1116
#define IDB_HLINE_150 2116
#define IDB_HLINE_200 3116
#define IDB_ADD_125 1117
#define IDB_ADD_150 2117
#define IDB_ADD_200 3117
#define IDB_TARGET_125 1121
#define IDB_TARGET_150 2121
#define IDB_TARGET_200 3121

// Controls of the main window
#define IDC_TAB_ABOUT 1011
#define IDC_TAB_MOTION 1022
#define IDC_TAB_CLOSE 1023
#define IDC_LOGO 1024
#define IDC_LINE_LEFT 1025
#define IDC_LINE_DOWN 1026
#define IDC_LINE_FOOT 1027
#define IDC_LINE_TABS 1028

// Controls of the motion page
#define IDC_POSITION 1004
#define IDC_ADD 1005
#define IDC_TARGET 1006
#define IDC_POINTS 1007
#define IDC_START 1008
#define IDC_REMOVE 1009
#define IDC_VIEW 1010
#define IDC_HIDE_AFTER_START 1012
#define IDC_STATUS 1031
#define IDC_STOP_ON_MOVE 1032

// Controls of the mouse action dialog
#define IDC_ACT_DOWN 1013
#define IDC_ACT_UP 1014
#define IDC_ACT_CLICK 1015
#define IDC_ACT_DOUBLE 1016
#define IDC_ACT_NONE 1018
