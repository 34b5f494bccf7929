#pragma once

// Resource and control ids. The controls keep their designed names here,
// where tests and accessibility tools find them by id.

#define IDD_ABOUT 100

// About dialog: cmdOK is the dialog's IDOK (1).
#define IDC_CMDSYSINFO 1001
#define IDC_PICICON 1002
#define IDC_LBLDISCLAIMER 1003
#define IDC_LBLVERSION 1004
#define IDC_LBLTITLE 1005
#define IDC_LBLDESCRIPTION 1006
#define IDC_LABEL1 1007
#define IDC_LABEL2 1008
#define IDC_LABEL3 1009

// Main window.
#define IDC_PICTURE1 2001
#define IDC_HSCROLL1 2002
#define IDC_COMMAND1 2003
#define IDC_COMMAND2 2004

// Menu items.
#define IDM_VIEWOPTIONS 3001
#define IDM_VIEWBROWSER 3002
#define IDM_HELPABOUT 3003
