#include "outputs/AlarmSounds.h"

#include "framework/Settings.h"
#include "framework/TextUtil.h"
#include "outputs/SoundCatalogue.h"
#include "platform/FileAudioInput.h"
#include "stations/Alarm.h"
#include "stations/WeatherStation.h"

namespace svu {

namespace {

constexpr const char* kTonePrefix = "tone:";

}  // namespace

bool AnyAlarmRecords(const StationList& stations) {
    for (const auto& station : stations) {
        for (const auto& alarm : station->alarms) {
            if (alarm->recordSound != 0) {
                return true;
            }
        }
    }
    return false;
}

bool AnyAlarmSpoken(const StationList& stations, const SpokenAlarms& spoken) {
    for (const auto& station : stations) {
        for (const auto& alarm : station->alarms) {
            if (spoken.IsSpoken(station->name, alarm->name)) {
                return true;
            }
        }
    }
    return false;
}

AlarmSounds::AlarmSounds(Settings& settings, Clock& clock, ProblemHandler onProblem)
    : settings_(settings),
      clock_(clock),
      onProblem_(std::move(onProblem)),
      cataloguePath_(settings.FilePath(kSoundCatalogueName)),
      spoken_(settings) {}

AlarmSounds::~AlarmSounds() {
    speech_.reset();
    recorder_.reset();
}

AlarmRecorder& AlarmSounds::EnableRecording() {
    if (!recorder_) {
        const std::string source = settings_.GetSettingString(kSectionSound, kKeySoundInput, "");
        if (source.empty()) {
            input_ = MakePortAudioInput();
        } else if (source.rfind(kTonePrefix, 0) == 0) {
            input_ = std::make_unique<FileAudioInput>(clock_, AtoF(source.substr(5)));
        } else {
            input_ = std::make_unique<FileAudioInput>(clock_, source);
        }
        recorder_ = std::make_unique<AlarmRecorder>(*input_, clock_, cataloguePath_, onProblem_);
    }
    return *recorder_;
}

AlarmSpeech& AlarmSounds::EnableSpeech() {
    if (!speech_) {
        if (!speaker_) {
            speaker_ = MakeEspeakSpeaker(settings_.GetSettingString(kSectionSound, kKeySoundVoice, "en"));
        }
        speech_ = std::make_unique<AlarmSpeech>(*speaker_, spoken_, onProblem_);
    }
    return *speech_;
}

}  // namespace svu
