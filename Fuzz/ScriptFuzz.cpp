// Fuzzes sync scripts: the input is the script member. The size and depth pre-scan, the parse and
// a scene's loading (beat bands into a spectrum analyser, timing keys and their checks) run as at
// start-up, then the effect time and the bands are read at a few music times.
#include "FuzzSupport.h"

#include "Audio/SpectrumAnalyser.h"
#include "Data/MemoryDataFile.h"
#include "Sync/DemoPart.h"
#include "Sync/ScriptLimits.h"

#include <cstdint>
#include <memory>
#include <string>

namespace {

class SilentPart final : public DemoPart {
public:
    void Render(Bitmap*, float) override {}
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::SilenceMessageBoxes();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* text = reinterpret_cast<const char*>(data);
    (void)ScriptNestingDepth(text, size);
    (void)ScriptWithinLimits(text, size);

    MemoryDataFile archive;
    archive.members["syncroscripts/part.xml"] = std::string(text, size);
    fuzz::ScopedDataFile scoped(&archive);
    auto bands = std::make_unique<SpectrumAnalyser>(1024);
    SpectrumAnalyser* previous = analyser;
    analyser = bands.get();

    SilentPart part;
    part.LoadXML("syncroscripts/part.xml");
    static const float kSpectrum[1024] = {0.5f, 0.25f, 1.0f};
    analyser->Feed(kSpectrum);
    analyser->UpdateBands();
    for (const float t : {-1.0f, 0.0f, 12.5f, 100.0f, 245.0f, 1e9f}) {
        (void)part.InWindow(t);
        (void)part.FxTime(t);
    }
    for (size_t n = 0; n < part.bandIds.size() + 1; ++n) (void)part.BandValue(n);

    analyser = previous;
    return 0;
}
