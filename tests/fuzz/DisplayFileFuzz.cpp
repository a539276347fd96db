// Reads a display file from arbitrary bytes. Damage must be reported, never crash, hang or
// allocate without bound, and leave the document empty; whatever loads must save, reload and save
// again to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

// The document lives in the display library; until this target links it (and so sees the Qt
// headers) it builds as an empty target rather than breaking the build.
#if __has_include(<QImage>)
#define SVU_DISPLAY_FUZZ 1
#include "FuzzFile.h"
#include "app/CStratavueDoc.h"
#include "framework/UserInterface.h"
#endif

#ifdef SVU_DISPLAY_FUZZ
namespace {

using namespace svu;
using svu::fuzz::Check;

// Answers every question without asking (message 536 may come).
class QuietUserInterface : public UserInterface {
public:
    MsgResult MessageBox(const std::string&, const std::string&, MsgButtons buttons, MsgIcon, int) override {
        return SafeResult(buttons);
    }
    void ShowProgress(const std::string&) override {}
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QuietUserInterface ui;
    CStratavueDoc doc(ui);
    doc.SetLoadBitmaps(false);  // file names in the input must not make it read the disk
    std::string error;
    if (!doc.LoadBytes(std::vector<uint8_t>(data, data + size), &error)) {
        Check(doc.gadgets.empty() && !error.empty());
        return 0;
    }
    const std::vector<uint8_t> saved = doc.Bytes();
    CStratavueDoc again(ui);
    again.SetLoadBitmaps(false);
    Check(again.LoadBytes(saved, &error));
    Check(again.Bytes() == saved);
    return 0;
}
#else
extern "C" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) {
    return 0;
}
#endif
