// The guided tour over the bundled example.

#include "mainwindow.h"

void MainWindow::startAppTour() {}
