#include "mainwindow/StartUp.h"

int main(int argc, char* argv[]) {
    return mainwindow::runApplication(argc, argv);
}
