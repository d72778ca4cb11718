// The agent's modal alerts. Each brings the agent to the front first: it has no window of its
// own the alert could belong to.
#pragma once

#include <QString>

namespace tarnwhistle {

namespace Alerts {
// "Delete all local data?"; true when "Delete" was chosen.
bool confirmDeleteLocalData();
// "Connect this computer to a dashboard?" for `webhook`; true when "Connect" was chosen.
bool confirmConnect(const QString& webhook);
// A message with one default button.
void inform(const QString& message, const QString& informativeText);
}  // namespace Alerts

}  // namespace tarnwhistle
