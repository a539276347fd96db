#include "platform/SerialDevices.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <system_error>

#include "framework/Profile.h"
#include "framework/TextUtil.h"

namespace svu {

namespace {

namespace fs = std::filesystem;

// The n of a key "COMn" (any case), 0 for other keys.
int PortOfKey(const std::string& key) {
    if (key.size() < 4 || !EqualsNoCase(key.substr(0, 3), "COM")) {
        return 0;
    }
    int n = 0;
    for (std::size_t i = 3; i < key.size(); ++i) {
        if (key[i] < '0' || key[i] > '9' || n > 100000) {
            return 0;
        }
        n = n * 10 + (key[i] - '0');
    }
    return n;
}

std::map<int, std::string> MappedPorts(const Profile* settings) {
    std::map<int, std::string> ports;
    if (settings == nullptr) {
        return ports;
    }
    for (const std::string& key : settings->Keys(kPortsSection)) {
        const int n = PortOfKey(key);
        if (n > 0) {
            const std::string device(Trim(settings->GetString(kPortsSection, key, "")));
            if (!device.empty()) {
                ports.emplace(n, device);
            }
        }
    }
    return ports;
}

// Orders ttyS2 before ttyS10.
bool NaturalLess(const std::string& a, const std::string& b) {
    const auto digits = [](const std::string& s) {
        std::size_t i = s.size();
        while (i > 0 && s[i - 1] >= '0' && s[i - 1] <= '9') {
            --i;
        }
        return i;
    };
    const std::size_t da = digits(a);
    const std::size_t db = digits(b);
    if (a.compare(0, da, b, 0, db) != 0 || da == a.size() || db == b.size()) {
        return a < b;
    }
    return AtoL(std::string_view(a).substr(da)) < AtoL(std::string_view(b).substr(db));
}

std::vector<std::string> Entries(const std::string& folder, const std::string& prefix) {
    std::vector<std::string> found;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.compare(0, prefix.size(), prefix) == 0 && name.size() > prefix.size()) {
            found.push_back(it->path().string());
        }
    }
    std::sort(found.begin(), found.end(), NaturalLess);
    return found;
}

// Most machines have /dev/ttyS0..31 whether or not a UART answers; the kernel reports type 0 for
// the empty ones.
bool HasUart(const std::string& ttySPath) {
    std::ifstream type("/sys/class/tty/" + fs::path(ttySPath).filename().string() + "/type");
    int value = -1;
    if (!(type >> value)) {
        return true;
    }
    return value != 0;
}

}  // namespace

std::string SerialPortDevice(int portNumber, const Profile* settings) {
    if (portNumber < 1) {
        return {};
    }
    const auto mapped = MappedPorts(settings);
    if (const auto it = mapped.find(portNumber); it != mapped.end()) {
        return it->second;
    }
    return "/dev/ttyS" + std::to_string(portNumber - 1);
}

int SerialPortNumber(const std::string& device, const Profile* settings) {
    for (const auto& [n, path] : MappedPorts(settings)) {
        if (path == device) {
            return n;
        }
    }
    const std::string prefix = "/dev/ttyS";
    if (device.compare(0, prefix.size(), prefix) == 0 && device.size() > prefix.size() &&
        device.find_first_not_of("0123456789", prefix.size()) == std::string::npos) {
        const int n = AtoI(std::string_view(device).substr(prefix.size())) + 1;
        // A mapping that gives this number another device hides the default.
        return SerialPortDevice(n, settings) == device ? n : 0;
    }
    return 0;
}

std::vector<SerialDeviceInfo> ListSerialDevices(const Profile* settings) {
    std::vector<SerialDeviceInfo> list;
    const auto add = [&](const std::string& path) {
        if (std::any_of(list.begin(), list.end(), [&](const SerialDeviceInfo& d) { return d.path == path; })) {
            return;
        }
        SerialDeviceInfo info;
        info.path = path;
        info.portNumber = SerialPortNumber(path, settings);
        info.label = info.portNumber > 0 ? "COM" + std::to_string(info.portNumber) + " (" + path + ")" : path;
        list.push_back(std::move(info));
    };
    for (const auto& [n, path] : MappedPorts(settings)) {
        add(path);
    }
    for (const std::string& path : Entries("/dev", "ttyS")) {
        if (HasUart(path)) {
            add(path);
        }
    }
    for (const char* prefix : {"ttyUSB", "ttyACM"}) {
        for (const std::string& path : Entries("/dev", prefix)) {
            add(path);
        }
    }
    for (const std::string& path : Entries("/dev/serial/by-id", "")) {
        add(path);
    }
    return list;
}

}  // namespace svu
