#include "platform/FtpUpload.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <memory>

#include "framework/StringTable.h"
#include "platform/CurlGlobal.h"

namespace svu {

namespace {

constexpr int kErrorRemoteFile = 111;
constexpr int kErrorTransfer = 114;
constexpr int kErrorConnect = 115;
constexpr int kErrorUpload = 560;
constexpr int kErrorLocalFile = 569;

struct Transfer {
    int fd = -1;
    int64_t total = 0;
    int64_t sent = 0;
    bool started = false;  // the server accepted the file and asked for data
    const std::atomic<bool>* abort = nullptr;
    const std::function<void(const FtpProgress&)>* progress = nullptr;
    std::string host;
};

size_t ReadBlock(char* buffer, size_t size, size_t count, void* user) {
    auto& t = *static_cast<Transfer*>(user);
    if (t.abort->load()) {
        return CURL_READFUNC_ABORT;
    }
    if (!t.started) {
        t.started = true;
        if (*t.progress) {
            (*t.progress)(FtpProgress{FtpProgress::Stage::Connected, t.host, 0, t.total});
        }
    }
    const ssize_t n = ::read(t.fd, buffer, std::min<size_t>(size * count, 1024));
    if (n < 0) {
        return CURL_READFUNC_ABORT;
    }
    t.sent += n;
    if (*t.progress) {
        (*t.progress)(FtpProgress{FtpProgress::Stage::Uploading, {}, t.sent, t.total});
    }
    return static_cast<size_t>(n);
}

int CheckAbort(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<Transfer*>(user)->abort->load() ? 1 : 0;
}

struct CurlDeleter {
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
struct SlistDeleter {
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};

std::string BaseName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string SftpPath(const std::string& remotePath) {
    return remotePath.rfind('/', 0) == 0 ? remotePath : "~/" + remotePath;
}

}  // namespace

bool ParseFtpServer(const std::string& text, FtpServer& server, std::string& error) {
    std::string rest = text;
    server = FtpServer{};
    const auto takeScheme = [&](const char* prefix, FtpServer::Scheme scheme, int port) {
        const std::string p(prefix);
        if (rest.size() >= p.size() && std::equal(p.begin(), p.end(), rest.begin(), [](char a, char b) {
                return a == static_cast<char>(std::tolower(static_cast<unsigned char>(b)));
            })) {
            rest.erase(0, p.size());
            server.scheme = scheme;
            server.port = port;
            return true;
        }
        return false;
    };
    takeScheme("ftp://", FtpServer::Scheme::Ftp, 21) || takeScheme("ftps://", FtpServer::Scheme::Ftps, 21) ||
        takeScheme("sftp://", FtpServer::Scheme::Sftp, 22);
    while (!rest.empty() && rest.back() == '/') {
        rest.pop_back();
    }
    size_t colon = std::string::npos;
    if (!rest.empty() && rest.front() == '[') {  // an IPv6 address: "[::1]" or "[::1]:2121"
        const size_t close = rest.find(']');
        if (close == std::string::npos || (close + 1 < rest.size() && rest[close + 1] != ':')) {
            error = "the server \"" + text + "\" is not a host name or address";
            return false;
        }
        if (close + 1 < rest.size()) {
            colon = close + 1;
        }
    } else {
        colon = rest.rfind(':');
    }
    if (colon != std::string::npos) {
        const std::string portText = rest.substr(colon + 1);
        char* end = nullptr;
        const long port = std::strtol(portText.c_str(), &end, 10);
        if (portText.empty() || *end != '\0' || port < 1 || port > 65535) {
            error = "the server's port \"" + portText + "\" is not a port number";
            return false;
        }
        server.port = static_cast<int>(port);
        rest.erase(colon);
    }
    if (rest.empty() || rest.find_first_of("/ \t") != std::string::npos) {
        error = "the server \"" + text + "\" names no host";
        return false;
    }
    server.host = rest;
    return true;
}

std::string FtpUrl(const FtpServer& server, const std::string& remotePath) {
    std::string url = server.scheme == FtpServer::Scheme::Sftp ? "sftp://" : "ftp://";
    url += server.host + ":" + std::to_string(server.port) + "/";
    if (server.scheme == FtpServer::Scheme::Sftp) {
        url += remotePath.rfind('/', 0) == 0 ? remotePath.substr(1) : "~/" + remotePath;
    } else {
        url += remotePath.rfind('/', 0) == 0 ? "%2F" + remotePath.substr(1) : remotePath;
    }
    return url;
}

std::string FtpTemporaryName(const std::string& remoteFile) {
    return FolderOf(remoteFile) + "." + BaseName(remoteFile) + ".uploading";
}

FtpResult UploadFile(const std::string& localFile, const FtpTarget& target, const std::atomic<bool>& abort,
                     const std::function<void(const FtpProgress&)>& progress) {
    FtpResult result;
    FtpServer server;
    std::string error;
    if (!ParseFtpServer(target.server, server, error)) {
        result.message = FormatString(kErrorConnect, error);
        return result;
    }
    if (target.remoteFile.empty() || target.remoteFile.back() == '/') {
        result.message = FormatString(kErrorRemoteFile, "no remote file name is set");
        return result;
    }

    Transfer t;
    t.fd = ::open(localFile.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat st {};
    if (t.fd < 0 || ::fstat(t.fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int code = t.fd < 0 ? errno : EINVAL;
        if (t.fd >= 0) {
            ::close(t.fd);
        }
        result.message = FormatString(kErrorLocalFile, std::to_string(code));
        return result;
    }
    const int flags = ::fcntl(t.fd, F_GETFL);
    ::fcntl(t.fd, F_SETFL, flags & ~O_NONBLOCK);
    std::unique_ptr<int, void (*)(int*)> closeFd(&t.fd, [](int* fd) { ::close(*fd); });
    t.total = st.st_size;
    t.abort = &abort;
    t.progress = &progress;
    t.host = server.host;

    EnsureCurlInitialised();
    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl) {
        result.message = FormatString(kErrorTransfer, "the transfer library could not start");
        return result;
    }
    CURL* c = curl.get();
    const std::string temporary = FtpTemporaryName(target.remoteFile);
    const std::string url = FtpUrl(server, temporary);
    char errorText[CURL_ERROR_SIZE] = {};
    std::unique_ptr<curl_slist, SlistDeleter> postQuote;
    if (server.scheme == FtpServer::Scheme::Sftp) {
        curl_slist* list = curl_slist_append(nullptr, ("*rm \"" + SftpPath(target.remoteFile) + "\"").c_str());
        list = curl_slist_append(
            list, ("rename \"" + SftpPath(temporary) + "\" \"" + SftpPath(target.remoteFile) + "\"").c_str());
        postQuote.reset(list);
    } else {
        // The post-transfer commands run in the folder the file went into.
        curl_slist* list = curl_slist_append(nullptr, ("RNFR " + BaseName(temporary)).c_str());
        list = curl_slist_append(list, ("RNTO " + BaseName(target.remoteFile)).c_str());
        postQuote.reset(list);
    }

    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(c, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(t.total));
    curl_easy_setopt(c, CURLOPT_READFUNCTION, ReadBlock);
    curl_easy_setopt(c, CURLOPT_READDATA, &t);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, CheckAbort);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &t);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, 20L);
    curl_easy_setopt(c, CURLOPT_SERVER_RESPONSE_TIMEOUT, 30L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);  // a transfer stalled for 30 s is given up
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, 30L);
    curl_easy_setopt(c, CURLOPT_TRANSFERTEXT, 0L);  // binary
    curl_easy_setopt(c, CURLOPT_POSTQUOTE, postQuote.get());
    curl_easy_setopt(c, CURLOPT_FTP_CREATE_MISSING_DIRS, CURLFTP_CREATE_DIR_NONE);
    if (!target.user.empty()) {
        curl_easy_setopt(c, CURLOPT_USERNAME, target.user.c_str());
        curl_easy_setopt(c, CURLOPT_PASSWORD, target.password.c_str());
    }
    if (server.scheme == FtpServer::Scheme::Ftps) {
        curl_easy_setopt(c, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
    }
    if (!target.proxy.empty()) {
        curl_easy_setopt(c, CURLOPT_PROXY, target.proxy.c_str());
    }
    if (progress) {
        progress(FtpProgress{FtpProgress::Stage::Connecting, server.host, 0, t.total});
    }

    const CURLcode code = curl_easy_perform(c);
    if (code == CURLE_OK) {
        result.outcome = FtpResult::Outcome::Done;
        return result;
    }
    if (code == CURLE_ABORTED_BY_CALLBACK || (code == CURLE_READ_ERROR && abort.load()) || abort.load()) {
        result.outcome = FtpResult::Outcome::Aborted;
        return result;
    }
    const std::string detail = errorText[0] != '\0' ? errorText : curl_easy_strerror(code);
    int id = kErrorTransfer;
    switch (code) {
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
        case CURLE_COULDNT_CONNECT:
        case CURLE_LOGIN_DENIED:
        case CURLE_FTP_WEIRD_SERVER_REPLY:
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_USE_SSL_FAILED:
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSH:
            id = t.started ? kErrorUpload : kErrorConnect;
            break;
        case CURLE_REMOTE_ACCESS_DENIED:
        case CURLE_UPLOAD_FAILED:
        case CURLE_REMOTE_FILE_NOT_FOUND:
        case CURLE_REMOTE_DISK_FULL:
            id = t.started ? kErrorUpload : kErrorRemoteFile;
            break;
        default:
            id = t.started ? kErrorUpload : kErrorTransfer;
            break;
    }
    result.message = FormatString(id, detail);
    return result;
}

}  // namespace svu
