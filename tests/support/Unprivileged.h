#pragma once

#include <QString>
#include <functional>
#include <optional>

#include <sys/types.h>

namespace testing_support {

// Root ignores file permissions, so permission faults are tested in a child process that runs
// as "nobody". Returns what `work` returned in the child, or nothing when the child could not
// drop its privileges (the reason goes to `whyNot`).
std::optional<bool> runAsNobody(const std::function<bool()>& work, QString* whyNot = nullptr);

// A child process running `work` as the account `uid` whose only group is `gid`, while the test
// goes on; needs root. The account need not exist: two made-up ones sharing a group are two
// desks of one salon.
class ChildAs {
public:
    ChildAs(uid_t uid, gid_t gid, const std::function<bool()>& work);
    ~ChildAs();  // waits for the child
    ChildAs(const ChildAs&) = delete;
    ChildAs& operator=(const ChildAs&) = delete;

    // What `work` returned; nothing when the child could not become the account or died.
    std::optional<bool> wait();

private:
    pid_t pid_ = -1;
};

// Makes `path` reachable and readable for everyone (the folders of a QTemporaryDir are not).
void openUpForOthers(const QString& path);

}  // namespace testing_support
