// Part two's opening, effect time 0 to 150: the casino magnifier, rings, the walking figure with its captions, the ring sweeps and the random magnifier.
#include "Data/Catalogue.h"
#include "Data/Images.h"
#include "Parts/PartTwo.h"
#include "Parts/SceneMath.h"

#include <cmath>

void PartTwo::DrawOpening(float /*t*/) {}
