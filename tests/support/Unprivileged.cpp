#include "tests/support/Unprivileged.h"

#include <QDir>
#include <QFile>

#include <grp.h>
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
    const std::optional<bool> result = ChildAs(nobody->pw_uid, nobody->pw_gid, work).wait();
    if (!result && whyNot) {
        *whyNot = QStringLiteral("could not run as 'nobody'");
    }
    return result;
}

ChildAs::ChildAs(uid_t uid, gid_t gid, const std::function<bool()>& work) {
    pid_ = ::fork();
    if (pid_ != 0) {
        return;
    }
    if (::getuid() == 0 &&
        (::setgroups(1, &gid) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)) {
        ::_exit(3);
    }
    if (::geteuid() == 0) {
        ::_exit(3);
    }
    ::_exit(work() ? 0 : 1);
}

ChildAs::~ChildAs() {
    wait();
}

std::optional<bool> ChildAs::wait() {
    if (pid_ <= 0) {
        return std::nullopt;
    }
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    if (!WIFEXITED(status) || WEXITSTATUS(status) > 1) {
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
