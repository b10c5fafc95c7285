// The intro's two cards.
#include "Parts/IntroPart.h"

#include "Data/Catalogue.h"
#include "Data/Images.h"
#include "Parts/SceneMath.h"

void IntroPart::Render(Bitmap* canvas, float musicTime) {
    if (!InWindow(musicTime)) return;
    const float fx = FxTime(musicTime);
    blitter.target = noise.target = pattern.target = filter.target = canvas;

    if (During(fx, 0, 100)) {
        blitter.Clear(0);
        blitter.Draw(GetBitmap(anotherNimbrelJointGuid), 175, 206);
    } else if (During(fx, 100, 200)) {
        blitter.Clear(0);
        blitter.Draw(GetBitmap(introWarningGuid), 0, 164);
    }
}
