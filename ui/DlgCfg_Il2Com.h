#pragma once
// The server address dialog "DLGCFG_IL2COM": where the Device Link client finds
// the simulator (the local host or an IP address) and on which port.

#include <windows.h>

class IL2Com;

struct DlgCfg_Il2Com_Param {
    IL2Com* pIl2Com;  // read at opening, changed on "OK"
};

// 1 (IDOK) when valid values were confirmed and stored, 2 (IDCANCEL) otherwise.
INT_PTR CALLBACK DlgCfg_Il2ComProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam);
