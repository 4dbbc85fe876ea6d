// Why a catalogue cannot be used: the file at fault and a Spanish phrase for the user.
#pragma once

#include <stdexcept>
#include <string>

namespace velsaro {

// file is the one at fault, what() a phrase that follows "velsaro-clave: FILE: ".
class CatalogueError : public std::runtime_error {
public:
    CatalogueError(std::string file, const std::string& reason) : std::runtime_error(reason), file_(std::move(file)) {}
    const std::string& file() const { return file_; }

private:
    std::string file_;
};

} // namespace velsaro
