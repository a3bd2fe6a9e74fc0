#pragma once
// Axis of a controller. The numbers are stored in the registry and number the
// dialog's axis rows, so they are fixed.

enum IdHwAxis {
    HWA_NONE = 0,
    HWA_X = 1,
    HWA_Y = 2,
    HWA_Z = 3,
    HWA_RX = 4,
    HWA_RY = 5,
    HWA_RZ = 6,
    HWA_SLD1 = 7,
    HWA_SLD2 = 8,
};
enum { HWA_COUNT = 8 };
