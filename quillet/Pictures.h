// The strip's button faces and the manager's toolbar pictures for the screen's scale.
// Each set is drawn for its own size by tools/quillet_pictures.py: a face's bevel and the
// toolbar's cubes at that size, a face's glyph as the 16-pixel drawing at the largest whole
// multiple that fits, centred (the same size at 125% and 150%, doubled at 200%). The set used
// is the largest not larger than the scale asks for. The manager's toolbar shows its pictures
// at their own size. The strip stretches a face onto its whole button, whose size the dialog
// template and the dialog font decide, so there a face may be scaled by a fraction (a little:
// the set is the one drawn for the screen's scale).
#pragma once
#include "Gdi.h"
#include "resource.h"

struct PictureSet {
    int face;  // cell of the strip bitmaps, square
    UINT strip, stripLit;
    int tool;  // cell of the toolbar bitmap, square
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
