// Part two's machine scenes, effect time 300 to 520: the evil machine, the counter, the wire, the western set, the pliers and the burn-out.
#include "Data/Catalogue.h"
#include "Data/Images.h"
#include "Parts/PartTwo.h"
#include "Parts/SceneMath.h"

#include <cmath>

void PartTwo::DrawMachine(float /*t*/) {}
