#pragma once
// The date and time texts of the local clock: "MM-DD-YYYY" (10 characters)
// and "HH:MM:SS" (8 characters), as recorder rows and print-outs show them.
#include <ctime>
#include <string>

namespace bx::platform {

std::string DateStr();
std::string TimeStr();
// The same texts for a given moment, for tests and for one moment shown twice.
std::string DateStr(std::time_t t);
std::string TimeStr(std::time_t t);

}  // namespace bx::platform
