// The file-open dialog as the tests drive it: the user's choices are scripted in advance.
#pragma once

#include "controls/file_open_dialog.h"

#include <deque>
#include <vector>

namespace velsaro::testing {

// Answers each opening with the next scripted result, and cancels once the script is used up; keeps
// the settings of every opening.
class ScriptedFileOpenDialog : public FileOpenDialog {
public:
    // The user picks these absolute paths, in this order.
    void choose(const QStringList& paths);
    void cancel();
    void fail();

    FileOpenResult open(const FileOpenSettings& settings) override;
    const std::vector<FileOpenSettings>& openings() const { return openings_; }

private:
    enum class Answer { Choose, Cancel, Fail };
    struct Step {
        Answer answer = Answer::Cancel;
        QStringList paths;
    };
    std::deque<Step> script_;
    std::vector<FileOpenSettings> openings_;
};

} // namespace velsaro::testing
