// The settings dialog: the procedure behind dialog resource 101, which shows
// the eleven option flags as check boxes and stores them on OK.
#pragma once
#include <windows.h>

// Control ids of dialog 101 that the procedure uses.
#define IDC_ROTATE_X 1000
#define IDC_ROTATE_Y 1001
#define IDC_ROTATE_Z 1002
#define IDC_PLATFORM_SPEED 1014
#define IDC_SPECTRUM_SPEED 1015
#define IDC_SIDES 1016
#define IDC_SPIN_TO_BEAT 1017
#define IDC_BACK_SPECTRUM 1018
#define IDC_REFLECT 1019
#define IDC_DISPLAY_PLATFORM 1020
#define IDC_DISPLAY_TIME 1021
#define IDC_DISPLAY_SONG 1022
#define IDC_SIDES_VALUE 1024
#define IDC_POINTED_ENDS 1025
#define IDC_ROTATE_LOGO 1026

#define IDD_SETTINGS 101
#define IDB_TITLE 109

INT_PTR CALLBACK settingsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
