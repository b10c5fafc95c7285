// The XML value reader over TinyXML, with its load log lines. The lines are HTML fragments styled by
// the classes "arg" (the name read), "atr" (the value) and "war" (a warning).
#include "Utils/XmlReader.h"

#include <tinyxml.h>

#include <cstdint>
#include <cstdlib>
#include <limits>

#include "Utils/LoadLog.h"

const TiXmlNode* FindChild(const TiXmlNode* node, const char* name, const char* prefix) {
    const TiXmlNode* child = node != nullptr ? node->FirstChild(name) : nullptr;
    if (child == nullptr) {
        // No line break at the end: the no-element line that usually follows starts with one.
        loadLog.Write("<b>+%s</b> <font class=\"war\">unable to find child node called '%s'</font>", prefix,
                      name);
    }
    return child;
}

const TiXmlElement* FindChildElement(const TiXmlNode* node, const char* name, const char* prefix) {
    const TiXmlNode* child = FindChild(node, name, prefix);
    const TiXmlElement* element = child != nullptr ? child->ToElement() : nullptr;
    if (element == nullptr) {
        loadLog.Write(
            "<br><b>+%s</b> <font class=\"war\">unable to find element from node child called "
            "'%s'</font><br>\n",
            prefix, name);
    }
    return element;
}

namespace {

// atoi's reading (optional blanks and sign, then digits) without its undefined overflow.
int32_t LeadingInteger(const char* text) {
    const long long value = std::strtoll(text, nullptr, 10);
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(value);
}

// Beyond the float range a value becomes an infinity of its sign, as the hardware narrows it; the
// plain cast is undefined there ("1e300").
float NarrowToFloat(double value) {
    if (value > std::numeric_limits<float>::max()) return std::numeric_limits<float>::infinity();
    if (value < -std::numeric_limits<float>::max()) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

}  // namespace

int32_t ReadIntAttribute(const TiXmlElement* element, const char* name, int32_t defaultValue,
                         const char* prefix) {
    const char* text = element != nullptr ? element->Attribute(name) : nullptr;
    if (text == nullptr) {
        loadLog.Write(
            "<b>+%s</b> <font class=\"war\">unable to read '%s' </font> - using [ <font "
            "class=\"arg\">%s</font> = "
            "<font class=\"atr\">%d</font> ]<br>\n",
            prefix, name, name, defaultValue);
        return defaultValue;
    }
    const int32_t value = LeadingInteger(text);
    loadLog.Write("<b>+%s</b> [ <font class=\"arg\">%s</font> = <font class=\"atr\">%d</font> ]<br>\n",
                  prefix, name, value);
    return value;
}

float ReadFloatAttribute(const TiXmlElement* element, const char* name, float defaultValue,
                         const char* prefix) {
    const char* text = element != nullptr ? element->Attribute(name) : nullptr;
    if (text == nullptr) {
        loadLog.Write(
            "<b>+%s</b> <font class=\"war\">unable to read '%s' </font> - using [ <font "
            "class=\"arg\">%s</font> = "
            "<font class=\"atr\">%f</font> ]<br>\n",
            prefix, name, name, static_cast<double>(defaultValue));
        return defaultValue;
    }
#ifdef __MINGW32__
    // The Windows C runtime's atof reads no "inf" or "nan": mingw-w64's own reader does, as glibc's.
    const float value = NarrowToFloat(__mingw_strtod(text, nullptr));
#else
    const float value = NarrowToFloat(std::atof(text));
#endif
    loadLog.Write("<b>+%s</b> [ <font class=\"arg\">%s</font> = <font class=\"atr\">%f</font> ]<br>\n",
                  prefix, name, static_cast<double>(value));
    return value;
}
