#include "cli/text_output.h"

namespace velsaro::cli {

namespace {

bool needsEscaping(const std::string& path)
{
    return path.find_first_of("\\\n") != std::string::npos;
}

std::string escaped(const std::string& path, bool backslashes = true)
{
    std::string text;
    for (char c : path) {
        if (c == '\\' && backslashes)
            text += "\\\\";
        else if (c == '\n')
            text += "\\n";
        else
            text += c;
    }
    return text;
}

std::string pictureCount(std::size_t count)
{
    return std::to_string(count) + (count == 1 ? " imagen" : " imágenes");
}

} // namespace

std::string keyLine(const std::string& keyText, const std::string& path)
{
    if (!needsEscaping(path))
        return keyText + "  " + path + "\n";
    std::string line(1, '\\');
    line += keyText + "  " + escaped(path) + "\n";
    return line;
}

std::string listedPath(const std::string& path)
{
    if (!needsEscaping(path))
        return path;
    std::string text(1, '\\');
    text += escaped(path);
    return text;
}

std::string errorLine(const std::string& path, const std::string& reason)
{
    return "velsaro-clave: " + escaped(path, false) + ": " + reason + "\n";
}

std::string groupHeading(std::size_t number, std::size_t count, const std::string& keyText)
{
    return "Grupo " + std::to_string(number) + " (" + pictureCount(count) + "): " + keyText + "\n";
}

std::string groupsText(const std::vector<KeyGroup>& groups)
{
    if (groups.empty())
        return {};
    std::string text = "\n";
    for (std::size_t i = 0; i < groups.size(); ++i) {
        const KeyGroup& group = groups[i];
        text += groupHeading(i + 1, group.paths.size(), group.keyText);
        for (const std::string& path : group.paths)
            text += "  " + listedPath(path) + "\n";
    }
    return text;
}

} // namespace velsaro::cli
