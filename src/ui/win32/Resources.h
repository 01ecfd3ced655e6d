// Identifiers of the program's resources and controls, shared by the .rc
// file and the windows.
#pragma once

#define IDD_SETTINGS 100
#define IDS_SETTINGS_ITEM 101
#define IDD_MAIN 102
#define IDD_LEARNING 103
#define IDI_APP 128
#define IDI_LAMP_GREEN 129
#define IDI_LAMP_RED 130

#define IDC_LOG 1000
#define IDC_START 1003
#define IDC_CAPTION 1004
#define IDC_STOP 1006
#define IDC_DEBUG 1008
#define IDC_SCROLL 1010
#define IDC_SIGNAL_VIEW 1011
#define IDC_LEARN_OPEN 1012

// The learning window.
#define IDC_LEARN_VIEW 1100
#define IDC_LEARN_NAME 1101
#define IDC_LEARN_BEGIN 1102
#define IDC_LEARN_STATUS 1103
#define IDC_LEARN_REPORT 1104
#define IDC_LEARN_DONE 1105

// The system-menu item that opens the settings window.
#define IDM_SETTINGS 16

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
