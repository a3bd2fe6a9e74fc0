#include "padsim/VirtualControllers.h"

#include <cstring>

namespace {
const char* const kAxisNames[PADSIM_AXES] = {"X", "Y", "Z", "Rx", "Ry", "Rz", "Sld1", "Sld2"};

bool validCtrl(int iCtrl) { return iCtrl >= 1 && iCtrl <= PADSIM_CONTROLLERS; }
bool validAxis(int iAxis) { return iAxis >= 1 && iAxis <= PADSIM_AXES; }
}  // namespace

int padsimAxisFromName(int& iAxis, const char* name) {
    if (!name) return PADSIM_ERR_AXIS;
    for (int i = 0; i < PADSIM_AXES; ++i) {
        if (lstrcmpiA(name, kAxisNames[i]) == 0) {
            iAxis = i + 1;
            return PADSIM_OK;
        }
    }
    return PADSIM_ERR_AXIS;
}

const char* padsimAxisName(int iAxis) { return validAxis(iAxis) ? kAxisNames[iAxis - 1] : "?"; }

void padsimInitBlock(VirtualControllerBlock& b, int bEmpty) {
    b.dwMagic = 0;
    MemoryBarrier();
    memset(reinterpret_cast<char*>(&b) + sizeof b.dwMagic, 0, sizeof b - sizeof b.dwMagic);
    b.dwVersion = PADSIM_VERSION;
    b.dwSize = sizeof(VirtualControllerBlock);
    for (int c = 0; !bEmpty && c < PADSIM_CONTROLLERS; ++c)
        padsimAddController(b, kVirtualControllerGuid[c], kVirtualControllerName[c]);
    if (!bEmpty)
        for (int c = 1; c < PADSIM_CONTROLLERS; ++c) b.aCtrl[c].bPlugged = 0;
    MemoryBarrier();
    b.dwMagic = PADSIM_MAGIC;
}

int padsimAddController(VirtualControllerBlock& b, const GUID& guid, const char* name) {
    if (b.iCount >= PADSIM_MAX_CONTROLLERS) return -1;
    VirtualControllerState& s = b.aCtrl[b.iCount];
    s.bPlugged = 1;
    for (int a = 0; a < PADSIM_AXES; ++a) s.aiAxis[a] = PADSIM_AXIS_CENTRE;
    s.guidInstance = guid;
    lstrcpynA(s.szName, name ? name : "", sizeof s.szName);
    return b.iCount++;
}

bool padsimListed(const VirtualControllerState& s) {
    return s.bPlugged && static_cast<DWORD>(GetTickCount() - s.dwPluggedAt) >= static_cast<DWORD>(s.dwListDelayMs);
}

VirtualControllers::~VirtualControllers() { close(); }

int VirtualControllers::open(int bCreate) {
    close();
    // A mutex that cannot be made only loses the guard against half-made blocks.
    HANDLE hInit = CreateMutexA(nullptr, FALSE, PADSIM_INIT_MUTEX_NAME);
    if (hInit) WaitForSingleObject(hInit, 5000);
    int status = PADSIM_OK;
    if (bCreate) {
        hMapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                      sizeof(VirtualControllerBlock), PADSIM_BLOCK_NAME);
        bCreated = hMapping && GetLastError() != ERROR_ALREADY_EXISTS;
        if (!hMapping) status = PADSIM_ERR_SYSTEM;
    } else {
        hMapping = OpenFileMappingA(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, PADSIM_BLOCK_NAME);
        if (!hMapping) status = PADSIM_ERR_NOBLOCK;
    }
    if (status == PADSIM_OK) {
        // Mapping our full size fails when someone made a smaller section under this name.
        pBlock = static_cast<VirtualControllerBlock*>(
            MapViewOfFile(hMapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(VirtualControllerBlock)));
        if (!pBlock) status = PADSIM_ERR_SYSTEM;
        else if (bCreated) padsimInitBlock(*pBlock);
        // Without it the program still reads every change, at its next timer round.
        hChanged = CreateEventA(nullptr, FALSE, FALSE, PADSIM_CHANGED_EVENT_NAME);
    }
    if (hInit) {
        ReleaseMutex(hInit);
        CloseHandle(hInit);
    }
    if (status != PADSIM_OK) {
        close();
        return status;
    }
    return check();
}

void VirtualControllers::close() {
    if (pBlock) UnmapViewOfFile(pBlock);
    if (hMapping) CloseHandle(hMapping);
    if (hChanged) CloseHandle(hChanged);
    pBlock = nullptr;
    hMapping = nullptr;
    hChanged = nullptr;
    bCreated = 0;
}

int VirtualControllers::check() const {
    if (!pBlock) return PADSIM_ERR_NOBLOCK;
    if (pBlock->dwMagic != PADSIM_MAGIC || pBlock->dwVersion != PADSIM_VERSION ||
        pBlock->dwSize != sizeof(VirtualControllerBlock))
        return PADSIM_ERR_INVALID;
    return PADSIM_OK;
}

int VirtualControllers::reset() {
    if (!pBlock) return PADSIM_ERR_NOBLOCK;
    LONG iSeq = pBlock->iPlugSeq;
    padsimInitBlock(*pBlock);
    // Watchers take any new number as a plug change, so they re-read the flags.
    InterlockedExchange(&pBlock->iPlugSeq, iSeq + 1);
    changed();
    return PADSIM_OK;
}

int VirtualControllers::setAxis(int iCtrl, int iAxis, long iValue) {
    int status = check();
    if (status != PADSIM_OK) return status;
    if (!validCtrl(iCtrl)) return PADSIM_ERR_CTRL;
    if (!validAxis(iAxis)) return PADSIM_ERR_AXIS;
    if (iValue < 0 || iValue > PADSIM_AXIS_MAX) return PADSIM_ERR_VALUE;
    if (InterlockedExchange(&pBlock->aCtrl[iCtrl - 1].aiAxis[iAxis - 1], iValue) != iValue) changed();
    return PADSIM_OK;
}

int VirtualControllers::getAxis(long& iValue, int iCtrl, int iAxis) const {
    int status = check();
    if (status != PADSIM_OK) return status;
    if (!validCtrl(iCtrl)) return PADSIM_ERR_CTRL;
    if (!validAxis(iAxis)) return PADSIM_ERR_AXIS;
    iValue = pBlock->aCtrl[iCtrl - 1].aiAxis[iAxis - 1];
    return PADSIM_OK;
}

int VirtualControllers::setPlugged(int iCtrl, int bPlugged) {
    int status = check();
    if (status != PADSIM_OK) return status;
    if (!validCtrl(iCtrl)) return PADSIM_ERR_CTRL;
    LONG bNew = bPlugged ? 1 : 0;
    VirtualControllerState& s = pBlock->aCtrl[iCtrl - 1];
    if (bNew) InterlockedExchange(&s.dwPluggedAt, static_cast<LONG>(GetTickCount()));
    LONG bOld = InterlockedExchange(&s.bPlugged, bNew);
    // Plugging a plugged controller is no event, as with a real cable.
    if ((bOld != 0) != (bNew != 0)) {
        InterlockedIncrement(&pBlock->iPlugSeq);
        changed();
    }
    return PADSIM_OK;
}

int VirtualControllers::plugLate(int iCtrl, long dwListDelayMs, long iFailingAcquires) {
    int status = check();
    if (status != PADSIM_OK) return status;
    if (!validCtrl(iCtrl)) return PADSIM_ERR_CTRL;
    if (dwListDelayMs < 0 || iFailingAcquires < 0) return PADSIM_ERR_VALUE;
    InterlockedExchange(&pBlock->aCtrl[iCtrl - 1].dwListDelayMs, dwListDelayMs);
    InterlockedExchange(&pBlock->aCtrl[iCtrl - 1].iFailingAcquires, iFailingAcquires);
    return setPlugged(iCtrl, 1);
}

int VirtualControllers::newPort(int iCtrl) {
    int status = setPlugged(iCtrl, 0);
    if (status != PADSIM_OK) return status;
    ++pBlock->aCtrl[iCtrl - 1].guidInstance.Data4[6];
    return setPlugged(iCtrl, 1);
}

int VirtualControllers::lose(int iCtrl) {
    int status = check();
    if (status != PADSIM_OK) return status;
    if (!validCtrl(iCtrl)) return PADSIM_ERR_CTRL;
    InterlockedIncrement(&pBlock->aCtrl[iCtrl - 1].iLostSeq);
    return PADSIM_OK;
}

int VirtualControllers::setPolled(int iCtrl, int bPolled) {
    int status = check();
    if (status != PADSIM_OK) return status;
    if (!validCtrl(iCtrl)) return PADSIM_ERR_CTRL;
    InterlockedExchange(&pBlock->aCtrl[iCtrl - 1].bPolled, bPolled ? 1 : 0);
    return PADSIM_OK;
}

int VirtualControllers::setCreateResult(HRESULT hr) {
    int status = check();
    if (status == PADSIM_OK) InterlockedExchange(reinterpret_cast<volatile LONG*>(&pBlock->hrCreate), hr);
    return status;
}

int VirtualControllers::isPlugged(int& bPlugged, int iCtrl) const {
    int status = check();
    if (status != PADSIM_OK) return status;
    if (!validCtrl(iCtrl)) return PADSIM_ERR_CTRL;
    bPlugged = pBlock->aCtrl[iCtrl - 1].bPlugged ? 1 : 0;
    return PADSIM_OK;
}

int VirtualControllers::getReads(long& iReads, int iCtrl) const {
    int status = check();
    if (status != PADSIM_OK) return status;
    if (iCtrl == 0) {
        iReads = pBlock->iReads;
        return PADSIM_OK;
    }
    if (!validCtrl(iCtrl)) return PADSIM_ERR_CTRL;
    iReads = pBlock->aCtrl[iCtrl - 1].iReads;
    return PADSIM_OK;
}

int VirtualControllers::getPlugSeq(long& iSeq) const {
    int status = check();
    if (status != PADSIM_OK) return status;
    iSeq = pBlock->iPlugSeq;
    return PADSIM_OK;
}
