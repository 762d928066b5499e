#pragma once

namespace kestrova {

// Busy cursors by number. Pairs A/B are two frames of one animation.
enum ScreenCursor : int {
    crDefault = 0,
    crBCodeB = 105,
    crBCodeA = 106,
    crCDRomA = 107,
    crCDRomB = 108,
    crFileStA = 109,
    crFileStB = 110,
    crRemSrvA = 111,
    crRemSrvB = 112,
    crMagGlass = 113,
};

} // namespace kestrova
