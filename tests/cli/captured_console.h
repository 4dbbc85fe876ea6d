// A console whose output and error streams are memory buffers, to read back what the tool wrote.
#pragma once

#include "cli/console.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace velsaro::testing {

class CapturedConsole {
public:
    CapturedConsole()
    {
        console_.out = open_memstream(&outData_, &outSize_);
        console_.err = open_memstream(&errData_, &errSize_);
    }
    ~CapturedConsole()
    {
        std::fclose(console_.out);
        std::fclose(console_.err);
        std::free(outData_);
        std::free(errData_);
    }
    CapturedConsole(const CapturedConsole&) = delete;
    CapturedConsole& operator=(const CapturedConsole&) = delete;

    const cli::Console& console() const { return console_; }
    std::string out() const { return contents(console_.out, outData_, outSize_); }
    std::string err() const { return contents(console_.err, errData_, errSize_); }

private:
    static std::string contents(std::FILE* stream, char* const& data, const std::size_t& size)
    {
        std::fflush(stream);
        return std::string(data, size);
    }

    cli::Console console_;
    char* outData_ = nullptr;
    char* errData_ = nullptr;
    std::size_t outSize_ = 0;
    std::size_t errSize_ = 0;
};

} // namespace velsaro::testing
