#include "cli/batch.h"

#include "picture/drawing_area.h"
#include "picture/picture_file.h"

#include <malloc.h>

#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace velsaro::cli {

namespace {

// Results wait in their slots until everything before them has been delivered. Workers stay at most
// this many pictures per thread ahead of the delivery, so that one slow picture does not make the
// finished keys behind it (each holds its levels' coefficients) pile up without bound.
constexpr std::size_t lookaheadPerJob = 4;

// How long the delivery waits for the next result before it runs its waiting work.
constexpr std::chrono::milliseconds waitingPause{250};

class OrderedResults {
public:
    OrderedResults(std::size_t count, std::size_t lookahead) : slots_(count), lookahead_(lookahead) {}

    // The next entry to key, or none when all are taken.
    std::optional<std::size_t> take()
    {
        std::unique_lock lock(mutex_);
        roomAhead_.wait(lock, [&] { return next_ >= slots_.size() || next_ < delivered_ + lookahead_; });
        if (next_ >= slots_.size())
            return std::nullopt;
        return next_++;
    }

    void put(std::size_t index, PictureResult result)
    {
        {
            std::lock_guard lock(mutex_);
            slots_[index] = std::move(result);
        }
        ready_.notify_one();
    }

    // Blocks until entry index is done, running whileWaiting at each pause without it; entries must
    // be collected in order.
    PictureResult collect(std::size_t index, const std::function<void()>& whileWaiting)
    {
        std::unique_lock lock(mutex_);
        while (!ready_.wait_for(lock, waitingPause, [&] { return slots_[index].has_value(); })) {
            if (whileWaiting) {
                lock.unlock();
                whileWaiting();
                lock.lock();
            }
        }
        PictureResult result = std::move(*slots_[index]);
        slots_[index].reset();
        delivered_ = index + 1;
        lock.unlock();
        roomAhead_.notify_all();
        return result;
    }

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::condition_variable roomAhead_;
    std::vector<std::optional<PictureResult>> slots_;
    std::size_t lookahead_;
    std::size_t next_ = 0;
    std::size_t delivered_ = 0;
};

PictureResult failed(const PictureEntry& entry, std::string reason)
{
    return {entry.path, std::nullopt, std::move(reason)};
}

PictureResult keyOfReadablePicture(const PictureEntry& entry, Keying keying)
{
    // The fingerprint needs the whole of what the area shows, where the plain key needs only its region.
    const PictureRegion region =
        keying.fit ? PictureRegion::Fitted : (keying.fingerprints ? PictureRegion::Shown : PictureRegion::Keyed);
    const PictureFile file = readPictureFile(entry.path, region);
    if (file.error != PictureFileError::None)
        return failed(entry, file.reason.toStdString());
    const DrawingArea area(file.image);
    PictureResult result{entry.path, computeKey([&](int x, int y) { return area.point(x, y); }), {}};
    if (keying.fingerprints)
        result.fingerprint = fingerprintOf(area.coveredPart());
    return result;
}

} // namespace

void keepPictureMemory()
{
    // Blocks up to 32 MiB (glibc's largest threshold) come from the heap, and up to 64 MiB freed at
    // its top stay there.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
    mallopt(M_TOP_PAD, 64 << 20);
}

PictureResult keyPicture(const PictureEntry& entry, Keying keying)
{
    if (!entry.error.empty())
        return failed(entry, entry.error);
    try {
        return keyOfReadablePicture(entry, keying);
    } catch (const std::bad_alloc&) {
        return failed(entry, "no hay memoria suficiente para procesar la imagen");
    } catch (const std::exception&) {
        return failed(entry, "no se pudo procesar la imagen");
    }
}

void keyPictures(const std::vector<PictureEntry>& entries, int jobs, Keying keying, const ResultSink& deliver)
{
    keyPictures(entries.size(), jobs, [&](std::size_t index) { return keyPicture(entries[index], keying); },
                deliver, {});
}

void keyPictures(std::size_t count, int jobs, const PictureKeyer& keyOne, const ResultSink& deliver,
                 const std::function<void()>& whileWaiting)
{
    const std::size_t threadCount = std::min<std::size_t>(std::max(jobs, 1), std::max<std::size_t>(count, 1));
    OrderedResults results(count, threadCount * lookaheadPerJob);
    std::vector<std::jthread> workers;
    for (std::size_t t = 0; t < threadCount; ++t) {
        workers.emplace_back([&] {
            while (const auto index = results.take())
                results.put(*index, keyOne(*index));
        });
    }
    for (std::size_t i = 0; i < count; ++i)
        deliver(results.collect(i, whileWaiting));
}

} // namespace velsaro::cli
