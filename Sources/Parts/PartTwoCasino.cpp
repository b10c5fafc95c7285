// Part two's casino scenes, effect time 150 to 300: the lighthouse beams, wave bands, the casino and lady flashes, the slot machines, the swirl and the dollar rain.
#include "Data/Catalogue.h"
#include "Data/Images.h"
#include "Parts/PartTwo.h"
#include "Parts/SceneMath.h"

#include <cmath>

void PartTwo::DrawCasino(float /*t*/) {}
