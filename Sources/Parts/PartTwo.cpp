// Part two's frame entry.
#include "Parts/PartTwo.h"

void PartTwo::Render(Bitmap* /*canvas*/, float musicTime) {
    if (!InWindow(musicTime)) return;
    DebugTimeLine(FxTime(musicTime));
}
