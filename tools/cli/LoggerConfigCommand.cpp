// stratavue-cli logger-config: what the "Calyra Configuration" sheet's download and upload buttons
// do, from the command line, with the set-up kept as JSON; and, before anything is written, the
// list of settings that the upload would change.

#include "cli/LoggerConfigCommand.h"

#include <unistd.h>

#include <iostream>
#include <ostream>

#include "framework/AtomicFile.h"
#include "framework/ClassRegistry.h"
#include "framework/RegularFile.h"
#include "framework/Settings.h"
#include "framework/StringTable.h"
#include "framework/SafeName.h"
#include "loggers/NdrCommandLine.h"
#include "loggers/NdrConfig.h"
#include "loggers/NdrConfigDiff.h"
#include "loggers/NdrLoggerLink.h"
#include "loggers/NdrSetupJson.h"
#include "runtime/ClassTables.h"
#include "stations/StationFile.h"
#include "stations/StationReports.h"
#include "stations/WeatherStation.h"

namespace svu::cli {

namespace {

constexpr int kStationFileCorrupt = 263;
constexpr int kDownloading = 109;
constexpr int kUploading = 477;
constexpr int kClearAdvice = 231;
constexpr int kClearFailed = 232;
constexpr const char* kPrefix = "stratavue-cli logger-config: ";
// A set-up file is a few hundred kilobytes; anything far beyond is no set-up.
constexpr std::size_t kMaxSetupBytes = 16 * 1024 * 1024;

// The station's command line with the progress going to the error stream, a line per tenth.
class ProgressLine : public NdrCommandLine {
public:
    ProgressLine(NdrCommandLine& inner, std::ostream& err, std::string title, int total)
        : inner_(inner), err_(err), title_(std::move(title)), total_(total > 0 ? total : 1) {}
    bool Transact(const std::string& command, std::string* reply) override { return inner_.Transact(command, reply); }
    bool SendOnly(const std::string& command) override { return inner_.SendOnly(command); }
    bool ShowProgress(const std::string& text, int steps) override {
        done_ += steps;
        const int tenth = done_ * 10 / total_;
        if (tenth != shown_) {
            shown_ = tenth;
            err_ << title_ << ": " << (tenth > 10 ? 100 : tenth * 10) << "%\n" << std::flush;
        }
        return true;
    }

private:
    NdrCommandLine& inner_;
    std::ostream& err_;
    std::string title_;
    int total_;
    int done_ = 0;
    int shown_ = 0;
};

void ReportProblems(Context& ctx, const NDR& ndr) {
    for (const std::string& p : ndr.TransferProblems()) {
        ctx.err << kPrefix << p << "\n";
    }
}

bool ReadLogger(Context& ctx, NdrLoggerLink& link, NDR& ndr) {
    const bool ok = link.WithCommandLine([&](NdrCommandLine& line) {
        ProgressLine progress(line, ctx.err, Str(kDownloading), NDR::kReadCommands);
        return ndr.ReadFromLogger(progress);
    });
    ReportProblems(ctx, ndr);
    if (!ok) {
        ctx.err << kPrefix << "the logger's set-up could not be read\n";
    }
    return ok;
}

bool ReadSetupFile(Context& ctx, const std::string& path, NDR& ndr) {
    std::string text;
    std::string error;
    if (ReadRegularFile(path, kMaxSetupBytes, text, &error) != ReadFileStatus::Ok) {
        ctx.err << kPrefix << "cannot read " << path << ": " << error << "\n";
        return false;
    }
    if (!NdrFromJson(text, ndr, &error)) {
        ctx.err << kPrefix << path << ": " << error << "\n";
        return false;
    }
    return true;
}

}  // namespace

int RunLoggerConfig(Context& ctx, Args& args) {
    const std::string action = args.Positional("ACTION");
    const std::string name = args.Required("--station");
    std::string path;
    bool yes = false;
    bool clearMemory = false;
    if (action == "download") {
        path = args.Required("--out");
    } else if (action == "upload" || action == "diff") {
        path = args.Required("--in");
        if (action == "upload") {
            yes = args.Flag("--yes");
            clearMemory = args.Flag("--clear-memory");
        }
    } else {
        throw UsageError{"unknown action " + action};
    }
    args.ExpectEnd();

    Settings settings(ctx.programDir);
    SetReportFolder(settings.ProgramDir());
    ClassRegistry classes;
    RegisterAllClasses(classes);
    StationFileResult file = LoadStationFile(ctx.StationFilePath(), classes);
    if (!file.Ok()) {
        ctx.err << Str(kStationFileCorrupt) << "\n" << kPrefix << ctx.StationFilePath() << ": " << file.error << "\n";
        return kExitFailure;
    }
    for (const auto& candidate : file.stations) {
        if (candidate->name != name) {
            continue;
        }
        auto* link = dynamic_cast<NdrLoggerLink*>(candidate.get());
        if (link == nullptr) {
            ctx.err << kPrefix << "station \"" << EscapeControls(name) << "\" is no data logger ("
                    << candidate->ClassName() << ")\n";
            return kExitUsage;
        }
        if (action == "download") {
            return LoggerConfigDownload(ctx, *link, path);
        }
        if (action == "diff") {
            return LoggerConfigDiff(ctx, *link, path);
        }
        return LoggerConfigUpload(ctx, *link, path, yes, isatty(STDIN_FILENO) ? &std::cin : nullptr, clearMemory);
    }
    ctx.err << kPrefix << "no station named \"" << EscapeControls(name) << "\"\n";
    return kExitUsage;
}

int LoggerConfigDownload(Context& ctx, NdrLoggerLink& link, const std::string& outPath) {
    NDR ndr = link.LoggerSetup();
    if (!ReadLogger(ctx, link, ndr)) {
        return kExitFailure;
    }
    std::string error;
    if (!WriteFileAtomically(outPath, NdrToJson(ndr), &error)) {
        ctx.err << kPrefix << "cannot write " << outPath << ": " << error << "\n";
        return kExitFailure;
    }
    ctx.out << "Logger set-up written to " << outPath << "\n";
    return kExitOk;
}

int LoggerConfigDiff(Context& ctx, NdrLoggerLink& link, const std::string& inPath) {
    NDR wanted = link.LoggerSetup();
    if (!ReadSetupFile(ctx, inPath, wanted)) {
        return kExitFailure;
    }
    NDR current = link.LoggerSetup();
    if (!ReadLogger(ctx, link, current)) {
        return kExitFailure;
    }
    ctx.out << NdrConfigDiff::Text(NdrConfigDiff::Between(current, wanted));
    return kExitOk;
}

int LoggerConfigUpload(Context& ctx, NdrLoggerLink& link, const std::string& inPath, bool yes, std::istream* terminal,
                       bool clearMemory) {
    NDR wanted = link.LoggerSetup();
    if (!ReadSetupFile(ctx, inPath, wanted)) {
        return kExitFailure;
    }
    if (!yes) {
        if (terminal == nullptr) {
            ctx.err << kPrefix << "not uploading: the changes need confirming and there is no terminal to ask on;"
                    << " check them with \"logger-config diff\" and give --yes to upload\n";
            return kExitFailure;
        }
        NDR current = link.LoggerSetup();
        if (!ReadLogger(ctx, link, current)) {
            return kExitFailure;
        }
        const auto changes = NdrConfigDiff::Between(current, wanted);
        ctx.out << NdrConfigDiff::Text(changes) << "Upload this set-up to the logger? [y/N] " << std::flush;
        std::string answer;
        std::getline(*terminal, answer);
        if (answer != "y" && answer != "Y" && answer != "yes") {
            ctx.out << "Nothing was uploaded.\n";
            return kExitOk;
        }
    }
    const bool ok = link.WithCommandLine([&](NdrCommandLine& line) {
        ProgressLine progress(line, ctx.err, Str(kUploading), wanted.WriteCommandCount());
        return wanted.WriteToLogger(progress);
    });
    ReportProblems(ctx, wanted);
    if (!ok) {
        ctx.err << kPrefix << "the upload did not complete; the logger may hold part of the new set-up\n";
        return kExitFailure;
    }
    ctx.out << "Logger set-up uploaded from " << inPath << "\n";
    if (!clearMemory) {
        const std::string advice = Str(kClearAdvice);
        ctx.out << advice.substr(0, advice.find('\n')) << " (give --clear-memory to clear it)\n";
        return kExitOk;
    }
    if (!link.ClearLoggerMemory()) {
        ctx.err << kPrefix << Str(kClearFailed) << "\n";
        return kExitFailure;
    }
    ctx.out << "The logger's memory was cleared.\n";
    return kExitOk;
}

}  // namespace svu::cli
