#include "cli/near_groups.h"

#include "cli/leader_indexes.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <optional>
#include <thread>

namespace velsaro::cli {

namespace {

// A candidate from the parts costs a scattered read where the scan reads keys in a row, several to a
// register: the parts are worth looking up only for fewer candidates than this share of the keys.
constexpr std::size_t scanCostRatio = 16;
// Pictures whose groups are sought side by side before they join them, in order.
constexpr std::size_t picturesPerRound = 1024;
// Blocks whose keys within reach the confirmed grouping's scan gathers before confirming them.
constexpr std::size_t blocksPerStretch = 64;

// The groups' first keys, in blocks for the vector scan and, for small distances, by the values of
// their parts, so that a key need only be measured against first keys equal to it in some part.
class Leaders {
public:
    Leaders(int maxDistance, const std::vector<PackedKey>& keys) : maxDistance_(maxDistance)
    {
        if (maxDistance <= largestIndexedDistance)
            keyParts_.emplace(keys, maxDistance);
    }

    std::size_t size() const { return keys_.size(); }
    const PackedKey& key(std::size_t leader) const { return keys_[leader]; }

    void add(const PackedKey& key)
    {
        const std::size_t number = keys_.size();
        if (number % keysPerBlock == 0)
            blocks_.emplace_back();
        blocks_.back().place(number % keysPerBlock, key);
        keys_.push_back(key);
        if (keyParts_)
            keyParts_->add(key);
    }

    // The first of the first count leaders within reach of key.
    std::optional<std::size_t> firstWithin(const PackedKey& key, std::size_t count) const
    {
        KeyPartsIndex::Lists lists{};
        if (!keyParts_ || keyParts_->listsSharing(key, lists) * scanCostRatio >= count)
            return firstKeyWithin(blocks_.data(), count, key, maxDistance_);
        const std::size_t first = keyParts_->firstAccepted(
            lists, 0, count, [&](std::size_t leader) { return keyDistance(keys_[leader], key) <= maxDistance_; });
        return first == count ? std::nullopt : std::optional(first);
    }

    // The first leader from number on within reach of key, measured one by one.
    std::optional<std::size_t> firstWithinFrom(const PackedKey& key, std::size_t number) const
    {
        for (; number < keys_.size(); ++number)
            if (keyDistance(keys_[number], key) <= maxDistance_)
                return number;
        return std::nullopt;
    }

private:
    int maxDistance_;
    std::vector<KeyBlock> blocks_;
    std::vector<PackedKey> keys_;
    std::optional<KeyPartsIndex> keyParts_;
};

std::vector<PackedKey> packedKeysOf(const std::vector<KeyedPicture>& pictures)
{
    std::vector<PackedKey> keys;
    for (const KeyedPicture& picture : pictures)
        keys.push_back(packedKey(picture.codes));
    return keys;
}

// Runs work(i) for every i of [first, end) on jobs threads.
template <typename Work>
void forEachOn(int jobs, std::size_t first, std::size_t end, const Work& work)
{
    const auto share = [&](std::size_t start) {
        for (std::size_t i = first + start; i < end; i += std::size_t(jobs))
            work(i);
    };
    std::vector<std::jthread> helpers;
    for (int t = 1; t < jobs; ++t)
        helpers.emplace_back(share, std::size_t(t));
    share(0);
}

} // namespace

// Round by round: the pictures of a round seek their group among the groups made before the round,
// side by side, which changes nothing since a group made before comes first; then, in order, a picture
// that found none there is measured against the groups made earlier in its round.
std::vector<NearGroup> nearGroups(const std::vector<KeyedPicture>& pictures, int maxDistance, int jobs)
{
    const std::vector<PackedKey> keys = packedKeysOf(pictures);
    Leaders leaders(maxDistance, keys);
    std::vector<NearGroup> groups;
    std::vector<std::optional<std::size_t>> found(picturesPerRound);
    for (std::size_t start = 0; start < keys.size(); start += picturesPerRound) {
        const std::size_t end = std::min(keys.size(), start + picturesPerRound);
        const std::size_t before = leaders.size();
        forEachOn(before == 0 ? 1 : std::max(jobs, 1), start, end,
                  [&](std::size_t i) { found[i - start] = leaders.firstWithin(keys[i], before); });
        for (std::size_t i = start; i < end; ++i) {
            std::optional<std::size_t> group = found[i - start];
            if (!group)
                group = leaders.firstWithinFrom(keys[i], before);
            if (!group) {
                leaders.add(keys[i]);
                groups.push_back({keyText(pictures[i].codes), {pictures[i].path}, {0}});
                continue;
            }
            groups[*group].paths.push_back(pictures[i].path);
            groups[*group].distances.push_back(keyDistance(leaders.key(*group), keys[i]));
        }
    }
    return groups;
}

namespace {

// The groups' first pictures, searched clause by clause of the near-copy rule: the hash index for
// hashes within 8 bits, then, before the leader that gives, the key parts index or the vector scan of
// the keys for the leaders whose keys are within reach, each confirmed by the whole rule.
class ConfirmedLeaders {
public:
    ConfirmedLeaders(int maxDistance, const std::vector<PackedKey>& keys) : maxDistance_(maxDistance)
    {
        if (maxDistance <= largestIndexedDistance)
            keyParts_.emplace(keys, maxDistance);
    }

    std::size_t size() const { return keys_.size(); }
    const KeyedPicture& picture(std::size_t leader) const { return *pictures_[leader]; }

    void add(const KeyedPicture& picture, const PackedKey& key, const GreySketch& sketch)
    {
        sketches_.push_back(sketch);
        const std::size_t number = keys_.size();
        if (number % keysPerBlock == 0)
            blocks_.emplace_back();
        blocks_.back().place(number % keysPerBlock, key);
        keys_.push_back(key);
        pictures_.push_back(&picture);
        byHash_.add(picture.fingerprint.hash);
        if (keyParts_)
            keyParts_->add(key);
    }

    // The first leader of [from, end) that picture is a near copy of.
    std::optional<std::size_t> firstConfirmed(const KeyedPicture& picture, const PackedKey& key,
                                              const GreySketch& sketch, std::size_t from, std::size_t end) const
    {
        std::size_t first = byHash_.firstWithin(picture.fingerprint.hash, from, end);
        // Leaders within 8 bits of hash are all found above: the rest need the grey levels too.
        const auto confirms = [&](std::size_t leader) {
            const int hashes = std::popcount(byHash_.hash(leader) ^ picture.fingerprint.hash);
            if (hashes > smoothHashDistance)
                return false;
            const int keys = keyDistance(keys_[leader], key);
            return keys <= maxDistance_ && mayConfirmByKey(hashes, sketches_[leader], sketch) &&
                   isNearCopy(keys, pictures_[leader]->fingerprint, picture.fingerprint, maxDistance_);
        };
        KeyPartsIndex::Lists lists{};
        if (keyParts_ && keyParts_->listsSharing(key, lists) * scanCostRatio < first - from)
            first = keyParts_->firstAccepted(lists, from, first, confirms);
        else
            first = firstScanned(key, from, first, confirms);
        return first == end ? std::nullopt : std::optional(first);
    }

private:
    // The first leader of [from, end) whose key is within reach and that confirms takes; end if none.
    // The vector scan gathers a stretch of blocks' keys within reach at a time, then confirms them in
    // order.
    template <typename Confirms>
    std::size_t firstScanned(const PackedKey& key, std::size_t from, std::size_t end, const Confirms& confirms) const
    {
        std::array<KeyHit, blocksPerStretch * keysPerBlock> hits;
        for (std::size_t block = from / keysPerBlock; block * keysPerBlock < end; block += blocksPerStretch) {
            const std::size_t first = block * keysPerBlock;
            const std::size_t count = std::min(end - first, hits.size());
            const std::size_t hitCount = keysWithin(&blocks_[block], count, {&key, 1}, maxDistance_, hits.data());
            const auto found = hits.begin() + std::ptrdiff_t(hitCount);
            std::sort(hits.begin(), found, [](const KeyHit& a, const KeyHit& b) { return a.key < b.key; });
            for (auto hit = hits.begin(); hit != found; ++hit)
                if (first + hit->key >= from && confirms(first + hit->key))
                    return first + hit->key;
        }
        return end;
    }

    int maxDistance_;
    std::vector<KeyBlock> blocks_;
    std::vector<PackedKey> keys_;
    std::vector<const KeyedPicture*> pictures_;
    std::vector<GreySketch> sketches_;
    HashIndex byHash_;
    std::optional<KeyPartsIndex> keyParts_;
};

void join(NearGroup& group, const KeyedPicture& first, const KeyedPicture& picture)
{
    group.paths.push_back(picture.path);
    group.distances.push_back(keyDistance(packedKey(first.codes), packedKey(picture.codes)));
    group.hashDistances.push_back(hashDistance(first.fingerprint, picture.fingerprint));
    group.greyCorrelations.push_back(greyCorrelation(first.fingerprint, picture.fingerprint));
}

} // namespace

std::string correlationText(double correlation)
{
    char text[16];
    std::snprintf(text, sizeof text, "%.3f", correlation);
    return text;
}

// In rounds as nearGroups: side by side against the groups made before the round, then in order
// against those made during it.
std::vector<NearGroup> confirmedNearGroups(const std::vector<KeyedPicture>& pictures, int maxDistance, int jobs)
{
    const std::vector<PackedKey> keys = packedKeysOf(pictures);
    ConfirmedLeaders leaders(maxDistance, keys);
    std::vector<NearGroup> groups;
    std::vector<std::optional<std::size_t>> found(picturesPerRound);
    std::vector<GreySketch> sketches(picturesPerRound);
    for (std::size_t start = 0; start < keys.size(); start += picturesPerRound) {
        const std::size_t end = std::min(keys.size(), start + picturesPerRound);
        const std::size_t before = leaders.size();
        forEachOn(std::max(jobs, 1), start, end, [&](std::size_t i) {
            sketches[i - start] = greySketchOf(pictures[i].fingerprint);
            found[i - start] = leaders.firstConfirmed(pictures[i], keys[i], sketches[i - start], 0, before);
        });
        for (std::size_t i = start; i < end; ++i) {
            const GreySketch& sketch = sketches[i - start];
            std::optional<std::size_t> group = found[i - start];
            if (!group)
                group = leaders.firstConfirmed(pictures[i], keys[i], sketch, before, leaders.size());
            if (!group) {
                leaders.add(pictures[i], keys[i], sketch);
                groups.push_back({keyText(pictures[i].codes), {}, {}});
                join(groups.back(), pictures[i], pictures[i]);
                continue;
            }
            join(groups[*group], leaders.picture(*group), pictures[i]);
        }
    }
    return groups;
}

DistanceMatrix distanceMatrix(const std::vector<KeyedPicture>& pictures)
{
    DistanceMatrix matrix;
    for (const KeyedPicture& row : pictures) {
        matrix.paths.push_back(row.path);
        std::vector<int> distances;
        for (const KeyedPicture& column : pictures)
            distances.push_back(keyDistance(packedKey(row.codes), packedKey(column.codes)));
        matrix.distances.push_back(distances);
    }
    return matrix;
}

} // namespace velsaro::cli
