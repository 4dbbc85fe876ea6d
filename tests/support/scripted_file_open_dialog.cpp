#include "tests/support/scripted_file_open_dialog.h"

namespace velsaro::testing {

void ScriptedFileOpenDialog::choose(const QStringList& paths)
{
    script_.push_back({Answer::Choose, paths});
}

void ScriptedFileOpenDialog::cancel()
{
    script_.push_back({Answer::Cancel, {}});
}

void ScriptedFileOpenDialog::fail()
{
    script_.push_back({Answer::Fail, {}});
}

FileOpenResult ScriptedFileOpenDialog::open(const FileOpenSettings& settings)
{
    openings_.push_back(settings);
    if (script_.empty())
        return {FileOpenResult::Status::Cancelled, {}};
    const Step step = script_.front();
    script_.pop_front();
    switch (step.answer) {
    case Answer::Choose:
        return fileOpenResult(step.paths, settings);
    case Answer::Fail:
        return {FileOpenResult::Status::Failed, {}};
    case Answer::Cancel:
        break;
    }
    return {FileOpenResult::Status::Cancelled, {}};
}

} // namespace velsaro::testing
