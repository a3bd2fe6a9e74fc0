#pragma once
// The virtual controllers of tools/padsim in-process, and GUIDs for tests.

#include "padsim/VirtualDirectInput.h"

// A GUID whose 16 bytes are seed, seed+1, ... (distinct seeds give distinct GUIDs).
inline GUID fakeGuid(unsigned char seed) {
    GUID g;
    unsigned char* b = reinterpret_cast<unsigned char*>(&g);
    for (unsigned i = 0; i < sizeof g; ++i) b[i] = static_cast<unsigned char>(seed + i);
    return g;
}
