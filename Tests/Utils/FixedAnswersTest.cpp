// Answers the original platform fixes: its random sequence, the error box's wording and location,
// the wall clock in seconds, and the way the script reader turns attribute text into numbers.
#include <gtest/gtest.h>
#include <tinyxml.h>

#include <cstdint>
#include <vector>

#include "Support/CapturingSinks.h"
#include "Utils/Platform.h"
#include "Utils/Utils.h"
#include "Utils/XmlReader.h"

namespace {

TEST(Platform, RandomSequenceIsTheClassicRuntimesFromSeedOne) {
    platform::ResetRand();
    std::vector<int> first;
    for (int i = 0; i < 10; ++i) first.push_back(platform::Rand());
    EXPECT_EQ(first, (std::vector<int>{41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464}));
    for (int i = 10; i < 1000; ++i) platform::Rand();
    EXPECT_EQ(platform::Rand(), 26667);  // the 1001st value
    platform::ResetRand();
    EXPECT_EQ(platform::Rand(), 41);
}

TEST(Platform, WallSecondsAreMillisecondTicksHeldAsAFloat) {
    struct FixedTicks final : platform::WallClock {
        uint32_t Ticks() override { return ticks; }
        uint32_t ticks = 0;
    } clock;
    platform::ScopedWallClock use(&clock);
    for (const auto& [ticks, seconds] : {std::pair{0u, 0.0f}, std::pair{1234u, 1.234f},
                                         std::pair{250u, 0.25f}, std::pair{4294967295u, 4294967.295f}}) {
        clock.ticks = ticks;
        EXPECT_EQ(platform::WallSeconds(), seconds) << ticks;
    }
}

TEST(Utils, ErrorBoxesNameTheFixedSourceLocation) {
    CapturedBoxes boxes;
    ShowError("BassPlayer Error", "Couldn't load mp3", true);
    ShowError("Timing error", "Keys are not correctly sorted by time", false);
    EXPECT_EQ(boxes.Take(),
              (std::vector<MessageBox>{
                  {"BassPlayer Error", "Couldn't load mp3\n\n.\\Sources\\Utils\\Utils\nLine : 18\n"},
                  {"Timing error", "Keys are not correctly sorted by time"}}));
}

TEST(XmlReader, AttributeTextReadsAsItsLeadingNumber) {
    TiXmlElement element("k");
    struct Case {
        const char* text;
        int32_t integer;
        float real;
    } cases[] = {{"12.7", 12, 12.7f},
                 {" -3x", -3, -3.0f},
                 {"x", 0, 0.0f},
                 {"1e-1", 1, 0.1f},
                 {"99999999999", INT32_MAX, 99999999999.0f},
                 {"-99999999999", INT32_MIN, -99999999999.0f}};
    for (const Case& c : cases) {
        element.SetAttribute("v", c.text);
        EXPECT_EQ(ReadIntAttribute(&element, "v", 7, ""), c.integer) << c.text;
        EXPECT_EQ(ReadFloatAttribute(&element, "v", 7.5f, ""), c.real) << c.text;
    }
    EXPECT_EQ(ReadIntAttribute(&element, "missing", 7, ""), 7);
    EXPECT_EQ(ReadFloatAttribute(nullptr, "v", 7.5f, ""), 7.5f);
}

}  // namespace
