#include "app/menu_bar.h"

#include <QAction>
#include <QMenu>

#include "../ui/ui_fixture.h"
#include "app/menu_header_view.h"
#include "app/status_icon.h"

namespace {

using State = AppStatus::State;

// The dot carries the state's colour; the bars are the label colour, dimmed only when paused.
TEST(StatusIconDrawing, DotAndBarsPerState) {
    const QColor label(20, 20, 20);
    for (const State state : {State::paused, State::needsPermission, State::localOnly,
                              State::connecting, State::connected, State::problem}) {
        const QImage image = StatusIcon::image(state, label, 2.0);
        // Centre of the dot (x 14.5 + 3.25, 3.25 from the top), and of the tall bar.
        const QColor dot = image.pixelColor(qRound(17.75 * 2), qRound(4.25 * 2));
        EXPECT_EQ(dot, AppStatus::color(state)) << AppStatus::title(state).toStdString();
        const QColor bar = image.pixelColor(15, 20);
        EXPECT_EQ(bar.rgb() & 0xffffff, label.rgb() & 0xffffff);
        EXPECT_NEAR(bar.alphaF(), state == State::paused ? 0.45 : 1.0, 0.01);
    }
}

class MenuBarTest : public UiFixture {
  protected:
    // Titles as the menu shows them, "-" for a separator, the header as "[header]".
    QString titles() {
        bar.menuNeedsUpdate();
        QStringList out;
        for (QAction* a : bar.menu()->actions()) {
            const QString title = (a->text() + ' ' + a->shortcut().toString()).trimmed();
            out << (a->isSeparator() ? QStringLiteral("-") : title.isEmpty() ? "[header]" : title);
        }
        return out.join(QStringLiteral(" | "));
    }

    int toggles = 0;
    MenuBar bar{status, [this] {
                    MenuBar::Actions actions;
                    actions.paused = [this] { return configStore.config().paused; };
                    actions.togglePause = [this] { ++toggles; };
                    return actions;
                }()};
};

// The icon is redrawn only when the state changes.
TEST_F(MenuBarTest, ItemsAndIconFollowTheState) {
    const QString common =
        " | Send Now | - | Settings… Ctrl+, | Activity Log… Ctrl+L | - | Open Dashboard | "
        "Documentation | About | - | Quit Ctrl+Q";
    int drawn = 0;
    QObject::connect(&bar, &MenuBar::iconChanged, [&] { ++drawn; });
    bar.setup();  // draws, then refreshes the status to fill the menu: drawn again
    // No webhook: "Connect…" leads.
    EXPECT_EQ(titles(), "[header] | - | Connect… | - | Pause Ctrl+P" + common);
    EXPECT_EQ(drawn, 2) << "the same state refreshed again";
    trusted = false;
    EXPECT_EQ(titles(), "[header] | - | Allow Accessibility… | - | Pause Ctrl+P" + common);
    EXPECT_EQ(drawn, 3);
    EXPECT_EQ(bar.item()->toolTip(), "Tarnwhistle — Needs permission");

    configure([](DeploymentConfig& c) { c.paused = true; });
    EXPECT_EQ(titles(), "[header] | - | Resume Ctrl+P" + common);
    bar.menu()->actions()[2]->trigger();
    EXPECT_EQ(toggles, 1);

    configure([](DeploymentConfig& c) {
        c.paused = false;
        c.webhookURL = QStringLiteral("https://hooks.example.org/in");
    });
    trusted = true;
    EXPECT_EQ(titles(), "[header] | - | Pause Ctrl+P" + common);
}

// The header's lines and chips: destination or "Kept on this computer"; "retrying" only with
// batches pending or failed.
TEST_F(MenuBarTest, HeaderLinesAndChips) {
    const QStringList ids = insertSignals(2);
    status.refresh();
    EXPECT_EQ(MenuHeaderView::lines(status).join(" | "),
              "Tarnwhistle — Not connected | Kept on this computer | 2 today · 2 waiting");

    configure(
        [](DeploymentConfig& c) { c.webhookURL = QStringLiteral("https://tarnwhistle.app/in"); });
    BatchRecord pending;
    pending.batchId = ULID::make(clock);
    pending.seq = 1;
    pending.status = BatchStatus::pending;
    ASSERT_EQ(store.saveBatch(pending, ids), 2);
    status.refresh();
    EXPECT_EQ(MenuHeaderView::lines(status).join(" | "),
              "Tarnwhistle — Connecting… | Tarnwhistle dashboard | Nothing delivered yet | "
              "2 today · 0 waiting · 1 retrying");
}

}  // namespace
