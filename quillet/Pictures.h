// The strip's button faces and the manager's toolbar pictures for the screen's scale.
// Each set is drawn at its own size (res/make_images.py); the one used is the largest not
// larger than the scale asks for, so a picture is never blown up by a fraction of a pixel
// more than the 100% one is.
#pragma once
#include "Gdi.h"
#include "resource.h"

struct PictureSet {
    int face;             // cell of the strip bitmaps, square
    UINT strip, stripLit;
    int tool;             // cell of the toolbar bitmap, square
    UINT toolBar;
};

inline PictureSet PicturesForScreen() {
    static const PictureSet sets[] = {
        {16, IDB_STRIP, IDB_STRIP_LIT, 32, IDR_MANAGER_TOOLBAR},
        {20, IDB_SCALED_125, IDB_SCALED_125 + 1, 40, IDB_SCALED_125 + 2},
        {24, IDB_SCALED_150, IDB_SCALED_150 + 1, 48, IDB_SCALED_150 + 2},
        {32, IDB_SCALED_200, IDB_SCALED_200 + 1, 64, IDB_SCALED_200 + 2},
    };
    const int asked = AfxScalePixels(16);
    PictureSet chosen = sets[0];
    for (const PictureSet& set : sets)
        if (set.face <= asked) chosen = set;
    return chosen;
}
