#include "agent_fixture.h"

#include <tesseract/baseapi.h>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <csignal>

#include "desktop_driver.h"

using DesktopDriver::run;
using DesktopDriver::waitUntil;

void AgentTest::SetUp() {
    ASSERT_TRUE(home_.isValid());
    ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY")) << "run inside scripts/desktop";
    QDir().mkpath(home_.filePath(QStringLiteral("data")));
    QDir().mkpath(home_.filePath(QStringLiteral("config")));
}

void AgentTest::TearDown() {
    if (agent_.state() != QProcess::NotRunning) stopAgent(SIGKILL, 5000);
}

QProcessEnvironment AgentTest::environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), home_.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home_.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    return env;
}

std::optional<DeploymentConfig> AgentTest::savedConfig() const {
    QFile file(home_.filePath(QStringLiteral("data/Tarnwhistle/deployment-config.json")));
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    return DeploymentConfig::decodeMerging(file.readAll());
}

bool AgentTest::startAgent(const QStringList& wrapper, bool waitForTray) {
    agent_.setProcessEnvironment(environment());
    agent_.setProcessChannelMode(QProcess::ForwardedChannels);
    const QStringList command = wrapper + QStringList{QStringLiteral(AGENT_EXECUTABLE)};
    agent_.start(command.first(), command.mid(1));
    if (!agent_.waitForStarted(10000) || !waitForTray)
        return agent_.state() != QProcess::NotRunning;
    // The tray icon is the agent's small window that the tray host maps.
    return waitUntil(
        [&] {
            tray_ = 0;
            for (quint32 id : windows())
                if (geometry(id).width() <= 48) tray_ = id;
            return tray_ != 0;
        },
        20000);
}

bool AgentTest::stopAgent(int signal, int timeoutMs) {
    ::kill(pid_t(agent_.processId()), signal);
    return agent_.waitForFinished(timeoutMs);
}

QRect AgentTest::newWindow(const std::vector<quint32>& before, int minHeight) {
    QRect found;
    waitUntil(
        [&] {
            for (quint32 w : windows()) {
                if (std::find(before.begin(), before.end(), w) != before.end()) continue;
                const QRect r = geometry(w);
                if (r.height() >= minHeight) found = r;
            }
            return !found.isEmpty();
        },
        20000);
    DesktopDriver::spin(600);  // drawn, not only mapped
    return found;
}

QRect AgentTest::geometry(quint32 window) const {
    // xwininfo gives the absolute position of a window inside a window manager's frame.
    QHash<QString, int> values;
    const QString info =
        run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(window)});
    for (const QString& line : info.split('\n'))
        values[line.section(':', 0, 0).trimmed()] = line.section(':', 1).trimmed().toInt();
    return QRect(values[QStringLiteral("Absolute upper-left X")],
                 values[QStringLiteral("Absolute upper-left Y")], values[QStringLiteral("Width")],
                 values[QStringLiteral("Height")]);
}

std::vector<quint32> AgentTest::windows() const {
    std::vector<quint32> out;
    const QString found = run(QStringLiteral("xdotool"),
                              {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                               QStringLiteral("--pid"), QString::number(agent_.processId())});
    for (const QString& id : found.split('\n', Qt::SkipEmptyParts)) {
        if (id.toUInt() != tray_) out.push_back(id.toUInt());
    }
    return out;
}

QImage AgentTest::screenshot(const QString& name) const {
    QDir().mkpath(QStringLiteral(E2E_OUTPUT_DIR "/agent"));
    const QString path = QStringLiteral(E2E_OUTPUT_DIR "/agent/%1.png").arg(name);
    if (!DesktopDriver::screenshot(path)) return {};
    return QImage(path);
}

QColor AgentTest::dotColor(const QImage& screen) const {
    // The icon is drawn 22 × 16 centred in a square: the dot's centre is at (17.75, 6.25).
    const QRect icon = geometry(tray_);
    const qreal scale = icon.width() / 22.0;
    return screen.pixelColor(icon.left() + qRound(17.75 * scale),
                             icon.top() + qRound(6.25 * scale));
}

std::optional<QRect> AgentTest::findText(const QImage& screen, const QRect& area,
                                         const QString& text) const {
    tesseract::TessBaseAPI api;
    if (api.Init(nullptr, "eng") != 0) return std::nullopt;
    api.SetPageSegMode(tesseract::PSM_SPARSE_TEXT);
    // Small interface text reads far better larger, grey and with a margin; two scales catch
    // what one misses.
    for (const int scale : {3, 4}) {
        QImage grey(area.size() * scale + QSize(40, 40), QImage::Format_Grayscale8);
        grey.fill(Qt::white);
        {
            QPainter p(&grey);
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.drawImage(QRect(QPoint(20, 20), area.size() * scale), screen.copy(area));
        }
        api.SetImage(grey.constBits(), grey.width(), grey.height(), 1, int(grey.bytesPerLine()));
        if (api.Recognize(nullptr) != 0) continue;
        std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
        if (!it) continue;
        do {
            std::unique_ptr<char[]> word(it->GetUTF8Text(tesseract::RIL_WORD));
            int x1, y1, x2, y2;
            if (!word || !QString::fromUtf8(word.get()).trimmed().startsWith(text) ||
                !it->BoundingBox(tesseract::RIL_WORD, &x1, &y1, &x2, &y2))
                continue;
            return QRect(area.left() + (x1 - 20) / scale, area.top() + (y1 - 20) / scale,
                         (x2 - x1) / scale, (y2 - y1) / scale);
        } while (it->Next(tesseract::RIL_WORD));
    }
    return std::nullopt;
}

bool AgentTest::chooseFromMenu(const QString& item, const QString& picture) {
    const std::vector<quint32> before = windows();
    click(geometry(tray_).center());
    const QRect menu = newWindow(before, 200);
    const auto entry = findText(screenshot(picture), menu, item);
    if (entry) click(entry->center());
    return entry.has_value();
}

void AgentTest::click(const QPoint& point) const {
    DesktopDriver::xdotool({QStringLiteral("mousemove"), QString::number(point.x()),
                            QString::number(point.y()), QStringLiteral("click"),
                            QStringLiteral("1")});
}
