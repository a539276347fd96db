#pragma once

// One file upload to an FTP, FTPS or SFTP server with libcurl. The file goes up under a temporary
// name in the same remote folder and is renamed over the final name when it is complete, so a web
// browser never fetches half a page.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace svu {

/// Where and how to upload.
struct FtpTarget {
    /// "host", "host:port", or "ftp://", "ftps://" (explicit TLS) or "sftp://" followed by either.
    std::string server;
    std::string remoteFile;  // path on the server; relative to the login folder unless it starts with "/"
    std::string user;        // empty: anonymous (no user and no password are passed)
    std::string password;
    /// "PreConfig" 0 with "UseProxy" 1: the named proxy; otherwise the environment's (curl's usual rules).
    std::string proxy;
};

/// The server part of a target, taken apart.
struct FtpServer {
    enum class Scheme { Ftp, Ftps, Sftp } scheme = Scheme::Ftp;
    std::string host;
    int port = 21;
};

/// Parses FtpTarget::server; false (with a message) for an empty host or a bad port.
bool ParseFtpServer(const std::string& text, FtpServer& server, std::string& error);

/// The URL of a remote file on a server ("/" between, an absolute path kept absolute).
std::string FtpUrl(const FtpServer& server, const std::string& remotePath);

/// The temporary remote name used while a file is going up.
std::string FtpTemporaryName(const std::string& remoteFile);

/// What an upload reports while it runs (called on the uploading thread).
struct FtpProgress {
    enum class Stage { Connecting, Connected, Uploading, Renaming } stage = Stage::Connecting;
    std::string detail;      // the host for Connecting/Connected
    int64_t bytesSent = 0;
    int64_t bytesTotal = 0;
};

/// How an upload ended.
struct FtpResult {
    enum class Outcome { Done, Failed, Aborted } outcome = Outcome::Failed;
    std::string message;  // the program's message for a failure, empty otherwise
};

/// Uploads `localFile` to `target`; blocks until done, failed or aborted. `abort` is checked between
/// blocks. Connection and transfer time-outs bound the call even against a server that stops
/// answering.
FtpResult UploadFile(const std::string& localFile, const FtpTarget& target, const std::atomic<bool>& abort,
                     const std::function<void(const FtpProgress&)>& progress);

}  // namespace svu
