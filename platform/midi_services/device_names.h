#pragma once
// The names devices are listed under: at most kMaxDeviceNameLength characters, and
// unique within one listing.
#include <string>
#include <vector>

// fullNames[i] is how the system names device i, keys[i] what tells it from every
// other device (its back end and full name). Each name is the full name cut to the
// limit; where two would be equal, each of them is cut shorter and ends in "~" and four
// hex digits drawn from its key, so the same set of ports gets the same names on every
// run, and a name no other device shares stays as it is.
std::vector<std::string> UniqueDeviceNames(const std::vector<std::string>& fullNames,
                                           const std::vector<std::string>& keys);
