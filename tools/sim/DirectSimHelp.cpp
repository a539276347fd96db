#include "sim/DirectSimOptions.h"

namespace svu::sim {

const char* DirectSimHelp() {
    return R"(Usage: stratavue-sim direct [OPTIONS]

Simulates the instrument of a Direct station on a pseudo-terminal. The first line printed is
the device to give the station as its serial port (or put in the [Ports] section of the
settings file as COMn=DEVICE). Stop the simulator with Ctrl+C.

The instrument echoes every character it receives and answers its terminal menu with texts
that end in ETX (character 3). CAN (character 24) abandons any dialogue; carriage return in the
menu shows the menu, which ends with "Enter Option:". Options:
   2  gust period (seconds, 1-10)         3  set the clock (day, month, year, hour, minute)
   4  calibration (offset, multiplier)    6  logging interval (minutes, 1-9999)
  10  "Sensor monitor": real-time lines until any character arrives
  12  clear the logger memory (Y, then Y again)
  14  channel set-up (count, counters, then name and type per channel)
  20  dump the logger memory by XMODEM (CRC or checksum, 128-byte blocks)
A real-time line is "dd/mm/yy hh:mm:ss" followed by one 7-character field per channel and a
two-digit hexadecimal checksum (the byte sum of the line before it, modulo 256).

Channels:
  --channel NAME,TYPE,PATTERN[,dec=N][,offset=X][,mult=Y]
                        Adds a channel (repeat for each; at most 16). Without any, eight
                        are simulated: Temperature, Humidity, Pressure, Wind speed, Wind
                        direction, Rainfall, Solar radiation, Battery.
                        NAME   1 to 15 characters
                        TYPE   the instrument's type code: 3 wind direction, 8 never
                               negative, 10 and 13 daily totals (13 rainfall), others free
                        PATTERN one of
                          const:V               always V
                          sine:MEAN:AMP:PERIOD  MEAN + AMP x sine, PERIOD seconds long
                          ramp:FROM:TO:PERIOD   saw-tooth from FROM to TO every PERIOD s
                          random:MIN:MAX        uniform, new at every second
                          pulse:AMOUNT:PROB     AMOUNT with probability PROB, else 0
                        dec     decimals shown in real-time lines (default 1)
                        offset, mult  calibration of a fixed-point channel in memory
                               (default 0 and the power of ten that fits the range)
  --float-channels W    The first W channels are logged as short floats (3 digits), the
                        others as calibrated fixed point (default: half of them).
  --counters N          Counter inputs the instrument reports (default 0).

Timing and memory:
  --period MS           Milliseconds between real-time lines (default 1000).
  --start-time "YYYY-MM-DD HH:MM:SS"
                        The instrument clock at start (default: the computer's clock).
  --logger-interval MIN Logging interval in minutes (default 2). The instrument logs a
                        record at every interval while it runs.
  --gust-period S       Gust period in seconds (default 10).
  --memory-size BYTES   Logger memory size, 2048-65535 (default 16384).
  --records N           Records already in memory at start, one per logging interval up to
                        the start time; more than fit make the oldest overwritten.
  --record-start SLOT   Record slot of the first of them (default: placed so that the
                        records run across the end of the circular memory).
  --erased-every K      Every Kth of those records is erased (all bytes 0xFF).
  --monitor             Start in "Sensor monitor" mode (for passive stations).
  --seed N              Seed of the random patterns and stray bytes (default 1); the same
                        seed and start time give the same values.

Faults:
  --corrupt-every N     Every Nth real-time line carries a wrong checksum.
  --stray-bytes N       N junk characters before real-time lines ...
  --stray-every K       ... before every Kth line (default 1).
  --etx-lines           End real-time lines with ETX alone instead of CR LF.
  --silent              Never answer anything (no echo, no replies, no lines).
  --silence-after S --silence-for S
                        Talk for S seconds, then fall silent for S seconds, and again.
  --unplug-after S      Make the device vanish after S seconds, as a pulled-out USB
                        adapter does ...
  --unplug-for S        ... and come back after S seconds (default 5) as a new
                        pseudo-terminal; again and again. Use --link to follow it.

Other:
  --link PATH           Keep a symbolic link at PATH pointing at the device.
  -v, --verbose         Report what the instrument does on standard error.
  -h, --help            Show this text.

Example:
  stratavue-sim direct --link /tmp/ws1 --period 2000 --records 500 --corrupt-every 20
)";
}

}  // namespace svu::sim
