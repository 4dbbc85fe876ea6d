#include "controls/file_open_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace velsaro {

namespace {

constexpr QChar separator(u'\0');

} // namespace

QString fileNameText(const QStringList& paths)
{
    if (paths.isEmpty())
        return {};
    if (paths.size() == 1)
        return paths.front();
    const QString folder = QFileInfo(paths.front()).absolutePath();
    QStringList parts{folder};
    for (const QString& path : paths) {
        const QFileInfo file(path);
        if (file.absolutePath() != folder)
            return {};
        parts.append(file.fileName());
    }
    return parts.join(separator);
}

FileOpenResult fileOpenResult(const QStringList& paths, const FileOpenSettings& settings)
{
    if (paths.isEmpty())
        return {FileOpenResult::Status::Cancelled, {}};
    const QString text = fileNameText(paths);
    if (text.isEmpty() || text.size() > settings.maxNameLength)
        return {FileOpenResult::Status::Failed, {}};
    return {FileOpenResult::Status::Chosen, text};
}

QStringList nameFilters(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        filters.append(parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')'));
    }
    return filters;
}

FileOpenResult QtFileOpenDialog::open(const FileOpenSettings& settings)
{
    QFileDialog dialog(parent_, settings.title);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(settings.allowMultiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    // The descriptions already name their patterns; Qt would show them a second time.
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails);
    const QStringList filters = nameFilters(settings.filter);
    // Patterns match whatever the letters' case, so that a camera's "FOTO.JPG" is offered for "*.jpg".
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    dialog.setNameFilters(filters);
    if (!filters.isEmpty())
        dialog.selectNameFilter(filters.front());
    if (dialog.exec() != QDialog::Accepted)
        return {FileOpenResult::Status::Cancelled, {}};
    return fileOpenResult(dialog.selectedFiles(), settings);
}

} // namespace velsaro
