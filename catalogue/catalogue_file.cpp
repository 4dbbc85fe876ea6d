#include "catalogue/catalogue_file.h"

#include "catalogue/catalogue_schema.h"
#include "catalogue/file_identity.h"
#include "catalogue/paths.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>

namespace velsaro::detail {

namespace {

std::string systemReason(int error)
{
    return std::strerror(error);
}

// Whether the folder of file, where SQLite keeps the side files, may be written; errno says why not.
bool isFolderWritable(const std::string& file)
{
    return ::access(folderAndName(file).first.c_str(), W_OK) == 0;
}

// The system's reason why file, or its folder, cannot be written.
std::string whyNotWritable(const std::string& file)
{
    if (::access(file.c_str(), W_OK) != 0)
        return systemReason(errno);
    if (!isFolderWritable(file))
        return folderAndName(file).first + ": " + systemReason(errno);
    return "solo lectura";
}

// Without the locks it takes otherwise, SQLite can read a file as unchanging only where no run can
// be changing it: a file nobody may write, or one on a read-only mount.
bool isUnchanging(const std::string& file)
{
    struct stat status {};
    struct statvfs volume {};
    const bool noWriter = ::stat(file.c_str(), &status) == 0 && (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    return noWriter || (::statvfs(file.c_str(), &volume) == 0 && (volume.f_flag & ST_RDONLY) != 0);
}

// file as an SQLite URI with parameters, so that no name is ever read as a URI of its own.
std::string fileUri(const std::string& file, const std::string& parameters = {})
{
    // An absolute path gets an empty authority, so that one beginning "//" is not taken for a host.
    std::string uri = file.starts_with('/') ? "file://" : "file:";
    for (char c : file) {
        if (c == '?' || c == '#' || c == '%') {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(c));
            uri += escaped;
        } else {
            uri += c;
        }
    }
    return parameters.empty() ? uri : uri + "?" + parameters;
}

// What the first look found allows the access asked for.
void requireFor(const std::string& file, const CatalogueFileKind& kind, Access access)
{
    switch (kind.kind) {
    case CatalogueFileKind::Missing:
        if (access != Access::ReadWrite)
            throw CatalogueError(file, "el catálogo no existe");
        return;
    case CatalogueFileKind::NotRegular: throw CatalogueError(file, "no es un archivo regular; no se ha modificado");
    case CatalogueFileKind::Unopenable:
        throw CatalogueError(file, "no se puede abrir el archivo (" + systemReason(kind.openError) + ")");
    case CatalogueFileKind::Empty:
        if (access != Access::ReadWrite)
            throw notACatalogue(file);
        return;
    case CatalogueFileKind::Foreign: throw notACatalogue(file);
    case CatalogueFileKind::Catalogue:
        if (kind.format > catalogueFormat)
            throw laterFormat(file, kind.format);
        return;
    }
}

// Read-write wherever the file and its folder may be written; otherwise read-only. A logged file whose
// log is gone holds everything itself: where no run can change it, or where SQLite could not make the
// shared-memory file it reads a log with, it is read as it stands ("immutable"), and in the second case
// checked after the reading (readAsItStands); with a log, SQLite reads through it or says why not.
Connection connectTo(const std::string& file, const CatalogueFileKind& kind, Access access, bool& asItStands)
{
    const std::string real = resolvedPath(file).value_or(file);
    const bool missing = kind.kind == CatalogueFileKind::Missing;
    const bool writable = ::access(real.c_str(), W_OK) == 0 && isFolderWritable(real);
    if (access == Access::ReadWrite || (!missing && writable))
        return Connection(file, fileUri(real), SQLITE_OPEN_READWRITE | (missing ? SQLITE_OPEN_CREATE : 0));
    const bool noSideFiles = presenceOf(real + "-wal") == FilePresence::Gone && presenceOf(real + "-shm") == FilePresence::Gone;
    asItStands = kind.logged && noSideFiles && (isUnchanging(real) || !isFolderWritable(real));
    return Connection(file, fileUri(real, asItStands ? "immutable=1" : ""), SQLITE_OPEN_READONLY);
}

// SQLite reads a logged file only with its shared-memory file beside it, which a reader who may not
// write the folder cannot make: said as it is, rather than as the missing file SQLite reports.
CatalogueError withTrueReason(const std::string& file, const CatalogueFileKind& kind, const CatalogueError& error)
{
    const std::string real = resolvedPath(file).value_or(file);
    const auto [folder, name] = folderAndName(real);
    if (!kind.logged || presenceOf(real + "-shm") != FilePresence::Gone || isFolderWritable(real))
        return error;
    const int why = errno;
    return CatalogueError(file, "no se puede leer el catálogo: otra ejecución lo está escribiendo o terminó sin "
                                "cerrarlo, y leerlo así necesita el archivo «" + name + "-shm», que no se puede "
                                "crear en " + folder + " (" + systemReason(why) + ")");
}

// The format of a catalogue that is searched or merged from, upgraded where a search may write it.
int readFormat(const OpenedCatalogue& opened, const CatalogueFileKind& kind, Access access)
{
    int format = 0;
    try {
        format = readableFormat(opened.connection);
    } catch (const CatalogueError& error) {
        throw withTrueReason(opened.connection.file(), kind, error);
    }
    if (access == Access::Search && !opened.readOnly && format < catalogueFormat) {
        prepareCatalogue(opened.connection, false);
        format = catalogueFormat;
    }
    return format;
}

} // namespace

void requireUnchanged(const OpenedCatalogue& opened)
{
    if (!opened.readAsItStands)
        return;
    const std::string real = resolvedPath(opened.connection.file()).value_or(opened.connection.file());
    const std::optional<FileIdentity> now = fileIdentity(real);
    const bool unchanged = now && now->size == opened.readAsItStands->size &&
                           now->modified == opened.readAsItStands->modified && now->inode == opened.readAsItStands->inode;
    if (!unchanged || presenceOf(real + "-wal") != FilePresence::Gone)
        throw CatalogueError(opened.connection.file(), "otra ejecución ha empezado a escribir en el catálogo mientras "
                                                       "se leía; vuelva a intentarlo");
}

CatalogueError notACatalogue(const std::string& file)
{
    return CatalogueError(file, "no es un catálogo de velsaro-clave; no se ha modificado");
}

CatalogueError laterFormat(const std::string& file, int format)
{
    return CatalogueError(file, "el catálogo es de una versión posterior de velsaro-clave (formato " +
                                    std::to_string(format) + "; esta versión lee el formato " +
                                    std::to_string(catalogueFormat) + "); no se ha modificado");
}

OpenedCatalogue openCatalogueFile(const std::string& file, Access access)
{
    const CatalogueFileKind kind = identifyCatalogue(file);
    requireFor(file, kind, access);
    bool asItStands = false;
    OpenedCatalogue opened{connectTo(file, kind, access, asItStands), catalogueFormat, false, std::nullopt};
    if (asItStands)
        opened.readAsItStands = fileIdentity(resolvedPath(file).value_or(file));
    opened.readOnly = sqlite3_db_readonly(opened.connection.get(), "main") != 0;
    if (access != Access::ReadWrite) {
        opened.format = readFormat(opened, kind, access);
        return opened;
    }
    if (opened.readOnly)
        throw CatalogueError(file, "no se puede escribir en el catálogo (" + whyNotWritable(file) + ")");
    prepareCatalogue(opened.connection, true);
    useWriteAheadLog(opened.connection);
    // A catalogue of a million pictures has a path index of some dozens of MiB: a page cache of 64 MiB
    // keeps the pages that storing and looking up touch from being read again and again.
    opened.connection.execute("PRAGMA cache_size = -65536");
    return opened;
}

// Write-ahead logging lets one run read while another writes, and a commit survives the process
// being killed at any moment. The switch needs the file to itself and SQLite does not wait for that,
// so while another run holds it, this one waits and tries again.
void useWriteAheadLog(const Connection& connection)
{
    const auto deadline = std::chrono::steady_clock::now() + busyTimeout;
    for (;;) {
        const int result = sqlite3_exec(connection.get(), "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr);
        const bool busy = (result & 0xff) == SQLITE_BUSY || (result & 0xff) == SQLITE_LOCKED;
        if (!busy || std::chrono::steady_clock::now() >= deadline) {
            connection.check(result);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    connection.execute("PRAGMA synchronous = NORMAL");
}

// The switch succeeds only for the last connection to the file; the others leave it to that one.
void leaveWriteAheadLog(const Connection& connection)
{
    sqlite3_busy_timeout(connection.get(), 0);
    sqlite3_exec(connection.get(), "PRAGMA journal_mode = DELETE", nullptr, nullptr, nullptr);
}

} // namespace velsaro::detail
