#pragma once
// Process-wide state of the virtual dinput8.dll: the mapped controller block
// and the plug watcher, alive while at least one IDirectInput8A object is,
// the window that device changes are sent to, and the count of live COM
// objects (for DllCanUnloadNow).

#include "padsim/VirtualControllers.h"

#include <windows.h>

class VirtualDevice;
class VirtualDirectInput;

// First DirectInput object of the process: maps (or creates) the block and
// starts the plug watcher. Each call is paired with padsimModuleRelease().
void padsimModuleAddRef();
// Last DirectInput object gone: stops the watcher and unmaps the block.
void padsimModuleRelease();

// Counts every live interface object of the DLL.
void padsimObjectCreated();
void padsimObjectDestroyed();
LONG padsimLiveObjects();

// The block when mapped and of our layout, else null: a missing or foreign
// block means no controllers, never a crash. Re-checked on every use because
// another process may rewrite it at any moment.
VirtualControllerBlock* padsimValidBlock();
// Bit c set when controller c+1 is plugged; 0 without a valid block.
unsigned padsimPluggedMask();

// Devices with a notification event, kept by SetEventNotification and the
// device's destructor. Once the event is taken back it is never set again.
void padsimSetDeviceEvent(VirtualDevice* pDev, HANDLE hEvent);
// Sets the events of the devices of pParent (null: any) for controller iCtrl
// (-1: any), as a driver does when new input arrives; never those of a polled controller.
void padsimSignalDevices(const VirtualDirectInput* pParent, int iCtrl);

// Window given to SetCooperativeLevel; device changes go there.
void padsimSetNotifyWindow(HWND hwnd);
// That window while it exists, else this process's top-level window of class
// "Quorix", else null.
HWND padsimNotifyTarget();
