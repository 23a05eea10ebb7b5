#pragma once

#include <QByteArray>
#include <QString>

namespace testing_support {

// A file system mounted over a folder of a test, for faults that permissions cannot make for
// root: a full disk and a read-only folder. Unmounted when it goes out of scope. Mounting needs
// privileges a machine may not grant; a test that gets no mount says so and skips.
class TestMount {
public:
    // A tmpfs of `size` (for example "64k") at `mountPoint`, created when missing.
    static TestMount smallDisk(const QString& mountPoint, const char* size);
    // `path` (a folder or a file) over itself, read-only: writes fail even for root.
    static TestMount readOnly(const QString& path);

    TestMount(TestMount&& other) noexcept;
    TestMount& operator=(TestMount&&) = delete;
    ~TestMount();

    bool mounted() const { return mounted_; }
    void unmount();

private:
    explicit TestMount(const QString& mountPoint);

    QByteArray mountPoint_;
    bool mounted_ = false;
};

}  // namespace testing_support
