// Resource identifiers of the decryption program, shared by its resource
// script and its code.
#pragma once

#define IDD_DECRYPT_DIALOG 110
#define IDR_MAINFRAME 128

#define IDC_ENCRYPTED_NAME 1001
#define IDC_BROWSE 1002
#define IDC_OUTPUT_NAME 1003
#define IDC_SAVE_AS 1004
#define IDC_KEY 1005
#define IDC_AUTOMATIC 1006
#define IDC_FIBONACCI 1007
#define IDC_FREQUENCY 1008
#define IDC_PROGRESS 1009
#define IDC_STATUS 1010
#define IDC_DECRYPT 1011
#define IDC_VERIFY 1012
#define IDC_STOP 1013
#define IDC_HELP_BUTTON 1014

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
