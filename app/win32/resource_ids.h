#pragma once
// Resource and control ids of the main program. Plain macros: the resource
// compiler reads this file too.
#define IDC_STATIC (-1)
#define IDR_MAINFRAME 128
#define IDS_ABOUTBOX 101
#define IDM_ABOUTBOX 0x0010

#define IDD_ABOUTBOX 100
#define IDD_MAIN 134
#define IDD_DEVICE_EMPTY 135
#define IDD_DEVICE_NOT_CONNECTED 136
#define IDD_DATA_FOUND 137
#define IDD_SAVE_FILE 138
#define IDD_SAVE_COMPLETE 139

#define IDC_FIRMWARE 1005
#define IDC_EXIT 1026
#define IDC_TRY_AGAIN 1027
#define IDC_CANCEL 1028
#define IDC_DOWNLOAD_DATA 1029
#define IDC_SAVE_AS 1030
#define IDC_BROWSE 1031
#define IDC_PROGRESS 1032
#define IDC_SAVE 1033
