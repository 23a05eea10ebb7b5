#include "tests/support/Mounts.h"

#include <QDir>
#include <QFile>

#include <sys/mount.h>

#include <utility>

namespace testing_support {

TestMount::TestMount(const QString& mountPoint) : mountPoint_(QFile::encodeName(mountPoint)) {}

TestMount::TestMount(TestMount&& other) noexcept
    : mountPoint_(std::move(other.mountPoint_)), mounted_(std::exchange(other.mounted_, false)) {}

TestMount::~TestMount() {
    unmount();
}

TestMount TestMount::smallDisk(const QString& mountPoint, const char* size) {
    QDir().mkpath(mountPoint);
    TestMount disk(mountPoint);
    const QByteArray options = QByteArray("size=") + size;
    disk.mounted_ =
        ::mount("tmpfs", disk.mountPoint_.constData(), "tmpfs", 0, options.constData()) == 0;
    return disk;
}

TestMount TestMount::readOnly(const QString& path) {
    TestMount view(path);
    const char* target = view.mountPoint_.constData();
    // A bind mount takes the read-only flag only when it is mounted again.
    view.mounted_ = ::mount(target, target, nullptr, MS_BIND, nullptr) == 0;
    if (view.mounted_ &&
        ::mount(nullptr, target, nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) {
        view.unmount();
    }
    return view;
}

void TestMount::unmount() {
    if (mounted_) {
        ::umount(mountPoint_.constData());
        mounted_ = false;
    }
}

}  // namespace testing_support
