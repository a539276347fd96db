#pragma once

// The main window's historic commands: "&Table...", "&Graph..." and "&Windrose..." (each window
// single: choosing it again only brings it to the front), and "Compact &Flash...".

#include <QObject>
#include <QPointer>
#include <functional>

#include "framework/LocalTime.h"
#include "stations/StationFile.h"

class QAction;
class QMenu;
class QString;
class QWidget;

namespace svu {

class HistoricGraphWindow;
class HistoricTableWindow;
class HistoricWindroseWindow;
class UserInterface;

inline constexpr int kCmdHistoricTable = 32818;
inline constexpr int kCmdHistoricGraph = 32819;
inline constexpr int kCmdHistoricWindrose = 32820;
inline constexpr int kCmdConvertCompactFlash = 32842;

class HistoricCommands : public QObject {
    Q_OBJECT

public:
    /// How the frame adds a command to a menu (so that it takes part in the frame's command list).
    using CommandAdder = std::function<QAction*(QMenu*, int, const QString&, std::function<void()>)>;

    /// Lives as long as `frame` (its Qt parent).
    HistoricCommands(QWidget* frame, const StationList& stations, UserInterface& ui);

    /// Adds the three windows to `historic` and the card conversion to `tools`.
    static HistoricCommands* Install(QWidget* frame, const StationList& stations, UserInterface& ui, QMenu* historic,
                                     QMenu* tools, const CommandAdder& add);

    void OpenTable();
    void OpenGraph();
    void OpenWindrose();
    void ConvertCompactFlash();

    HistoricTableWindow* Table() const;
    HistoricGraphWindow* Graph() const;
    HistoricWindroseWindow* Windrose() const;

    /// What a right click on the graph opens at a time (the recorded sounds, once they exist).
    static void SetRecordedSoundsOpener(std::function<void(QWidget*, TimeT)> opener);

private:
    QWidget* frame_;
    const StationList& stations_;
    UserInterface& ui_;
    QPointer<HistoricTableWindow> table_;
    QPointer<HistoricGraphWindow> graph_;
    QPointer<HistoricWindroseWindow> windrose_;
};

}  // namespace svu
