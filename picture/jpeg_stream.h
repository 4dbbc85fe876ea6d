// libjpeg's input read from the device as libjpeg asks for it, and the two cuts that let it decode the
// region of a progressive or multi-scan JPEG alone: a frame header that declares only the rows the
// region needs, and each scan passed from the end of those rows to the marker after it.
#pragma once

#include <QtGlobal>

#include <cstdio> // jpeglib.h uses FILE without including it

#include <jpeglib.h>

class QIODevice;

namespace velsaro::detail {

struct DeviceSource {
    jpeg_source_mgr base;
    QIODevice* device;
    qint64 position;       // of the byte after the buffer
    qint64 heightPosition; // of the frame header's height field, served as height; -1 for none
    int height;
    JOCTET buffer[64 * 1024];
};

// Makes source libjpeg's input, read from the device's start; the device must outlive the decode.
void setDeviceSource(jpeg_decompress_struct* info, DeviceSource* source, QIODevice* device);

// From the device's start again, the frame header's height field read as height.
void restartWithHeight(DeviceSource* source, qint64 heightPosition, int height);

// Where the height field of the first frame header lies, found by walking the segments before it as
// libjpeg walks them; -1 where a scan or the end comes first.
qint64 frameHeightPosition(QIODevice& device);

// Passes the rest of the scan whose data libjpeg has decoded as far as it needs: entropy-coded bytes,
// stuffed zeros and restart markers, up to the next marker that libjpeg reads as a segment (a table,
// the next scan, the end), unless its bit reader already met that marker. The region's bytes were
// read; the rest is only looked through for 0xFF.
void skipRestOfScan(jpeg_decompress_struct* info);

} // namespace velsaro::detail
