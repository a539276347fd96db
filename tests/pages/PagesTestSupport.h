#pragma once

// Driving property sheets through their widgets: the application object, finding widgets by object
// name, and answering the modal dialogs a button opens.

#include <gtest/gtest.h>

#include <QPixmap>
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Clock.h"
#include "framework/LocalTime.h"
#include "framework/RecordingUserInterface.h"
#include "pages/PropertyPage.h"
#include "pages/PropertySheet.h"
#include "pages/Sheets.h"
#include "stations/WSDirect.h"

namespace svu::test {


template <class W>
W* Find(const QWidget* root, const char* name) {
    W* w = root->findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << "no widget named " << name;
    return w;
}

inline void Type(const QWidget* root, const char* name, const QString& text) {
    if (auto* edit = Find<QLineEdit>(root, name)) {
        edit->setText(text);
        emit edit->textEdited(text);
    }
}

inline QString TextOf(const QWidget* root, const char* name) {
    auto* edit = Find<QLineEdit>(root, name);
    return edit != nullptr ? edit->text() : QString();
}

inline void Click(const QWidget* root, const char* name) {
    if (auto* button = Find<QAbstractButton>(root, name)) {
        ASSERT_TRUE(button->isEnabled()) << name << " is disabled";
        button->click();
    }
}

inline void Choose(const QWidget* root, const char* name, const QString& entry) {
    if (auto* combo = Find<QComboBox>(root, name)) {
        const int at = combo->findText(entry);
        ASSERT_GE(at, 0) << "no entry " << entry.toStdString() << " in " << name;
        combo->setCurrentIndex(at);
    }
}

inline QStringList TabNames(const PropertySheet& sheet) {
    QStringList names;
    for (int i = 0; i < sheet.Tabs()->count(); ++i) {
        names << sheet.Tabs()->tabText(i);
    }
    return names;
}

/// Station sheets opened on a recording user interface, with the clock at 10:07:30 on 5 December 2026.
class StationSheetFixture : public ::testing::Test {
protected:
    /// The station's sheet, shown, on the tab named `tab` when one is given.
    std::unique_ptr<PropertySheet> Open(WeatherStation& station, bool withDerived = true, const char* tab = nullptr) {
        context.ui = &ui;
        context.clock = &clock;
        auto sheet = MakeStationSheet(nullptr, station, withDerived, context);
        sheet->show();
        if (tab != nullptr) {
            sheet->Tabs()->setCurrentWidget(sheet->FindPage(QString::fromLatin1(tab)));
        }
        return sheet;
    }

    RecordingUserInterface ui;
    ManualClock clock{FromLocal(2026, 12, 5, 10, 7, 30)};
    StationPagesContext context;
};

/// The sheet's page on the tab named `tab` (a failure when there is none).
inline QWidget* Page(PropertySheet& sheet, const char* tab) {
    PropertyPage* page = sheet.FindPage(QString::fromLatin1(tab));
    EXPECT_NE(page, nullptr) << tab;
    return page;
}

inline QString CurrentTab(const PropertySheet& sheet) {
    return sheet.Tabs()->tabText(sheet.Tabs()->currentIndex());
}

/// Runs `action` on the next modal dialog that opens (a button's dialog runs its own event loop,
/// so the action is queued before the button is clicked).
inline void WhenModal(std::function<void(QWidget*)> action) {
    QWidget* before = QApplication::activeModalWidget();
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, before, tries, action = std::move(action)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr && modal != before && modal->isVisible()) {
            timer->stop();
            timer->deleteLater();
            action(modal);
        } else if (++*tries > 500) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "no dialog opened";
        }
    });
    timer->start(5);
}

/// Clicks a dialog's OK button (object name "ok").
inline void ClickOk(QWidget* dialog) {
    Click(dialog, "ok");
}
inline void ClickCancel(QWidget* dialog) {
    Click(dialog, "cancel");
}

/// A Direct station with raw channels of these names (the kind with the most pages).
inline std::unique_ptr<WSDirect> MakeStation(const std::vector<std::string>& raw, const std::string& name = "Hilltop") {
    auto station = std::make_unique<WSDirect>(name);
    station->channelNames = raw;
    station->rawChannelCount = static_cast<int32_t>(raw.size());
    station->channelCount = station->rawChannelCount;
    station->ResetValues();
    return station;
}

/// Grabs what a sheet looks like; saved only when SVU_SCREENSHOT_DIR names a folder (the
/// documentation's pictures are taken with it set to docs/screenshots), since tests write nothing
/// outside their own folders.
inline void SaveScreenshot(QWidget& widget, const std::string& name) {
    widget.adjustSize();
    const QPixmap picture = widget.grab();
    EXPECT_FALSE(picture.isNull());
    const char* dir = std::getenv("SVU_SCREENSHOT_DIR");
    if (dir == nullptr || *dir == '\0') {
        return;
    }
    std::filesystem::create_directories(dir);
    EXPECT_TRUE(picture.save(QString::fromStdString((std::filesystem::path(dir) / name).string())));
}

}  // namespace svu::test
