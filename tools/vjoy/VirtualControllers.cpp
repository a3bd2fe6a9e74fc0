#include "vjoy/VirtualControllers.h"

#include <cstring>

namespace {
const char* const kAxisNames[VJOY_AXES] = {"X", "Y", "Z", "Rx", "Ry", "Rz", "Sld1", "Sld2"};

bool validCtrl(int iCtrl) { return iCtrl >= 1 && iCtrl <= VJOY_CONTROLLERS; }
bool validAxis(int iAxis) { return iAxis >= 1 && iAxis <= VJOY_AXES; }
}  // namespace

int vjoyAxisFromName(int& iAxis, const char* name) {
    if (!name) return VJOY_ERR_AXIS;
    for (int i = 0; i < VJOY_AXES; ++i) {
        if (lstrcmpiA(name, kAxisNames[i]) == 0) {
            iAxis = i + 1;
            return VJOY_OK;
        }
    }
    return VJOY_ERR_AXIS;
}

const char* vjoyAxisName(int iAxis) { return validAxis(iAxis) ? kAxisNames[iAxis - 1] : "?"; }

void vjoyInitBlock(VirtualControllerBlock& b) {
    b.dwMagic = 0;
    MemoryBarrier();
    b.dwVersion = VJOY_VERSION;
    b.dwSize = sizeof(VirtualControllerBlock);
    b.iReads = 0;
    b.iReserved = 0;
    for (int c = 0; c < VJOY_CONTROLLERS; ++c) {
        VirtualControllerState& s = b.aCtrl[c];
        s.bPlugged = c == 0 ? 1 : 0;
        for (int a = 0; a < VJOY_AXES; ++a) s.aiAxis[a] = VJOY_AXIS_CENTRE;
        s.iReads = 0;
    }
    MemoryBarrier();
    b.dwMagic = VJOY_MAGIC;
}

VirtualControllers::~VirtualControllers() { close(); }

int VirtualControllers::open(int bCreate) {
    close();
    // A mutex that cannot be made only loses the guard against half-made blocks.
    HANDLE hInit = CreateMutexA(nullptr, FALSE, VJOY_INIT_MUTEX_NAME);
    if (hInit) WaitForSingleObject(hInit, 5000);
    int status = VJOY_OK;
    if (bCreate) {
        hMapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                      sizeof(VirtualControllerBlock), VJOY_BLOCK_NAME);
        bCreated = hMapping && GetLastError() != ERROR_ALREADY_EXISTS;
        if (!hMapping) status = VJOY_ERR_SYSTEM;
    } else {
        hMapping = OpenFileMappingA(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, VJOY_BLOCK_NAME);
        if (!hMapping) status = VJOY_ERR_NOBLOCK;
    }
    if (status == VJOY_OK) {
        // Mapping our full size fails when someone made a smaller section under this name.
        pBlock = static_cast<VirtualControllerBlock*>(
            MapViewOfFile(hMapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(VirtualControllerBlock)));
        if (!pBlock) status = VJOY_ERR_SYSTEM;
        else if (bCreated) vjoyInitBlock(*pBlock);
    }
    if (hInit) {
        ReleaseMutex(hInit);
        CloseHandle(hInit);
    }
    if (status != VJOY_OK) {
        close();
        return status;
    }
    return check();
}

void VirtualControllers::close() {
    if (pBlock) UnmapViewOfFile(pBlock);
    if (hMapping) CloseHandle(hMapping);
    pBlock = nullptr;
    hMapping = nullptr;
    bCreated = 0;
}

int VirtualControllers::check() const {
    if (!pBlock) return VJOY_ERR_NOBLOCK;
    if (pBlock->dwMagic != VJOY_MAGIC || pBlock->dwVersion != VJOY_VERSION ||
        pBlock->dwSize != sizeof(VirtualControllerBlock))
        return VJOY_ERR_INVALID;
    return VJOY_OK;
}

int VirtualControllers::reset() {
    if (!pBlock) return VJOY_ERR_NOBLOCK;
    LONG iSeq = pBlock->iPlugSeq;
    vjoyInitBlock(*pBlock);
    // Watchers take any new number as a plug change, so they re-read the flags.
    InterlockedExchange(&pBlock->iPlugSeq, iSeq + 1);
    return VJOY_OK;
}

int VirtualControllers::setAxis(int iCtrl, int iAxis, long iValue) {
    int status = check();
    if (status != VJOY_OK) return status;
    if (!validCtrl(iCtrl)) return VJOY_ERR_CTRL;
    if (!validAxis(iAxis)) return VJOY_ERR_AXIS;
    if (iValue < 0 || iValue > VJOY_AXIS_MAX) return VJOY_ERR_VALUE;
    InterlockedExchange(&pBlock->aCtrl[iCtrl - 1].aiAxis[iAxis - 1], iValue);
    return VJOY_OK;
}

int VirtualControllers::getAxis(long& iValue, int iCtrl, int iAxis) const {
    int status = check();
    if (status != VJOY_OK) return status;
    if (!validCtrl(iCtrl)) return VJOY_ERR_CTRL;
    if (!validAxis(iAxis)) return VJOY_ERR_AXIS;
    iValue = pBlock->aCtrl[iCtrl - 1].aiAxis[iAxis - 1];
    return VJOY_OK;
}

int VirtualControllers::setPlugged(int iCtrl, int bPlugged) {
    int status = check();
    if (status != VJOY_OK) return status;
    if (!validCtrl(iCtrl)) return VJOY_ERR_CTRL;
    LONG bNew = bPlugged ? 1 : 0;
    LONG bOld = InterlockedExchange(&pBlock->aCtrl[iCtrl - 1].bPlugged, bNew);
    // Plugging a plugged controller is no event, as with a real cable.
    if ((bOld != 0) != (bNew != 0)) InterlockedIncrement(&pBlock->iPlugSeq);
    return VJOY_OK;
}

int VirtualControllers::isPlugged(int& bPlugged, int iCtrl) const {
    int status = check();
    if (status != VJOY_OK) return status;
    if (!validCtrl(iCtrl)) return VJOY_ERR_CTRL;
    bPlugged = pBlock->aCtrl[iCtrl - 1].bPlugged ? 1 : 0;
    return VJOY_OK;
}

int VirtualControllers::getReads(long& iReads, int iCtrl) const {
    int status = check();
    if (status != VJOY_OK) return status;
    if (iCtrl == 0) {
        iReads = pBlock->iReads;
        return VJOY_OK;
    }
    if (!validCtrl(iCtrl)) return VJOY_ERR_CTRL;
    iReads = pBlock->aCtrl[iCtrl - 1].iReads;
    return VJOY_OK;
}

int VirtualControllers::getPlugSeq(long& iSeq) const {
    int status = check();
    if (status != VJOY_OK) return status;
    iSeq = pBlock->iPlugSeq;
    return VJOY_OK;
}
