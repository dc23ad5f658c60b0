// Resource and command ids of Tarnwick.
#pragma once

// Dialog templates
#define IDD_ABOUTBOX 100
#define IDD_MAIN 102
#define IDD_ENTRY 129
#define IDD_RESTORE 133
#define IDD_SECTIONS 134
#define IDD_CHECK_ENTRIES 135
#define IDD_EDIT_LINE 136

// Icon and menu; the menu's keys are an accelerator table of the menu's id
#define IDR_MAINFRAME 128
#define IDR_MAINMENU 131

// Strings
#define IDS_ABOUTBOX 101
#define IDS_APP_TITLE 57344

// System menu item of the About box (the system reserves ids from 0xF000)
#define IDM_ABOUTBOX 0x0010

// Main window controls
#define IDC_HOSTS_LIST 1003
#define IDC_COMMENT_SELECTED 1005
#define IDC_UNCOMMENT_SELECTED 1006
#define IDC_ADD_NEW_ENTRY 1008
#define IDC_SAVE_CHANGES 1010

// Entry dialog controls
#define IDC_ENTRY 1009
#define IDC_TARGET 1010

// Restore dialog controls
#define IDC_BACKUP_LIST 1011
#define IDC_RESTORE 1012
#define IDC_VIEW_FILE 1013

// Sections dialog controls
#define IDC_SECTION_LIST 1014
#define IDC_SWITCH_ON 1015
#define IDC_SWITCH_OFF 1016
#define IDC_GO_TO 1017
// Check Entries dialog controls
#define IDC_PROBLEM_LIST 1018
#define IDC_GO_TO_PROBLEM 1019
#define IDC_SELECT_PROBLEM_ROWS 1020

// The Edit Line dialog.
#define IDC_LINE_TEXT 1021
#define IDC_LINE_PROBLEM 1022
#define IDC_FIX_PROBLEMS 1023

// Menu commands
#define ID_FILE_EXIT 32771
#define ID_FILE_SAVE_CHANGES 32772
#define ID_HELP_PRODUCT_HOMEPAGE 32773
#define ID_HELP_CONTACT_US 32774
#define ID_VIEW_REFRESH 32775
#define ID_FILE_ADD_NEW_ENTRY 32776
#define ID_VIEW_BACKUP_FOLDER 32777
#define ID_FILE_BACKUP_NOW 32778
#define ID_VIEW_HOSTS_FILE 32779
#define ID_FILE_RESTORE 32780
#define ID_EDIT_FIND 32781
#define ID_EDIT_FIND_NEXT 32782
#define ID_EDIT_FIND_PREVIOUS 32783
#define ID_EDIT_SELECT_ALL 32784
#define ID_EDIT_SECTIONS 32785
#define ID_EDIT_CHECK_ENTRIES 32786
#define ID_EDIT_EDIT_LINE 32787
#define ID_EDIT_DELETE_LINES 32788
#define ID_EDIT_UNDO 32789
#define ID_EDIT_REDO 32790
#define ID_EDIT_COMPACT_ENTRIES 32791

// The framework's help command
#define ID_HELP 57670

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
