// Part two: the casino, the evil machine, the western set and the finale. Its scenes are drawn by
// a later stage of the production; for now it keeps its place in the loop: it loads its script
// (registering its beat bands), owns its window and sends the debug time line inside it.
#pragma once

#include "Sync/DemoPart.h"

class PartTwo final : public DemoPart {
public:
    void Render(Bitmap* canvas, float musicTime) override;
};
