#include "picture/jpeg_stream.h"

#include "picture/format_reading.h"

#include <QIODevice>

#include <cstring>

namespace velsaro::detail {

namespace {

DeviceSource* deviceSource(j_decompress_ptr info) { return reinterpret_cast<DeviceSource*>(info->src); }

void startSource(j_decompress_ptr) {}
void endSource(j_decompress_ptr) {}

// The height field's two bytes, big-endian, wherever they fall in the bytes just read.
void rewriteHeight(DeviceSource* source, qint64 start, qint64 length)
{
    for (int i = 0; i < 2; ++i) {
        const qint64 at = source->heightPosition + i - start;
        if (source->heightPosition >= 0 && at >= 0 && at < length)
            source->buffer[at] = JOCTET(i == 0 ? source->height >> 8 : source->height & 0xFF);
    }
}

boolean fillBuffer(j_decompress_ptr info)
{
    DeviceSource* source = deviceSource(info);
    static const JOCTET endOfImage[] = {0xFF, 0xD9};
    const qint64 read = readAt(*source->device, source->position, reinterpret_cast<char*>(source->buffer),
                               qint64(sizeof(source->buffer)));
    if (read <= 0) {
        // As libjpeg's own sources do: an end marker where the file ends, so a cut file decodes grey.
        source->base.next_input_byte = endOfImage;
        source->base.bytes_in_buffer = sizeof(endOfImage);
        return TRUE;
    }
    rewriteHeight(source, source->position, read);
    source->position += read;
    source->base.next_input_byte = source->buffer;
    source->base.bytes_in_buffer = std::size_t(read);
    return TRUE;
}

void skipBytes(j_decompress_ptr info, long count)
{
    DeviceSource* source = deviceSource(info);
    if (count <= 0)
        return;
    if (std::size_t(count) <= source->base.bytes_in_buffer) {
        source->base.next_input_byte += count;
        source->base.bytes_in_buffer -= std::size_t(count);
        return;
    }
    source->position += qint64(count) - qint64(source->base.bytes_in_buffer);
    source->base.bytes_in_buffer = 0;
}

void consumeUpTo(DeviceSource* source, const JOCTET* at)
{
    source->base.bytes_in_buffer -= std::size_t(at - source->base.next_input_byte);
    source->base.next_input_byte = at;
}

// Stuffed zeros, restart markers and TEM begin no segment: libjpeg passes them between segments as
// this source does.
bool isWithinScan(int code)
{
    return code == 0x00 || code == 0x01 || (code >= 0xD0 && code <= 0xD7);
}

bool isFrameMarker(int code)
{
    return code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
}

// The code of the next marker as libjpeg's reader finds it: bytes up to 0xFF, 0xFF fill and stuffed
// zeros passed. -1 where the file ends.
int nextMarker(ByteStream& stream)
{
    for (;;) {
        if (!stream.skipPast(0xFF))
            return -1;
        while (stream.peek() == 0xFF)
            stream.next();
        const int code = stream.next();
        if (code != 0x00)
            return code;
    }
}

// Passes entropy-coded bytes up to the next marker that begins a segment, and leaves the source at its
// 0xFF.
void passToSegmentMarker(j_decompress_ptr info)
{
    DeviceSource* source = deviceSource(info);
    bool isAfterFF = false;
    for (;;) {
        if (source->base.bytes_in_buffer == 0)
            fillBuffer(info); // never empty: the end of the file reads as an end marker
        const JOCTET* start = source->base.next_input_byte;
        const JOCTET* end = start + source->base.bytes_in_buffer;
        const JOCTET* at = start;
        if (!isAfterFF) {
            at = static_cast<const JOCTET*>(std::memchr(at, 0xFF, std::size_t(end - at)));
            if (at == nullptr) {
                consumeUpTo(source, end);
                continue;
            }
            ++at;
            isAfterFF = true;
        }
        while (at < end && *at == 0xFF)
            ++at;
        if (at == end) {
            consumeUpTo(source, end);
            continue;
        }
        if (isWithinScan(*at)) {
            isAfterFF = false;
            consumeUpTo(source, at + 1);
            continue;
        }
        if (at > start) {
            consumeUpTo(source, at - 1); // libjpeg reads the marker from its 0xFF
        } else {
            // Its 0xFF ended the buffer before: read again from there.
            source->position -= qint64(end - at) + 1;
            source->base.bytes_in_buffer = 0;
        }
        return;
    }
}

} // namespace

void setDeviceSource(jpeg_decompress_struct* info, DeviceSource* source, QIODevice* device)
{
    source->device = device;
    source->base.init_source = startSource;
    source->base.fill_input_buffer = fillBuffer;
    source->base.skip_input_data = skipBytes;
    source->base.resync_to_restart = jpeg_resync_to_restart;
    source->base.term_source = endSource;
    restartWithHeight(source, -1, 0);
    info->src = &source->base;
}

void restartWithHeight(DeviceSource* source, qint64 heightPosition, int height)
{
    source->position = 0;
    source->heightPosition = heightPosition;
    source->height = height;
    source->base.next_input_byte = nullptr;
    source->base.bytes_in_buffer = 0;
}

qint64 frameHeightPosition(QIODevice& device)
{
    ByteStream stream(device, 2); // after start-of-image
    for (int code = nextMarker(stream); code >= 0 && code != 0xDA && code != 0xD9; code = nextMarker(stream)) {
        if (isWithinScan(code))
            continue;
        const int high = stream.next();
        const int low = stream.next();
        if (low < 0 || (high << 8 | low) < 2)
            return -1;
        if (isFrameMarker(code))
            return stream.position() + 1; // after the length, the sample precision, then the height
        stream.skip((high << 8 | low) - 2);
    }
    return -1;
}

void skipRestOfScan(jpeg_decompress_struct* info)
{
    // No marker yet (0) or a restart or TEM: the bit reader stopped inside the scan's data.
    if (isWithinScan(info->unread_marker))
        passToSegmentMarker(info);
}

} // namespace velsaro::detail
