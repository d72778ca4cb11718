#include "ui/window_definitions.h"

#include "app/app_status.h"
#include "ui/activity_view.h"
#include "ui/settings_view.h"
#include "ui/status_pill.h"
#include "ui/welcome_view.h"
#include "ui/windows.h"

namespace tarnwhistle {

void bindStatusPill(StatusPill* pill, AppStatus& status) {
    auto show = [pill, &status] {
        pill->setState(AppStatus::title(status.state()), AppStatus::color(status.state()));
    };
    QObject::connect(&status, &AppStatus::stateChanged, pill, show);
    show();
}

void defineWindows(Windows& windows, const UiServices& services) {
    windows.define(Windows::welcome, {QStringLiteral("Welcome to Tarnwhistle"), QSize(640, 700),
                                      [services] { return new WelcomeView(services); }});
    windows.define(Windows::settings, {QStringLiteral("Tarnwhistle"), QSize(900, 660),
                                       [services] { return new SettingsView(services); }});
    windows.define(Windows::activity,
                   {QStringLiteral("Tarnwhistle — Activity Log"), QSize(960, 640), [services] {
                        auto* view =
                            new ActivityView(*services.store, *services.outbox, *services.eventLog);
                        if (services.status) bindStatusPill(view->statusPill(), *services.status);
                        return view;
                    }});
}

}  // namespace tarnwhistle
