// CTarvelIO: URL retrieval, a blocking HTTP GET whose body comes back as text.
#pragma once

#include <cstddef>
#include <string>

class CTarvelIO {
  public:
    // Fetches `url` and returns its body read as Windows text (CR LF becomes LF, a Ctrl-Z
    // ends the text), or an empty string when the request failed, the body was cut off or
    // the body is empty. An HTTP error status is no failure: its page is returned like any
    // other body, as the Windows build did.
    // When `save_path` is not null, the raw body is also kept in a file of that name; an
    // existing file there is left untouched (and the body is still returned).
    // Failures are logged at level 1 in Engine_Log; nothing is retried. Blocks the caller
    // for at most about Total_Timeout_Ms. A body longer than Max_Body_Bytes is no answer
    // any caller expects: the transfer stops there and fails like a cut-off read, so that a
    // broken or hostile server cannot fill the memory or the disk.
    //
    // The body is streamed into a private temporary file (mkstemp in $TMPDIR, /tmp when
    // unset) rather than a fixed "data.tmp" in the program folder, so a read-only program
    // folder does not break the download and calls never share a file. That file is gone
    // when the call returns, whatever happened.
    std::string Retrieve_Data_URL(const char* url, const char* save_path);

    long Connect_Timeout_Ms = 5000;
    long Total_Timeout_Ms = 15000;
    // Far above any answer of the maker's web host (a few bytes).
    std::size_t Max_Body_Bytes = 1 << 20;
};

// Reads `raw` the way a Windows text-mode stream does: every CR directly before a LF is
// dropped, and the first Ctrl-Z (0x1A) ends the text.
std::string Text_Mode_Read(const std::string& raw);
