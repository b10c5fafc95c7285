// The pre-parse scan: its depth must never be below the depth of the tree the parser builds,
// whatever the markup, or a crafted script could still run the parser's recursion off the stack.
#include <gtest/gtest.h>
#include <tinyxml.h>

#include <random>
#include <string>

#include "Sync/ScriptLimits.h"

size_t Depth(const std::string& text) {
    return ScriptNestingDepth(text.c_str(), text.size());
}

size_t TreeDepth(const TiXmlNode* node) {
    size_t deepest = 0;
    for (const TiXmlNode* child = node->FirstChild(); child != nullptr; child = child->NextSibling()) {
        deepest = std::max(deepest, TreeDepth(child) + (child->ToElement() != nullptr ? 1 : 0));
    }
    return deepest;
}

TEST(ScriptLimits, ScanNeverFallsBelowTheParser) {
    EXPECT_EQ(Depth("\xEF\xBB\xBF<?xml version='1'?><part><!--<a>--><a x='<a>'><b/>\xC3\xA9</a></part>"), 3u);
    EXPECT_EQ(Depth("<p>&#x</p>x41;<q><q>"), 3u);  // a character reference runs over the end tag to the ';'
    EXPECT_EQ(Depth("<p>\xE0</p><p><p>"), kUnreadableScriptDepth);  // the parser would swallow "</"

    const char* const pieces[] = {"<a>",
                                  "<a>",
                                  "<b k='v'>",
                                  "<c k=v>",
                                  "</a>",
                                  "<d/>",
                                  "<!--",
                                  "-->",
                                  "<![CDATA[",
                                  "]]>",
                                  "\"",
                                  "'",
                                  "<?xml version=\"",
                                  "<?xml foo=\"",
                                  "?>",
                                  ">",
                                  "<!DOCTYPE ",
                                  " ",
                                  "x",
                                  "=",
                                  "/",
                                  "&#x41;",
                                  "&#x",
                                  "&#",
                                  "9;",
                                  "<",
                                  "k="};
    std::mt19937 random(20240611);
    std::uniform_int_distribution<size_t> pick(0, std::size(pieces) - 1);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        for (int n = 1 + round % 300; n > 0; --n) text += pieces[pick(random)];
        TiXmlDocument doc;
        doc.Parse(text.c_str());
        ASSERT_LE(TreeDepth(&doc), Depth(text)) << text;
    }
}

// Tag names of every character class the parser accepts: the scan must follow each name to its
// end, or it stops at the first "attribute" it cannot read and counts too few levels.
TEST(ScriptLimits, NamesOfEveryCharacterClassNestAsDeepAsTheyParse) {
    for (const std::string name : {"a-b", "a.b", "a:b", "a1", "_a", "Ab", "\xC3\xA9t\xC3\xA9"}) {
        std::string text;
        for (int i = 0; i < 40; ++i) text += "<" + name + " k='v'>";
        TiXmlDocument doc;
        doc.Parse(text.c_str());
        ASSERT_EQ(TreeDepth(&doc), 40u) << name;
        EXPECT_EQ(Depth(text), 40u) << name;
    }
}

TEST(ScriptLimits, SizeLimitIsInclusive) {
    const std::string longest(kMaxScriptBytes, ' ');
    EXPECT_TRUE(ScriptWithinLimits(longest.c_str(), longest.size()));
    EXPECT_FALSE(ScriptWithinLimits(longest.c_str(), longest.size() + 1));
}
