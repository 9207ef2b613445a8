// HTTP GET on libcurl: the stand-in for WinINet's open, open-URL and read calls.
// Called by CTarvelIO::Retrieve_Data_URL; the file and log handling live there.
#pragma once

#include <cstddef>
#include <functional>

// The WinINet step that a failed transfer corresponds to, so that the caller can report it
// the way the Windows build did.
enum class Http_Failure {
    None,     // the body arrived whole (whatever the HTTP status)
    Open,     // the client could not be set up (InternetOpen)
    Request,  // no answer: bad URL, name not resolved, no connection, no headers in time
              // (InternetOpenUrl)
    Read,     // the answer's headers arrived but the body was cut off or refused by
              // `on_data` (InternetReadFile)
};

// Windows error codes that Http_Get reports, so that log lines read as they did on Windows.
constexpr int Http_Error_Invalid_Handle = 6;          // ERROR_INVALID_HANDLE
constexpr int Http_Error_Out_Of_Memory = 8;           // ERROR_NOT_ENOUGH_MEMORY
constexpr int Http_Error_Timeout = 12002;             // ERROR_INTERNET_TIMEOUT
constexpr int Http_Error_Internal = 12004;            // ERROR_INTERNET_INTERNAL_ERROR
constexpr int Http_Error_Invalid_Url = 12005;         // ERROR_INTERNET_INVALID_URL
constexpr int Http_Error_Unknown_Scheme = 12006;      // ERROR_INTERNET_UNRECOGNIZED_SCHEME
constexpr int Http_Error_Name_Not_Resolved = 12007;   // ERROR_INTERNET_NAME_NOT_RESOLVED
constexpr int Http_Error_Cancelled = 12017;           // ERROR_INTERNET_OPERATION_CANCELLED
constexpr int Http_Error_Cannot_Connect = 12029;      // ERROR_INTERNET_CANNOT_CONNECT
constexpr int Http_Error_Connection_Aborted = 12030;  // ERROR_INTERNET_CONNECTION_ABORTED
constexpr int Http_Error_Connection_Reset = 12031;    // ERROR_INTERNET_CONNECTION_RESET
constexpr int Http_Error_Bad_Response = 12152;        // ERROR_HTTP_INVALID_SERVER_RESPONSE
constexpr int Http_Error_Redirect_Failed = 12156;     // ERROR_HTTP_REDIRECT_FAILED

// Receives the body piece by piece, at most Http_Read_Size bytes per call, in order.
// Returning false aborts the transfer (Http_Failure::Read, Http_Error_Cancelled).
using Http_Data_Callback = std::function<bool(const char* data, std::size_t size)>;

// The size of one read of the body.
constexpr std::size_t Http_Read_Size = 1024;

struct Http_Options {
    // A dead network must not freeze the (single-threaded) game for minutes.
    long connect_timeout_ms = 5000;
    long total_timeout_ms = 15000;
};

// Fetches `url` (http or https only; redirects are followed) with a plain GET that bypasses
// caches, sending `agent` as the User-Agent and honouring the usual proxy environment
// variables (http_proxy, https_proxy, ALL_PROXY, no_proxy). An HTTP error status is not a
// failure: its body is delivered like any other, as WinINet does.
// Returns Http_Failure::None once the whole body has been passed to `on_data`; otherwise the
// failed step, with a Windows-style code (the constants above) in `*error_code` when
// `error_code` is not null. Blocks for at most about `options.total_timeout_ms`.
Http_Failure Http_Get(const char* url, const char* agent, const Http_Data_Callback& on_data,
                      int* error_code, const Http_Options& options = {});
