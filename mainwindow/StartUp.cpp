#include "mainwindow/StartUp.h"

#include "mainwindow/Appearance.h"
#include "mainwindow/ErrorGuard.h"
#include "mainwindow/Pictures.h"
#include "mainwindow/SingleInstance.h"
#include "mainwindow/uMain.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace ui {

bool installJapaneseTranslation(QCoreApplication& application) {
    auto* translator = new QTranslator(&application);
    if (!translator->load(QStringLiteral("qtbase_ja"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

int runApplication(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QCoreApplication::setApplicationName(ApplicationTitle);
    QGuiApplication::setDesktopFileName(QStringLiteral("trimbook"));
    QApplication::setWindowIcon(applicationIcon());
    installJapaneseTranslation(application);
    installFontSubstitutes();

    SingleInstance instance(ApplicationTitle, {QStringLiteral("Trimora")});
    if (!instance.becomePrimary()) {
        return 0;
    }
    TfmMain fmMain;
    QObject::connect(&instance, &SingleInstance::activationRequested, &fmMain,
                     &TfmMain::bringToFront);
    fmMain.show();
    return application.exec();
}

}  // namespace ui
