#include "app/HistoricSupport.h"

#include <QFileInfo>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QWidget>

#include "Version.h"
#include "framework/StringTable.h"
#include "framework/UserInterface.h"
#include "loggers/ConvertLoggerData.h"
#include "pages/FieldBinder.h"
#include "pages/PathField.h"

namespace svu {

namespace {

constexpr int kHeaderFilter = 491;
constexpr int kHeaderTitle = 492;
constexpr int kDataFilter = 493;
constexpr int kDataTitle = 494;
constexpr int kLogFilter = 235;
constexpr const char* kCardHeaderFilter = "Header Files(*.txt)|*.txt|All Files (*.*)|*.*||";
constexpr const char* kCardHeaderTitle = "Select the header file (header.txt) from the compact flash card";

QString AskFile(QWidget* parent, const QString& title, const std::string& filter, const QString& current, bool save) {
    return CurrentPathPrompter().AskFile(parent, title, QtFileFilter(filter), current, save);
}

// A save name without an extension gets ".log", as the save dialog's default extension gives it.
QString WithLogExtension(const QString& path) {
    return path.isEmpty() || !QFileInfo(path).suffix().isEmpty() ? path : path + QStringLiteral(".log");
}

// Runs the conversion; the log path, or an empty text after the failure was reported.
QString Convert(UserInterface& ui, const QString& header, const QString& data, const QString& log) {
    const LoggerConversionResult result =
        ConvertLoggerData(header.toStdString(), data.toStdString(), log.toStdString(), &ui);
    return result.error == LoggerConversionError::None ? log : QString();
}

// The printer kept between "Print Setup..." and "Print...".
QPrinter& HistoricPrinter() {
    static QPrinter printer(QPrinter::HighResolution);
    return printer;
}

}  // namespace

bool IsCompactFlashFile(const QString& path) {
    return path.right(4).compare(QStringLiteral(".dat"), Qt::CaseInsensitive) == 0;
}

QString ChooseLogFile(QWidget* parent, UserInterface& ui, const QString& current) {
    const QString chosen = AskFile(parent, QString(), kLogOrCardFilter, current, false);
    if (chosen.isEmpty() || !IsCompactFlashFile(chosen)) {
        return chosen;
    }
    return ConvertChosenCardFile(parent, ui, chosen);
}

QString ConvertChosenCardFile(QWidget* parent, UserInterface& ui, const QString& dataPath) {
    if (ui.MessageBox(kConvertCardQuestion, kProductName, MsgButtons::YesNo, MsgIcon::Question) != MsgResult::Yes) {
        return {};
    }
    const QString header = AskFile(parent, QString::fromUtf8(kCardHeaderTitle), kCardHeaderFilter,
                                   QStringLiteral("header.txt"), false);
    if (header.isEmpty()) {
        return {};
    }
    const QString log = WithLogExtension(AskFile(parent, QString(), Str(kLogFilter), QString(), true));
    if (log.isEmpty()) {
        return {};
    }
    return Convert(ui, header, dataPath, log);
}

void RunConvertCompactFlashCommand(QWidget* parent, UserInterface& ui) {
    const QString header = AskFile(parent, QString::fromStdString(Str(kHeaderTitle)), Str(kHeaderFilter),
                                   QStringLiteral("header.txt"), false);
    if (header.isEmpty()) {
        return;
    }
    const QString data = AskFile(parent, QString::fromStdString(Str(kDataTitle)), Str(kDataFilter),
                                 QStringLiteral("logger.dat"), false);
    if (data.isEmpty()) {
        return;
    }
    const QString log = WithLogExtension(AskFile(parent, QString(), Str(kLogFilter), QString(), true));
    if (!log.isEmpty()) {
        Convert(ui, header, data, log);
    }
}

void ShowHistoricMessage(UserInterface& ui, const char* text) {
    ui.MessageBox(text, kProductName, MsgButtons::Ok, MsgIcon::Warning);
}

void PrintWidgetPicture(QWidget* parent, QWidget* content, const QString& documentName) {
    QPrinter& printer = HistoricPrinter();
    printer.setDocName(documentName);
    QPrintDialog dialog(&printer, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const QPixmap picture = content->grab();
    QPainter painter(&printer);
    const QRect page = painter.viewport();
    QSize size = picture.size();
    size.scale(page.size(), Qt::KeepAspectRatio);
    painter.setViewport(page.x(), page.y(), size.width(), size.height());
    painter.setWindow(picture.rect());
    painter.drawPixmap(0, 0, picture);
}

void HistoricPrintSetup(QWidget* parent) {
    QPageSetupDialog dialog(&HistoricPrinter(), parent);
    dialog.exec();
}

}  // namespace svu
