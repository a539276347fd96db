#pragma once

// What the historic windows share: choosing a log file (converting a compact flash card's data
// file first when one is chosen), the "Compact Flash..." command, messages, and printing a
// window's picture.

#include <QString>

class QWidget;

namespace svu {

class UserInterface;

/// The texts the historic windows show.
inline constexpr const char* kUnableToOpenFile = "Unable to open file";
inline constexpr const char* kNoDataInRange = "No data in range";
inline constexpr const char* kSelectDownloadFile = "Please select a download file";
inline constexpr const char* kConvertCardQuestion =
    "Compact Flash data files need converting first.\nDo you wish to convert this file?";
inline constexpr const char* kLogOrCardFilter = "Log Files (*.log)|*.log|CF Files (*.dat)|*.dat|All Files (*.*)|*.*||";

/// True for a name ending in ".dat" in any case: a card's data file, which needs converting.
bool IsCompactFlashFile(const QString& path);

/// Asks for a log file (or a card data file, which is converted after a Yes, a header file and
/// an output name). The log file to read, or an empty text when the user cancelled anywhere or the
/// conversion failed (reported).
QString ChooseLogFile(QWidget* parent, UserInterface& ui, const QString& current = {});

/// For a chosen card data file: the question, the header file, the output log and the conversion.
/// The new log file, or an empty text.
QString ConvertChosenCardFile(QWidget* parent, UserInterface& ui, const QString& dataPath);

/// "Compact Flash..." (32842): the card's header file, its data file, the output log, then the
/// conversion.
void RunConvertCompactFlashCommand(QWidget* parent, UserInterface& ui);

/// A notice captioned with the program's name.
void ShowHistoricMessage(UserInterface& ui, const char* text);

/// Prints `content`'s picture on one page, scaled to fit (the print dialog first).
void PrintWidgetPicture(QWidget* parent, QWidget* content, const QString& documentName);

/// "Print Setup...": the page set-up of the printer that PrintWidgetPicture uses.
void HistoricPrintSetup(QWidget* parent);

}  // namespace svu
