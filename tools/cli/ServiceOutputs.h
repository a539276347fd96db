#pragma once

#include <memory>

#include "cli/Cli.h"

namespace svu {
class Runtime;
class Settings;
}

namespace svu::cli {

/// What the service sends out beside its logs: alarm e-mail and the FTP upload of web pages, wired
/// into the runtime for the life of the object (which must end after acquisition has stopped).
class ServiceOutputs {
public:
    ServiceOutputs(Context& ctx, Settings& settings, Runtime& runtime);
    ~ServiceOutputs();
    ServiceOutputs(const ServiceOutputs&) = delete;
    ServiceOutputs& operator=(const ServiceOutputs&) = delete;

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

}  // namespace svu::cli
