#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <clocale>
#include <exception>

#include "Version.h"
#include "app/CStratavueApp.h"

int main(int argc, char** argv) {
    QApplication qtApp(argc, argv);
    std::setlocale(LC_NUMERIC, "C");  // channel values are always read and written with C rules
    QApplication::setApplicationName(QString::fromUtf8(svu::kProductName));
    QApplication::setApplicationVersion(QString::fromUtf8(svu::kProductVersion));
    QApplication::setOrganizationName(QStringLiteral("Wexmoor WXR"));
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/stratavue/stratavue-%1.png").arg(size), QSize(size, size));
    }
    QApplication::setWindowIcon(icon);  // every window's and the about box's

    // Whatever was not foreseen ends the program with a message, not an abort.
    try {
        svu::CStratavueApp app;
        QStringList arguments = QApplication::arguments();
        arguments.removeFirst();
        if (const std::optional<int> exitCode = app.InitInstance(arguments)) {
            return *exitCode;
        }
        QApplication::exec();
        return app.ExitInstance();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QString::fromUtf8(svu::kProductName), QString::fromLocal8Bit(e.what()));
    } catch (...) {
        QMessageBox::critical(nullptr, QString::fromUtf8(svu::kProductName), QStringLiteral("Unexpected failure"));
    }
    return 1;
}
