#pragma once
// The floor a download is measured against: a bare client of blocking reads, no Qt, no event
// loop. It sends the same requests as a download and takes each answer the moment it is
// complete; what a program takes above it is the program's own cost, the rest is the line's,
// the simulator's and the machine's.

#include <string>

// Downloads main/temp/laps records from the logger at `device`; false when the device could not
// be opened or an answer did not come.
bool BareDownload(const std::string& device, long main, long temp, long laps);
