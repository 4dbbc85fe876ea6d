#include "controls/message_box.h"

#include <QMessageBox>

namespace velsaro {

void QtMessageBox::show(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(messageBoxTitle), text, QMessageBox::Ok,
                    parent_);
    box.exec();
}

} // namespace velsaro
