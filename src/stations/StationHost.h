#pragma once

namespace svu {

class Alarm;
class Clock;
class MailSender;
class Recorder;
class UserInterface;
class WeatherStation;

/// What a running station reaches of the program around it. The runtime implements it and hands it
/// to every station when acquisition starts; stations never see the frame itself.
class StationHost {
public:
    virtual ~StationHost() = default;

    /// Acquisition is being switched off: every polling loop ends at its next check.
    virtual bool StopRequested() const = 0;
    /// Messages and questions for the person at the program (any thread may ask).
    virtual UserInterface& Ui() = 0;
    /// The time source of polling, reading times and alarm delays.
    virtual Clock& GetClock() = 0;
    /// A replayed input has started again: display items showing this station restart their history.
    virtual void OnRewind(WeatherStation& station) {}
    /// A station of the shared radio link has finished its turn; the next one's turn starts.
    virtual void StartNextRadioStation(WeatherStation& finished) {}
    /// An alarm of the station changed state: page backgrounds need repainting.
    virtual void OnAlarmStateChanged(WeatherStation& station) {}
    /// An alarm of the station has just triggered (on the station's thread, its lock held; after
    /// its message, mail and recording). Returns at once.
    virtual void OnAlarmTriggered(WeatherStation& station, const Alarm& alarm) {}
    /// A reading has been stored and processed (on the station's thread, its lock held): the live
    /// outputs copy the new values. Returns at once.
    virtual void OnReading(WeatherStation& station) {}
    /// Where alarm e-mails go; nullptr when mail is not available.
    virtual MailSender* Mail() { return nullptr; }
    /// Where alarm recordings are asked for; nullptr when recording is not available.
    virtual Recorder* SoundRecorder() { return nullptr; }
};

}  // namespace svu
