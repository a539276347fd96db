// The main window's sound side: the alarm recorder and spoken alarms, handed to the runtime as the
// service hands them, and the "Recorded Sounds" window (from the menu and from the historic
// graph's right click).

#include <QCoreApplication>

#include "app/CMainFrame.h"
#include "app/GuiUserInterface.h"
#include "app/HistoricCommands.h"
#include "app/RecordedSoundsWindow.h"
#include "outputs/AlarmSounds.h"
#include "pages/AlarmPages.h"
#include "platform/AudioDevice.h"
#include "runtime/Runtime.h"
#include "stations/StationReports.h"

namespace svu {

void CMainFrame::SetUpSounds() {
    sounds_ = std::make_unique<AlarmSounds>(settings_, clock_, [](const std::string& problem) {
        // Kept in error.txt and shown by the next refresh tick (a message box).
        ReportError(nullptr, problem);
        PostNotice(nullptr, problem);
    });
    player_ = MakePortAudioOutput();
    // The desktop program is always ready to record and speak: an alarm may be set up to at any
    // time. Neither touches a sound device before an alarm asks.
    AlarmRecorder& recorder = sounds_->EnableRecording();
    runtime_->SetSoundRecorder(&recorder);
    recorder.SetRecordedHandler([this](const CatalogueEntry& entry) {
        QMetaObject::invokeMethod(
            this,
            [this, entry] {
                if (soundsWindow_) {
                    soundsWindow_->AddEntry(entry);
                }
            },
            Qt::QueuedConnection);
    });
    AlarmSpeech& speech = sounds_->EnableSpeech();
    runtime_->SetAlarmTriggerHook(
        [&speech](WeatherStation& station, const Alarm& alarm) { speech.OnAlarmTriggered(station, alarm); });
    SetSpokenAlarmSettings(&sounds_->Spoken());
    HistoricCommands::SetRecordedSoundsOpener([this](QWidget*, TimeT time) { OpenRecordedSounds(time); });
}

void CMainFrame::ShutDownSounds() {
    HistoricCommands::SetRecordedSoundsOpener({});
    SetSpokenAlarmSettings(nullptr);
    delete soundsWindow_.data();  // it uses the player
    runtime_->SetSoundRecorder(nullptr);
    runtime_->SetAlarmTriggerHook({});
    player_.reset();
    sounds_.reset();
}

RecordedSoundsWindow* CMainFrame::OpenRecordedSounds(std::optional<TimeT> at) {
    if (!soundsWindow_) {
        soundsWindow_ = new RecordedSoundsWindow(this, sounds_->CataloguePath(), player_.get(), *ui_);
        soundsWindow_->setAttribute(Qt::WA_DeleteOnClose);
    }
    if (at) {
        soundsWindow_->SelectNearest(*at);
    }
    soundsWindow_->show();
    soundsWindow_->raise();
    soundsWindow_->activateWindow();
    return soundsWindow_;
}

}  // namespace svu
