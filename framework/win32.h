// The Windows headers, without the A/W name macros that would rename the
// framework's members (MessageBox, GetDlgItemText, LoadString, ...).
// Framework code calls the W functions by their full names.
#pragma once

#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif

#include <windows.h>
#include <commdlg.h>

#undef MessageBox
#undef GetDlgItemText
#undef SetDlgItemText
#undef LoadString
#undef LoadIcon
#undef AppendMenu
#undef SendMessage
#undef PostMessage
#undef DispatchMessage
#undef GetMessage
#undef DrawText
#undef GetClassName
#undef GetWindowText
#undef SetWindowText
#undef FindWindow
#undef WinHelp
