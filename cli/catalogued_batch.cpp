#include "cli/catalogued_batch.h"

namespace velsaro::cli {

std::unique_ptr<Catalogue> openCatalogue(const std::string& file, CatalogueAccess access, Output& output)
{
    try {
        return std::make_unique<Catalogue>(file, access);
    } catch (const CatalogueError& error) {
        output.error(error.file(), error.what());
        return nullptr;
    }
}

CataloguedBatch::CataloguedBatch(Catalogue& catalogue, const std::vector<PictureEntry>& entries, Keying keying)
    : catalogue_(catalogue), entries_(entries), keying_(keying), kind_(keying.fit ? KeyKind::Fitted : KeyKind::Plain),
      identities_(entries.size())
{
    CataloguePaths paths;
    for (const PictureEntry& entry : entries)
        cataloguePaths_.push_back(entry.error.empty() ? paths(entry.path) : std::string());
}

PictureResult CataloguedBatch::key(std::size_t index)
{
    const PictureEntry& entry = entries_[index];
    if (!entry.error.empty())
        return keyPicture(entry, keying_);
    // The identity is taken before the file is read: a file changed while it is read is keyed again by
    // the next run rather than kept under its new identity.
    const std::optional<FileIdentity> identity = fileIdentity(entry.path);
    if (identity) {
        try {
            std::optional<StoredPicture> stored = catalogue_.storedPicture(cataloguePaths_[index], *identity, kind_);
            if (stored && stored->fingerprint)
                return {entry.path, std::move(stored->key), {}, stored->fingerprint};
        } catch (const CatalogueError&) {
            // Keyed from the file instead; a catalogue that fails for good fails its writes too.
        }
    }
    // Always with the fingerprint, which the catalogue stores so that no later run reads the file again.
    PictureResult result = keyPicture(entry, {keying_.fit, true});
    if (result.key)
        identities_[index] = identity;
    return result;
}

void CataloguedBatch::keep(std::size_t index, const PictureResult& result)
{
    if (error_)
        return;
    try {
        if (identities_[index] && result.key)
            catalogue_.store(cataloguePaths_[index], *identities_[index], kind_, *result.key, result.fingerprint);
        // Also after a key taken from the catalogue: a batch begun by one new picture is committed on
        // time however many stored ones follow it.
        catalogue_.commitIfDue();
    } catch (const CatalogueError& error) {
        fail(error);
    }
}

void CataloguedBatch::pause()
{
    if (error_)
        return;
    try {
        catalogue_.commit();
    } catch (const CatalogueError& error) {
        fail(error);
    }
}

std::optional<std::string> CataloguedBatch::finish()
{
    pause();
    return error_;
}

void CataloguedBatch::fail(const CatalogueError& error)
{
    error_ = error.what();
}

} // namespace velsaro::cli
