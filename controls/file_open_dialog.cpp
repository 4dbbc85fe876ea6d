#include "controls/file_open_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QTreeView>

namespace velsaro {

namespace {

constexpr QChar separator(u'\0');

// The columns of Qt's file list.
enum FileColumn { nameColumn, sizeColumn, typeColumn, dateColumn };

// The file list's sizes and dates as Spain writes them ("634,70 KiB", "8/12/26 13:31"): Qt writes both
// in the system's locale, whatever language the dialog speaks. Folders show no size, as in Qt's list.
class SpanishFileDetails : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (!files || role != Qt::DisplayRole || (index.column() != sizeColumn && index.column() != dateColumn))
            return QIdentityProxyModel::data(index, role);
        const QModelIndex file = mapToSource(index);
        if (index.column() == dateColumn)
            return spanish_.toString(files->lastModified(file), QLocale::ShortFormat);
        return files->isDir(file) ? QString() : spanish_.formattedDataSize(files->size(file));
    }

private:
    const QLocale spanish_{QLocale::Spanish, QLocale::Spain};
};

// Wide enough for the file list's details in Spanish beside the folders' panel: names of some thirty
// letters, a size, a type such as "imagen BMP de Windows", a date and time.
constexpr QSize defaultDialogSize(760, 440);

// Every detail column as wide as its widest text or its title, so that none is cut; the names take
// the room left.
void showColumnsWhole(QFileDialog& dialog)
{
    auto* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (!details)
        return;
    QHeaderView* header = details->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(nameColumn, QHeaderView::Stretch);
    for (int column : {sizeColumn, typeColumn, dateColumn})
        header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
}

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
    dialog.setLocale(QLocale(QLocale::Spanish, QLocale::Spain));
    dialog.setProxyModel(new SpanishFileDetails(&dialog));
    showColumnsWhole(dialog);
    dialog.resize(dialog.sizeHint().expandedTo(defaultDialogSize));
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
