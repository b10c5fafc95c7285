// The scene base over an in-memory archive: scripts, key checks with their boxes, effect time, beat
// values and the debug time line.
#include <gtest/gtest.h>

#include "Audio/SpectrumAnalyser.h"
#include "Production/Production.h"
#include "Support/CapturingSinks.h"
#include "Data/MemoryDataFile.h"
#include "Sync/DemoPart.h"
#include "Sync/ScriptLimits.h"
#include "Utils/LoadLog.h"

namespace {

struct Scene final : DemoPart {
    void Render(Bitmap*, float) override {}
};
struct LogLines final : LoadLog::Capture {
    void Line(const std::string& line) override { lines.push_back(line); }
    std::vector<std::string> lines;
};
using Boxes = std::vector<MessageBox>;
const char* const kCaption = "Timing error in XML : syncroscripts/part2.xml";

std::string Keys(std::initializer_list<std::pair<float, float>> keys) {
    std::string text = "<part><timing>";
    for (const auto& [mp3, fx] : keys)
        text += "<k mp3time='" + std::to_string(mp3) + "' fxtime='" + std::to_string(fx) + "'/>";
    return text + "</timing></part>";
}

class DemoPartTest : public ::testing::Test {
protected:
    static ProductionSetup ScriptsOnly(MemoryDataFile& archive, SpectrumAnalyser& spectrum) {
        ProductionSetup setup;
        setup.archive = &archive;
        setup.analyser = &spectrum;
        setup.pictures = false;
        setup.parts = false;
        return setup;
    }
    Scene Load(const std::string& script) {
        archive.members["syncroscripts/part2.xml"] = script;
        boxes.boxes.clear(), log.lines.clear();
        Scene scene;
        scene.LoadXML("syncroscripts/part2.xml");
        return scene;
    }

    MemoryDataFile archive;
    SpectrumAnalyser spectrum{1024};
    Production production{ScriptsOnly(archive, spectrum)};
    CapturedBoxes boxes;
    LogLines log;
    ScopedLoadLogCapture useLog{&log};
};

TEST_F(DemoPartTest, ValuesDefaultsLogLinesAndBeatValues) {
    const Scene scene = Load(
        "<part><timing><k/><!-- c --><k mp3time='4' fxtime='8'>text</k></timing><autosyncro><b startfreq='' "
        "endfreq='60.9' thresold='1e-1'/> <!-- c --> <b startfreq='70' endfreq='10' "
        "gravity='0'/></autosyncro>"
        "<timing><k/></timing></part>");
    ASSERT_EQ(spectrum.Bands().size(), 2u);
    const BeatBand &first = spectrum.Bands()[0], &second = spectrum.Bands()[1];
    EXPECT_EQ(std::tie(first.boundA, first.boundB, first.threshold, first.gravity),
              std::tuple(60, 0, 0.1f, 98.1f));
    EXPECT_EQ(std::tie(second.boundA, second.boundB, second.threshold, second.gravity),
              std::tuple(70, 10, 0.5f, 0.0f));
    EXPECT_EQ(scene.bandIds, (std::vector<int32_t>{first.id, second.id}));
    EXPECT_EQ(std::tie(scene.windowStart, scene.windowEnd), std::tuple(0.0f, 4.0f));  // the first timing
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(archive.outstanding, 0);  // the script's buffer went back to the archive

    const std::string band = "<b>+Reading AutoSync - </b> ", arg = "<font class=\"arg\">";
    const std::string war = "<font class=\"war\">unable to read '";
    ASSERT_EQ(log.lines.size(), 12u);  // four lines per band, two per key
    EXPECT_EQ(std::vector(log.lines.begin(), log.lines.begin() + 4),
              (std::vector<std::string>{
                  // an empty value is read, not defaulted
                  band + "[ " + arg + "startfreq</font> = <font class=\"atr\">0</font> ]<br>\n",
                  band + "[ " + arg + "endfreq</font> = <font class=\"atr\">60</font> ]<br>\n",
                  band + "[ " + arg + "thresold</font> = <font class=\"atr\">0.100000</font> ]<br>\n",
                  band + war + "gravity' </font> - using [ " + arg +  // the float default, widened
                      "gravity</font> = <font class=\"atr\">98.099998</font> ]<br>\n"}));
    EXPECT_EQ(log.lines[8], "<b>+Reading Timing Keys - </b> " + war + "mp3time' </font> - using [ " + arg +
                                "mp3time</font> = <font class=\"atr\">0.000000</font> ]<br>\n");

    std::fill(spectrum.WorkSpectrum(), spectrum.WorkSpectrum() + 1024, 1.0f);
    spectrum.Smooth(256);
    spectrum.UpdateBands();
    EXPECT_EQ(std::tuple(scene.BandValue(1), scene.BandValue(2)),
              std::tuple(0.8f, 0.0f));  // 2: past the list
}

TEST_F(DemoPartTest, MissingOrRefusedScriptsReadAsEmpty) {
    const std::string body = "<autosyncro><b/></autosyncro><timing><k/><k mp3time='5'/></timing>";
    std::string nested, crafted;
    for (size_t i = 0; i + 2 < kMaxScriptDepth; ++i) nested += "<x>";
    for (int i = 0; i < 300000; ++i) crafted += "<a>";  // enough to overflow the parser's stack
    const std::pair<std::string, bool> cases[] = {
        {"<part>" + body + "<z>" + nested, false},  // part, z and 254 x: 256 levels
        {"<part>" + body + "<z><y>" + nested, true},
        {"<part><!--" + std::string(kMaxScriptBytes, ' ') + "-->" + body + "</part>", true},
        {"<part>" + crafted, true},
        {"<partition>" + body, true},
        {"", true}};
    for (const auto& [script, refused] : cases) {
        const Scene scene = Load(script);
        EXPECT_EQ(std::tuple(scene.windowEnd, scene.bandIds.size()),
                  refused ? std::tuple(0.0f, 0u) : std::tuple(5.0f, 1u));
        if (!refused) continue;
        EXPECT_EQ(boxes.boxes, (Boxes{{kCaption, "At least 2 timing keys must be defined"}}));
        ASSERT_EQ(log.lines.size(), 4u);  // no child, no element: for the bands, then for the keys
        EXPECT_EQ(log.lines[2],
                  "<b>+Reading Timing Keys - </b> <font class=\"war\">unable to find child node "
                  "called 'timing'</font>");
        EXPECT_EQ(log.lines[3],
                  "<br><b>+Reading Timing Keys - </b> <font class=\"war\">unable to find element "
                  "from node child called 'timing'</font><br>\n");
    }
    archive.members.clear();
    Scene().LoadXML("syncroscripts/part2.xml");  // a script the archive does not hold
    EXPECT_EQ(boxes.boxes.back(), (MessageBox{kCaption, "At least 2 timing keys must be defined"}));
}

TEST_F(DemoPartTest, KeyChecksAndEffectTime) {
    const char* const unsorted = "Keys are not correctly sorted by time";
    for (const auto& [script, text] : {std::pair(Keys({{10, 0}}), "At least 2 timing keys must be defined"),
                                       std::pair(Keys({{10, 5}, {20, 4}}), unsorted),  // fxtime falls
                                       std::pair(Keys({{20, 0}, {10, 5}}), unsorted)}) {
        EXPECT_EQ(Load(script).windowEnd, 0.0f);
        EXPECT_EQ(boxes.boxes, (Boxes{{kCaption, text}}));  // the text alone: no source location
    }
    const Scene plain = Load(Keys({{10, 0}, {20, 100}, {20, 100}}));
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(std::tuple(plain.InWindow(9.99f), plain.InWindow(10), plain.InWindow(20)),
              std::tuple(false, true, false));
    EXPECT_EQ(std::tuple(plain.FxTime(10), plain.FxTime(15), plain.FxTime(20)),
              std::tuple(0.0f, 50.0f, 100.0f));
    const Scene jump = Load(Keys({{10, 0}, {10, 5}, {20, 100}}));  // the empty first segment is passed over
    EXPECT_EQ(std::tuple(jump.FxTime(10), jump.FxTime(15), Scene().FxTime(3)), std::tuple(5.0f, 52.5f, 0.0f));
    EXPECT_EQ(std::tuple(Lerp(0, 10, 0, 100, 20), Lerp(0, 10, 0, 100, -5), Lerp(3, 3, 7, 9, 100)),
              std::tuple(200.0f, -50.0f, 7.0f));
}

// A key time that is not a finite number would pass the order check (every comparison with NaN is
// false) and empty the window or freeze the effect time: it is refused like keys out of order. A
// number beyond the float range reads as an infinity.
TEST_F(DemoPartTest, NonFiniteKeyTimesAreTimingErrors) {
    const auto script = [](const char* first, const char* second) {
        return std::string("<part><timing><k mp3time='10' fxtime='0'/><k ") + first +
               "/><k mp3time='30' fxtime='9'/><k " + second + "/></timing></part>";
    };
    for (const auto& [first, second] : {
             std::pair("mp3time='nan' fxtime='1'", "mp3time='40' fxtime='10'"),
             std::pair("mp3time='20' fxtime='nan'", "mp3time='40' fxtime='10'"),
             std::pair("mp3time='20' fxtime='1'", "mp3time='inf' fxtime='10'"),
             std::pair("mp3time='20' fxtime='1'", "mp3time='40' fxtime='INF'"),
             std::pair("mp3time='20' fxtime='-inf'", "mp3time='40' fxtime='10'"),
             std::pair("mp3time='20' fxtime='1'", "mp3time='1e300' fxtime='10'"),
             std::pair("mp3time='20' fxtime='1'", "mp3time='40' fxtime='1e39'"),
         }) {
        SCOPED_TRACE(std::string(first) + " / " + second);
        const Scene scene = Load(script(first, second));
        EXPECT_EQ(boxes.boxes, (Boxes{{kCaption, "Keys are not correctly sorted by time"}}));
        EXPECT_FALSE(scene.InWindow(25.0f));
    }
    // The largest float still is a time.
    Load(script("mp3time='20' fxtime='1'", "mp3time='40' fxtime='3.4e38'"));
    EXPECT_TRUE(boxes.boxes.empty());
}

struct SpaceAndClock final : platform::Keyboard, platform::MusicClock {
    bool SpaceHeld() override { return held; }
    float Time() override { return 12.5f; }
    bool held = false;
};

TEST(DemoPart, DebugLineOnlyWhileSpaceIsHeld) {
    SpaceAndClock fake;
    CapturedDebugLines debug;
    platform::ScopedKeyboard useKey(&fake);
    platform::ScopedMusicClock useClock(&fake);
    Scene().DebugTimeLine(3.25f);
    fake.held = true;
    Scene().DebugTimeLine(0.1f);
    EXPECT_EQ(debug.lines, std::vector<std::string>{"Mp3 Time : 12.500000, FxTime : 0.100000\n"});
}

}  // namespace
