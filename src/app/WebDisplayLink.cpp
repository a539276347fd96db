#include "app/WebDisplayLink.h"

#include <cstring>
#include <filesystem>

#include "gadgets/Gadget.h"
#include "runtime/Runtime.h"
#include "stations/WeatherStation.h"

namespace svu {

namespace {

const char* KindOf(const Gadget& gadget) {
    struct Kind {
        const char* className;
        const char* kind;
    };
    static constexpr Kind kKinds[] = {
        {"ValueGadget", "value"},       {"TextGadget", "text"},         {"DateGadget", "date"},
        {"TimeGadget", "time"},         {"MultiStateGadget", "state"},  {"WindRoseGadget", "windrose"},
        {"RTWindRoseGadget", "windrose"}, {"RTDustRoseGadget", "dustrose"}, {"GraphGadget", "graph"},
        {"BitmapGadget", "bitmap"},     {"OverlayGadget", "overlay"},   {"MultiTextGadget", "multitext"},
    };
    for (const Kind& k : kKinds) {
        if (std::strcmp(gadget.ClassName(), k.className) == 0) {
            return k.kind;
        }
    }
    return "other";
}

}  // namespace

std::optional<WebDisplay> WebDisplayOf(const CStratavueDoc& doc) {
    if (doc.gadgets.empty()) {
        return std::nullopt;
    }
    WebDisplay display;
    display.file = std::filesystem::path(doc.PathName()).filename().string();
    for (int page = 1; page <= CStratavueDoc::kPageCount; ++page) {
        WebDisplayPage p;
        p.index = page - 1;
        p.name = doc.pageName[page - 1].empty() ? "Page " + std::to_string(page) : doc.pageName[page - 1];
        for (const auto& gadget : doc.gadgets) {
            if (gadget->page != page) {
                continue;
            }
            WebDisplayItem item;
            item.kind = KindOf(*gadget);
            if (gadget->source1.station != nullptr) {
                item.station = gadget->source1.station->name;
                item.channel = gadget->source1.IsValid() ? gadget->source1.channel - 1 : -1;
            }
            item.label = gadget->topLeftText;
            item.x = gadget->rect[0];
            item.y = gadget->rect[1];
            item.width = gadget->rect[2] - gadget->rect[0];
            item.height = gadget->rect[3] - gadget->rect[1];
            p.items.push_back(std::move(item));
        }
        display.pages.push_back(std::move(p));
    }
    return display;
}

WebDisplayLink::WebDisplayLink(CStratavueDoc& doc, Runtime& runtime) : doc_(doc), runtime_(runtime) {
    doc_.AddObserver(this);
    Publish();
}

WebDisplayLink::~WebDisplayLink() {
    doc_.RemoveObserver(this);
}

void WebDisplayLink::Publish() {
    runtime_.LiveSetup().SetWebDisplay(WebDisplayOf(doc_));
}

}  // namespace svu
