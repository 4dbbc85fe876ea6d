#include "cli/progress_line.h"

#include <cstdio>

namespace velsaro::cli {

namespace {

constexpr auto redrawInterval = std::chrono::milliseconds(100);

// Every character of the line is one column; UTF-8 continuation bytes take none.
std::size_t columns(const std::string& text)
{
    std::size_t count = 0;
    for (char c : text)
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

std::string decimalWithComma(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    std::string result = text;
    for (char& c : result) {
        if (c == '.')
            c = ',';
    }
    return result;
}

} // namespace

std::string progressText(std::size_t done, std::size_t total, double seconds)
{
    const double rate = seconds > 0 ? double(done) / seconds : 0.0;
    return "velsaro-clave: " + std::to_string(done) + "/" + std::to_string(total) + " imágenes, " +
           decimalWithComma(rate) + " imágenes/s";
}

ProgressLine::ProgressLine(std::FILE* stream, std::size_t total, bool enabled)
    : stream_(stream), total_(total), enabled_(enabled)
{
}

void ProgressLine::update(std::size_t done)
{
    if (!enabled_)
        return;
    const Clock::time_point now = Clock::now();
    if (shownColumns_ != 0 && now - lastDraw_ < redrawInterval && done < total_)
        return;
    lastDraw_ = now;
    draw(done);
}

void ProgressLine::draw(std::size_t done)
{
    const double seconds = std::chrono::duration<double>(Clock::now() - start_).count();
    const std::string text = progressText(done, total_, seconds);
    const std::size_t width = columns(text);
    // Spaces cover what a longer previous line left behind.
    const std::string padding(shownColumns_ > width ? shownColumns_ - width : 0, ' ');
    std::fprintf(stream_, "\r%s%s", text.c_str(), padding.c_str());
    std::fflush(stream_);
    shownColumns_ = width;
}

void ProgressLine::erase()
{
    if (!enabled_ || shownColumns_ == 0)
        return;
    std::fprintf(stream_, "\r%s\r", std::string(shownColumns_, ' ').c_str());
    std::fflush(stream_);
    shownColumns_ = 0;
}

} // namespace velsaro::cli
