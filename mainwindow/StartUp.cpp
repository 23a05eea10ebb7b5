#include "mainwindow/StartUp.h"

#include "mainwindow/RecordFolderOffer.h"
#include "mainwindow/SingleInstance.h"
#include "mainwindow/uMain.h"
#include "records/RecordFolder.h"
#include "records/StartUpReads.h"
#include "widgets/Appearance.h"
#include "widgets/ErrorGuard.h"
#include "widgets/Pictures.h"

#include <QApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstdio>
#include <ctime>
#include <memory>

namespace mainwindow {
namespace {

// For the benchmark (TRIMBOOK_MEASURE_STARTUP set): once the main window has painted, prints
// the moment on the monotonic clock (which the benchmark compares with the moment it started the
// process, so tearing down does not count), the peak resident memory and the window system
// platform, and ends the program.
class StartUpMeasurement : public QObject {
public:
    explicit StartUpMeasurement(QWidget* window) : window_(window) {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::Paint && widget != nullptr && widget->window() == window_) {
            qApp->removeEventFilter(this);
            QMetaObject::invokeMethod(this, &StartUpMeasurement::report, Qt::QueuedConnection);
        }
        return false;
    }

private:
    void report() {
        timespec paintedAt{};
        clock_gettime(CLOCK_MONOTONIC, &paintedAt);
        QFile status(QStringLiteral("/proc/self/status"));
        QByteArray peak = "0";
        if (status.open(QIODevice::ReadOnly)) {
            for (const QByteArray& line : status.readAll().split('\n')) {
                if (line.startsWith("VmHWM:")) {
                    peak = line.mid(6).trimmed().split(' ').first();
                }
            }
        }
        std::printf("painted-at-ns %lld\npeak-rss-kib %s\nplatform %s\n",
                    static_cast<long long>(paintedAt.tv_sec) * 1000000000LL + paintedAt.tv_nsec,
                    peak.constData(), qPrintable(QGuiApplication::platformName()));
        std::fflush(stdout);
        window_->close();
    }

    QWidget* window_;
};

}  // namespace

bool installJapaneseTranslation(QCoreApplication& application) {
    auto* translator = new QTranslator(&application);
    if (!translator->load(QStringLiteral("qtbase_ja"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

QByteArray chosenPlatform(const std::function<QByteArray(const char*)>& variable) {
    if (!variable("QT_QPA_PLATFORM").isEmpty()) {
        return {};
    }
    const bool waylandSession =
        !variable("WAYLAND_DISPLAY").isEmpty() || variable("XDG_SESSION_TYPE") == "wayland";
    if (!waylandSession) {
        return {};
    }
    // Should the X11 connection fail after all, Qt tries the next one.
    return variable("DISPLAY").isEmpty() ? QByteArrayLiteral("wayland;xcb")
                                         : QByteArrayLiteral("xcb;wayland");
}

int runApplication(int argc, char* argv[]) {
    const QByteArray platform = chosenPlatform(qgetenv);
    if (!platform.isEmpty()) {
        qputenv("QT_QPA_PLATFORM", platform);
    }
    QApplication application(argc, argv);
    MainWindowOptions options = MainWindowOptions::ofExecutable();
    const std::optional<CopyOffer> offer =
        pendingCopyOffer(QCoreApplication::applicationDirPath(), options.appDir, options.iniPath,
                         records::folder::sourceInstallFolder(qgetenv));
    // The record files come in on a worker thread while the rest of the program starts, unless
    // records from elsewhere may be copied in first.
    if (!offer) {
        options.readAhead = std::make_shared<records::StartUpReads>(options.appDir);
    }
    QCoreApplication::setApplicationName(widgets::ApplicationTitle);
    QGuiApplication::setDesktopFileName(QStringLiteral("trimbook"));
    QApplication::setWindowIcon(widgets::applicationIcon());
    installJapaneseTranslation(application);
    widgets::installFontSubstitutes();

    SingleInstance instance(widgets::ApplicationTitle, {QStringLiteral("Trimora")});
    if (!instance.becomePrimary()) {
        return 0;
    }
    if (offer && !offerCopy(*offer)) {
        return 1;
    }
    TfmMain fmMain(options);
    options.readAhead.reset();
    QObject::connect(&instance, &SingleInstance::activationRequested, &fmMain,
                     &TfmMain::bringToFront);
    std::unique_ptr<StartUpMeasurement> measurement;
    if (qEnvironmentVariableIsSet("TRIMBOOK_MEASURE_STARTUP")) {
        measurement = std::make_unique<StartUpMeasurement>(&fmMain);
    }
    fmMain.show();
    return application.exec();
}

}  // namespace mainwindow
