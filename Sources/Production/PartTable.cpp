// The three parts of the production, and the globals the scene code knows them by.
#include "Production/PartTable.h"

#include "Parts/IntroPart.h"
#include "Parts/PartOne.h"
#include "Parts/PartTwo.h"
#include "Production/Production.h"

#include <type_traits>

PartOne* partOne = nullptr;
PartTwo* partTwo = nullptr;
IntroPart* intro = nullptr;

namespace {

// A part no scene names: nothing to point at it.
template <typename Part>
std::unique_ptr<DemoPart> Create(const Bitmap* title) {
    if constexpr (std::is_constructible_v<Part, const Bitmap*>) {
        return std::make_unique<Part>(title);
    } else {
        return std::make_unique<Part>();
    }
}

// A part the scenes know by a global: the global points at it while it lives.
template <auto& global>
std::unique_ptr<DemoPart> Create(const Bitmap* title) {
    using Part = std::remove_pointer_t<std::remove_reference_t<decltype(global)>>;
    std::unique_ptr<DemoPart> part = Create<Part>(title);
    global = static_cast<Part*>(part.get());
    return part;
}

template <auto& global>
void Forget() {
    global = nullptr;
}

constexpr PartKind kParts[] = {
    {"part one", "syncroscripts/part1.xml", Create<partOne>, Forget<partOne>},
    {"part two", "syncroscripts/part2.xml", Create<partTwo>, Forget<partTwo>},
    {"intro", "syncroscripts/intro.xml", Create<intro>, Forget<intro>},
};
static_assert(std::size(kParts) <= kStatusParts, "the overlay's status has a line for every part");

}  // namespace

std::span<const PartKind> ProductionParts() {
    return kParts;
}
