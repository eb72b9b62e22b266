#pragma once

#include <QString>

namespace sonvera {

// Where the private work folder should be: <temp>/sonvera-<uid>.
QString defaultWorkFolderPath();

// Makes sure the private work folder exists and returns its path: `preferred`
// when it is (or can be made) a real folder of this user with mode 0700,
// else a fresh private folder that lasts until the program ends. A symbolic
// link or another user's folder at `preferred` is never used. Returns "" only
// when no private folder can be made at all.
QString prepareWorkFolder(const QString &preferred);

} // namespace sonvera
