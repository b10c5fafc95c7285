// The pre-parse scan of sync scripts. It reads markup the way the XML parser does (declarations,
// comments, CDATA, "<!" and other unknown tags, start tags with their attributes, end tags) so that
// its depth is never lower than the parser's recursion: anything the parser skips as a unit, the
// scan skips the same way, and where the parser gives up the scan stops too.
#include "Sync/ScriptLimits.h"

#include <cstdint>
#include <cstring>

namespace {

bool IsSpace(unsigned char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
bool IsLetter(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}
// The parser takes every byte from 127 up as a letter.
bool IsNameStart(unsigned char c) {
    return c >= 127 || IsLetter(c) || c == '_';
}
bool IsNameChar(unsigned char c) {
    return c >= 127 || IsLetter(c) || IsDigit(c) || c == '_' || c == '-' || c == '.' || c == ':';
}
unsigned char Lower(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}

// The end of the text: the parser reads it as a zero-terminated string.
constexpr size_t kEnd = static_cast<size_t>(-1);

class Scanner {
public:
    Scanner(const unsigned char* text, size_t length) : s_(text), n_(length) {}

    // In UTF-8 mode the parser swallows the bytes after a lead byte whatever they are, and skips
    // byte order marks as if they were blanks; both would let it read markup the scan sees
    // differently. Valid UTF-8 never triggers either check.
    bool EncodingIsSafe() const {
        for (size_t i = 0; i < n_; ++i) {
            const unsigned char c = s_[i];
            if (c < 0xC0) continue;
            if (c == 0xEF && i > 0 && i + 2 < n_ &&
                ((s_[i + 1] == 0xBB && s_[i + 2] == 0xBF) ||
                 (s_[i + 1] == 0xBF && (s_[i + 2] == 0xBE || s_[i + 2] == 0xBF)))) {
                return false;
            }
            const size_t following = c < 0xE0 ? 1 : (c < 0xF0 ? 2 : 3);
            if (i + following >= n_) return false;
            for (size_t k = 1; k <= following; ++k) {
                if (s_[i + k] < 0x80) return false;
            }
        }
        // Only a real mark at the start is accepted; the other two sequences there stop the parser
        // and are refused rather than followed.
        if (n_ >= 3 && s_[0] == 0xEF && s_[1] == 0xBF && (s_[2] == 0xBE || s_[2] == 0xBF)) return false;
        return true;
    }

    size_t Deepest() {
        size_t p = (n_ >= 3 && s_[0] == 0xEF && s_[1] == 0xBB && s_[2] == 0xBF) ? 3 : 0;
        while (p < n_) {
            // Text between markup: the parser reads it up to the next '<' (or stops, at top level),
            // character references included.
            if (s_[p] != '<') {
                p = CharacterEnd(p);
                if (p == kEnd) return deepest_;
            } else if (StartsWith(p, "<?xml", true)) {
                p = Declaration(p + 5);
            } else if (StartsWith(p, "<!--", false)) {
                p = After(p + 4, "-->");
            } else if (StartsWith(p, "<![CDATA[", false)) {
                p = After(p + 9, "]]>");
            } else if (p + 1 < n_ && s_[p + 1] == '/') {
                // An end tag closes the open element, or the parser stops on a mismatch; at top level
                // it is an unknown tag. Either way it reaches to the first '>'.
                if (depth_ > 0) --depth_;
                p = PastChar(p, '>');
            } else if (p + 1 < n_ && IsNameStart(s_[p + 1])) {
                p = StartTag(p + 1);
            } else {
                // "<!DOCTYPE ...>", "<?other ...>" and other unknown tags: to the first '>'.
                p = PastChar(p, '>');
            }
        }
        return deepest_;
    }

private:
    bool StartsWith(size_t p, const char* word, bool ignoreCase) const {
        const size_t length = std::strlen(word);
        if (p + length > n_) return false;
        for (size_t k = 0; k < length; ++k) {
            const unsigned char a = s_[p + k];
            const unsigned char b = static_cast<unsigned char>(word[k]);
            if (ignoreCase ? Lower(a) != Lower(b) : a != b) return false;
        }
        return true;
    }
    size_t After(size_t p, const char* word) const {
        for (; p < n_; ++p) {
            if (StartsWith(p, word, false)) return p + std::strlen(word);
        }
        return n_;
    }
    size_t PastChar(size_t p, unsigned char c) const {
        const void* hit = std::memchr(s_ + p, c, n_ - p);
        return hit != nullptr ? static_cast<size_t>(static_cast<const unsigned char*>(hit) - s_) + 1 : n_;
    }
    size_t SkipSpace(size_t p) const {
        while (p < n_ && IsSpace(s_[p])) ++p;
        return p;
    }
    size_t Name(size_t p) const {
        while (p < n_ && IsNameChar(s_[p])) ++p;
        return p;
    }

    // Where the parser's reading of one character of text or of a quoted value ends. A numeric
    // reference "&#...;" or "&#x...;" is taken whole up to the next ';', however far that is and
    // whatever lies between: only the digits after the last '#' or 'x' before the ';' are checked.
    // kEnd where the parser rejects the reference and stops.
    size_t CharacterEnd(size_t p) const {
        if (s_[p] != '&' || p + 2 >= n_ || s_[p + 1] != '#') return p + 1;
        const bool hex = s_[p + 2] == 'x';
        const size_t from = hex ? p + 3 : p + 2;
        if (from >= n_) return kEnd;
        const void* hit = std::memchr(s_ + from, ';', n_ - from);
        if (hit == nullptr) return kEnd;
        const size_t semicolon = static_cast<size_t>(static_cast<const unsigned char*>(hit) - s_);
        const unsigned char stop = hex ? 'x' : '#';
        for (size_t k = semicolon - 1; s_[k] != stop; --k) {
            const unsigned char c = s_[k];
            const bool digit = IsDigit(c) || (hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
            if (!digit) return kEnd;
        }
        return semicolon + 1;
    }

    // name = value, with the value quoted or bare; kEnd where the parser gives up on it.
    size_t Attribute(size_t p) const {
        if (p >= n_ || !IsNameStart(s_[p])) return kEnd;
        p = SkipSpace(Name(p));
        if (p >= n_ || s_[p] != '=') return kEnd;
        p = SkipSpace(p + 1);
        if (p >= n_) return kEnd;
        const unsigned char quote = s_[p];
        if (quote == '"' || quote == '\'') {
            // Anything may stand between the quotes, '<' and '>' included: the parser skips it all,
            // and a character reference may even carry it past the closing quote.
            for (++p; p < n_ && s_[p] != quote;) {
                p = CharacterEnd(p);
                if (p == kEnd) return kEnd;
            }
            // The parser also gives up when the text ends right after the closing quote.
            return p + 1 < n_ ? p + 1 : kEnd;
        }
        while (p < n_ && !IsSpace(s_[p]) && s_[p] != '/' && s_[p] != '>') {
            if (s_[p] == '"' || s_[p] == '\'') return kEnd;  // a closing quote with no opening one
            ++p;
        }
        return p;
    }

    size_t StartTag(size_t p) {
        // The element's own level counts as soon as its tag starts, empty or not.
        if (++depth_ > deepest_) deepest_ = depth_;
        p = Name(p);
        for (;;) {
            p = SkipSpace(p);
            if (p >= n_) return n_;
            if (s_[p] == '/') {
                --depth_;  // an empty element closes itself
                return (p + 1 < n_ && s_[p + 1] == '>') ? p + 2 : n_;
            }
            if (s_[p] == '>') return p + 1;
            p = Attribute(p);
            if (p == kEnd) return n_;
        }
    }

    // "<?xml ...>": only version, encoding and standalone are read as attributes (so only their
    // quoted values may hide a '>'); anything else is passed over up to a blank or a '>'.
    size_t Declaration(size_t p) const {
        while (p < n_) {
            if (s_[p] == '>') return p + 1;
            p = SkipSpace(p);
            if (StartsWith(p, "version", true) || StartsWith(p, "encoding", true) ||
                StartsWith(p, "standalone", true)) {
                p = Attribute(p);
                if (p == kEnd) return n_;
            } else {
                while (p < n_ && s_[p] != '>' && !IsSpace(s_[p])) ++p;
            }
        }
        return n_;
    }

    const unsigned char* s_;
    size_t n_;
    size_t depth_ = 0;
    size_t deepest_ = 0;
};

}  // namespace

size_t ScriptNestingDepth(const char* text, size_t length) {
    if (text == nullptr) return 0;
    const size_t textLength = strnlen(text, length);
    Scanner scanner(reinterpret_cast<const unsigned char*>(text), textLength);
    if (!scanner.EncodingIsSafe()) return kUnreadableScriptDepth;
    return scanner.Deepest();
}

bool ScriptWithinLimits(const char* text, size_t length) {
    if (length > kMaxScriptBytes) return false;
    return ScriptNestingDepth(text, length) <= kMaxScriptDepth;
}
