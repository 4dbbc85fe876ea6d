#include "tests/support/picture_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>

namespace velsaro::testing {

TemporaryFolder::TemporaryFolder() : dir_(QDir::tempPath() + "/velsaro-test-XXXXXX")
{
    if (!dir_.isValid())
        qFatal("cannot create a temporary folder: %s", qPrintable(dir_.errorString()));
}

TemporaryFolder::~TemporaryFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(QFile::encodeName(dir_.path()).toStdString(), ignored);
}

QString TemporaryFolder::path() const
{
    return dir_.path();
}

QString TemporaryFolder::filePath(const QString& name) const
{
    return dir_.filePath(name);
}

QString TemporaryFolder::write(const QString& name, const QByteArray& bytes) const
{
    const QString full = filePath(name);
    QDir().mkpath(QFileInfo(full).path());
    QFile file(full);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write test file %s", qPrintable(full));
    return full;
}

QString TemporaryFolder::makeFolder(const QString& name) const
{
    const QString full = filePath(name);
    if (!QDir().mkpath(full))
        qFatal("cannot create test folder %s", qPrintable(full));
    return full;
}

} // namespace velsaro::testing
