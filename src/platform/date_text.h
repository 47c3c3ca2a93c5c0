#pragma once
// The date and time texts of files and print-outs the tool writes:
// "MM-DD-YYYY" and "HH:MM:SS" of the local clock. The fixed-size forms cost
// no heap, for a recorder row written every sample.
#include <ctime>
#include <string>

namespace bx::platform {

constexpr int kDateStrSize = 11;  // 10 characters and the terminating zero
constexpr int kTimeStrSize = 9;   // 8 characters and the terminating zero

void DateStr(char (&out)[kDateStrSize]);
void TimeStr(char (&out)[kTimeStrSize]);
// The same texts for a given moment (one moment shown twice, tests).
void DateStr(std::time_t t, char (&out)[kDateStrSize]);
void TimeStr(std::time_t t, char (&out)[kTimeStrSize]);
std::string DateStr(std::time_t t);
std::string TimeStr(std::time_t t);
std::string DateStr();
std::string TimeStr();

}  // namespace bx::platform
