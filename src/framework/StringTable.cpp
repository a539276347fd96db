#include "framework/StringTable.h"

#include <algorithm>

namespace svu {

namespace {

// Kept sorted by number; the static_assert below refuses an unsorted or duplicated entry.
constexpr StringEntry kStrings[] = {
    // File transfer progress and errors
    {103, "Connected to %1"},
    {104, "Realtime data collection enabled"},
    {106, "Resolving name: %1"},
    {108, "Resolved name to %1"},
    {109, "Downloading Calyra configuration"},
    {110, "Connecting to %1"},
    {111, "An error occurred while attempting to open the specified remote file, Error:%1"},
    {112, "Getting file information"},
    {113, "%1 to %2"},
    {114, "An error occurred while attempting to transfer the file, Error:%1"},
    {115, "An error occurred connecting to the server, Error:%1"},
    {119, "%1% of %2 Completed"},
    {121, "%1 of %2"},
    {122, "%1 sec"},
    {123, "%1 min"},
    {124, "%1 min %2 sec"},
    {125, "%1 Bytes"},
    {126, "Uploading the file"},
    {127, "%1 KB"},
    // Document template: title, default name, type name, filter name, extension, registry names
    {128, "Stratavue\n\nStratavue\nStratavue Files (*.svu)\n.svu\nStratavue.Document\nStratavue Document"},
    // Stations, alarms and file dialogs
    {144, "Are you sure you want to delete this weather station definition?"},
    {145, "Enabled"},
    {146, "Disabled"},
    {147, "Are you sure you want to delete this alarm?"},
    {148, "Network Weather Station Files (*.nws)|*.nws|All Files (*.*)|*.*||"},
    {149, "Weather station network access output file"},
    {150, "Log Files (*.log)|*.log|All Files (*.*)|*.*||"},
    {152, "Alarm: \"%s\" triggered at %s on %s\r\n"},
    {157, "Page %i"},
    {158, "Stratavue Files (*.svu)|*.svu|All Files (*.*)|*.*||"},
    {159, "Default File"},
    {160, "Enter password to disable protection:"},
    {161, "Alarm: \"%s\" cleared at %s on %s\r\n"},
    {162, "Invalid password"},
    {163, "Enter the new password:"},
    {164, "Please re-enter the password:"},
    {165, "The two passwords are not the same, please try again."},
    {166, "Enter the password:"},
    {167, "Advanced"},
    {174, "Weather station network input file"},
    {179, "Date"},
    {180, "Time"},
    {181, "Stratavue Toolbar"},
    {203, "Select a folder for the logfile:"},
    {205, "Download Filename"},
    {206, "Time remaining %i:%02i (approx.)"},
    // Live-value service: service, topic and item names
    {207, "Stratavue"},
    {208, "Information"},
    {209, "Realtime"},
    {210, "Yes"},
    {211, "No"},
    {212, "WeatherStations"},
    {213, "WeatherStation"},
    {214, "Channels"},
    {215, "Channel"},
    {216, "Name"},
    {217, "WeatherStation%i"},
    {218, "Name%i"},
    {219, "Channel%i"},
    {220, "Copy of "},
    // Rainfall totals
    {221, "Starting %s: %.2f %s"},
    {222, "Starting %s: %.2f %s\n\nNOTE: data is not available for all days!"},
    {223, "Weekly Rainfall Total"},
    {224, "Starting %s: %.2f %s"},
    {225, "Starting %s: %.2f %s\n\nNOTE: data is not available for all days!"},
    {226, "Monthly Rainfall Total"},
    // Instrument set-up and log conversion
    {227, "Unable to get channel data"},
    {228, "Unable to set channel data"},
    {229, "This will require phoning out to the %s weather station.\nPhone out?"},
    {230, "Are you sure you want to clear the logger's memory?"},
    {231,
     "If the number of channels has been changed, the logger's memory should be cleared.\nClear the logger's memory?"},
    {232, "Unable to clear the logger's memory."},
    {233, "Old Log Files (*.dat)|*.dat|All Files (*.*)|*.*||"},
    {234, "Unable to open file"},
    {235, "Log Files (*.log)|*.log|All Files (*.*)|*.*||"},
    {236, "Alert: \"%s\" triggered at %s on %s\r\n"},
    {237, "Invalid file"},
    {238, "Invalid response from weather station, the download operation has failed."},
    {239, "Unable to connect to weather station.\nCheck cables and that the port it setup correctly."},
    {240, "Weather Station Files (*.wsf)|*.wsf|All Files (*.*)|*.*||"},
    {242, "Alert: \"%s\" cleared at %s on %s\r\n"},
    {243, "ALARM TRIGGERED in Stratavue by %s"},
    {244, "ALERT TRIGGERED in Stratavue by %s"},
    {246, "Bitmap Files (*.bmp)|*.bmp||"},
    {248, "%s on %s, data has not been received from this weather station.\r\n"},
    {249, "Cannot start real time data acquisition on %s."},
    // First-run installation from configuration disks
    {253, "Please insert your first configuration disk, and select the drive it's located in."},
    {254, "No Configuration file"},
    {255,
     "No configuration file was found at the selected location. Installation/setup of Stratavue cannot be completed."},
    {256, "Please insert configuration disk %i and click on OK"},
    {257, "Insert Disk"},
    {258, "Your configuration file is invalid, please contact your software supplier."},
    {259, "Error"},
    {260, "Unable to copy file %s from the configuration disk %i."},
    {261,
     "Your Stratavue configuration files need to be installed.\nYou should only need to do this when you first run "
     "Stratavue.\n\nPlease insert your first configuration disk, click on OK, then\nselect the drive containing the "
     "configuration disk and click on OK."},
    {262, "Installing Configuration Files"},
    {263,
     "Your weather station definition file (Stratavue.wsf) is corrupt.\nPlease re-install it from your configuration "
     "disk(s)."},
    {270, "Cannot download from this type of weather station."},
    // Data logger command line
    {277, "* NDR - Main menu *"},
    {278, "Enter option number:  "},
    {280, "The normal log rate must be between 5 seconds and 24 hours (inclusive)"},
    {281, "The fast log rate must be 5 seconds or over and no more than the fast scan rate"},
    {296, "clirt()\r"},
    {306, "ERROR - "},
    {326, "Input File"},
    {470, "sltime(%02i:%02i:%02i)\r"},
    {471, "sldate(%02i/%02i/%04i)\r"},
    {472, "rsmode(open)\r"},
    {473, "rsmode(unlock)\r"},
    {474, "rsmode(clear)\r"},
    {477, "Uploading Calyra configuration"},
    // Web output and card conversion dialogs
    {486, "HTML Files (*.htm;*.html)|*.htm; *.html|All Files (*.*)|*.*||"},
    {487, "Web Output Template File"},
    {488, "Web Output File"},
    {491, "Header Files (*.txt)|*.txt|All Files (*.*)|*.*||"},
    {492, "Compact Flash Header File"},
    {493, "Data Files (*.dat)|*.dat|All Files (*.*)|*.*||"},
    {494, "Compact Flash Data File"},
    {520, "Unable to connect to instrument."},
    {536,
     "This display file uses an old format. It is recomended that you re-save it now in the new format used in this "
     "version of Stratavue."},
    // Station error reports
    {549, "Unable to open network output file"},
    {550, "Unable to open log file"},
    {551, "Real time data is corrupt"},
    {552, "Unable to establish modem connection"},
    {553, "Unable to open network input file"},
    {554, "Network input file corrupt"},
    {555, "No data"},
    {556, "Unable to connect to weather station"},
    {557, "Invalid response from weather station"},
    {560, "An error occurred while uploading the file, Error:%1"},
    {561, "%1 MB"},
    {562, "Overload"},
    {563, "%1 (%2 copied)"},
    {564, "%1 Bytes/Sec"},
    {565, "%1 KB/Sec"},
    {568, "Aborting transfer"},
    {569, "An error occured while opening the file to be uploaded, Error:%1"},
    {570, "Battery low"},
    {572, "Under range"},
    {581, "Log file(s) are missing for some days."},
    {582, "No log files are available for this period"},
    {583, "Unable to create new file"},
    {584, "clirt(cs)\r"},
    {585, "Part number:"},
    {586, "Issue:"},
    {590, "Copy all elements from page %d [%s] to page %d [%s]?"},
    {591, "Destination page for copy must be different from source page, please select a different page."},
    // Property sheet captions
    {626, "Properties - WXR 310/320"},
    {628, "Properties - Corvan direct"},
    {629, "Properties - File"},
    {630, "Properties - Corvan modem"},
    {631, "Properties - Vela modem"},
    {633, "Properties - Network"},
    {636, "Properties - Calyra modem"},
    {637, "Properties - Calyra W&D radio"},
    {638, "Properties - Calyra Harbury radio"},
    {641, "Properties - Generic serial"},
    // Sound level meter functions
    {644, "Period function %d"},
    {645, "Profile function %d"},
    {646, "Edit period function name"},
    {647, "Period function:"},
    {648, "Edit profile function name"},
    {649, "Profile function:"},
    {650, "Specified function name already in use."},
    {651, "Period function name cannot be the same as profile function name."},
    {652, "Profile function name cannot be the same as period function name."},
    {653, "Unable to write to log file"},
    // Logger link progress and commands
    {61447, "Requesting menu from remote system..."},
    {61448, "Clearing remote input buffer..."},
    {61449, "Select Calyra 'CLI' mode..."},
    {61450, "Activate 'CLI' mode..."},
    {61451, "'CLI' mode activated..."},
    {61458, "spdata(67,%d)\r"},
};

constexpr bool StrictlySorted() {
    for (std::size_t i = 1; i < std::size(kStrings); ++i) {
        if (kStrings[i - 1].id >= kStrings[i].id) {
            return false;
        }
    }
    return true;
}

static_assert(StrictlySorted(), "string table must be sorted by number without duplicates");

}  // namespace

const char* LoadString(int id) {
    const auto* end = std::end(kStrings);
    const auto* it = std::lower_bound(std::begin(kStrings), end, id,
                                      [](const StringEntry& entry, int key) { return entry.id < key; });
    return (it != end && it->id == id) ? it->text : nullptr;
}

std::string Str(int id) {
    const char* text = LoadString(id);
    return text ? std::string(text) : std::string();
}

std::span<const StringEntry> AllStrings() {
    return kStrings;
}

}  // namespace svu
