#include "ui/settings_identity_pane.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "privacy/privacy.h"
#include "ui/setting_blocks.h"
#include "ui/ui_style.h"

namespace tarnwhistle {

namespace {

// A read-only value with a "Copy" button beside it.
QWidget* copyable(QLabel* value, QPushButton* copy, QWidget* parent) {
    auto* box = new QWidget(parent);
    auto* line = new QHBoxLayout(box);
    line->setContentsMargins(0, 0, 0, 0);
    value->setFont(UiStyle::monospaceFont(0.95));
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    line->addWidget(value);
    line->addWidget(copy);
    QObject::connect(copy, &QPushButton::clicked, value,
                     [value] { QGuiApplication::clipboard()->setText(value->text()); });
    return box;
}

}  // namespace

SettingsIdentityPane::SettingsIdentityPane(SettingsModel& model, const UiServices& services,
                                           QWidget* parent)
    : SettingsPane(model, services, parent) {
    auto* person = new SettingsGroup(QStringLiteral("Organisation and person"), {}, this);
    orgId_ = makeField(QStringLiteral("personal"),
                       [](DeploymentConfig& c, const QString& t) { c.orgId = t; });
    externalRef_ = makeField(QStringLiteral("Optional"),
                             [](DeploymentConfig& c, const QString& t) { c.externalRef = t; });
    person->addRow(new SettingRow(
        QStringLiteral("building.2.fill"), UiStyle::blue(), QStringLiteral("Organisation id"),
        QStringLiteral("Sent as org_id with every batch."), orgId_, person));
    person->addRow(new SettingRow(
        QStringLiteral("person.crop.rectangle.fill"), UiStyle::green(),
        QStringLiteral("Employee reference"),
        QStringLiteral("Optional. Lets your own systems link signals to a record, e.g. an HR "
                       "system id."),
        externalRef_, person));
    column()->addWidget(person);

    auto* machine = new SettingsGroup(
        QStringLiteral("This computer"),
        QStringLiteral("People are never sent by name. The subject code is made from your user "
                       "name on this computer and a private salt that never leaves it."),
        this);
    deviceId_ = new QLabel(this);
    subject_ = new QLabel(this);
    auto* copyDevice = makeButton(QStringLiteral("Copy"), QStringLiteral("doc.on.doc"));
    copyDevice->setAccessibleName(QStringLiteral("Copy device id"));
    auto* copySubject = makeButton(QStringLiteral("Copy"), QStringLiteral("doc.on.doc"));
    copySubject->setAccessibleName(QStringLiteral("Copy subject code"));
    machine->addRow(new SettingRow(QStringLiteral("laptopcomputer"), UiStyle::gray(),
                                   QStringLiteral("Device id"), {},
                                   copyable(deviceId_, copyDevice, this), machine));
    machine->addRow(new SettingRow(QStringLiteral("person.badge.key.fill"), UiStyle::purple(),
                                   QStringLiteral("Subject code"), {},
                                   copyable(subject_, copySubject, this), machine));
    column()->addWidget(machine);
    column()->addStretch(1);
    load();
}

QString SettingsIdentityPane::subjectCode() const {
    return Privacy::hash(services_.loginName, model_.draft().salt, u"sub_");
}

void SettingsIdentityPane::load() {
    setText(orgId_, model_.draft().orgId);
    setText(externalRef_, model_.draft().externalRef);
    deviceId_->setText(model_.draft().deviceId);
    deviceId_->setAccessibleName(QStringLiteral("Device id: ") + deviceId_->text());
    subject_->setText(subjectCode());
    subject_->setAccessibleName(QStringLiteral("Subject code: ") + subject_->text());
}

}  // namespace tarnwhistle
