// Resource and control identifiers shared by the resource script and the code.
#pragma once

#define IDI_APPICON          128
#define IDD_MAINDLG          129
#define IDR_ENGLISH_INI      253

#define IDC_BTN_CLOSE        1000
#define IDC_BTN_MINIMIZE     1001
#define IDC_BTN_INSTALL      1002
#define IDC_CHK_AGREE        1003
#define IDC_BTN_LICENCE      1004
#define IDC_BTN_CUSTOMIZE    1005
#define IDC_BTN_BROWSE       1008
#define IDC_EDIT_PATH        1009
#define IDC_PROGRESS         1010
#define IDC_STATIC_PATH      1012
#define IDC_STATIC_AGREE     1013
#define IDC_BTN_HIDE         1014
#define IDC_BTN_LAUNCH       1015
#define IDC_STATIC_PERCENT   1016
