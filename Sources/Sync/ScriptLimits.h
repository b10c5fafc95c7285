// The limits a sync script must keep before it reaches the XML parser. The parser recurses once per
// element level and overflows the stack at a few tens of thousands of levels, so the nesting is
// measured first by a quick, allocation-free scan that follows the parser's own reading of markup.
#pragma once

#include "Data/MemberCeilings.h"

#include <cstddef>

// The archive reads no script longer than this either.
inline constexpr size_t kMaxScriptBytes = static_cast<size_t>(kScriptCeiling);
inline constexpr size_t kMaxScriptDepth = 256;
// The depth reported for text whose bytes the parser could read differently from the scan.
inline constexpr size_t kUnreadableScriptDepth = static_cast<size_t>(-1);

// The deepest element nesting the parser reaches on these bytes (a zero byte ends the text, as it
// ends the parser's). Malformed markup is measured up to the point where the parser gives up.
// kUnreadableScriptDepth for text the scan cannot vouch for: a multi-byte lead byte followed by
// plain ASCII or the end of the text, or a byte order mark anywhere but at the very start.
size_t ScriptNestingDepth(const char* text, size_t length);

// True when the script may be parsed: at most kMaxScriptBytes and kMaxScriptDepth levels deep.
bool ScriptWithinLimits(const char* text, size_t length);
