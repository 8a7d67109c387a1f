// Resource identifiers of the Windows program, shared by the resource script
// and the code.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_MAIN_DIALOG 102
#define IDR_MAINFRAME 128

// System-menu command: low four bits clear, below the system's 0xF000.
#define IDM_ABOUTBOX 0x0010

#define IDC_SELECT_FILE 1000
#define IDC_FILE_NAME 1001
#define IDC_KEY 1003
#define IDC_FIBONACCI 1004
#define IDC_FREQUENCY 1005
#define IDC_ENCRYPT 1006
#define IDC_HELP_BUTTON 1008
#define IDC_ABOUT_BUTTON 1009

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
