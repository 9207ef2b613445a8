#include "platform/http.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// What one transfer learns through libcurl's callbacks.
struct Transfer {
    const Http_Data_Callback* on_data = nullptr;
    bool refused = false;  // on_data returned false
    // True once the headers of the final answer are complete. Until then a failure means no
    // answer was obtained (WinINet's open-URL step); afterwards it is a failed read.
    bool headers_done = false;
    int status = 0;
    bool location = false;
};

bool Starts_With_No_Case(const char* text, std::size_t size, const char* prefix) {
    std::size_t length = std::strlen(prefix);
    return size >= length && strncasecmp(text, prefix, length) == 0;
}

std::size_t On_Header(char* text, std::size_t one, std::size_t count, void* user) {
    Transfer& transfer = *static_cast<Transfer*>(user);
    std::size_t size = one * count;
    if (Starts_With_No_Case(text, size, "HTTP/")) {
        // A new status line: an interim or redirect answer may precede the final one.
        transfer.headers_done = false;
        transfer.location = false;
        const char* space = static_cast<const char*>(std::memchr(text, ' ', size));
        transfer.status = space != nullptr ? std::atoi(space + 1) : 0;
    } else if (Starts_With_No_Case(text, size, "Location:")) {
        transfer.location = true;
    } else if ((size == 2 && text[0] == '\r' && text[1] == '\n') ||
               (size == 1 && text[0] == '\n')) {
        bool interim = transfer.status >= 100 && transfer.status < 200;
        // libcurl follows such an answer and hides its body, so it is not the final one.
        bool redirect = transfer.status >= 300 && transfer.status < 400 && transfer.location;
        transfer.headers_done = !interim && !redirect;
    }
    return size;
}

std::size_t On_Body(char* data, std::size_t one, std::size_t count, void* user) {
    Transfer& transfer = *static_cast<Transfer*>(user);
    std::size_t size = one * count;
    // libcurl's receive buffer is Http_Read_Size, so this loop normally runs once; it keeps
    // the promise of at most Http_Read_Size bytes per delivery whatever libcurl hands over.
    for (std::size_t done = 0; done < size;) {
        std::size_t piece = std::min(size - done, Http_Read_Size);
        if (!(*transfer.on_data)(data + done, piece)) {
            transfer.refused = true;
            return 0;  // libcurl ends the transfer with CURLE_WRITE_ERROR
        }
        done += piece;
    }
    return size;
}

// The WinINet error that stands for a libcurl failure.
int Windows_Error(CURLcode code) {
    switch (code) {
        case CURLE_URL_MALFORMAT:
            return Http_Error_Invalid_Url;
        case CURLE_UNSUPPORTED_PROTOCOL:
            return Http_Error_Unknown_Scheme;
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
            return Http_Error_Name_Not_Resolved;
        case CURLE_COULDNT_CONNECT:
            return Http_Error_Cannot_Connect;
        case CURLE_OPERATION_TIMEDOUT:
            return Http_Error_Timeout;
        case CURLE_PARTIAL_FILE:
            return Http_Error_Connection_Aborted;
        case CURLE_SEND_ERROR:
        case CURLE_RECV_ERROR:
            return Http_Error_Connection_Reset;
        case CURLE_GOT_NOTHING:
        case CURLE_WEIRD_SERVER_REPLY:
            return Http_Error_Bad_Response;
        case CURLE_TOO_MANY_REDIRECTS:
            return Http_Error_Redirect_Failed;
        case CURLE_OUT_OF_MEMORY:
            return Http_Error_Out_Of_Memory;
        case CURLE_WRITE_ERROR:
        case CURLE_ABORTED_BY_CALLBACK:
            return Http_Error_Cancelled;
        default:
            return Http_Error_Internal;
    }
}

Http_Failure Fail(Http_Failure failure, int code, int* error_code) {
    if (error_code != nullptr) *error_code = code;
    return failure;
}

bool Global_Init() {
    // Once per process; the game is single-threaded, so the first call is not contended.
    static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return ready;
}

}  // namespace

Http_Failure Http_Get(const char* url, const char* agent, const Http_Data_Callback& on_data,
                      int* error_code, const Http_Options& options) {
    if (error_code != nullptr) *error_code = 0;
    if (!Global_Init()) return Fail(Http_Failure::Open, Http_Error_Internal, error_code);
    CURL* curl = curl_easy_init();
    if (curl == nullptr) return Fail(Http_Failure::Open, Http_Error_Out_Of_Memory, error_code);
    if (url == nullptr || !on_data) {
        curl_easy_cleanup(curl);
        return Fail(Http_Failure::Request, Http_Error_Invalid_Url, error_code);
    }

    Transfer transfer;
    transfer.on_data = &on_data;
    // A forced reload, as INTERNET_FLAG_RELOAD asks of WinINet: no cache or proxy copy.
    curl_slist* headers = curl_slist_append(nullptr, "Cache-Control: no-cache");
    curl_slist* more =
        headers != nullptr ? curl_slist_append(headers, "Pragma: no-cache") : nullptr;
    if (more == nullptr) {
        curl_slist_free_all(headers);
        curl_easy_cleanup(curl);
        return Fail(Http_Failure::Open, Http_Error_Out_Of_Memory, error_code);
    }
    headers = more;

    curl_easy_setopt(curl, CURLOPT_URL, url);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, agent != nullptr ? agent : "");
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    // WinINet speaks HTTP(S) to the web; nothing here should ever read local files and the like.
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, options.connect_timeout_ms);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, options.total_timeout_ms);
    // Time-outs by signal would disturb the rest of the program.
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, static_cast<long>(Http_Read_Size));
    // A proxy tunnel's own "200 Connection established" must not count as the answer.
    curl_easy_setopt(curl, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, On_Header);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, On_Body);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);

    CURLcode code = curl_easy_perform(curl);
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);

    if (code == CURLE_OK) return Http_Failure::None;
    if (transfer.refused) return Fail(Http_Failure::Read, Http_Error_Cancelled, error_code);
    Http_Failure step = transfer.headers_done ? Http_Failure::Read : Http_Failure::Request;
    return Fail(step, Windows_Error(code), error_code);
}
