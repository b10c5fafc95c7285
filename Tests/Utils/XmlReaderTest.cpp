// The XML value reader and the load log on their own: what a lookup returns for the texts a script
// may hold, and the line each lookup leaves in the log.
#include "Utils/LoadLog.h"
#include "Utils/XmlReader.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <climits>
#include <string>
#include <vector>

namespace {

struct LogLines final : LoadLog::Capture {
    void Line(const std::string& line) override { lines.push_back(line); }
    std::vector<std::string> lines;
};

TiXmlElement Element(const char* attribute, const char* text) {
    TiXmlElement element("band");
    element.SetAttribute(attribute, text);
    return element;
}

TEST(XmlReader, NumbersAreReadLikeTheCRuntimeWithoutItsOverflow) {
    struct Case {
        const char* text;
        int32_t asInt;
        float asFloat;
    };
    const Case cases[] = {
        {"12", 12, 12.0f},
        {"12.7", 12, 12.7f},
        {" -5x", -5, -5.0f},
        {"x", 0, 0.0f},
        {"", 0, 0.0f},
        {"1e-1", 1, 0.1f},
        {"+3", 3, 3.0f},
        {"99999999999", INT32_MAX, 99999999999.0f},
        {"-99999999999", INT32_MIN, -99999999999.0f},
    };
    for (const Case& c : cases) {
        const TiXmlElement element = Element("v", c.text);
        EXPECT_EQ(ReadIntAttribute(&element, "v", 7, "P"), c.asInt) << '"' << c.text << '"';
        EXPECT_EQ(ReadFloatAttribute(&element, "v", 7.0f, "P"), c.asFloat) << '"' << c.text << '"';
    }
}

TEST(XmlReader, EachLookupLeavesOneLineNamingTheValueOrTheDefault) {
    LogLines log;
    ScopedLoadLogCapture attach(&log);
    const TiXmlElement element = Element("startfreq", "40");
    EXPECT_EQ(ReadIntAttribute(&element, "startfreq", 0, "Reading AutoSync - "), 40);
    EXPECT_EQ(ReadIntAttribute(&element, "endfreq", 70, "Reading AutoSync - "), 70);
    EXPECT_EQ(ReadFloatAttribute(nullptr, "gravity", 2.5f, "Reading AutoSync - "), 2.5f);
    EXPECT_EQ(log.lines, (std::vector<std::string>{
                             "<b>+Reading AutoSync - </b> [ <font class=\"arg\">startfreq</font> = <font "
                             "class=\"atr\">40</font> ]<br>\n",
                             "<b>+Reading AutoSync - </b> <font class=\"war\">unable to read 'endfreq' "
                             "</font> - using [ <font "
                             "class=\"arg\">endfreq</font> = <font class=\"atr\">70</font> ]<br>\n",
                             "<b>+Reading AutoSync - </b> <font class=\"war\">unable to read 'gravity' "
                             "</font> - using [ <font "
                             "class=\"arg\">gravity</font> = <font class=\"atr\">2.500000</font> ]<br>\n",
                         }));
}

TEST(XmlReader, ChildLookupsWarnOncePerMissingStep) {
    TiXmlDocument document;
    document.Parse("<part><timing><key/></timing><note>text only</note></part>");
    const TiXmlNode* part = document.FirstChild("part");
    ASSERT_NE(part, nullptr);
    struct Case {
        const TiXmlNode* node;
        const char* name;
        bool found;
        size_t lines;  // the missing child's warning, then the missing element's
    };
    const Case cases[] = {
        {part, "timing", true, 0},
        {part, "autosyncro", false, 2},
        {part->FirstChild("note"), "text only", false, 1},  // a child, but text rather than an element
        {nullptr, "timing", false, 2},
    };
    for (const Case& c : cases) {
        LogLines log;
        ScopedLoadLogCapture attach(&log);
        const TiXmlElement* element = FindChildElement(c.node, c.name, "Reading Timing Keys - ");
        EXPECT_EQ(element != nullptr, c.found) << c.name;
        EXPECT_EQ(log.lines.size(), c.lines) << c.name;
    }
}

TEST(LoadLog, CapturesWholeLinesOnlyWhileAttachedAndRestoresThePreviousCapture) {
    LogLines outer, inner;
    EXPECT_EQ(loadLog.Write("dropped %d", 1), 0);
    {
        ScopedLoadLogCapture attachOuter(&outer);
        const std::string longText(5000, 'a');
        loadLog.Write("<%s>", longText.c_str());
        {
            ScopedLoadLogCapture attachInner(&inner);
            loadLog.Write("inner %s", "line");
        }
        loadLog.Write("outer again");
    }
    loadLog.Write("dropped again");
    ASSERT_EQ(outer.lines.size(), 2u);
    EXPECT_EQ(outer.lines[0], "<" + std::string(5000, 'a') + ">");
    EXPECT_EQ(outer.lines[1], "outer again");
    EXPECT_EQ(inner.lines, std::vector<std::string>{"inner line"});
    EXPECT_EQ(loadLog.CurrentCapture(), nullptr);
}

}  // namespace
