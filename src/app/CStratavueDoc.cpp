#include "app/CStratavueDoc.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "Version.h"
#include "framework/Archive.h"
#include "framework/AtomicFile.h"
#include "framework/ClassRegistry.h"
#include "framework/RegularFile.h"
#include "framework/SafeName.h"
#include "framework/StringTable.h"
#include "framework/TextUtil.h"
#include "framework/UserInterface.h"
#include "gadgets/GadgetKinds.h"
#include "stations/ProcessedData.h"
#include "stations/WeatherStation.h"

namespace svu {

namespace {

constexpr int kPageNameFormat = 157;  // "Page %i"
constexpr int kOldFormatMessage = 536;
constexpr const char* kTrailingBytesMessage =
    "This display file has %zu bytes after its last record. They were ignored, and they are left out "
    "when the file is saved.";
constexpr std::size_t kMaxDisplayFileBytes = 512u * 1024 * 1024;  // far beyond any real display

bool IsPage(int64_t page) {
    return page >= 1 && page <= CStratavueDoc::kPageCount;
}

size_t Index(int page) {
    return static_cast<size_t>(std::clamp(page, 1, CStratavueDoc::kPageCount) - 1);
}

}  // namespace

CStratavueDoc::CStratavueDoc(UserInterface& ui) : ui_(ui) {
    DeleteContents();
}

CStratavueDoc::~CStratavueDoc() = default;

ClassRegistry& CStratavueDoc::Classes() {
    static ClassRegistry reg = [] {
        ClassRegistry r;
        RegisterGadgetClasses(r);
        return r;
    }();
    return reg;
}

void CStratavueDoc::AddObserver(Observer* observer) {
    if (std::find(observers_.begin(), observers_.end(), observer) == observers_.end()) {
        observers_.push_back(observer);
    }
}

void CStratavueDoc::RemoveObserver(Observer* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void CStratavueDoc::Notify(void (Observer::*what)()) {
    const std::vector<Observer*> observers = observers_;  // an observer may unsubscribe
    for (Observer* o : observers) {
        (o->*what)();
    }
}

void CStratavueDoc::SetModifiedFlag(bool modified) {
    if (modified_ == modified) {
        return;
    }
    modified_ = modified;
    const std::vector<Observer*> observers = observers_;
    for (Observer* o : observers) {
        o->ModifiedChanged(modified);
    }
}

// ---- Document life ----

void CStratavueDoc::DeleteContents() {
    gadgets.clear();
    currentPage = 1;
    for (size_t i = 0; i < kPageCount; ++i) {
        pageName[i] = FormatString(kPageNameFormat, static_cast<int>(i + 1));
        normalColour[i] = kDefaultColour;
        alarmColour[i] = kDefaultColour;
        alertColour[i] = kDefaultColour;
        showBitmap[i] = 0;
        bitmap[i].Free();
        bitmapMode[i] = 0;  // bitmapFile keeps its name, as it always has
    }
    switchEnabled = 0;
    switchInterval = kDefaultSwitchInterval;
    switchSequence.clear();
    switchPosition = 0;
}

void CStratavueDoc::OnNewDocument() {
    DeleteContents();
    pathName_.clear();
    SetModifiedFlag(false);
    Notify(&Observer::DocumentReset);
}

bool CStratavueDoc::Load(const std::string& path, std::string* error) {
    // Only a regular file of a sane size: a folder, FIFO or device named as a display file must
    // neither block nor exhaust memory.
    std::vector<uint8_t> bytes;
    std::string reason;
    if (ReadRegularFile(path, kMaxDisplayFileBytes, bytes, &reason) != ReadFileStatus::Ok) {
        DeleteContents();
        SetModifiedFlag(false);
        Notify(&Observer::DocumentReset);
        if (error != nullptr) {
            *error = "cannot read " + reason;
        }
        return false;
    }
    if (!LoadBytes(std::move(bytes), error)) {
        if (error != nullptr) {
            *error = path + ": " + *error;
        }
        return false;
    }
    pathName_ = path;
    return true;
}

bool CStratavueDoc::LoadBytes(std::vector<uint8_t> bytes, std::string* error) {
    DeleteContents();
    oldFormat = 0;
    bool ok = true;
    std::size_t extra = 0;
    try {
        Archive ar = Archive::ForLoading(std::move(bytes), Classes());
        Serialize(ar);
        ar.FinishLoading();
        // What follows the document is not part of it (a copy tool may pad a file): the
        // document is whole without it, so it is read and the rest left out.
        extra = ar.Remaining();
    } catch (const ArchiveError& e) {
        DeleteContents();
        oldFormat = 0;
        ok = false;
        if (error != nullptr) {
            *error = e.what();
        }
    }
    SetModifiedFlag(false);
    Notify(&Observer::DocumentReset);
    if (ok && extra > 0) {
        ui_.MessageBox(FormatC(kTrailingBytesMessage, extra), kProductName, MsgButtons::Ok, MsgIcon::Warning);
    }
    if (ok && oldFormat != 0) {
        ui_.MessageBox(Str(kOldFormatMessage), kProductName, MsgButtons::Ok, MsgIcon::Warning);
    }
    return ok;
}

bool CStratavueDoc::Save(const std::string& path, std::string* error) {
    const std::vector<uint8_t> bytes = Bytes();
    if (!WriteFileAtomically(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                             error)) {
        return false;
    }
    pathName_ = path;
    SetModifiedFlag(false);
    return true;
}

std::vector<uint8_t> CStratavueDoc::Bytes() {
    Archive ar = Archive::ForStoring(Classes());
    Serialize(ar);
    return ar.Bytes();
}

void CStratavueDoc::Serialize(Archive& ar) {
    oldFormat = 0;
    ar.ObList(gadgets);
    ar.DWordArray(switchSequence);
    ar.Field(currentPage);
    for (size_t i = 0; i < kPageCount; ++i) {
        ar.Field(pageName[i]);
        ar.Field(normalColour[i]);
        ar.Field(alertColour[i]);  // the file holds normal, alert, alarm
        ar.Field(alarmColour[i]);
        ar.Field(bitmapFile[i]);
        ar.Field(showBitmap[i]);
        ar.Field(bitmapMode[i]);
        if (ar.IsLoading()) {
            ReloadBitmap(static_cast<int>(i + 1));
        }
    }
    ar.Field(switchEnabled);
    ar.Field(switchInterval);
    ar.Field(switchPosition);
    if (ar.IsStoring()) {
        return;
    }
    // Page numbers outside 1 to 8 are never written by the program: such a file is refused
    // rather than shown with pages that do not exist.
    if (!IsPage(currentPage)) {
        throw ArchiveError("archive: current page " + std::to_string(currentPage) + " (pages are 1 to 8)");
    }
    for (uint32_t page : switchSequence) {
        if (!IsPage(page)) {
            throw ArchiveError("archive: page switching sequence holds page " + std::to_string(page) +
                               " (pages are 1 to 8)");
        }
    }
    for (const auto& gadget : gadgets) {
        if (stations_ != nullptr) {
            gadget->ResolveSources(*stations_);
        }
        if (gadget->ReadInOldFormat()) {
            oldFormat = 1;
        }
    }
}

// ---- Operations other parts call ----

void CStratavueDoc::OnChannelDeleted(WeatherStation& station, int index) {
    for (const auto& gadget : gadgets) {
        if (gadget->OnChannelDeleted(station, index)) {
            SetModifiedFlag();
        }
    }
    for (const auto& derived : station.derived) {
        derived->OnChannelDeleted(index);
    }
}

void CStratavueDoc::OnChannelInserted(WeatherStation& station, int index) {
    for (const auto& gadget : gadgets) {
        if (gadget->OnChannelInserted(station, index)) {
            SetModifiedFlag();
        }
    }
    for (const auto& derived : station.derived) {
        derived->OnChannelInserted(index);
    }
}

void CStratavueDoc::OnStationRemoved(const WeatherStation& station) {
    for (const auto& gadget : gadgets) {
        if (gadget->OnStationRemoved(station)) {
            SetModifiedFlag();
        }
    }
}

void CStratavueDoc::SetRunning(bool on) {
    for (const auto& gadget : gadgets) {
        gadget->SetRunning(on);
    }
}

void CStratavueDoc::ResetHistory() {
    for (const auto& gadget : gadgets) {
        gadget->ResetHistory();
    }
}

// ---- Model side of the commands ----

uint32_t CStratavueDoc::Colour(int page, PageColour which) const {
    const size_t i = Index(page);
    switch (which) {
        case PageColour::Alert:
            return alertColour[i];
        case PageColour::Alarm:
            return alarmColour[i];
        case PageColour::Normal:
            break;
    }
    return normalColour[i];
}

bool CStratavueDoc::SetColour(int page, PageColour which, uint32_t colour) {
    const size_t i = Index(page);
    uint32_t& slot = which == PageColour::Alert   ? alertColour[i]
                     : which == PageColour::Alarm ? alarmColour[i]
                                                  : normalColour[i];
    if (slot == colour) {
        return false;
    }
    slot = colour;
    SetModifiedFlag();
    Notify(&Observer::BackgroundChanged);
    return true;
}

void CStratavueDoc::RenamePages(const std::array<std::string, kPageCount>& names) {
    pageName = names;
    SetModifiedFlag();
    Notify(&Observer::PagesRenamed);
}

std::string CStratavueDoc::BitmapPath(const std::string& file) const {
    return PathInFolder(bitmapFolder_, file);  // empty for a name that climbs out with ".."
}

void CStratavueDoc::ReloadBitmap(int page) {
    const size_t i = Index(page);
    if (showBitmap[i] != 0 && loadBitmaps_ && !bitmapFile[i].empty()) {
        bitmap[i].Load(BitmapPath(bitmapFile[i]));  // a missing file leaves the page plain
    } else {
        bitmap[i].Free();
    }
}

void CStratavueDoc::SetBackgroundBitmap(int page, const std::string& file, int32_t mode) {
    const size_t i = Index(page);
    showBitmap[i] = file.empty() ? 0 : 1;
    bitmapFile[i] = file;
    ReloadBitmap(page);
    bitmapMode[i] = mode;
    SetModifiedFlag();
    Notify(&Observer::BackgroundChanged);
}

std::vector<Gadget*> CStratavueDoc::CopyPageElements(int from, int to) {
    std::vector<Gadget*> copies;
    const size_t count = gadgets.size();  // the copies are appended behind the originals
    for (size_t i = 0; i < count; ++i) {
        if (gadgets[i]->page != from) {
            continue;
        }
        std::unique_ptr<Gadget> copy = gadgets[i]->Clone();
        if (!copy) {
            continue;
        }
        copy->page = to;
        gadgets.push_back(std::move(copy));
        copies.push_back(gadgets.back().get());
    }
    if (!copies.empty()) {
        SetModifiedFlag();
        Notify(&Observer::GadgetsChanged);
    }
    return copies;
}

Gadget& CStratavueDoc::AddGadget(std::unique_ptr<Gadget> gadget) {
    gadgets.insert(gadgets.begin(), std::move(gadget));
    SetModifiedFlag();
    Notify(&Observer::GadgetsChanged);
    return *gadgets.front();
}

Gadget& CStratavueDoc::AppendGadget(std::unique_ptr<Gadget> gadget) {
    gadgets.push_back(std::move(gadget));
    SetModifiedFlag();
    Notify(&Observer::GadgetsChanged);
    return *gadgets.back();
}

std::unique_ptr<Gadget> CStratavueDoc::RemoveGadget(const Gadget& gadget) {
    auto it = std::find_if(gadgets.begin(), gadgets.end(), [&](const auto& g) { return g.get() == &gadget; });
    if (it == gadgets.end()) {
        return nullptr;
    }
    std::unique_ptr<Gadget> removed = std::move(*it);
    gadgets.erase(it);
    SetModifiedFlag();
    Notify(&Observer::GadgetsChanged);
    return removed;
}

void CStratavueDoc::SetCurrentPage(int page) {
    if (IsPage(page)) {
        currentPage = page;
    }
}

std::vector<uint32_t> CStratavueDoc::ParsePageNumbers(const std::string& text) {
    std::vector<uint32_t> pages;
    size_t pos = 0;
    for (;;) {
        // The number at the start, as the C library's integer conversion reads it: leading white
        // space, a sign, digits; anything else reads as 0.
        size_t p = pos;
        while (p < text.size() && (text[p] == ' ' || (text[p] >= '\t' && text[p] <= '\r'))) {
            ++p;
        }
        bool negative = false;
        if (p < text.size() && (text[p] == '+' || text[p] == '-')) {
            negative = text[p] == '-';
            ++p;
        }
        int64_t value = 0;
        while (p < text.size() && text[p] >= '0' && text[p] <= '9') {
            value = std::min<int64_t>(value * 10 + (text[p] - '0'), int64_t{1} << 40);
            ++p;
        }
        if (negative) {
            value = -value;
        }
        if (IsPage(value)) {
            pages.push_back(static_cast<uint32_t>(value));
        }
        const size_t comma = text.find(',', pos);
        if (comma == std::string::npos) {
            break;
        }
        pos = comma + 1;
    }
    return pages;
}

std::string CStratavueDoc::FormatPageNumbers(const std::vector<uint32_t>& sequence) {
    std::string text;
    for (uint32_t page : sequence) {
        if (!text.empty()) {
            text += ',';
        }
        text += std::to_string(page);
    }
    return text;
}

}  // namespace svu
