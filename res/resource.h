#pragma once
// Identifiers shared by the resource script and the code.
#define IDM_TRAY_TITLE 0
#define IDM_CONFIGURE 101
#define IDM_QUIT 999
