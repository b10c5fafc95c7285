// Frame counting at a fixed rate.
#include "Production/FrameClock.h"

#include <algorithm>
#include <cstdlib>

double FrameRate::Seconds(int64_t frame) const {
    return static_cast<double>(frame) * static_cast<double>(denominator) / static_cast<double>(numerator);
}

int64_t FrameRate::FrameAt(double seconds) const {
    const double exact = seconds * static_cast<double>(numerator) / static_cast<double>(denominator);
    return std::max<int64_t>(0, static_cast<int64_t>(std::ceil(exact - 1e-6)));
}

bool ParseFrameRate(const std::string& text, FrameRate* rate) {
    const size_t slash = text.find('/');
    char* end = nullptr;
    if (slash != std::string::npos) {
        const long long num = std::strtoll(text.c_str(), &end, 10);
        if (end != text.c_str() + slash) return false;
        const char* denText = text.c_str() + slash + 1;
        const long long den = std::strtoll(denText, &end, 10);
        if (end == denText || *end != '\0' || num <= 0 || den <= 0 || num > 1000000 || den > 1000000)
            return false;
        *rate = {num, den};
        return true;
    }
    const double fps = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0' || !(fps > 0) || fps > 1000) return false;
    // Decimal rates as exact fractions of a thousandth: 29.97 -> 29970/1000.
    const long long thousandths = std::llround(fps * 1000);
    if (thousandths <= 0) return false;
    *rate = {thousandths, 1000};
    return true;
}
