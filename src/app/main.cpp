#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <clocale>

#include "Version.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");  // channel values are always read and written with C rules
    QApplication::setApplicationName(svu::kProductName);
    QApplication::setApplicationVersion(svu::kProductVersion);
    QMainWindow window;
    window.setWindowTitle(svu::kProductName);
    auto* label = new QLabel(QObject::tr("No display file open"), &window);
    label->setAlignment(Qt::AlignCenter);
    window.setCentralWidget(label);
    window.resize(1024, 700);
    window.show();
    return QApplication::exec();
}
