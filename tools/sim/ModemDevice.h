#pragma once

// A Hayes modem with an instrument behind its telephone line. In command mode it answers AT
// commands; ATD "dials" and, after the connect delay, connects the caller to the instrument;
// "+++" between two guard times returns to command mode; ATH or dropping DTR (closing the port)
// hangs up. Failure switches make calls meet BUSY, NO CARRIER, NO DIALTONE or NO ANSWER, or lose
// the line in the middle. Every call is recorded, so tests can check that callers took turns.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sim/SimDevice.h"

namespace svu::sim {

struct ModemSimOptions {
    int connectDelayMs = 200;  ///< from ATD to CONNECT (a slow CONNECT: a large value)
    int guardMs = 1000;        ///< escape guard time
    int busyFirst = 0;         ///< the first N calls find the line busy
    int busyEvery = 0;         ///< every Nth call finds the line busy
    int noCarrierEvery = 0;    ///< every Nth call fails with NO CARRIER
    int noDialtoneEvery = 0;   ///< every Nth call finds no dial tone
    int noAnswerEvery = 0;     ///< every Nth call is not answered (NO ANSWER after the connect delay)
    int dropEvery = 0;         ///< every Nth connected call loses the line ...
    int dropAfterMs = 500;     ///< ... this long after CONNECT
    std::string callsFile;     ///< each finished call is appended here as one line
    int speed = 9600;          ///< shown in "CONNECT 9600"
};

/// One call, from ATD to its end.
struct ModemCall {
    int number = 0;              ///< 1, 2, ... in dialling order
    std::string dialled;         ///< the number dialled
    int64_t dialTick = 0;
    int64_t connectTick = -1;    ///< -1 when it never connected
    int64_t endTick = -1;
    std::string result;          ///< "CONNECT", "BUSY", ...
    std::string ended;           ///< "ATH", "DTR", "dropped", "aborted", "refused"
    bool overlap = false;        ///< another caller's commands came in during the call
};

class ModemDevice : public SimDevice {
public:
    ModemDevice(ModemSimOptions options, std::unique_ptr<SimDevice> instrument);

    std::string OnInput(std::string_view bytes, int64_t tickMs) override;
    std::string OnTick(int64_t tickMs) override;
    void OnLineClosed(int64_t tickMs) override;

    const std::vector<ModemCall>& Calls() const { return calls_; }
    bool InCall() const { return state_ == State::Online || state_ == State::OnlineCommand; }

private:
    enum class State { Command, Dialling, Online, OnlineCommand };

    std::string Result(const std::string& text) const;
    std::string CommandLine(const std::string& line, int64_t tickMs);
    std::string Dial(const std::string& number, int64_t tickMs);
    void EndCall(const std::string& how, int64_t tickMs);
    std::string OnlineBytes(std::string_view bytes, int64_t tickMs);
    bool Every(int n) const;

    ModemSimOptions options_;
    std::unique_ptr<SimDevice> instrument_;
    State state_ = State::Command;
    bool echo_ = true;
    std::string line_;
    std::vector<ModemCall> calls_;
    int64_t connectDue_ = -1;
    std::string dialOutcome_;  // what the dial in progress ends with
    int64_t dropDue_ = -1;
    // Escape detection while online.
    int64_t lastByteTick_ = 0;
    int pluses_ = 0;
    int64_t plusTick_ = -1;
};

}  // namespace svu::sim
