// The high-score upload: one HTTP GET to the maker's web endpoint whose query carries a
// finished "High Score" run. Fire-and-forget: the answer is only logged.
#pragma once

#include <string>

class CTarvelIO;

// The request URL for a run: "http://" + `host` + "/accessTindral.php?..." with the time
// `best_time` (B), the spheres allowed `spheres` (S, truncated), the player `name`, the check
// value (truncate(B) * truncate(S) * length of `name` - 2) * 3 in wrapping 32-bit arithmetic,
// `os_name` and the version "1.65". Letters, digits and "-._~" go into the query as they are;
// any other byte of `name` or `os_name` is percent-encoded so that it cannot break the query.
// Null texts count as empty.
std::string Score_Upload_Url(const char* host, const char* name, float spheres, float best_time,
                             const char* os_name);

// Sends the run through `io` and logs "High score upload completed [name][B][S]" at level 0
// when the answer is not empty. A failed request logs nothing here (`io` logs its failure)
// and is not retried. Blocks for as long as the request takes.
void Score_Upload(CTarvelIO& io, const char* host, const char* name, float spheres, float best_time,
                  const char* os_name);
