#pragma once

// Keeps the web server told of the open display file's pages and items, so that the browser
// dashboard groups the values as the pages do.

#include <optional>

#include "app/CStratavueDoc.h"
#include "outputs/WebApiServer.h"

namespace svu {

class Runtime;

/// The document's pages and items in the simple form /api/display serves; none when the document
/// has no items.
std::optional<WebDisplay> WebDisplayOf(const CStratavueDoc& doc);

class WebDisplayLink : public CStratavueDoc::Observer {
public:
    WebDisplayLink(CStratavueDoc& doc, Runtime& runtime);
    ~WebDisplayLink() override;
    WebDisplayLink(const WebDisplayLink&) = delete;
    WebDisplayLink& operator=(const WebDisplayLink&) = delete;

    void DocumentReset() override { Publish(); }
    void GadgetsChanged() override { Publish(); }
    void PagesRenamed() override { Publish(); }
    /// Tells the server the document as it stands.
    void Publish();

private:
    CStratavueDoc& doc_;
    Runtime& runtime_;
};

}  // namespace svu
