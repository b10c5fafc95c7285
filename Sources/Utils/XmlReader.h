// Lookups in a parsed TinyXML tree that never fail: a missing child gives none, a missing attribute
// its default. Each lookup writes one line to the load log, prefixed with the reading step
// ("Reading AutoSync - ", "Reading Timing Keys - ").
#pragma once

#include <cstdint>

class TiXmlNode;
class TiXmlElement;

// The first child of node named name, or null (and a warning line). A null node has no children.
const TiXmlNode* FindChild(const TiXmlNode* node, const char* name, const char* prefix);
// FindChild, kept only when the child is an element; otherwise null and a warning line (after the
// FindChild warning when the child is missing altogether).
const TiXmlElement* FindChildElement(const TiXmlNode* node, const char* name, const char* prefix);
// The attribute's text read as a leading decimal integer ("12.7" gives 12, "x" gives 0), or the
// default when the attribute is missing. Values beyond the int32 range saturate.
int32_t ReadIntAttribute(const TiXmlElement* element, const char* name, int32_t defaultValue,
                         const char* prefix);
// The attribute's text read as a leading decimal or exponent number narrowed to float ("1e-1" gives
// 0.1, "x" gives 0), or the default when the attribute is missing.
float ReadFloatAttribute(const TiXmlElement* element, const char* name, float defaultValue,
                         const char* prefix);
