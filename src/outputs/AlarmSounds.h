#pragma once

// The sound side of alarms, as both programs set it up: the recorder of alarm messages (sound card
// input, or the file or tone named by the settings' "Sound"/"Input" key) with its catalogue in the
// program folder, and spoken alarms. Problems go to one handler (error.txt and the person at the
// program), each said once.

#include <functional>
#include <memory>
#include <string>

#include "outputs/AlarmRecorder.h"
#include "outputs/AlarmSpeech.h"
#include "platform/AudioDevice.h"
#include "platform/Speaker.h"
#include "stations/StationFile.h"

namespace svu {

class Clock;
class Settings;

// [Sound] Input: empty for the sound card; "tone:<hertz>" for a test tone; otherwise a WAV or raw
// sample file played as if it were being recorded (for demonstrations and tests).
inline constexpr const char* kSectionSound = "Sound";
inline constexpr const char* kKeySoundInput = "Input";
// [Sound] Voice: the espeak-ng voice of spoken alarms ("en" when missing).
inline constexpr const char* kKeySoundVoice = "Voice";

/// Whether any alarm of the stations records (enabled or not: it may be enabled later).
bool AnyAlarmRecords(const StationList& stations);
/// Whether any alarm of the stations is spoken.
bool AnyAlarmSpoken(const StationList& stations, const SpokenAlarms& spoken);

class AlarmSounds {
public:
    using ProblemHandler = std::function<void(const std::string&)>;

    /// `settings` and `clock` must outlive this object.
    AlarmSounds(Settings& settings, Clock& clock, ProblemHandler onProblem);
    ~AlarmSounds();

    /// Starts the recorder threads (once); the recorder to hand to the runtime.
    AlarmRecorder& EnableRecording();
    /// Starts the speech thread (once).
    AlarmSpeech& EnableSpeech();

    /// Null until enabled.
    AlarmRecorder* Recorder() const { return recorder_.get(); }
    AlarmSpeech* Speech() const { return speech_.get(); }
    SpokenAlarms& Spoken() { return spoken_; }
    /// program folder + "sounds.bin".
    const std::string& CataloguePath() const { return cataloguePath_; }

    /// Replaces the speaker (tests); call before EnableSpeech.
    void SetSpeakerForTesting(std::unique_ptr<Speaker> speaker) { speaker_ = std::move(speaker); }

private:
    Settings& settings_;
    Clock& clock_;
    ProblemHandler onProblem_;
    std::string cataloguePath_;
    SpokenAlarms spoken_;
    std::unique_ptr<AudioInput> input_;
    std::unique_ptr<Speaker> speaker_;
    std::unique_ptr<AlarmRecorder> recorder_;  // after the input it reads
    std::unique_ptr<AlarmSpeech> speech_;      // after the speaker it uses
};

}  // namespace svu
