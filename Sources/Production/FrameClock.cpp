// Frame counting at a fixed rate.
#include "Production/FrameClock.h"

#include <algorithm>

double FrameRate::Seconds(int64_t frame) const {
    return static_cast<double>(frame) * static_cast<double>(denominator) / static_cast<double>(numerator);
}

int64_t FrameRate::FrameAt(double seconds) const {
    const double exact = seconds * static_cast<double>(numerator) / static_cast<double>(denominator);
    return std::max<int64_t>(0, static_cast<int64_t>(std::ceil(exact - 1e-6)));
}
