#pragma once

#include <QLoggingCategory>

namespace sonvera {
// Failures of the settings files: logged, never shown (the window goes on).
Q_DECLARE_LOGGING_CATEGORY(lcSettings)
} // namespace sonvera
