#include "app/alerts.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>

namespace tarnwhistle {

namespace {

// A two-button alert whose first button is the default; true when it was chosen.
bool ask(QMessageBox::Icon icon, const QString& message, const QString& informative,
         const QString& accept, const QString& cancel) {
    QMessageBox box(icon, QStringLiteral("Tarnwhistle"), message);
    box.setInformativeText(informative);
    QPushButton* yes = box.addButton(accept, QMessageBox::AcceptRole);
    box.addButton(cancel, QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
    return box.clickedButton() == yes;
}

}  // namespace

bool Alerts::confirmDeleteLocalData() {
    return ask(QMessageBox::Warning, QStringLiteral("Delete all local data?"),
               QStringLiteral("This removes every signal and the activity log stored on this "
                              "computer. Your settings are kept. Data already sent to a server "
                              "is not affected."),
               QStringLiteral("Delete"), QStringLiteral("Cancel"));
}

bool Alerts::confirmConnect(const QString& webhook) {
    return ask(QMessageBox::Question, QStringLiteral("Connect this computer to a dashboard?"),
               QStringLiteral("Tarnwhistle will send its signals to:\n") + webhook +
                   QStringLiteral("\n\nYou can change this any time in Settings → Delivery."),
               QStringLiteral("Connect"), QStringLiteral("Cancel"));
}

void Alerts::inform(const QString& message, const QString& informativeText) {
    QMessageBox box(QMessageBox::Information, QStringLiteral("Tarnwhistle"), message);
    box.setInformativeText(informativeText);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}

}  // namespace tarnwhistle
