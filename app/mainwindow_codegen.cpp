// The Code Generator command.

#include "mainwindow.h"

void MainWindow::runCodeGenerator() {}
