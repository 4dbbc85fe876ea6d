// The file-open dialog behind a small interface, so that tests can script the user's choice. The
// result is one file-name text: the full path of a single file, or the folder followed by each chosen
// name, the parts separated by NUL characters.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace velsaro {

struct FileOpenSettings {
    QString title;
    // Pairs of a description and its patterns, all separated by "|"; patterns within a pair by ";".
    // The first pair is preselected.
    QString filter;
    bool allowMultiple = false;
    // Longest file-name text the caller accepts; a longer choice is reported as Failed.
    int maxNameLength = 260;
};

struct FileOpenResult {
    enum class Status {
        Chosen,
        Cancelled,
        // The dialog could not give a file-name text: longer than allowed, or files from several
        // folders, which the text cannot express.
        Failed,
    };
    Status status = Status::Cancelled;
    QString fileNames; // empty unless Chosen
};

// The file-name text of chosen paths (absolute, as a dialog returns them); empty for no path or for
// paths in different folders.
QString fileNameText(const QStringList& paths);
// The choice a dialog reports for paths under settings.
FileOpenResult fileOpenResult(const QStringList& paths, const FileOpenSettings& settings);
// Qt's form of a filter text: one "description (pattern pattern ...)" per pair. A trailing
// description without patterns is dropped.
QStringList nameFilters(const QString& filter);

class FileOpenDialog {
public:
    virtual ~FileOpenDialog() = default;
    // Opens the dialog modally and returns the user's choice.
    virtual FileOpenResult open(const FileOpenSettings& settings) = 0;
};

// Qt's own file dialog (not the desktop's), the same on every desktop and drivable by tests. It lists
// the descriptions of the filter without repeating their patterns.
class QtFileOpenDialog : public FileOpenDialog {
public:
    explicit QtFileOpenDialog(QWidget* parent) : parent_(parent) {}
    FileOpenResult open(const FileOpenSettings& settings) override;

private:
    QWidget* parent_;
};

} // namespace velsaro
