// Characters that change how a line looks without being seen themselves: controls (ESC starts a
// terminal's commands, a line break splits a line) and the marks, embeddings, overrides and isolates
// of Unicode's bidirectional algorithm (U+202E shows what follows reversed). Every output a person
// reads shows them escaped.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velsaro {

// A run of text: either characters shown as they are, or exactly one hidden character.
struct TextPiece {
    std::string_view text;
    bool hidden = false;
};

// text split into runs of shown characters and single hidden characters, in order; bytes that are
// not UTF-8 belong to the shown runs.
std::vector<TextPiece> textPieces(std::string_view text);

bool hasHiddenCharacter(std::string_view text);

// "\xNN" for every byte, in lowercase hexadecimal.
std::string hexEscaped(std::string_view bytes);

} // namespace velsaro
