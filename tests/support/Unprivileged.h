#pragma once

#include <QString>
#include <functional>
#include <optional>

namespace testing_support {

// Root ignores file permissions, so permission faults are tested in a child process that runs
// as "nobody". Returns what `work` returned in the child, or nothing when the child could not
// drop its privileges (the reason goes to `whyNot`).
std::optional<bool> runAsNobody(const std::function<bool()>& work, QString* whyNot = nullptr);

// Makes `path` reachable and readable for everyone (the folders of a QTemporaryDir are not).
void openUpForOthers(const QString& path);

}  // namespace testing_support
