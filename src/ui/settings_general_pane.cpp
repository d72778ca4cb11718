#include "ui/settings_general_pane.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "config/config_store.h"
#include "ui/setting_blocks.h"
#include "ui/ui_style.h"

namespace tarnwhistle {

SettingsGeneralPane::SettingsGeneralPane(SettingsModel& model, const UiServices& services,
                                         QWidget* parent)
    : SettingsPane(model, services, parent) {
    chooseImportFile = [this] {
        return QFileDialog::getOpenFileName(this, QStringLiteral("Import Settings"),
                                            QDir::homePath(), QStringLiteral("JSON (*.json)"));
    };
    chooseExportFile = [this] {
        return QFileDialog::getSaveFileName(
            this, QStringLiteral("Export Settings"),
            QDir::home().filePath(QStringLiteral("deployment-config.json")),
            QStringLiteral("JSON (*.json)"));
    };
    showImportError = [this](const QString& reason) {
        QMessageBox::warning(this, QStringLiteral("Could not import"), reason);
    };

    auto* app = new SettingsGroup(QStringLiteral("App"), {}, this);
    startAtLogin_ = makeSwitch([](DeploymentConfig& c, bool on) { c.startAtLogin = on; });
    paused_ = makeSwitch([](DeploymentConfig& c, bool on) { c.paused = on; });
    app->addRow(new SettingRow(
        QStringLiteral("power"), UiStyle::green(), QStringLiteral("Start at login"),
        QStringLiteral("Open Tarnwhistle automatically when you log in."), startAtLogin_, app));
    app->addRow(new SettingRow(
        QStringLiteral("pause.fill"), UiStyle::gray(), QStringLiteral("Pause collecting"),
        QStringLiteral("Nothing is noticed or sent while paused."), paused_, app));
    column()->addWidget(app);

    auto* reader = new SettingsGroup(
        QStringLiteral("Screenshot reader"),
        QStringLiteral("Off by default. For apps that show too little text, Tarnwhistle reads the "
                       "words in a picture of the window with the built-in text recogniser and "
                       "deletes the picture straight away. Pictures are never kept or sent."),
        this);
    auto* readerBox = new QWidget(this);
    auto* readerLine = new QHBoxLayout(readerBox);
    readerLine->setContentsMargins(0, 0, 0, 0);
    allowCapture_ = makeButton(QStringLiteral("Allow…"));
    allowCapture_->setAccessibleName(QStringLiteral("Allow screen recording"));
    connect(allowCapture_, &QPushButton::clicked, this, [this] {
        if (services_.openScreenRecordingSettings) services_.openScreenRecordingSettings();
    });
    screenshots_ = makeSwitch([](DeploymentConfig& c, bool on) { c.screenshotReader = on; });
    screenshots_->setAccessibleName(QStringLiteral("Read text from window pictures"));
    readerLine->addWidget(allowCapture_);
    readerLine->addWidget(screenshots_);
    reader->addRow(new SettingRow(QStringLiteral("text.viewfinder"), UiStyle::blue(),
                                  QStringLiteral("Read text from window pictures"),
                                  QStringLiteral("Needs Screen Recording permission."), readerBox,
                                  reader));
    column()->addWidget(reader);
    connect(&model_, &SettingsModel::edited, this, &SettingsGeneralPane::updateScreenshotRow);

    auto* file = new SettingsGroup(
        QStringLiteral("Settings file"),
        QStringLiteral("Export includes your webhook secret. Share it only with people you trust."),
        this);
    auto* fileBox = new QWidget(this);
    auto* fileButtons = new QHBoxLayout(fileBox);
    fileButtons->setContentsMargins(0, 0, 0, 0);
    auto* reveal = makeButton(QStringLiteral("Show in file manager"), QStringLiteral("folder"));
    auto* importButton = makeButton(QStringLiteral("Import…"));
    auto* exportButton = makeButton(QStringLiteral("Export…"));
    fileButtons->addWidget(reveal);
    fileButtons->addWidget(importButton);
    fileButtons->addWidget(exportButton);
    const QString path = services_.configStore ? services_.configStore->filePath() : QString();
    auto* fileRow = new SettingRow(QStringLiteral("doc.badge.gearshape.fill"), UiStyle::blue(),
                                   QStringLiteral("deployment-config.json"),
                                   QDir::toNativeSeparators(path), nullptr, file);
    fileRow->detailLabel()->setTextInteractionFlags(Qt::TextSelectableByMouse);
    fileRow->detailLabel()->setWordWrap(true);
    file->addRow(fileRow);
    file->addWidget(fileBox);
    connect(reveal, &QPushButton::clicked, this, [this, path] {
        if (services_.revealFile) services_.revealFile(path);
    });
    connect(importButton, &QPushButton::clicked, this, &SettingsGeneralPane::importConfig);
    connect(exportButton, &QPushButton::clicked, this, &SettingsGeneralPane::exportConfig);
    column()->addWidget(file);

    auto* data = new SettingsGroup({}, {}, this);
    auto* remove = makeButton(QStringLiteral("Delete…"));
    remove->setAccessibleName(QStringLiteral("Delete all local data"));
    connect(remove, &QPushButton::clicked, this, [this] {
        if (services_.deleteLocalData) services_.deleteLocalData();
    });
    data->addRow(new SettingRow(
        QStringLiteral("trash.fill"), UiStyle::red(), QStringLiteral("Delete all local data"),
        QStringLiteral("Removes every signal and the activity log from this computer. Settings are "
                       "kept."),
        remove, data));
    column()->addWidget(data);
    column()->addStretch(1);
    load();
}

void SettingsGeneralPane::importConfig() {
    const QString path = chooseImportFile ? chooseImportFile() : QString();
    if (path.isEmpty()) return;
    QString error;
    if (!model_.importFrom(path, &error) && showImportError) showImportError(error);
}

void SettingsGeneralPane::exportConfig() {
    const QString path = chooseExportFile ? chooseExportFile() : QString();
    if (!path.isEmpty()) model_.exportTo(path);
}

void SettingsGeneralPane::updateScreenshotRow() {
    const bool allowed = !services_.screenCaptureAllowed || services_.screenCaptureAllowed();
    allowCapture_->setVisible(model_.draft().screenshotReader && !allowed);
}

void SettingsGeneralPane::load() {
    setChecked(startAtLogin_, model_.draft().startAtLogin);
    setChecked(paused_, model_.draft().paused);
    setChecked(screenshots_, model_.draft().screenshotReader);
    updateScreenshotRow();
}

}  // namespace tarnwhistle
