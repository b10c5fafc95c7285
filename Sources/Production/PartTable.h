// The production's parts, written down once: what each is called, which sync script it reads and
// how it is made. Creating, drawing, reloading, the overlay's status and the state pass all go
// through this table, so a new part is one row.
#pragma once

#include "Render/Bitmap.h"
#include "Sync/DemoPart.h"

#include <memory>
#include <span>

struct PartKind {
    const char* name;    // as the overlay words it
    const char* script;  // the part's sync script in the archive
    // Makes the part over the title composition and points the part's global, if any, at it.
    std::unique_ptr<DemoPart> (*create)(const Bitmap* title);
    // Sets the part's global back to null; null for a part without one.
    void (*forget)();
};

// In drawing order: the parts are made, read their scripts, draw and go in this order.
std::span<const PartKind> ProductionParts();
