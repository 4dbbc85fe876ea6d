#include "controls/message_box.h"
#include "tests/controls/qstring_printer.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

const QString tooMany = QStringLiteral(
    "Ha seleccionado demasiados archivos (Máximo 8). O la ruta del directorio es demasiado larga.");

TEST(QtMessageBox, ShowsTheTextWithTheProgramsTitleAndOnlyAnOkButton)
{
    QString title;
    QString text;
    int buttons = -1;
    bool okPressed = false;
    // The box is modal: it is inspected and dismissed from the event loop it runs.
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            if (QWidget* other = QApplication::activeModalWidget())
                other->close();
            return;
        }
        title = box->windowTitle();
        text = box->text();
        buttons = int(box->buttons().size());
        QAbstractButton* ok = box->button(QMessageBox::Ok);
        if (ok)
            ok->click();
        else
            box->reject();
        okPressed = ok != nullptr;
    });
    velsaro::QtMessageBox messages(nullptr);
    messages.show(tooMany);
    EXPECT_TRUE(okPressed);
    EXPECT_EQ(title, QStringLiteral("Velsaro"));
    EXPECT_EQ(text, tooMany);
    EXPECT_EQ(buttons, 1);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(QtMessageBox, ItsButtonReadsAceptar)
{
    QString button;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            if (QWidget* other = QApplication::activeModalWidget())
                other->close();
            return;
        }
        if (QAbstractButton* ok = box->button(QMessageBox::Ok))
            button = ok->text();
        box->reject();
    });
    velsaro::QtMessageBox(nullptr).show(tooMany);
    EXPECT_EQ(button, "Aceptar");
}

} // namespace
