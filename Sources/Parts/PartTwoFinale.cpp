// Part two's finale, effect time 520 to 810: movie stills, the final countdown, the head bursts, the closing pictures and the credits.
#include "Data/Catalogue.h"
#include "Data/Images.h"
#include "Parts/PartTwo.h"
#include "Parts/SceneMath.h"

#include <cmath>

void PartTwo::DrawFinale(float /*t*/) {}

void PartTwo::HeadBurst(float /*t0*/, float /*t1*/, int32_t /*base*/, float /*t*/) {}
