#include <QApplication>
#include <QMainWindow>

#include "mainwindow/Appearance.h"
#include "mainwindow/ErrorGuard.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    ui::installFontSubstitutes();
    QMainWindow window;
    window.setWindowTitle(ui::ApplicationTitle);
    window.show();
    return application.exec();
}
