// Resources of the dialog tests: editors, a tall dialog and pages. Ids from 5000
// stay clear of the program's own.
#pragma once

#define IDS_TEST_EDITOR_CAPTION         5000
#define IDS_TEST_PAGE_GENERAL           5001
#define IDS_TEST_PAGE_SOUND             5002
#define IDS_TEST_PAGE_LONG              5003
#define IDS_TEST_SHEET_CAPTION          5004
#define IDS_TEST_DIGITS_CAPTION         5005
#define IDS_TEST_DAYS_CAPTION           5006

#define IDD_TEST_EDITOR                 5100
#define IDD_TEST_EDITOR_LANDSCAPE       5101
#define IDD_TEST_TALL                   5102
#define IDD_TEST_PAGE_GENERAL           5103
#define IDD_TEST_PAGE_SOUND             5104
#define IDD_TEST_PAGE_LONG              5105
#define IDD_TEST_DIGITS                 5106
#define IDD_TEST_DAYS                   5107
#define IDD_TEST_SPIN                   5108

#define IDC_TEST_LABEL                  5200
#define IDC_TEST_EDIT                   5201
#define IDC_TEST_COMBO                  5202
#define IDC_TEST_CHECK                  5203
#define IDC_TEST_ICON                   5204
#define IDC_TEST_BOTTOM_EDIT            5205
#define IDC_TEST_KEEP                   5206
#define IDC_TEST_CLOCK_DIGITS           5207
#define IDC_TEST_STOPWATCH_DIGITS       5208
#define IDC_TEST_DAYS_FIRST             5209
#define IDC_TEST_DAYS_SECOND            5210
#define IDC_TEST_SPIN                   5211
