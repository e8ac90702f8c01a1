// Identifiers of the window's resources and controls, shared by the
// resource script and the code.
#pragma once

#define IDR_ACCELERATORS 100

// The controls. The order of creation, not these numbers, is the Tab order.
#define IDC_OPEN 1001
#define IDC_PATH 1002
#define IDC_HEADER 1003
#define IDC_DIMENSIONS 1004
#define IDC_BLOCKS 1005
#define IDC_SAVE 1006
#define IDC_CAPTION 1007
#define IDC_NOTICE 1008
#define IDC_PANE 1009
#define IDC_STATUS 1010
#define IDC_SAVEALL 1011
#define IDC_FILTER 1012
#define IDC_FILELIST 1013
#define IDC_FINDFIELD 1014
#define IDC_FINDPREVIOUS 1015
#define IDC_FINDNEXT 1016
#define IDC_FINDCLOSE 1017
#define IDC_PROGRESS 1018
#define IDC_STOP 1019
#define IDC_NOTICEOFFER 1020
#define IDC_SAVETABLE 1021
#define IDC_HITLIST 1022
#define IDC_HITPROGRESS 1023
#define IDC_HITSTOP 1024

// Commands of keys alone.
#define IDM_FIND 2001
#define IDM_FINDNEXT 2002
#define IDM_FINDPREVIOUS 2003
