// Resource numbers shared by Triangle.rc and the program.
#pragma once

#define IDS_APP_TITLE 103
#define IDD_ABOUTBOX 103
#define IDM_ABOUT 104
#define IDM_EXIT 105
#define IDI_TRIANGLE 107
#define IDI_SMALL 108
// The class name string, the main menu and the accelerator table.
#define IDC_TRIANGLE 109
// Named by the About box's icon control; no icon carries it, so the box shows none.
#define IDI_ABOUT 128

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
