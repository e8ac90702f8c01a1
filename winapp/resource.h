// Identifiers of the window's resources and controls, shared by the
// resource script and the code.
#pragma once

#define IDR_ACCELERATORS 100

// The controls, in their order of creation (which is the Tab order).
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
