#include "tests/support/Unprivileged.h"

#include <QDir>
#include <QFile>

#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testing_support {

std::optional<bool> runAsNobody(const std::function<bool()>& work, QString* whyNot) {
    const passwd* nobody = ::getpwnam("nobody");
    if (nobody == nullptr) {
        if (whyNot)
            *whyNot = QStringLiteral("no user 'nobody' on this machine");
        return std::nullopt;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        if (whyNot)
            *whyNot = QStringLiteral("fork failed");
        return std::nullopt;
    }
    if (child == 0) {
        if (::getuid() == 0 && (::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0)) {
            ::_exit(3);
        }
        if (::geteuid() == 0) {
            ::_exit(3);
        }
        ::_exit(work() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) > 1) {
        if (whyNot)
            *whyNot = QStringLiteral("could not run as 'nobody'");
        return std::nullopt;
    }
    return WEXITSTATUS(status) == 0;
}

void openUpForOthers(const QString& path) {
    // Only below the temporary folder: chmod would drop the sticky bit of /tmp itself.
    const QString top = QDir(QDir::tempPath()).canonicalPath();
    for (QDir dir(path); dir.canonicalPath().startsWith(top + '/'); dir.cdUp()) {
        QFile::setPermissions(dir.absolutePath(), QFile::permissions(dir.absolutePath()) |
                                                      QFileDevice::ExeOther |
                                                      QFileDevice::ReadOther);
    }
}

}  // namespace testing_support
