// The XML value reader: values, defaults and the exact load log lines.
#include <gtest/gtest.h>
#include <tinyxml.h>

#include "Utils/LoadLog.h"
#include "Utils/XmlReader.h"

struct ReaderLines final : LoadLog::Capture {
    void Line(const std::string& line) override { lines.push_back(line); }
    std::vector<std::string> lines;
};

TEST(XmlReader, ValuesDefaultsAndTheirLogLines) {
    TiXmlDocument doc;
    doc.Parse("<part>timing<b i=\"60.9\" e=\"\" f=\"1e-1\"/></part>");
    const TiXmlNode* part = doc.FirstChild("part");
    const TiXmlElement* b = part->FirstChildElement("b");
    const char* p = "Reading AutoSync - ";
    ReaderLines log;
    ScopedLoadLogCapture capture(&log);
    EXPECT_EQ(ReadIntAttribute(b, "i", 5, p), 60);
    EXPECT_EQ(ReadIntAttribute(b, "e", 5, p), 0);
    EXPECT_EQ(ReadIntAttribute(b, "endfreq", 60, p), 60);
    EXPECT_EQ(ReadFloatAttribute(b, "f", 5.0f, p), 0.1f);
    EXPECT_EQ(ReadFloatAttribute(b, "gravity", 98.1f, p), 98.1f);
    EXPECT_EQ(FindChildElement(part, "timing", p), nullptr);  // a text node, not an element
    EXPECT_EQ(FindChildElement(nullptr, "keys", p), nullptr);
    const std::string b0 = "<b>+Reading AutoSync - </b> ", war = "<font class=\"war\">unable to ";
    const std::vector<std::string> expected = {
        b0 + "[ <font class=\"arg\">i</font> = <font class=\"atr\">60</font> ]<br>\n",
        b0 + "[ <font class=\"arg\">e</font> = <font class=\"atr\">0</font> ]<br>\n",  // empty: read, not
                                                                                       // defaulted
        b0 + war +
            "read 'endfreq' </font> - using [ <font class=\"arg\">endfreq</font> = <font "
            "class=\"atr\">60</font> ]<br>\n",
        b0 + "[ <font class=\"arg\">f</font> = <font class=\"atr\">0.100000</font> ]<br>\n",
        b0 + war +
            "read 'gravity' </font> - using [ <font class=\"arg\">gravity</font> = <font "
            "class=\"atr\">98.099998</font> ]<br>\n",
        "<br>" + b0 + war + "find element from node child called 'timing'</font><br>\n",
        b0 + war + "find child node called 'keys'</font>",
        "<br>" + b0 + war + "find element from node child called 'keys'</font><br>\n",
    };
    EXPECT_EQ(log.lines, expected);
}
