#include "catalogue/visible_text.h"

#include <cstdio>

namespace velsaro {

namespace {

unsigned byteAt(std::string_view text, std::size_t at)
{
    return at < text.size() ? static_cast<unsigned char>(text[at]) : 0u;
}

// The length of the hidden character at text[at] in UTF-8, or 0: C0 controls and DEL; C1 controls
// (U+0080..U+009F); U+061C; U+200E, U+200F; U+2028, U+2029, which break lines; U+202A..U+202E;
// U+2066..U+2069.
std::size_t hiddenLength(std::string_view text, std::size_t at)
{
    const unsigned first = byteAt(text, at);
    if (first < 0x20 || first == 0x7f)
        return 1;
    const unsigned second = byteAt(text, at + 1);
    if ((first == 0xc2 && second >= 0x80 && second <= 0x9f) || (first == 0xd8 && second == 0x9c))
        return 2;
    if (first != 0xe2)
        return 0;
    const unsigned third = byteAt(text, at + 2);
    const bool marks = second == 0x80 && (third == 0x8e || third == 0x8f || (third >= 0xa8 && third <= 0xae));
    const bool isolates = second == 0x81 && third >= 0xa6 && third <= 0xa9;
    return marks || isolates ? 3 : 0;
}

} // namespace

std::vector<TextPiece> textPieces(std::string_view text)
{
    std::vector<TextPiece> pieces;
    std::size_t shownFrom = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = hiddenLength(text, at);
        if (length == 0) {
            ++at;
            continue;
        }
        if (at > shownFrom)
            pieces.push_back({text.substr(shownFrom, at - shownFrom), false});
        pieces.push_back({text.substr(at, length), true});
        at += length;
        shownFrom = at;
    }
    if (shownFrom < text.size())
        pieces.push_back({text.substr(shownFrom), false});
    return pieces;
}

bool hasHiddenCharacter(std::string_view text)
{
    for (std::size_t at = 0; at < text.size(); ++at)
        if (hiddenLength(text, at) > 0)
            return true;
    return false;
}

std::string hexEscaped(std::string_view bytes)
{
    std::string text;
    for (char c : bytes) {
        char hex[5];
        std::snprintf(hex, sizeof hex, "\\x%02x", unsigned(static_cast<unsigned char>(c)));
        text += hex;
    }
    return text;
}

} // namespace velsaro
