// espeak-ng in its synchronous mode: it hands the synthesised samples to a callback, and the
// samples are then played through PortAudio like any other sound of the program. espeak-ng keeps
// global state, so one speaker at a time uses it.

#include <espeak-ng/speak_lib.h>

#include <mutex>
#include <vector>

#include "platform/AudioDevice.h"
#include "platform/Speaker.h"
#include "platform/WavReader.h"

namespace svu {

namespace {

std::mutex& EspeakMutex() {
    static std::mutex mutex;
    return mutex;
}

std::vector<uint8_t>* g_samples = nullptr;  // under EspeakMutex while a text is synthesised
int g_rate = 0;                             // espeak-ng's sample rate once initialised

int CollectSamples(short* wav, int count, espeak_EVENT*) {
    if (wav != nullptr && g_samples != nullptr) {
        for (int i = 0; i < count; ++i) {
            g_samples->push_back(static_cast<uint8_t>(wav[i] & 0xff));
            g_samples->push_back(static_cast<uint8_t>((wav[i] >> 8) & 0xff));
        }
    }
    return 0;
}

class EspeakSpeaker : public Speaker {
public:
    explicit EspeakSpeaker(std::string voice) : voice_(std::move(voice)) {}

    bool Speak(const std::string& text, std::string& error) override {
        WavData wav;
        int rate = 0;
        {
            std::lock_guard guard(EspeakMutex());
            if (g_rate == 0) {
                const int rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, 0);
                if (rate <= 0) {
                    error = "espeak-ng cannot start (are its data, espeak-ng-data, installed?)";
                    return false;
                }
                espeak_SetSynthCallback(&CollectSamples);
                g_rate = rate;
            }
            if (espeak_SetVoiceByName(voice_.c_str()) != EE_OK) {
                error = "espeak-ng has no voice \"" + voice_ + "\"";
                return false;
            }
            rate = g_rate;
            g_samples = &wav.samples;
            const espeak_ERROR result =
                espeak_Synth(text.c_str(), text.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, nullptr);
            espeak_Synchronize();
            g_samples = nullptr;
            if (result != EE_OK) {
                error = "espeak-ng could not say the text";
                return false;
            }
        }
        wav.formatTag = 1;
        wav.channels = 1;
        wav.bitsPerSample = 16;
        wav.samplesPerSecond = rate;
        return PlayPcm(wav, nullptr, error);
    }

private:
    std::string voice_;
};

}  // namespace

std::unique_ptr<Speaker> MakeEspeakSpeaker(std::string voice) {
    return std::make_unique<EspeakSpeaker>(std::move(voice));
}

}  // namespace svu
